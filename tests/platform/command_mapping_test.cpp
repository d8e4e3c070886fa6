#include <gtest/gtest.h>

#include <QSet>

#include "platform/command_mapping.h"

namespace {

using hx::platform::CommandEnvironment;
using hx::platform::mapWellKnownCommand;
using Action = hx::platform::MappedCommand::Action;

CommandEnvironment environment(QSet<QString> programs, QSet<QString> locations = {}) {
    CommandEnvironment env;
    env.programExists = [programs](const QString& p) { return programs.contains(p); };
    env.locationSupported = [locations](const QString& l) { return locations.contains(l); };
    env.homeDir = QStringLiteral("/home/u");
    env.configHome = QStringLiteral("/home/u/.config");
    env.dataHome = QStringLiteral("/home/u/.local/share");
    return env;
}

const QString kComputer =
    QStringLiteral("Explorer.exe /n,::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
const QString kRecycle = QStringLiteral("Explorer.exe /n,::{645FF040-5081-101B-9F08-00AA002F954E}");

TEST(CommandMapping, ControlPanelPicksTheFirstInstalledSettingsApp) {
    auto m = mapWellKnownCommand(QStringLiteral("control.exe"),
                                 environment({QStringLiteral("xfce4-settings-manager"),
                                              QStringLiteral("cinnamon-settings")}));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->action, Action::StartProgram);
    EXPECT_EQ(m->argv, QStringList{QStringLiteral("xfce4-settings-manager")});

    m = mapWellKnownCommand(
        QStringLiteral("CONTROL"),
        environment({QStringLiteral("systemsettings"), QStringLiteral("gnome-control-center")}));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->argv, QStringList{QStringLiteral("gnome-control-center")});

    m = mapWellKnownCommand(QStringLiteral("C:\\Windows\\System32\\control.exe"),
                            environment({QStringLiteral("lxqt-config")}));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->argv, QStringList{QStringLiteral("lxqt-config")});

    m = mapWellKnownCommand(QStringLiteral("control.exe"), environment({}));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->action, Action::Nothing);
}

TEST(CommandMapping, ComputerFolder) {
    auto m = mapWellKnownCommand(kComputer, environment({}, {QStringLiteral("computer")}));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->action, Action::OpenLocation);
    EXPECT_EQ(m->target, QStringLiteral("computer:///"));
    EXPECT_EQ(m->fallback, QStringLiteral("/home/u"));

    m = mapWellKnownCommand(kComputer.toLower(), environment({}));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->target, QStringLiteral("/home/u"));
    EXPECT_FALSE(m->createFolder);
}

TEST(CommandMapping, RecycleBin) {
    auto m = mapWellKnownCommand(kRecycle, environment({}, {QStringLiteral("trash")}));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->action, Action::OpenLocation);
    EXPECT_EQ(m->target, QStringLiteral("trash:///"));

    m = mapWellKnownCommand(QStringLiteral("EXPLORER /n,::{645ff040-5081-101b-9f08-00aa002f954e}"),
                            environment({}));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->target, QStringLiteral("/home/u/.local/share/Trash/files"));
    EXPECT_TRUE(m->createFolder);
}

TEST(CommandMapping, StartUpProgramsAndRegistryEditor) {
    auto m = mapWellKnownCommand(QStringLiteral("msconfig"), environment({}));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->action, Action::OpenLocation);
    EXPECT_EQ(m->target, QStringLiteral("/home/u/.config/autostart"));
    EXPECT_TRUE(m->createFolder);

    for (const char* name : {"regedt32", "regedit", "REGEDIT.EXE"}) {
        m = mapWellKnownCommand(QString::fromLatin1(name),
                                environment({QStringLiteral("dconf-editor")}));
        ASSERT_TRUE(m) << name;
        EXPECT_EQ(m->action, Action::StartProgram);
        EXPECT_EQ(m->argv, QStringList{QStringLiteral("dconf-editor")});
        m = mapWellKnownCommand(QString::fromLatin1(name), environment({}));
        ASSERT_TRUE(m);
        EXPECT_EQ(m->action, Action::Nothing);
    }
}

TEST(CommandMapping, OtherCommandLinesAreLeftAlone) {
    const auto env =
        environment({QStringLiteral("gnome-control-center")}, {QStringLiteral("computer")});
    for (const char* line : {"", "   ", "notepad", "/usr/bin/control-panel", "controls",
                             "Explorer.exe /select, /tmp/x", "xdg-open control.exe", "msconfig2"})
        EXPECT_FALSE(mapWellKnownCommand(QString::fromLatin1(line), env)) << line;
}

}  // namespace
