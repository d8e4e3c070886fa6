#include <gtest/gtest.h>
#include <unistd.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>

#include "storage/config.h"
#include "storage/item_database.h"
#include "support/temp_root.h"

namespace hx::test {
namespace {

int freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

void stop(QProcess& p) {
    if (p.state() == QProcess::NotRunning) return;
    p.terminate();
    if (!p.waitForFinished(10000)) p.kill();
    p.waitForFinished(5000);
}

// One Syncthing on 127.0.0.1 only: no discovery, relays, NAT, reporting or
// upgrades; its one folder shared with one peer at a known port.
struct Syncthing {
    QTemporaryDir home;
    QTemporaryDir folder;
    QString id;
    int port = freePort();
    QProcess process;

    bool generate() {
        QProcess gen;
        gen.setProcessChannelMode(QProcess::MergedChannels);
        gen.start(QStringLiteral("syncthing"),
                  {QStringLiteral("generate"), QStringLiteral("--home=") + home.path(),
                   QStringLiteral("--no-default-folder")});
        if (!gen.waitForFinished(60000)) return false;
        const auto found = QRegularExpression(QStringLiteral("Device ID: ([A-Z0-9-]+)"))
                               .match(QString::fromUtf8(gen.readAll()));
        id = found.captured(1);
        return !id.isEmpty() && QDir().mkpath(folder.filePath(QStringLiteral(".stfolder")));
    }

    bool configure(const Syncthing& peer) const {
        const QString xml = QStringLiteral(R"(<configuration version="36">
    <folder id="hengxiu" label="hengxiu" path="%1" type="sendreceive" rescanIntervalS="3600"
            fsWatcherEnabled="true" fsWatcherDelayS="1">
        <device id="%2"></device>
        <device id="%3"></device>
    </folder>
    <device id="%2" name="self"><address>dynamic</address></device>
    <device id="%3" name="peer"><address>tcp://127.0.0.1:%5</address></device>
    <gui enabled="false"></gui>
    <options>
        <listenAddress>tcp://127.0.0.1:%4</listenAddress>
        <globalAnnounceEnabled>false</globalAnnounceEnabled>
        <localAnnounceEnabled>false</localAnnounceEnabled>
        <relaysEnabled>false</relaysEnabled>
        <natEnabled>false</natEnabled>
        <urAccepted>-1</urAccepted>
        <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
        <crashReportingEnabled>false</crashReportingEnabled>
        <stunKeepaliveStartS>0</stunKeepaliveStartS>
        <startBrowser>false</startBrowser>
        <reconnectionIntervalS>1</reconnectionIntervalS>
    </options>
</configuration>
)")
                                .arg(folder.path(), id, peer.id)
                                .arg(port)
                                .arg(peer.port);
        QFile file(home.filePath(QStringLiteral("config.xml")));
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(xml.toUtf8()) == xml.toUtf8().size();
    }

    bool start() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("STNOUPGRADE", "1");
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("syncthing"),
                      {QStringLiteral("serve"), QStringLiteral("--home=") + home.path(),
                       QStringLiteral("--no-browser"), QStringLiteral("--no-restart"),
                       QStringLiteral("--no-default-folder")});
        return process.waitForStarted(10000);
    }
};

// Rows of one root's catalogue, read beside the running panel.
QStringList rows(const TempRoot& root, const std::string& sql) {
    QStringList out;
    try {
        SQLite::Database db(root.root().databasePath().toStdString(), SQLite::OPEN_READONLY);
        SQLite::Statement q(db, sql);
        while (q.executeStep()) out << QString::fromStdString(q.getColumn(0).getString());
    } catch (const std::exception&) {
    }
    return out;
}
QStringList columns(const TempRoot& r) {
    return rows(r, "SELECT 栏目 FROM 表2 WHERE 分类 = '常用' ORDER BY rowid");
}
QStringList entries(const TempRoot& r) {
    return rows(
        r,
        "SELECT 名称文本 FROM 表1 WHERE 分类文本 = '常用' AND 栏目文本 = '文件夹' ORDER BY rowid");
}

