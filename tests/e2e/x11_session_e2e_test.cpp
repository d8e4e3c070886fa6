#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

#include "storage/config.h"
#include "storage/ini_file.h"
#include "storage/item_database.h"
#include "support/temp_root.h"

namespace hx::test {
namespace {

// A real X server with a reparenting window manager, as on a desktop: window
// placement and decorations only show their faults there.
class X11Session : public ::testing::Test {
  protected:
    TempRoot temp;
    QProcess xserver;
    QProcess windowManager;
    QString display;

    void SetUp() override {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        ASSERT_FALSE(xvfb.isEmpty()) << "Xvfb missing: run scripts/install-deps.sh";
        ASSERT_FALSE(openbox.isEmpty()) << "openbox missing: run scripts/install-deps.sh";
        // A loaded machine can be slow to bring a server and its manager up:
        // a failed attempt is torn down and made again.
        bool ready = false;
        for (int attempt = 0; attempt < 3 && !ready; ++attempt) {
            if (attempt > 0) TearDown();
            ready = startServerAndManager(xvfb, openbox);
        }
        ASSERT_TRUE(ready) << "display " << display.toStdString() << ": "
                           << windowManager.readAllStandardError().toStdString();

        ASSERT_TRUE(storage::ItemDatabase::createEmpty(temp.root().databasePath()));
        storage::ItemDatabase db;
        ASSERT_TRUE(db.open(temp.root().databasePath()));
        ASSERT_TRUE(db.addCategory("常用", "Folder.bmp"));
        ASSERT_TRUE(db.addColumn("常用", "文件夹"));
        ASSERT_TRUE(db.addItem({"常用", "文件夹", "根目录", "/", "/"}));
        QDir().mkpath(temp.file("Desktop"));
    }

    bool startServerAndManager(const QString& xvfb, const QString& openbox) {
        // -displayfd 1: the server picks a free display and prints its number.
        xserver.start(
            xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                   QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                   QStringLiteral("tcp")});
        if (!xserver.waitForStarted(10000) ||
            !QTest::qWaitFor([this] { return xserver.canReadLine(); }, 15000))
            return false;
        display = QStringLiteral(":") + QString::fromLatin1(xserver.readLine()).trimmed();
        windowManager.setProcessEnvironment(environment());
        windowManager.start(openbox, {});
        if (!windowManager.waitForStarted(10000)) return false;
        // The manager owns the screen once it names its check window.
        return QTest::qWaitFor(
            [this] {
                return run(QStringLiteral("xprop"),
                           {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                    .contains("window id");
            },
            20000);
    }

    void TearDown() override {
        for (QProcess* p : {&windowManager, &xserver}) {
            p->terminate();
            if (!p->waitForFinished(5000)) p->kill();
            p->waitForFinished(5000);
        }
    }

    // When set: the session has no bus, and this is its runtime folder.
    QString busLessRuntime;
    // When set: searched first for programs (stand-ins).
    QString extraPath;

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!busLessRuntime.isEmpty()) {
            env.remove("DBUS_SESSION_BUS_ADDRESS");
            env.insert("XDG_RUNTIME_DIR", busLessRuntime);
        }
        if (!extraPath.isEmpty())
            env.insert("PATH", extraPath + u':' + env.value(QStringLiteral("PATH")));
        env.insert("DISPLAY", display);
        env.remove("WAYLAND_DISPLAY");
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("LANGUAGE", "zh_CN");  // the window is found by its Chinese title
        env.insert("HENGXIU_POWER", "dry-run");
        env.insert("HENGXIU_DESKTOP_DIR", temp.file("Desktop"));
        env.insert("HENGXIU_PROBE_URL", "http://127.0.0.1:9/");
        return env;
    }

    QByteArray run(const QString& program, const QStringList& args) const {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(program, args);
        p.waitForFinished(10000);
        return p.readAllStandardOutput();
    }

    // The main window's X id once it is mapped, or empty.
    QString windowId() const {
        return QString::fromLatin1(
                   run(QStringLiteral("xdotool"),
                       {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                        QStringLiteral("--name"), QStringLiteral("衡岫电脑工具箱")}))
            .split(u'\n', Qt::SkipEmptyParts)
            .value(0);
    }

    // Starts the program, waits until its window shows, runs `whileShown`,
    // then ends it with SIGTERM as a desktop session would.
    template <class F>
    void startAndStop(F whileShown) {
        QProcess program;
        program.setProcessEnvironment(environment());
        program.start(qEnvironmentVariable("HENGXIU_EXECUTABLE"), {"--root", temp.path()});
        ASSERT_TRUE(program.waitForStarted(10000));
        QString id;
        ASSERT_TRUE(QTest::qWaitFor([&] { return !(id = windowId()).isEmpty(); }, 20000))
            << program.readAllStandardError().toStdString();
        QTest::qWait(300);  // the manager has framed and placed it
        whileShown(id);
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        ASSERT_TRUE(program.waitForFinished(15000));
        EXPECT_EQ(program.exitCode(), 0);
    }

