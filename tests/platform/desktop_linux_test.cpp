#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/linux/linux_desktop.h"

namespace {

using hx::platform::DesktopSystemCalls;
using hx::platform::LauncherFile;
using hx::platform::LinuxDesktop;
using Route = hx::platform::LinuxDesktop::ScreenOffRoute;

// Restores an environment variable when the test ends.
class EnvGuard {
  public:
    EnvGuard(const char* name, const QByteArray& value) : name_(name), saved_(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvGuard() {
        if (saved_.isNull())
            qunsetenv(name_);
        else
            qputenv(name_, saved_);
    }

  private:
    const char* name_;
    QByteArray saved_;
};

struct DesktopRecorder {
    QList<QStringList> started;
    QList<QDBusMessage> calls;
    QStringList trusted;
    QSet<QString> programs;
    QSet<QString> services;

    DesktopSystemCalls system() {
        DesktopSystemCalls h;
        h.startDetached = [this](const QString& p, const QStringList& a) {
            started << (QStringList{p} + a);
            return true;
        };
        h.programExists = [this](const QString& p) { return programs.contains(p); };
        h.callSessionBus = [this](const QDBusMessage& m) {
            calls << m;
            return services.contains(m.service());
        };
        h.markTrusted = [this](const QString& path) { trusted << path; };
        return h;
    }
};

QStringList lines(const QString& text) { return text.split(u'\n', Qt::SkipEmptyParts); }

TEST(DesktopExec, ArgumentsAreQuotedAndEscapedForTheLauncherFormat) {
    EXPECT_EQ(LinuxDesktop::execValue({QStringLiteral("/opt/hx/toolbox")}),
              QStringLiteral("/opt/hx/toolbox"));
    EXPECT_EQ(LinuxDesktop::execValue({QStringLiteral("/opt/my apps/tool"), QStringLiteral("-x")}),
              QStringLiteral("\"/opt/my apps/tool\" -x"));
    EXPECT_EQ(LinuxDesktop::execValue({QStringLiteral("a"), QStringLiteral("100%")}),
              QStringLiteral("a 100%%"));
    EXPECT_EQ(
        LinuxDesktop::execValue({QStringLiteral("a"), QStringLiteral("say \"hi\" $HOME `x`")}),
        QStringLiteral("a \"say \\\\\"hi\\\\\" \\\\$HOME \\\\`x\\\\`\""));
    // A literal backslash inside quotes takes four in the file.
    EXPECT_EQ(LinuxDesktop::execValue({QStringLiteral("C:\\x y")}),
              QStringLiteral("\"C:\\\\\\\\x y\""));
    EXPECT_EQ(LinuxDesktop::execValue({QStringLiteral("a"), QString()}), QStringLiteral("a \"\""));
    EXPECT_EQ(LinuxDesktop::execValue(
                  {QStringLiteral("a;b"), QStringLiteral("c&d"), QStringLiteral("~")}),
              QStringLiteral("\"a;b\" \"c&d\" \"~\""));
}

TEST(DesktopLauncher, TextNamesProgramFolderAndIcon) {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("工具 箱"));
    QFile f(program);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    LauncherFile l;
    l.name = QStringLiteral("衡岫电脑工具箱");
    l.comment = QStringLiteral("first line\nsecond");
    l.target = program;
    l.workingDir = dir.path() + u'/';
    l.icon = QStringLiteral("/opt/icons/hx.png");
    const QStringList text = lines(LinuxDesktop::launcherText(l));
    EXPECT_EQ(text.value(0), QStringLiteral("[Desktop Entry]"));
    EXPECT_TRUE(text.contains(QStringLiteral("Type=Application")));
    EXPECT_TRUE(text.contains(QStringLiteral("Name=衡岫电脑工具箱")));
    EXPECT_TRUE(text.contains(QStringLiteral("Comment=first line\\nsecond")));
    EXPECT_TRUE(text.contains(QStringLiteral("Exec=\"") + program + u'"'));
    EXPECT_TRUE(text.contains(QStringLiteral("Path=") + dir.path() + u'/'));
    EXPECT_TRUE(text.contains(QStringLiteral("Icon=/opt/icons/hx.png")));
    EXPECT_TRUE(text.contains(QStringLiteral("Terminal=false")));
}

TEST(DesktopLauncher, DocumentsFoldersAndAddressesAreOpenedNotRun) {
    QTemporaryDir dir;
    LauncherFile folder;
    folder.name = QStringLiteral("f");
    folder.target = dir.path();
    EXPECT_TRUE(lines(LinuxDesktop::launcherText(folder))
                    .contains(QStringLiteral("Exec=xdg-open ") + dir.path()));
    LauncherFile web;
    web.name = QStringLiteral("w");
    web.target = QStringLiteral("http://example.com/?a=1&b=50%");
    EXPECT_TRUE(lines(LinuxDesktop::launcherText(web))
                    .contains(QStringLiteral("Exec=xdg-open \"http://example.com/?a=1&b=50%%\"")));
    // A stored text that is no path stays as it was, even though nothing follows it.
    LauncherFile stored;
    stored.name = QStringLiteral("s");
    stored.target = QStringLiteral("@www.example.com");
    EXPECT_TRUE(lines(LinuxDesktop::launcherText(stored))
                    .contains(QStringLiteral("Exec=@www.example.com")));
}

TEST(DesktopLauncher, WrittenAtomicallyAndExecutable) {
    QTemporaryDir dir;
    DesktopRecorder rec;
    LinuxDesktop desktop(rec.system());
    const QString path = dir.filePath(QStringLiteral("项目.desktop"));
    LauncherFile l;
    l.name = QStringLiteral("项目");
    l.target = QStringLiteral("/bin/true");
    ASSERT_TRUE(desktop.writeLauncher(path, l));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), LinuxDesktop::launcherText(l));
    EXPECT_TRUE(QFileInfo(path).permissions() & QFileDevice::ExeOwner);
    EXPECT_EQ(rec.trusted, QStringList{path});
    // Overwriting replaces the whole file and leaves no temporary beside it.
    l.name = QStringLiteral("改");
    ASSERT_TRUE(desktop.writeLauncher(path, l));
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), LinuxDesktop::launcherText(l));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("项目.desktop")});
}

