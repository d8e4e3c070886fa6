#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>

#include "app/command_line.h"
#include "app/translations.h"

namespace hx::app {
namespace {

CommandLine parse(const QStringList& arguments) {
    return parseCommandLine(QStringList{QStringLiteral("hengxiu-toolbox")} + arguments);
}

TEST(CommandLine, HelpAndVersionAnswerAndExitZero) {
    const CommandLine help = parse({QStringLiteral("--help")});
    EXPECT_EQ(help.outcome, CommandLine::Outcome::Exit);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_FALSE(help.toStandardError);
    EXPECT_TRUE(help.output.contains(QStringLiteral("--root <DIR>")));
    EXPECT_FALSE(help.output.contains(QStringLiteral("exit-on-first-paint")));

    const CommandLine version = parse({QStringLiteral("--version")});
    EXPECT_EQ(version.outcome, CommandLine::Outcome::Exit);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.output.contains(QStringLiteral("v3.9")));
}

TEST(CommandLine, UnknownOptionsAndStrayArgumentsAreRefusedWithExitTwo) {
    for (const QStringList& args :
         {QStringList{QStringLiteral("--frobnicate")}, QStringList{QStringLiteral("--root")},
          QStringList{QStringLiteral("stray")}, QStringList{QStringLiteral("-x")}}) {
        const CommandLine c = parse(args);
        EXPECT_EQ(c.outcome, CommandLine::Outcome::Exit) << args.join(u' ').toStdString();
        EXPECT_EQ(c.exitCode, 2);
        EXPECT_TRUE(c.toStandardError);
        EXPECT_EQ(c.output.count(u'\n'), 2) << "one line saying why, one pointing to --help";
    }
}

TEST(CommandLine, ProgramOptionsAndToolkitOptionsPass) {
    const CommandLine c =
        parse({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--root"),
               QStringLiteral("/tmp/a b"), QStringLiteral("--grab=/tmp/x.png"),
               QStringLiteral("--exit-on-first-paint"), QStringLiteral("-reverse")});
    EXPECT_EQ(c.outcome, CommandLine::Outcome::Run) << c.output.toStdString();
    EXPECT_EQ(c.root, QStringLiteral("/tmp/a b"));
    EXPECT_EQ(c.grabFile, QStringLiteral("/tmp/x.png"));
    EXPECT_TRUE(c.exitOnFirstPaint);
}

TEST(ToolkitTranslations, StandardButtonsSpeakChinese) {
    ASSERT_TRUE(installTranslations(*QCoreApplication::instance(),
                                    QLocale(QLocale::Chinese, QLocale::China)))
        << "qtbase_zh_CN missing: install Debian's qt6-translations-l10n";
    QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Ok |
                         QDialogButtonBox::Cancel);
    EXPECT_TRUE(box.button(QDialogButtonBox::Yes)->text().startsWith(QStringLiteral("是")));
    EXPECT_TRUE(box.button(QDialogButtonBox::No)->text().startsWith(QStringLiteral("否")));
    EXPECT_TRUE(box.button(QDialogButtonBox::Ok)->text().startsWith(QStringLiteral("确定")));
    EXPECT_TRUE(box.button(QDialogButtonBox::Cancel)->text().startsWith(QStringLiteral("取消")));
}

}  // namespace
}  // namespace hx::app
