#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "platform/linux/linux_shell.h"
#include "support/private_bus.h"

namespace {

using hx::platform::LinuxShell;
using hx::platform::ShellSystemCalls;

// Everything the shell hands to the desktop, nothing reaching it.
struct Recorder {
    QList<QUrl> opened;
    QList<QStringList> started;  // program first
    bool openResult = true;
    bool startResult = true;
    QSet<QString> programs;
    QSet<QString> locations;

    ShellSystemCalls system() {
        ShellSystemCalls h;
        h.openUrl = [this](const QUrl& url) {
            opened << url;
            return openResult;
        };
        h.startDetached = [this](const QString& program, const QStringList& args) {
            started << (QStringList{program} + args);
            return startResult;
        };
        h.programExists = [this](const QString& p) { return programs.contains(p); };
        h.locationSupported = [this](const QString& l) { return locations.contains(l); };
        return h;
    }
};

bool waitForFile(const QString& path) {
    return QTest::qWaitFor([&] { return QFileInfo::exists(path); }, 10000);
}

TEST(LinuxShellUrl, WebAddressesPathsAndNothingElse) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(LinuxShell::urlFor(QStringLiteral("http://example.com/a b")).toString(),
              QStringLiteral("http://example.com/a b"));
    EXPECT_EQ(LinuxShell::urlFor(QStringLiteral("http://example.com/a b")).toEncoded(),
              QByteArray("http://example.com/a%20b"));
    EXPECT_EQ(LinuxShell::urlFor(QStringLiteral("www.example.cn/x")).toString(),
              QStringLiteral("http://www.example.cn/x"));
    EXPECT_EQ(LinuxShell::urlFor(QStringLiteral("mailto:a@b.cn")).scheme(),
              QStringLiteral("mailto"));
    EXPECT_EQ(LinuxShell::urlFor(dir.path()), QUrl::fromLocalFile(dir.path()));
    EXPECT_FALSE(LinuxShell::urlFor(QString()).isValid());
    EXPECT_FALSE(LinuxShell::urlFor(QStringLiteral("random words")).isValid());
    EXPECT_FALSE(LinuxShell::urlFor(QStringLiteral("C:\\Windows\\notepad.exe")).isValid());
    EXPECT_FALSE(LinuxShell::urlFor(dir.path() + QStringLiteral("/missing")).isValid());
}

TEST(LinuxShellOpen, HandsUrlsToTheDesktopAndReportsItsAnswer) {
    Recorder rec;
    LinuxShell shell(rec.system());
    QTemporaryDir dir;
    EXPECT_TRUE(shell.open(QStringLiteral("www.example.com")));
    EXPECT_TRUE(shell.open(dir.path()));
    rec.openResult = false;
    EXPECT_FALSE(shell.open(QStringLiteral("https://example.com/")));
    EXPECT_FALSE(shell.open(QStringLiteral("neither path nor address")));
    EXPECT_FALSE(shell.open(QString()));
    EXPECT_EQ(rec.opened, (QList<QUrl>{QUrl(QStringLiteral("http://www.example.com")),
                                       QUrl::fromLocalFile(dir.path()),
                                       QUrl(QStringLiteral("https://example.com/"))}));
    EXPECT_TRUE(rec.started.isEmpty());
}

TEST(LinuxShellOpen, ExecutableFileIsRunAndFallsBackToItsApplication) {
    Recorder rec;
    LinuxShell shell(rec.system());
    QTemporaryDir dir;
    const QString tool = dir.filePath(QStringLiteral("tool"));
    QFile f(tool);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(shell.open(tool));
    EXPECT_EQ(rec.started, QList<QStringList>{QStringList{tool}});
    EXPECT_TRUE(rec.opened.isEmpty());

    rec.startResult = false;  // e.g. a document on a FAT stick
    EXPECT_TRUE(shell.open(tool));
    EXPECT_EQ(rec.opened, QList<QUrl>{QUrl::fromLocalFile(tool)});
}

TEST(LinuxShellStart, SplitsTheLineAndStartsDirectly) {
    Recorder rec;
    LinuxShell shell(rec.system());
    EXPECT_TRUE(shell.startProcess(QStringLiteral("prog \"a b\" c \"\"\"q\"\"\" ;")));
    ASSERT_EQ(rec.started.size(), 1);
    EXPECT_EQ(rec.started[0],
              (QStringList{QStringLiteral("prog"), QStringLiteral("a b"), QStringLiteral("c"),
                           QStringLiteral("\"q\""), QStringLiteral(";")}));
    rec.startResult = false;
    EXPECT_FALSE(shell.startProcess(QStringLiteral("missing")));
    EXPECT_FALSE(shell.startProcess(QString()));
    EXPECT_FALSE(shell.startProcess(QStringLiteral("   ")));
    EXPECT_EQ(rec.started.size(), 2);
}

TEST(LinuxShellStart, WellKnownCommandsReachTheirEquivalents) {
    Recorder rec;
    rec.programs = {QStringLiteral("systemsettings")};
    LinuxShell shell(rec.system());
    EXPECT_TRUE(shell.startProcess(QStringLiteral("control.exe")));
    EXPECT_EQ(rec.started, QList<QStringList>{QStringList{QStringLiteral("systemsettings")}});
    // No registry-editor substitute installed: failure, so the caller falls back.
    EXPECT_FALSE(shell.startProcess(QStringLiteral("regedt32")));

    rec.locations = {QStringLiteral("computer")};
    rec.openResult = false;  // the file manager refuses computer:///, home is tried next
    EXPECT_FALSE(shell.startProcess(
        QStringLiteral("Explorer.exe /n,::{20D04FE0-3AEA-1069-A2D8-08002B30309D}")));
    EXPECT_EQ(rec.opened, (QList<QUrl>{QUrl(QStringLiteral("computer:///")),
                                       QUrl::fromLocalFile(QDir::homePath())}));
}