    QString config(const char* key) const {
        return storage::IniFile::read(temp.root().configPath(), QStringLiteral("关闭状态"),
                                      QString::fromUtf8(key));
    }
};

TEST_F(X11Session, PositionRoundTripsExactlyThroughStartAndStop) {
    storage::Config cfg(temp.root());
    cfg.setPosition(200, 100);
    for (int round = 0; round < 3; ++round) {
        startAndStop([](const QString&) {});
        EXPECT_EQ(config("左边"), "200") << "round " << round;
        EXPECT_EQ(config("顶边"), "100") << "round " << round;
    }
}

TEST_F(X11Session, FirstRunAsksForTheOriginAndOffersNoMaximise) {
    ASSERT_FALSE(QFile::exists(temp.root().configPath()));
    QByteArray hints;
    QByteArray place;
    startAndStop([&](const QString& id) {
        hints = run(QStringLiteral("xprop"),
                    {QStringLiteral("-id"), id, QStringLiteral("_MOTIF_WM_HINTS")});
        place = run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), id});
    });
    // The origin is the frame's: the title bar lies on the screen, above the panel.
    const auto at = QRegularExpression(QStringLiteral(R"(Position: (\d+),(\d+))"))
                        .match(QString::fromLatin1(place));
    ASSERT_TRUE(at.hasMatch()) << place.constData();
    EXPECT_GT(at.captured(2).toInt(), 0) << place.constData();
    // Left to itself the manager would have placed the window elsewhere.
    EXPECT_EQ(config("左边"), "0");
    EXPECT_EQ(config("顶边"), "0");
    // Motif hints: flags, functions, ...; functions without MWM_FUNC_MAXIMIZE (16).
    const QList<QByteArray> fields = hints.mid(hints.indexOf('=') + 1).trimmed().split(',');
    ASSERT_GE(fields.size(), 2) << hints.constData();
    const uint functions = fields.at(1).trimmed().toUInt(nullptr, 0);
    EXPECT_EQ(functions & 16u, 0u) << hints.constData();
    EXPECT_NE(functions & 32u, 0u) << "close must stay";
}

TEST_F(X11Session, PanelKeyTogglesThePanelAndAHeldKeyIsSaid) {
    const QString xdotool = QStringLiteral("xdotool");
    startAndStop([&](const QString& id) {
        run(xdotool, {QStringLiteral("windowminimize"), QStringLiteral("--sync"), id});
        ASSERT_TRUE(QTest::qWaitFor([&] { return windowId().isEmpty(); }, 5000));
        run(xdotool, {QStringLiteral("key"), QStringLiteral("ctrl+alt+space")});
        ASSERT_TRUE(QTest::qWaitFor([&] { return windowId() == id; }, 5000))
            << "the key did not bring the panel back";
        // In front and active, the same key puts it away again.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return QString::fromLatin1(run(xdotool, {QStringLiteral("getactivewindow")}))
                           .trimmed() == id;
            },
            5000));
        run(xdotool, {QStringLiteral("key"), QStringLiteral("ctrl+alt+space")});
        EXPECT_TRUE(QTest::qWaitFor([&] { return windowId().isEmpty(); }, 5000));

        // A second program on another root finds the key taken and goes on.
        TempRoot otherRoot;
        ASSERT_TRUE(storage::ItemDatabase::createEmpty(otherRoot.root().databasePath()));
        QProcess second;
        second.setProcessEnvironment(environment());
        second.start(qEnvironmentVariable("HENGXIU_EXECUTABLE"), {"--root", otherRoot.path()});
        QByteArray errors;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                errors += second.readAllStandardError();
                return errors.contains("held by another program");
            },
            20000))
            << errors.constData();
        EXPECT_EQ(second.state(), QProcess::Running);
        second.terminate();
        second.waitForFinished(15000);
    });
}

// Processes whose parent is this test program, other than `ours`.
QStringList childrenExcept(const QList<qint64>& ours) {
    QStringList found;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number || ours.contains(pid)) continue;
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray line = stat.readAll();
        // pid (name) state ppid ...: the name may hold spaces, so count from its end.
        const QList<QByteArray> rest = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (rest.size() < 2 || rest.at(0) == "Z" || rest.at(1).toLongLong() != ::getpid()) continue;
        QFile command("/proc/" + entry + "/cmdline");
        command.open(QIODevice::ReadOnly);
        found << entry + ": " + QString::fromLocal8Bit(command.readAll().replace('\0', ' '));
    }
    return found;
}