// Two panels on two data roots, each with a Syncthing of its own, under
// Xvfb with openbox: what the user does on one shows on the other.
class SyncthingPair : public ::testing::Test {
  protected:
    QProcess xserver, windowManager;
    QString display;
    Syncthing syncA, syncB;
    TempRoot rootA, rootB;
    QProcess panelA, panelB;

    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("syncthing")).isEmpty())
            GTEST_SKIP() << "syncthing is not installed (scripts/install-deps.sh installs it)";
        ASSERT_TRUE(startDisplay()) << "no free display among :30 to :39";
        windowManager.setProcessEnvironment(environment());
        windowManager.start(QStringLiteral("openbox"), {});
        ASSERT_TRUE(windowManager.waitForStarted(10000));
        ASSERT_TRUE(QTest::qWaitFor(
            [this] {
                return run(QStringLiteral("xprop"),
                           {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                    .contains("window id");
            },
            20000));

        ASSERT_TRUE(syncA.generate() && syncB.generate());
        ASSERT_TRUE(syncA.configure(syncB) && syncB.configure(syncA));
        ASSERT_TRUE(syncA.start() && syncB.start());

        for (TempRoot* r : {&rootA, &rootB}) {
            ASSERT_TRUE(storage::ItemDatabase::createEmpty(r->root().databasePath()));
            QDir().mkpath(r->file(QStringLiteral("Desktop")));
        }
        storage::ItemDatabase db;
        ASSERT_TRUE(db.open(rootA.root().databasePath()));
        ASSERT_TRUE(db.addCategory("常用", "Folder.bmp"));
        ASSERT_TRUE(db.addColumn("常用", "文件夹"));
        ASSERT_TRUE(db.addItem({"常用", "文件夹", "根目录", "/", "/"}));
        db.close();
        storage::Config a(rootA.root()), b(rootB.root());
        a.setSyncFolder(syncA.folder.path());
        b.setSyncFolder(syncB.folder.path());
        a.setPosition(40, 40);
        b.setPosition(420, 40);
        startPanel(panelA, rootA);
        startPanel(panelB, rootB);
        ASSERT_TRUE(QTest::qWaitFor([&] { return entries(rootB) == QStringList{"根目录"}; }, 90000))
            << "the catalogue never reached the second panel";
    }

    void TearDown() override {
        for (QProcess* p :
             {&panelA, &panelB, &syncA.process, &syncB.process, &windowManager, &xserver})
            stop(*p);
    }

    bool startDisplay() {
        for (int n = 30; n <= 39; ++n) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) continue;
            xserver.start(QStringLiteral("Xvfb"),
                          {QStringLiteral(":%1").arg(n), QStringLiteral("-screen"),
                           QStringLiteral("0"), QStringLiteral("1024x600x24"),
                           QStringLiteral("-nolisten"), QStringLiteral("tcp")});
            if (!xserver.waitForStarted(10000)) continue;
            if (QTest::qWaitFor(
                    [&] {
                        return QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) ||
                               xserver.state() == QProcess::NotRunning;
                    },
                    15000) &&
                xserver.state() == QProcess::Running) {
                display = QStringLiteral(":%1").arg(n);
                return true;
            }
            stop(xserver);
        }
        return false;
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        env.remove("WAYLAND_DISPLAY");
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("LANGUAGE", "zh_CN");
        env.insert("HENGXIU_POWER", "dry-run");
        env.insert("HENGXIU_PROBE_URL", "http://127.0.0.1:9/");
        return env;
    }

    void startPanel(QProcess& panel, const TempRoot& root) {
        QProcessEnvironment env = environment();
        env.insert("HENGXIU_DESKTOP_DIR", root.file(QStringLiteral("Desktop")));
        panel.setProcessEnvironment(env);
        panel.start(qEnvironmentVariable("HENGXIU_EXECUTABLE"), {"--root", root.path()});
        ASSERT_TRUE(panel.waitForStarted(10000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !windowOf(panel).isEmpty(); }, 30000));
    }

    QByteArray run(const QString& program, const QStringList& args) const {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(program, args);
        p.waitForFinished(10000);
        return p.readAllStandardOutput();
    }
    QString windowOf(const QProcess& panel) const {
        return QString::fromLatin1(
                   run(QStringLiteral("xdotool"),
                       {QStringLiteral("search"), QStringLiteral("--all"),
                        QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                        QString::number(panel.processId()), QStringLiteral("--name"),
                        QStringLiteral("衡岫电脑工具箱")}))
            .split(u'\n', Qt::SkipEmptyParts)
            .value(0);
    }
    void xdotool(const QStringList& args) { run(QStringLiteral("xdotool"), args); }
    // Keys as the user presses them, with a pause for the window they open.
    void keys(const QStringList& names) {
        for (const QString& k : names) {
            xdotool({QStringLiteral("key"), k});
            QTest::qWait(150);
        }
    }
    void type(const QString& text) {
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
        QTest::qWait(200);
    }
    void rightClick(const QProcess& panel, int x, int y) {
        const QString win = windowOf(panel);
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), win});
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), win, QString::number(x),
                 QString::number(y), QStringLiteral("click"), QStringLiteral("3")});
        QTest::qWait(500);
    }
    // The column menu of the first header: 新建栏目, 修改栏目, 删除栏目.
    void columnMenu(const QProcess& panel, int entry) {
        rightClick(panel, 129, 76);
        QStringList downs;
        for (int i = 0; i <= entry; ++i) downs << QStringLiteral("Down");
        keys(downs << QStringLiteral("Return"));
        QTest::qWait(500);
    }
    // With HX_DOCS_DIR set: the screen as it is now, for the documentation.
    void keepPicture(const char* name) {
        const QString docs = qEnvironmentVariable("HX_DOCS_DIR");
        if (docs.isEmpty()) return;
        QTest::qWait(1500);  // both panels have painted what they stored
        picture(docs + u'/' + QLatin1String(name));
    }
    void picture(const QString& file) {
        QProcess xwd, convert;
        xwd.setProcessEnvironment(environment());
        xwd.setStandardOutputProcess(&convert);
        xwd.start(QStringLiteral("xwd"), {QStringLiteral("-root")});
        convert.start(QStringLiteral("convert"), {QStringLiteral("xwd:-"), file});
        xwd.waitForFinished(10000);
        convert.waitForFinished(10000);
    }

    // Waits for `shown` on the other root and says how long after this
    // root's file reached the other's folder it took.
    bool arrives(const Syncthing& to, const QString& file, const std::function<bool()>& shown,
                 const char* what) {
        const QString path = to.folder.filePath(file);
        const QDateTime before = QFileInfo(path).lastModified();
        QElapsedTimer clock;
        clock.start();
        qint64 delivered = -1;
        const bool ok = QTest::qWaitFor(
            [&] {
                if (delivered < 0 && QFileInfo(path).lastModified() != before)
                    delivered = clock.elapsed();
                return shown();
            },
            90000);
        const qint64 at = clock.elapsed();
        std::printf("[ sync     ] %s: delivered after %lld ms, shown %lld ms after delivery\n",
                    what, static_cast<long long>(delivered),
                    static_cast<long long>(at - delivered));
        return ok;
    }
    QString fileOf(const TempRoot& root) const {
        return QString::fromUtf8([&] {
                   QFile f(root.file(QStringLiteral("User/SyncId")));
                   f.open(QIODevice::ReadOnly);
                   return f.readLine().trimmed();
               }()) +
               QStringLiteral(".hxsync");
    }
};