TEST(LinuxShellStart, StartUpProgramsFolderIsCreatedWhenMissing) {
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    Recorder rec;
    LinuxShell shell(rec.system());
    EXPECT_TRUE(shell.startProcess(QStringLiteral("msconfig")));
    const QString autostart = dir.filePath(QStringLiteral("autostart"));
    EXPECT_TRUE(QFileInfo(autostart).isDir());
    EXPECT_EQ(rec.opened, QList<QUrl>{QUrl::fromLocalFile(autostart)});
    if (saved.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", saved);
}

TEST(LinuxShellRealProcess, StartsAProgramWithQuotedArguments) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    LinuxShell shell;
    const QString plain = dir.filePath(QStringLiteral("marker"));
    ASSERT_TRUE(shell.startProcess(QStringLiteral("/bin/touch ") + plain));
    EXPECT_TRUE(waitForFile(plain));

    const QString spaced = dir.filePath(QStringLiteral("a b"));
    ASSERT_TRUE(shell.startProcess(QStringLiteral("/bin/touch \"") + spaced + u'"'));
    EXPECT_TRUE(waitForFile(spaced));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("a"))));
}

TEST(LinuxShellRealProcess, ShellMetacharactersMeanNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    LinuxShell shell;
    const QString injected = dir.filePath(QStringLiteral("injected"));
    const QString sentinel = dir.filePath(QStringLiteral("sentinel"));
    ASSERT_TRUE(shell.startProcess(QStringLiteral("/bin/echo hi; /bin/touch ") + injected));
    ASSERT_TRUE(shell.startProcess(QStringLiteral("/bin/echo $(/bin/touch ") + injected +
                                   QStringLiteral(") | /bin/touch ") + injected));
    // Once a later, harmless process has run, the echoes are long over.
    ASSERT_TRUE(shell.startProcess(QStringLiteral("/bin/touch ") + sentinel));
    ASSERT_TRUE(waitForFile(sentinel));
    QTest::qWait(200);
    EXPECT_FALSE(QFileInfo::exists(injected));
}

TEST(LinuxShellRealProcess, MissingProgramIsAFailure) {
    LinuxShell shell;
    EXPECT_FALSE(shell.startProcess(QStringLiteral("/nonexistent/hx-no-such-program --x")));
    EXPECT_FALSE(shell.startProcess(QStringLiteral("hx-no-such-program-on-path")));
}

// A file manager on a private bus, recording what it is asked.
class FakeFileManager final : public QDBusVirtualObject {
  public:
    QList<QDBusMessage> calls;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        calls << message;
        connection.send(message.createReply());
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
};

using hx::test::PrivateBus;

TEST_F(PrivateBus, FileManagerIsAskedToShowItemsAndProperties) {
    QDBusConnection service = connect(QStringLiteral("hx-test-fm"));
    ASSERT_TRUE(service.isConnected());
    FakeFileManager fm;
    ASSERT_TRUE(
        service.registerVirtualObject(QStringLiteral("/org/freedesktop/FileManager1"), &fm));
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.FileManager1")));

    Recorder rec;
    LinuxShell shell(rec.system(), connect(QStringLiteral("hx-test-shell")));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("报告 1.txt"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    EXPECT_TRUE(shell.showInFolder(file));
    EXPECT_TRUE(shell.showProperties(file));
    ASSERT_TRUE(QTest::qWaitFor([&] { return fm.calls.size() == 2; }, 10000));
    const QString uri = QString::fromUtf8(QUrl::fromLocalFile(file).toEncoded());
    EXPECT_EQ(fm.calls[0].member(), QStringLiteral("ShowItems"));
    EXPECT_EQ(fm.calls[1].member(), QStringLiteral("ShowItemProperties"));
    for (const QDBusMessage& call : fm.calls) {
        EXPECT_EQ(call.interface(), QStringLiteral("org.freedesktop.FileManager1"));
        EXPECT_EQ(call.signature(), QStringLiteral("ass"));
        ASSERT_EQ(call.arguments().size(), 2);
        EXPECT_EQ(call.arguments()[0].toStringList(), QStringList{uri});
        EXPECT_EQ(call.arguments()[1].toString(), QString());
    }
    EXPECT_TRUE(rec.opened.isEmpty());
}

TEST_F(PrivateBus, WithoutFileManagerTheParentFolderOpens) {
    Recorder rec;
    LinuxShell shell(rec.system(), connect(QStringLiteral("hx-test-shell2")));
    QTemporaryDir dir;
    const QString sub = dir.filePath(QStringLiteral("sub"));
    ASSERT_TRUE(QDir().mkpath(sub));
    EXPECT_TRUE(shell.showInFolder(sub));
    EXPECT_TRUE(shell.showProperties(sub));
    EXPECT_EQ(rec.opened,
              (QList<QUrl>{QUrl::fromLocalFile(dir.path()), QUrl::fromLocalFile(dir.path())}));
    // Links that are no path (web addresses, command lines) have no folder.
    EXPECT_FALSE(shell.showInFolder(QStringLiteral("@www.example.com")));
    EXPECT_FALSE(shell.showProperties(QStringLiteral("&control.exe")));
    EXPECT_FALSE(shell.showInFolder(QString()));
    EXPECT_EQ(rec.opened.size(), 2);
}

}  // namespace
