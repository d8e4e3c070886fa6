#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "platform/desktop_entry.h"
#include "platform/linux/gio_desktop.h"
#include "platform/linux/linux_desktop.h"
#include "platform/linux/linux_shell.h"
#include "platform/path_facts.h"

namespace {

using hx::platform::inspectPath;
using hx::platform::LauncherFile;
using hx::platform::LinuxDesktop;
using hx::platform::parseDesktopEntry;
using Kind = hx::platform::PathFacts::Kind;

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes,
              bool executable = false) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    if (executable) QFile::setPermissions(path, file.permissions() | QFileDevice::ExeOwner);
    return path;
}

TEST(DesktopEntryText, NameInTheUsersLanguageFromTheEntryGroupOnly) {
    const auto entry = parseDesktopEntry(
        "# comment\n[Desktop Entry]\nName=Text Editor\nName[de]=Texteditor\n"
        "Name[zh_CN]=文本\\s编辑器\nType=Application\nIcon=org.gnome.TextEditor\n"
        "[Desktop Action new-window]\nName=New Window\nName[zh_CN]=新窗口\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, "文本 编辑器");
    EXPECT_TRUE(entry->isApplication());
    EXPECT_EQ(entry->icon, "org.gnome.TextEditor");

    // No translation (or an empty one): the plain Name.
    EXPECT_EQ(parseDesktopEntry("[Desktop Entry]\nName=A\\\\B\nName[zh_CN]=\n")->name, "A\\B");
    EXPECT_FALSE(parseDesktopEntry("[Desktop Entry]\nType=Link\n")->isApplication());
    EXPECT_FALSE(parseDesktopEntry("Name=x\nType=Application\n"));
    EXPECT_FALSE(parseDesktopEntry(QByteArray("\x00\xff\xfe", 3)));
}

TEST(PathFactsOnDisk, ProgramsAreElfOrScriptsThatMayRun) {
    QTemporaryDir dir;
    EXPECT_TRUE(inspectPath(write(dir, "run", "#!/bin/sh\n", true)).program);
    EXPECT_FALSE(inspectPath(write(dir, "run.txt", "#!/bin/sh\n", false)).program);
    EXPECT_FALSE(inspectPath(write(dir, "notes", "plain text", true)).program);
    EXPECT_TRUE(inspectPath(write(dir, "elf",
                                  QByteArray("\x7F"
                                             "ELF\x02\x01",
                                             6),
                                  true))
                    .program);
    EXPECT_FALSE(inspectPath(write(dir, "empty", "", true)).program);

    const auto launcher = inspectPath(
        write(dir, "a.desktop", "[Desktop Entry]\nType=Application\nName=A\nExec=true\n", true));
    EXPECT_TRUE(launcher.launcher);
    EXPECT_FALSE(launcher.program);
    EXPECT_EQ(launcher.launcherName, "A");
    EXPECT_FALSE(
        inspectPath(write(dir, "l.desktop", "[Desktop Entry]\nType=Link\nURL=x\n")).launcher);
}

TEST(PathFactsOnDisk, LinksFollowedLoopsAndDevicesHarmless) {
    QTemporaryDir dir;
    const QString file = write(dir, "f.txt", "x");
    ASSERT_TRUE(QFile::link(file, dir.filePath("alias")));
    ASSERT_TRUE(QFile::link(dir.filePath("none"), dir.filePath("dangling")));
    ASSERT_TRUE(QFile::link(dir.filePath("b"), dir.filePath("a")));
    ASSERT_TRUE(QFile::link(dir.filePath("a"), dir.filePath("b")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.txt")).constData(), 0600), 0);

    EXPECT_EQ(inspectPath(dir.filePath("alias")).kind, Kind::File);
    EXPECT_EQ(inspectPath(dir.filePath("dangling")).kind, Kind::Missing);
    EXPECT_EQ(inspectPath(dir.filePath("a")).kind, Kind::Missing);
    // A pipe is never opened (that would wait for a writer).
    EXPECT_EQ(inspectPath(dir.filePath("pipe.txt")).kind, Kind::Other);
    const auto folder = inspectPath(dir.path());
    EXPECT_EQ(folder.kind, Kind::Directory);
    EXPECT_EQ(folder.attributes, 16);
    EXPECT_EQ(inspectPath("/").attributes, 22);
}

TEST(LauncherFiles, LinkLaunchersOpenAddressesAndFiles) {
    LauncherFile web;
    web.kind = LauncherFile::Kind::Link;
    web.name = "搜索";
    web.target = "https://example.org/a b";
    EXPECT_EQ(LinuxDesktop::launcherText(web),
              "[Desktop Entry]\nType=Link\nVersion=1.0\nName=搜索\n"
              "URL=https://example.org/a%20b\n");
    EXPECT_EQ(LinuxDesktop::linkUrl("/home/u/年 报.pdf"),
              "file:///home/u/%E5%B9%B4%20%E6%8A%A5.pdf");
    EXPECT_EQ(LinuxDesktop::linkUrl("www.example.org"), "http://www.example.org");
}

TEST(LauncherFiles, CopiesReplaceLinksAndAreMarkedTrusted) {
    QTemporaryDir dir;
    QStringList trusted;
    LinuxDesktop desktop(hx::platform::DesktopSystemCalls{
        {}, {}, {}, [&](const QString& path) { trusted << path; }});
    const QByteArray entry = "[Desktop Entry]\nType=Application\nName=E\nExec=gedit %U\n";
    const QString source = write(dir, "source.desktop", entry);
    const QString outside = write(dir, "outside.txt", "keep");
    QDir(dir.path()).mkdir("desk");
    const QString target = dir.filePath("desk/e.desktop");
    ASSERT_TRUE(QFile::link(outside, target));

    LauncherFile copy;
    copy.kind = LauncherFile::Kind::Copy;
    copy.target = source;
    ASSERT_TRUE(desktop.writeLauncher(target, copy));
    EXPECT_FALSE(QFileInfo(target).isSymLink());
    QFile written(target);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), entry);
    QFile kept(outside);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "keep");
    EXPECT_TRUE(QFileInfo(target).isExecutable());
    EXPECT_EQ(trusted, QStringList{target});

    // Only launchers are copied.
    copy.target = outside;
    EXPECT_FALSE(desktop.writeLauncher(dir.filePath("desk/n.desktop"), copy));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("desk/n.desktop")));
}

