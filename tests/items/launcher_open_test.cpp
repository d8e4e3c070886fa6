#include <gtest/gtest.h>

#include "items/launcher.h"
#include "support/fake_shell.h"
#include "support/fake_sound.h"

namespace {

using hx::items::Launcher;
using hx::platform::Sound;

// Shell, sound and countdown all write into one journal so that order shows.
struct LauncherRig {
    QStringList journal;
    hx::test::FakeShell shell;
    hx::test::FakeSound sound;
    Launcher launcher{shell, sound, [this](const QString& title) {
                          journal << QStringLiteral("countdown:") + title;
                      }};
    LauncherRig() {
        shell.journal = &journal;
        sound.journal = &journal;
    }
};

TEST(LauncherOpen, PowerLinksOpenTheCountdownThenClick) {
    const QList<QPair<QString, QString>> cases{
        {QStringLiteral("&关机"), QStringLiteral("关闭计算机")},
        {QStringLiteral("&注销"), QStringLiteral("注销计算机")},
        {QStringLiteral("&重启"), QStringLiteral("重启计算机")}};
    for (const auto& [link, title] : cases) {
        LauncherRig rig;
        rig.launcher.open(link);
        EXPECT_EQ(rig.journal, (QStringList{QStringLiteral("countdown:") + title,
                                            QStringLiteral("sound:click")}))
            << link.toStdString();
        EXPECT_TRUE(rig.shell.calls.isEmpty());
    }
}

TEST(LauncherOpen, WebAddressGoesWholeToTheShell) {
    LauncherRig rig;
    rig.launcher.open(QStringLiteral("@http://example.com/my page.html?q=a b"));
    EXPECT_EQ(rig.shell.calls,
              QStringList{QStringLiteral("open:http://example.com/my page.html?q=a b")});
    EXPECT_EQ(rig.sound.played, QVector<Sound>{Sound::Click});
}

TEST(LauncherOpen, BareAtHandsEmptyTextToTheShell) {
    LauncherRig rig;
    rig.launcher.open(QStringLiteral("@"));
    EXPECT_EQ(rig.shell.calls, QStringList{QStringLiteral("open:")});
}

TEST(LauncherOpen, CommandLineIsStartedExactly) {
    LauncherRig rig;
    rig.shell.startable.insert(QStringLiteral("prog \"a b\" -x"));
    rig.launcher.open(QStringLiteral("&prog \"a b\" -x"));
    EXPECT_EQ(rig.journal, (QStringList{QStringLiteral("sound:click"),
                                        QStringLiteral("start:prog \"a b\" -x")}));
}

TEST(LauncherOpen, FailedCommandFallsBackToTheShellSilently) {
    LauncherRig rig;
    rig.shell.openResult = false;  // the shell cannot open it either
    rig.launcher.open(QStringLiteral("&no-such-program --flag"));
    EXPECT_EQ(rig.shell.calls, (QStringList{QStringLiteral("start:no-such-program --flag"),
                                            QStringLiteral("open:no-such-program --flag")}));
    EXPECT_EQ(rig.sound.played.size(), 1);
}

TEST(LauncherOpen, PowerWordWithBlankIsACommand) {
    LauncherRig rig;
    rig.launcher.open(QStringLiteral("&关机 "));
    EXPECT_EQ(rig.journal,
              (QStringList{QStringLiteral("sound:click"), QStringLiteral("start:关机 "),
                           QStringLiteral("open:关机 ")}));
}

TEST(LauncherOpen, EmptyAndPlainLinksGoUnchangedToTheShell) {
    LauncherRig rig;
    rig.launcher.open(QString());
    rig.launcher.open(QStringLiteral(" /a b/c "));
    EXPECT_EQ(rig.shell.calls,
              (QStringList{QStringLiteral("open:"), QStringLiteral("open: /a b/c ")}));
    EXPECT_EQ(rig.sound.played.size(), 2);
}

TEST(LauncherOpen, MissingCountdownOpenerStillClicks) {
    hx::test::FakeShell shell;
    hx::test::FakeSound sound;
    Launcher launcher(shell, sound, {});
    launcher.open(QStringLiteral("&重启"));
    EXPECT_EQ(sound.played, QVector<Sound>{Sound::Click});
    EXPECT_TRUE(shell.calls.isEmpty());
}

TEST(LauncherFromSearch, NoSoundNoPowerWordsNoFallback) {
    LauncherRig rig;
    rig.launcher.openFromSearch(QStringLiteral("&关机"));
    rig.launcher.openFromSearch(QStringLiteral("&missing arg"));
    rig.launcher.openFromSearch(QStringLiteral("@www.example.com"));
    rig.launcher.openFromSearch(QStringLiteral("/srv/x"));
    EXPECT_EQ(rig.journal,
              (QStringList{QStringLiteral("start:关机"), QStringLiteral("start:missing arg"),
                           QStringLiteral("open:www.example.com"), QStringLiteral("open:/srv/x")}));
    EXPECT_TRUE(rig.sound.played.isEmpty());
}

}  // namespace