TEST_F(SyncthingPair, AddRenameAndDeleteOnOnePanelShowOnTheOther) {
    const QString fileA = fileOf(rootA);
    const auto entriesOf = [](const TempRoot& r, const char* column) {
        return rows(r, std::string("SELECT 名称文本 FROM 表1 WHERE 栏目文本 = '") + column +
                           "' ORDER BY rowid");
    };
    // A column through the column menu's input box; it opens.
    columnMenu(panelA, 0);
    keys({QStringLiteral("ctrl+a")});
    type(QStringLiteral("Sync1"));
    keys({QStringLiteral("Return")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return columns(rootA).contains("Sync1"); }, 10000))
        << "the column was not added on the first panel";
    EXPECT_TRUE(arrives(
        syncB, fileA, [&] { return columns(rootB).contains("Sync1"); }, "add column"));

    // An entry in it through "添加超链接" of the item menu.
    rightClick(panelA, 130, 300);
    keys({"Down", "Down", "Down", "Down", "Down", "Return"});
    QTest::qWait(800);
    type(QStringLiteral("Web1"));
    keys({QStringLiteral("Tab")});
    type(QStringLiteral("http://127.0.0.1/"));
    keys({QStringLiteral("Tab"), QStringLiteral("space")});
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return entriesOf(rootA, "Sync1") == QStringList{"Web1"}; }, 10000))
        << "the entry was not added on the first panel";
    EXPECT_TRUE(arrives(
        syncB, fileA, [&] { return entriesOf(rootB, "Sync1") == QStringList{"Web1"}; },
        "add entry"));
    keys({QStringLiteral("alt+F4")});  // the web link window

    // The first header renamed, its entry going along, then deleted.
    columnMenu(panelA, 1);
    keys({QStringLiteral("ctrl+a")});
    type(QStringLiteral("Renamed"));
    keys({QStringLiteral("Return")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return columns(rootA).value(0) == "Renamed"; }, 10000));
    EXPECT_TRUE(arrives(
        syncB, fileA,
        [&] {
            return columns(rootB) == QStringList{"Renamed", "Sync1"} &&
                   entriesOf(rootB, "Renamed") == QStringList{"根目录"};
        },
        "rename"));

    columnMenu(panelA, 2);
    keys({QStringLiteral("y")});  // "是(Y)"
    ASSERT_TRUE(QTest::qWaitFor([&] { return columns(rootA) == QStringList{"Sync1"}; }, 10000));
    EXPECT_TRUE(arrives(
        syncB, fileA,
        [&] {
            return columns(rootB) == QStringList{"Sync1"} &&
                   rows(rootB, "SELECT 名称文本 FROM 表1") == QStringList{"Web1"};
        },
        "delete"));
    keepPicture("sync-two-panels.png");
}