TEST(DesktopLauncher, UnwritablePlacesFail) {
    QTemporaryDir dir;
    DesktopRecorder rec;
    LinuxDesktop desktop(rec.system());
    LauncherFile l;
    l.name = QStringLiteral("x");
    l.target = QStringLiteral("/bin/true");
    EXPECT_FALSE(desktop.writeLauncher(dir.filePath(QStringLiteral("no/such/dir/x.desktop")), l));
    EXPECT_FALSE(desktop.writeLauncher(dir.path(), l));
    EXPECT_FALSE(desktop.writeLauncher(QString(), l));
    EXPECT_TRUE(rec.trusted.isEmpty());
}

TEST(DesktopDir, TestOverrideWinsAndTrailingSlashGoes) {
    QTemporaryDir dir;
    EnvGuard guard("HENGXIU_DESKTOP_DIR", (dir.path() + QStringLiteral("//")).toUtf8());
    LinuxDesktop desktop;
    EXPECT_EQ(desktop.desktopDir(), dir.path());
}

TEST(DesktopDir, AskedFromTheUserDirsOnce) {
    QTemporaryDir home;
    ASSERT_TRUE(QDir().mkpath(home.filePath(QStringLiteral(".config"))));
    QFile dirs(home.filePath(QStringLiteral(".config/user-dirs.dirs")));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DESKTOP_DIR=\"$HOME/桌面\"\n");
    dirs.close();
    EnvGuard noOverride("HENGXIU_DESKTOP_DIR", QByteArray());
    EnvGuard homeGuard("HOME", home.path().toUtf8());
    EnvGuard configGuard("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toUtf8());
    EnvGuard desktopGuard("XDG_DESKTOP_DIR", QByteArray());
    LinuxDesktop desktop;
    const QString expected =
        QStandardPaths::findExecutable(QStringLiteral("xdg-user-dir")).isEmpty()
            ? home.filePath(QStringLiteral("Desktop"))
            : home.filePath(QStringLiteral("桌面"));
    EXPECT_EQ(desktop.desktopDir(), expected);
    // The answer is kept: changing the file now makes no difference.
    ASSERT_TRUE(QFile::remove(dirs.fileName()));
    EXPECT_EQ(desktop.desktopDir(), expected);
}

TEST(ScreenOff, RouteFollowsTheSession) {
    EXPECT_EQ(LinuxDesktop::screenOffRoute(QStringLiteral("x11"), false, true, true), Route::Dpms);
    EXPECT_EQ(LinuxDesktop::screenOffRoute(QString(), false, true, true), Route::Dpms);
    EXPECT_EQ(LinuxDesktop::screenOffRoute(QStringLiteral("x11"), false, true, false),
              Route::ScreenSaver);
    // Wayland sessions have an Xwayland DISPLAY on which DPMS does nothing.
    EXPECT_EQ(LinuxDesktop::screenOffRoute(QStringLiteral("wayland"), false, true, true),
              Route::ScreenSaver);
    EXPECT_EQ(LinuxDesktop::screenOffRoute(QString(), true, true, true), Route::ScreenSaver);
    EXPECT_EQ(LinuxDesktop::screenOffRoute(QStringLiteral("tty"), false, false, true), Route::None);
}

TEST(ScreenOff, X11UsesDpmsWaylandAsksTheScreenSaver) {
    DesktopRecorder rec;
    rec.programs = {QStringLiteral("xset")};
    LinuxDesktop desktop(rec.system());
    {
        EnvGuard a("XDG_SESSION_TYPE", "x11"), b("WAYLAND_DISPLAY", QByteArray()),
            c("DISPLAY", ":0");
        desktop.monitorOff();
    }
    EXPECT_EQ(rec.started, (QList<QStringList>{{QStringLiteral("xset"), QStringLiteral("dpms"),
                                                QStringLiteral("force"), QStringLiteral("off")}}));
    EXPECT_TRUE(rec.calls.isEmpty());
    {
        EnvGuard a("XDG_SESSION_TYPE", "wayland"), b("WAYLAND_DISPLAY", "wayland-0"),
            c("DISPLAY", ":0");
        rec.services = {QStringLiteral("org.freedesktop.ScreenSaver")};  // not GNOME
        desktop.monitorOff();
    }
    ASSERT_EQ(rec.calls.size(), 2);
    EXPECT_EQ(rec.calls[0].service(), QStringLiteral("org.gnome.ScreenSaver"));
    EXPECT_EQ(rec.calls[1].service(), QStringLiteral("org.freedesktop.ScreenSaver"));
    for (const QDBusMessage& m : rec.calls) {
        EXPECT_EQ(m.member(), QStringLiteral("SetActive"));
        EXPECT_EQ(m.arguments(), QList<QVariant>{true});
    }
    EXPECT_EQ(rec.started.size(), 1);
    {
        EnvGuard a("XDG_SESSION_TYPE", QByteArray()), b("WAYLAND_DISPLAY", QByteArray()),
            c("DISPLAY", QByteArray());
        desktop.monitorOff();
    }
    EXPECT_EQ(rec.calls.size(), 2);
    EXPECT_EQ(rec.started.size(), 1);
}

}  // namespace