TEST(LauncherFiles, OpeningALauncherStartsItThroughGio) {
    QTemporaryDir dir;
    QStringList launched, started;
    QList<QUrl> opened;
    hx::platform::ShellSystemCalls system;
    system.openUrl = [&](const QUrl& u) { return opened << u, true; };
    system.startDetached = [&](const QString& p, const QStringList&) { return started << p, true; };
    system.launchDesktopEntry = [&](const QString& p) { return launched << p, true; };
    hx::platform::LinuxShell shell(system);
    // Executable, as launchers on a desktop are: still never run as a program.
    const QString launcher =
        write(dir, "e.desktop", "[Desktop Entry]\nType=Application\nName=E\nExec=true\n", true);
    EXPECT_TRUE(shell.open(launcher));
    EXPECT_EQ(launched, QStringList{launcher});
    EXPECT_TRUE(started.isEmpty());
    EXPECT_TRUE(opened.isEmpty());

    // A link launcher (as "生成桌面快捷方式" writes them) opens its address.
    const QString link =
        write(dir, "l.desktop",
              "[Desktop Entry]\nType=Link\nName=L\nURL=https://example.org/a%20b\n", true);
    EXPECT_TRUE(shell.open(link));
    EXPECT_EQ(opened, QList<QUrl>{QUrl("https://example.org/a%20b")});
    EXPECT_EQ(launched, QStringList{launcher});
}

// Whatever its size, first line or x bit, a *.desktop file is only ever
// started as a launcher; one that cannot be read as a launcher is refused.
TEST(LauncherFiles, DesktopFilesAreNeverRunAsPrograms) {
    QTemporaryDir dir;
    QByteArray script = "#!/bin/sh\ntouch ran\n";
    const QByteArray entry = "[Desktop Entry]\nType=Application\nName=E\nExec=true\n";
    const QByteArray padding = "# " + QByteArray(1100 * 1024, 'x') + "\n";
    struct Case {
        const char* name;
        QByteArray bytes;
        bool launched;
    };
    const Case cases[] = {
        {"big.desktop", script + padding + entry, false},
        {"script.desktop", script, false},
        {"SMALL.DESKTOP", script + entry, true},
    };
    for (const Case& c : cases) {
        QStringList launched, started;
        QList<QUrl> opened;
        hx::platform::ShellSystemCalls system;
        system.openUrl = [&](const QUrl& u) { return opened << u, true; };
        system.startDetached = [&](const QString& p, const QStringList&) {
            return started << p, true;
        };
        system.launchDesktopEntry = [&](const QString& p) { return launched << p, true; };
        hx::platform::LinuxShell shell(system);
        const QString path = write(dir, c.name, c.bytes, true);

        EXPECT_EQ(shell.open(path), c.launched) << c.name;
        EXPECT_EQ(shell.startProcess(path), c.launched) << c.name;
        EXPECT_EQ(launched.size(), c.launched ? 2 : 0) << c.name;
        EXPECT_TRUE(started.isEmpty()) << c.name;
        EXPECT_TRUE(opened.isEmpty()) << c.name;
        // Dropped on the grid it is no program either.
        EXPECT_FALSE(inspectPath(path).program) << c.name;
        EXPECT_EQ(inspectPath(path).launcher, c.launched) << c.name;
    }
}

TEST(LauncherFiles, GioRunsTheLaunchersCommand) {
    QTemporaryDir dir;
    const QString marker = dir.filePath("started");
    const QString launcher = write(dir, "touch.desktop",
                                   "[Desktop Entry]\nType=Application\nName=T\nExec=touch " +
                                       QFile::encodeName(marker) + " %U\n");
    ASSERT_TRUE(hx::platform::launchDesktopEntry(launcher));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(marker); }, 10000));
    EXPECT_FALSE(hx::platform::launchDesktopEntry(write(dir, "not.desktop", "hello")));
}

}  // namespace

namespace {

// Command lines of the original system become this desktop's equivalents.
TEST(LauncherFiles, WellKnownCommandsRunTheirEquivalents) {
    QTemporaryDir dir;
    hx::platform::DesktopSystemCalls system;
    system.programExists = [](const QString& p) { return p == "systemsettings"; };
    system.markTrusted = [](const QString&) {};
    LinuxDesktop desktop(system);
    LauncherFile panel;
    panel.name = "控制面板";
    panel.commandLine = "control.exe";
    ASSERT_TRUE(desktop.writeLauncher(dir.filePath("c.desktop"), panel));
    QFile file(dir.filePath("c.desktop"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("Exec=systemsettings\n")) << text.constData();

    // Anything else is run as it was stored.
    panel.commandLine = "gimp \"a b.png\"";
    ASSERT_TRUE(desktop.writeLauncher(dir.filePath("g.desktop"), panel));
    QFile other(dir.filePath("g.desktop"));
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    EXPECT_TRUE(other.readAll().contains("Exec=gimp \"a b.png\"\n"));
}

}  // namespace