// Both rename one column while B's Syncthing is stopped: once it runs again
// both end with the later name, and the earlier is in A's safety copy.
TEST_F(SyncthingPair, AChangeMadeOnBothWhileApartConverges) {
    stop(syncB.process);
    columnMenu(panelA, 1);
    keys({QStringLiteral("ctrl+a")});
    type(QStringLiteral("FromA"));
    keys({QStringLiteral("Return")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return columns(rootA) == QStringList{"FromA"}; }, 10000));
    const QString fileA = syncA.folder.filePath(fileOf(rootA));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QFile f(fileA);
            return f.open(QIODevice::ReadOnly) && f.readAll().contains("FromA");
        },
        20000));

    columnMenu(panelB, 1);
    keys({QStringLiteral("ctrl+a")});
    type(QStringLiteral("FromB"));
    keys({QStringLiteral("Return")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return columns(rootB) == QStringList{"FromB"}; }, 10000));
    const QString fileB = syncB.folder.filePath(fileOf(rootB));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QFile f(fileB);
            return f.open(QIODevice::ReadOnly) && f.readAll().contains("FromB");
        },
        20000));
    EXPECT_EQ(columns(rootA), QStringList{"FromA"}) << "nothing may travel while apart";

    ASSERT_TRUE(syncB.start());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return columns(rootA) == QStringList{"FromB"} && columns(rootB) == QStringList{"FromB"};
        },
        90000))
        << columns(rootA).join(u',').toStdString() << " / "
        << columns(rootB).join(u',').toStdString();
    EXPECT_EQ(entries(rootA), QStringList{}) << "entries follow their column's name";
    EXPECT_EQ(rows(rootA, "SELECT 名称文本 FROM 表1 WHERE 栏目文本 = 'FromB'"),
              QStringList{"根目录"});
    // Nothing lost: A's own name is in the copy it made before the merge.
    const QStringList copies =
        QDir(rootA.root().backupDir()).entryList({QStringLiteral("自动备份-*.mdb")}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    SQLite::Database copy((rootA.root().backupDir() + u'/' + copies.first()).toStdString(),
                          SQLite::OPEN_READONLY);
    SQLite::Statement q(copy, "SELECT 栏目 FROM 表2");
    ASSERT_TRUE(q.executeStep());
    EXPECT_EQ(q.getColumn(0).getString(), "FromA");
    keepPicture("sync-conflict.png");
}

}  // namespace
}  // namespace hx::test
