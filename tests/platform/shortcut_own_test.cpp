#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/linux/linux_desktop.h"
#include "platform/own_shortcut.h"
#include "support/fake_desktop.h"

namespace {

using hx::platform::ensureOwnShortcut;
using hx::platform::LinuxDesktop;
using hx::platform::ownShortcutFileName;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Real launcher files in a temporary desktop folder.
class OwnShortcut : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        saved_ = qgetenv("HENGXIU_DESKTOP_DIR");
        qputenv("HENGXIU_DESKTOP_DIR", dir_.path().toUtf8());
        hx::platform::DesktopSystemCalls system;
        system.markTrusted = [](const QString&) {};
        desktop_ = std::make_unique<LinuxDesktop>(system);
        path_ = dir_.path() + u'/' + ownShortcutFileName();
    }
    void TearDown() override {
        if (saved_.isNull())
            qunsetenv("HENGXIU_DESKTOP_DIR");
        else
            qputenv("HENGXIU_DESKTOP_DIR", saved_);
    }
    bool ensure() {
        return ensureOwnShortcut(*desktop_, QStringLiteral("/opt/hx/hengxiu-toolbox"),
                                 QStringLiteral("/opt/hx/"), QStringLiteral("/opt/hx/icon.png"));
    }

    QTemporaryDir dir_;
    QByteArray saved_;
    std::unique_ptr<LinuxDesktop> desktop_;
    QString path_;
};

TEST_F(OwnShortcut, CreatedWhenMissing) {
    EXPECT_EQ(ownShortcutFileName(), QStringLiteral("衡岫电脑工具箱.desktop"));
    ASSERT_TRUE(ensure());
    const QString text = QString::fromUtf8(readAll(path_));
    EXPECT_TRUE(text.contains(QStringLiteral("\nName=衡岫电脑工具箱\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nComment=衡岫软件")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nExec=/opt/hx/hengxiu-toolbox --root /opt/hx/\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nPath=/opt/hx/\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nIcon=/opt/hx/icon.png\n")));
    EXPECT_TRUE(QFileInfo(path_).permissions() & QFileDevice::ExeOwner);
}

// Exec= read back as a desktop would: the value's escapes, then the quoting of
// arguments, then %% for a percent sign.
QStringList execArguments(const QString& fileText) {
    QString value;
    for (const QString& line : fileText.split(u'\n'))
        if (line.startsWith(QStringLiteral("Exec="))) value = line.mid(5);
    QString unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar next = value[++i];
            unescaped += next == u's' ? QChar(u' ') : next == u'n' ? QChar(u'\n') : next;
        } else {
            unescaped += value[i];
        }
    }
    QStringList args;
    QString current;
    bool quoted = false, any = false;
    for (qsizetype i = 0; i < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (quoted && c == u'\\' && i + 1 < unescaped.size()) {
            current += unescaped[++i];
        } else if (c == u'"') {
            quoted = !quoted;
            any = true;
        } else if (c == u'%' && i + 1 < unescaped.size() && unescaped[i + 1] == u'%') {
            current += u'%';
            ++i;
        } else if (c == u' ' && !quoted) {
            if (any || !current.isEmpty()) args << current;
            current.clear();
            any = false;
        } else {
            current += c;
        }
    }
    if (any || !current.isEmpty()) args << current;
    return args;
}

TEST_F(OwnShortcut, StartsTheProgramOnTheDataRootItWasMadeFrom) {
    QTemporaryDir program;
    const QString executable = program.path() + QStringLiteral("/hengxiu toolbox");
    {
        QFile f(executable);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n");
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    }
    const QString root = QStringLiteral("/home/u/my \"data\" $HOME 100% `x`\\y/衡岫");
    ASSERT_TRUE(ensureOwnShortcut(*desktop_, executable, root, QString()));
    const QString text = QString::fromUtf8(readAll(path_));
    EXPECT_EQ(execArguments(text), QStringList({executable, QStringLiteral("--root"), root}));
}

TEST_F(OwnShortcut, ExistingFileIsNeverOverwritten) {
    QFile f(path_);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("the user's own launcher");
    f.close();
    EXPECT_FALSE(ensure());
    EXPECT_EQ(readAll(path_), QByteArray("the user's own launcher"));

    // A dangling link of that name counts as present too.
    ASSERT_TRUE(QFile::remove(path_));
    ASSERT_TRUE(QFile::link(dir_.filePath(QStringLiteral("gone")), path_));
    EXPECT_FALSE(ensure());
    EXPECT_TRUE(QFileInfo(path_).isSymLink());
}

TEST_F(OwnShortcut, DeletedShortcutComesBack) {
    ASSERT_TRUE(ensure());
    const QByteArray first = readAll(path_);
    EXPECT_FALSE(ensure());
    ASSERT_TRUE(QFile::remove(path_));
    EXPECT_TRUE(ensure());
    EXPECT_EQ(readAll(path_), first);
}

TEST(OwnShortcutFailures, UnwritableOrMissingDesktopIsIgnored) {
    QTemporaryDir dir;
    // Root may write anywhere, so "unwritable" is a folder that cannot exist.
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    hx::test::FakeDesktop underFile(blocker.fileName());
    EXPECT_FALSE(ensureOwnShortcut(underFile, QStringLiteral("/p"), QStringLiteral("/"), {}));
    hx::test::FakeDesktop noDesktop{QString()};
    EXPECT_FALSE(ensureOwnShortcut(noDesktop, QStringLiteral("/p"), QStringLiteral("/"), {}));
    EXPECT_TRUE(noDesktop.written.isEmpty());
    hx::test::FakeDesktop refusing(dir.path());
    refusing.writeFails = true;
    EXPECT_FALSE(ensureOwnShortcut(refusing, QStringLiteral("/p"), QStringLiteral("/"), {}));
    ASSERT_EQ(refusing.written.size(), 1);
    EXPECT_EQ(refusing.written[0].path, dir.path() + QStringLiteral("/衡岫电脑工具箱.desktop"));
    EXPECT_EQ(refusing.written[0].launcher.target, QStringLiteral("/p"));

    // The real writer against a path under a plain file.
    hx::platform::DesktopSystemCalls system;
    system.markTrusted = [](const QString&) {};
    LinuxDesktop real(system);
    qputenv("HENGXIU_DESKTOP_DIR", blocker.fileName().toUtf8());
    EXPECT_FALSE(ensureOwnShortcut(real, QStringLiteral("/p"), QStringLiteral("/"), {}));
    qunsetenv("HENGXIU_DESKTOP_DIR");
}

}  // namespace