// Without a session bus the program talks to none, and starts none on the way
// (X11 autolaunch would leave a bus daemon running after the program ends).
TEST_F(X11Session, WithoutASessionBusNothingIsLeftRunning) {
    QTemporaryDir runtime;  // the session's runtime folder, with no bus in it
    busLessRuntime = runtime.path();
    // What the program leaves behind comes to us instead of to init.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    startAndStop([](const QString&) {});
    QTest::qWait(500);
    const QList<qint64> ours{xserver.processId(), windowManager.processId()};
    const QStringList left = childrenExcept(ours);
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    EXPECT_TRUE(left.isEmpty()) << left.join(" | ").toStdString();
    for (const QString& process : left) {
        const pid_t pid = process.section(u':', 0, 0).toInt();
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

// What the keyboard user does: the key brings the panel, three letters of
// pinyin find the entry, Enter opens it.
TEST_F(X11Session, KeyPinyinAndEnterOpenAnEntry) {
    const QString marker = temp.file("opened");
    const QString script = temp.file("mark.sh");
    ASSERT_TRUE(temp.write("mark.sh", "#!/bin/sh\ntouch \"$1\"\n"));
    QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
    {
        storage::ItemDatabase db;
        ASSERT_TRUE(db.open(temp.root().databasePath()));
        ASSERT_TRUE(db.addItem({"常用", "文件夹", "标记测试",
                                QStringLiteral("&\"%1\" \"%2\"").arg(script, marker), "$2"}));
    }
    const QString xdotool = QStringLiteral("xdotool");
    startAndStop([&](const QString& id) {
        run(xdotool, {QStringLiteral("windowminimize"), QStringLiteral("--sync"), id});
        ASSERT_TRUE(QTest::qWaitFor([&] { return windowId().isEmpty(); }, 5000));
        run(xdotool, {QStringLiteral("key"), QStringLiteral("ctrl+alt+space")});
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return QString::fromLatin1(run(xdotool, {QStringLiteral("getactivewindow")}))
                           .trimmed() == id;
            },
            5000));
        run(xdotool, {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("60"),
                      QStringLiteral("bjc")});
        QTest::qWait(300);
        run(xdotool, {QStringLiteral("key"), QStringLiteral("Return")});
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(marker); }, 10000))
            << "the entry was not opened";
    });
}

// The key, then ten letters at once, before the panel has the focus: all ten
// reach the search line, in order (seen in the web search they open, through
// a stand-in for xdg-open).
TEST_F(X11Session, TenLettersTypedRightAfterThePanelKeyAllReachTheLine) {
    const QString marker = temp.file("searched");
    ASSERT_TRUE(temp.write(
        "bin/xdg-open",
        QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"%1\"\n").arg(marker).toUtf8()));
    QFile::setPermissions(temp.file("bin/xdg-open"), QFile::ReadOwner | QFile::ExeOwner);
    extraPath = temp.file("bin");
    ASSERT_TRUE(storage::IniFile::write(temp.root().configPath(), QStringLiteral("快速打开"),
                                        QStringLiteral("搜索地址"),
                                        QStringLiteral("http://127.0.0.1:9/?q=%s")));
    const QString xdotool = QStringLiteral("xdotool");
    startAndStop([&](const QString& id) {
        run(xdotool, {QStringLiteral("windowminimize"), QStringLiteral("--sync"), id});
        ASSERT_TRUE(QTest::qWaitFor([&] { return windowId().isEmpty(); }, 5000));
        // Another program has the focus, as when the user works in it.
        QProcess other;
        other.setProcessEnvironment(environment());
        other.start(QStringLiteral("xeyes"), {});
        QString otherId;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                otherId =
                    QString::fromLatin1(
                        run(xdotool, {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                      QStringLiteral("--class"), QStringLiteral("xeyes")}))
                        .section(u'\n', 0, 0);
                return !otherId.isEmpty();
            },
            10000));
        run(xdotool, {QStringLiteral("windowactivate"), QStringLiteral("--sync"), otherId});
        // A busy desktop: the window manager maps and focuses the panel only
        // some time after the letters were typed.
        const auto manager = static_cast<pid_t>(windowManager.processId());
        ::kill(manager, SIGSTOP);
        run(xdotool,
            {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("0"),
             QStringLiteral("ctrl+alt+space"), QStringLiteral("q"), QStringLiteral("z"),
             QStringLiteral("x"), QStringLiteral("w"), QStringLiteral("v"), QStringLiteral("j"),
             QStringLiteral("q"), QStringLiteral("z"), QStringLiteral("x"), QStringLiteral("k")});
        QTest::qWait(300);
        ::kill(manager, SIGCONT);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return QString::fromLatin1(run(xdotool, {QStringLiteral("getactivewindow")}))
                           .trimmed() == id;
            },
            5000));
        QTest::qWait(500);
        run(xdotool, {QStringLiteral("key"), QStringLiteral("Return")});
        // The stand-in creates the file before it writes the line.
        ASSERT_TRUE(QTest::qWaitFor([&] { return temp.read("searched").endsWith('\n'); }, 10000))
            << "nothing was searched for";
        EXPECT_EQ(temp.read("searched"), "http://127.0.0.1:9/?q=qzxwvjqzxk\n");
        other.kill();
        other.waitForFinished(5000);
    });
}

}  // namespace
}  // namespace hx::test
