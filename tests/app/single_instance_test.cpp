#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <future>
#include <memory>
#include <optional>
#include <vector>

#include "app/command_line.h"
#include "app/single_instance.h"
#include "support/scoped_env.h"

namespace hx::app {
namespace {

class SingleInstanceTest : public ::testing::Test {
  protected:
    QTemporaryDir runtime;
    QTemporaryDir rootA;
    QTemporaryDir rootB;
    test::ScopedEnv env{"XDG_RUNTIME_DIR", runtime.path().toUtf8()};

    // Hands over from another thread while this one serves, as a second
    // process would; returns what the sender saw.
    bool handOverWhileServing(SingleInstance& sender, PanelRequest request) {
        auto sent = std::async(std::launch::async,
                               [&sender, request] { return sender.handOver(request, 3000); });
        while (sent.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return sent.get();
    }
};

TEST_F(SingleInstanceTest, SecondStartOnTheSameRootHandsOverOnAnotherRootRuns) {
    SingleInstance first(rootA.path());
    ASSERT_EQ(first.claim(), SingleInstance::Claim::Held);
    EXPECT_TRUE(SingleInstance::socketPath(rootA.path()).startsWith(runtime.path()));
    // The same folder spelt differently is still the same root.
    SingleInstance second(rootA.path() + QStringLiteral("/./"));
    EXPECT_EQ(second.claim(), SingleInstance::Claim::Taken);

    std::vector<PanelRequest> received;
    QObject::connect(&first, &SingleInstance::requested,
                     [&received](PanelRequest r) { received.push_back(r); });
    EXPECT_TRUE(handOverWhileServing(second, PanelRequest::Toggle));
    EXPECT_TRUE(handOverWhileServing(second, PanelRequest::Show));
    QTRY_COMPARE(received.size(), size_t{2});
    EXPECT_EQ(received[0], PanelRequest::Toggle);
    EXPECT_EQ(received[1], PanelRequest::Show);

    SingleInstance other(rootB.path());
    EXPECT_EQ(other.claim(), SingleInstance::Claim::Held);
}

TEST_F(SingleInstanceTest, LockAndSocketLeftByAKilledProgramAreTakenOver) {
    const QString path = SingleInstance::socketPath(rootA.path());
    // A socket file nobody listens on.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    ASSERT_LT(bytes.size(), qsizetype(sizeof(address.sun_path)));
    std::memcpy(address.sun_path, bytes.constData(), bytes.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    // A lock naming a process that has ended.
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    QFile lock(path + QStringLiteral(".lock"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(child) + "\nhengxiu-toolbox\n" +
               QSysInfo::machineHostName().toUtf8() + '\n');
    lock.close();

    SingleInstance nobodyThere(rootB.path());
    EXPECT_FALSE(nobodyThere.handOver(PanelRequest::Show, 200));

    SingleInstance heir(rootA.path());
    ASSERT_EQ(heir.claim(), SingleInstance::Claim::Held);
    int shown = 0;
    QObject::connect(&heir, &SingleInstance::requested, [&shown](PanelRequest) { ++shown; });
    SingleInstance later(rootA.path());
    EXPECT_EQ(later.claim(), SingleInstance::Claim::Taken);
    EXPECT_TRUE(handOverWhileServing(later, PanelRequest::Show));
    QTRY_COMPARE(shown, 1);
}

// A client of our own making: a raw connection that sends what it is told.
class RawClient {
  public:
    explicit RawClient(const QString& socketPath) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray bytes = QFile::encodeName(socketPath);
        std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~RawClient() { close(); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return connected_; }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    // Sends as much of `bytes` as the other end takes, serving meanwhile;
    // stops when the other end has closed.
    void send(const QByteArray& bytes) {
        qsizetype sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(fd_, bytes.constData() + sent, size_t(bytes.size() - sent),
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) sent += n;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return;
            if (n < 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }
    // Takes what has arrived; true once the other end has closed.
    bool closedByPeer() {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(fd_, buffer, sizeof(buffer), MSG_DONTWAIT);
            if (n > 0) {
                received.append(buffer, n);
                continue;
            }
            return n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        }
    }
    QByteArray received;

  private:
    int fd_ = -1;
    bool connected_ = false;
};

// Lowers the open-file limit to the descriptors already open, for one scope.
class NoMoreDescriptors {
  public:
    NoMoreDescriptors() {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        ::close(lowestFree);
        rlimit tight = saved_;
        tight.rlim_cur = rlim_t(lowestFree);
        ::setrlimit(RLIMIT_NOFILE, &tight);
    }
    ~NoMoreDescriptors() { ::setrlimit(RLIMIT_NOFILE, &saved_); }

  private:
    rlimit saved_{};
};

TEST_F(SingleInstanceTest, KeepsListeningWhenDescriptorsRunOut) {
    SingleInstance holder(rootA.path());
    ASSERT_EQ(holder.claim(), SingleInstance::Claim::Held);
    const QString path = SingleInstance::socketPath(rootA.path());
    std::vector<std::unique_ptr<RawClient>> queued;
    {
        // The clients come while the holder cannot take a single one.
        std::vector<std::unique_ptr<RawClient>> clients;
        for (int i = 0; i < 5; ++i) clients.push_back(std::make_unique<RawClient>(path));
        const NoMoreDescriptors tight;
        for (auto& client : clients) {
            ASSERT_TRUE(client->connected());
            client->send("show\n");
        }
        for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        queued = std::move(clients);
    }
    EXPECT_TRUE(QFileInfo::exists(path));
    // With descriptors back, the queued clients are answered, and a later start too.
    for (auto& client : queued) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return client->closedByPeer(); }, 10000));
        EXPECT_EQ(client->received, "ok\n");
    }
    SingleInstance later(rootA.path());
    EXPECT_TRUE(handOverWhileServing(later, PanelRequest::Show));
}

TEST_F(SingleInstanceTest, FewConnectionsAtOnceAndNoneForLong) {
    SingleInstance holder(rootA.path());
    holder.setLimits({4, 60000, 300});
    ASSERT_EQ(holder.claim(), SingleInstance::Claim::Held);
    const QString path = SingleInstance::socketPath(rootA.path());
    std::vector<std::unique_ptr<RawClient>> idle;
    for (int i = 0; i < 7; ++i) idle.push_back(std::make_unique<RawClient>(path));
    const auto closedCount = [&idle] {
        return std::count_if(idle.begin(), idle.end(), [](auto& c) { return c->closedByPeer(); });
    };
    // Four are kept, the rest turned away at once.
    ASSERT_TRUE(QTest::qWaitFor([&] { return closedCount() == 3; }, 10000)) << closedCount();
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(closedCount(), 3);
    // A start that comes while the holder is full tries again until there is room.
    SingleInstance later(rootA.path());
    auto sent = std::async(std::launch::async, [&later] {
        return later.handOver(PanelRequest::Show, 10000);
    });
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    idle.clear();
    while (sent.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(sent.get());

    // A connection that says nothing is closed after a short while.
    SingleInstance quick(rootB.path());
    quick.setLimits({32, 200, 300});
    ASSERT_EQ(quick.claim(), SingleInstance::Claim::Held);
    RawClient silent(SingleInstance::socketPath(rootB.path()));
    ASSERT_TRUE(silent.connected());
    ASSERT_TRUE(QTest::qWaitFor([&] { return silent.closedByPeer(); }, 10000));
    EXPECT_TRUE(silent.received.isEmpty());
}

TEST_F(SingleInstanceTest, OneShortRequestPerConnection) {
    SingleInstance holder(rootA.path());
    holder.setLimits({32, 60000, 0});
    ASSERT_EQ(holder.claim(), SingleInstance::Claim::Held);
    std::vector<PanelRequest> received;
    QObject::connect(&holder, &SingleInstance::requested,
                     [&received](PanelRequest r) { received.push_back(r); });
    QByteArray flood;
    for (int i = 0; i < 150000; ++i) flood += "toggle\n";
    struct Case {
        const char* what;
        QByteArray bytes;
        QByteArray answer;
        std::vector<PanelRequest> requests;
    };
    const Case cases[] = {
        {"three toggles", "toggle\ntoggle\ntoggle\n", "ok\n", {PanelRequest::Toggle}},
        {"a show and a megabyte of toggles", "show\n" + flood, "ok\n", {PanelRequest::Show}},
        {"a megabyte of toggles", flood, "ok\n", {PanelRequest::Toggle}},
        {"an unknown word", "toggled\ntoggle\n", "", {}},
        {"a line without end", QByteArray(4000, 'x') + "\ntoggle\n", "", {}},
    };
    for (const Case& c : cases) {
        received.clear();
        RawClient client(SingleInstance::socketPath(rootA.path()));
        ASSERT_TRUE(client.connected());
        client.send(c.bytes);
        ASSERT_TRUE(QTest::qWaitFor([&] { return client.closedByPeer(); }, 10000)) << c.what;
        EXPECT_EQ(client.received, c.answer) << c.what;
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_EQ(received, c.requests) << c.what;
    }
}

TEST_F(SingleInstanceTest, RepeatedRequestsCloseTogetherCountOnce) {
    SingleInstance holder(rootA.path());
    holder.setLimits({32, 2000, 60000});
    ASSERT_EQ(holder.claim(), SingleInstance::Claim::Held);
    std::vector<PanelRequest> received;
    QObject::connect(&holder, &SingleInstance::requested,
                     [&received](PanelRequest r) { received.push_back(r); });
    SingleInstance sender(rootA.path());
    // Every start is answered; the panel changes once per kind of request.
    for (PanelRequest r : {PanelRequest::Toggle, PanelRequest::Toggle, PanelRequest::Show,
                           PanelRequest::Show, PanelRequest::Toggle})
        EXPECT_TRUE(handOverWhileServing(sender, r));
    QCoreApplication::processEvents();
    EXPECT_EQ(received, (std::vector<PanelRequest>{PanelRequest::Toggle, PanelRequest::Show,
                                                   PanelRequest::Toggle}));
}

// Wherever XDG_RUNTIME_DIR points, a second program never opens the same root:
// the lock goes to a private folder of ours, or nothing starts.
TEST(SingleInstanceFolder, OneProgramPerRootWhateverTheRuntimeFolder) {
    QTemporaryDir temp;
    QTemporaryDir root;
    const test::ScopedEnv tmpdir("TMPDIR", temp.path().toUtf8());
    const QString own = temp.path() + "/hengxiu-toolbox-" + QString::number(::geteuid());
    const QString session = temp.path() + "/session";
    const QString elsewhere = temp.path() + "/elsewhere";
    using Claim = SingleInstance::Claim;
    struct stat proc {};
    // Root may pass the permission checks there, and still write nothing.
    const bool procIsOurs = ::stat("/proc/1", &proc) == 0 && proc.st_uid == ::geteuid() &&
                            ::access("/proc/1", W_OK | X_OK) == 0;
    struct Case {
        const char* what;
        std::optional<QByteArray> xdg;
        mode_t sessionMode;   // 0: no such folder
        int ownFolder;        // 0: none yet, else its mode; -1: a link to a folder of ours
        QString expectedFolder;  // empty: no start at all
    };
    const Case cases[] = {
        {"usable", session.toUtf8(), 0700, 0, session},
        {"unset", std::nullopt, 0, 0, own},
        {"missing", session.toUtf8(), 0, 0, own},
        {"read-only", session.toUtf8(), 0500, 0, geteuid() == 0 ? session : own},
        {"open to all", session.toUtf8(), 0777, 0, own},
        {"own folder already there", std::nullopt, 0, 0700, own},
        {"own folder open to others", session.toUtf8(), 0500, 0755, geteuid() == 0 ? session : ""},
        {"own folder a link", std::nullopt, 0, -1, ""},
        // Not writable even for root: such a folder was taken as usable.
        {"no one may write in it", "/proc/1", 0, 0, procIsOurs ? "" : own},
    };
    for (const Case& c : cases) {
        QDir(session).removeRecursively();
        QFile::remove(own);
        QDir(own).removeRecursively();
        if (c.sessionMode) {
            ASSERT_TRUE(QDir().mkpath(session));
            ::chmod(QFile::encodeName(session).constData(), c.sessionMode);
        }
        if (c.ownFolder > 0) {
            ASSERT_TRUE(QDir().mkpath(own));
            ::chmod(QFile::encodeName(own).constData(), mode_t(c.ownFolder));
        } else if (c.ownFolder < 0) {
            ASSERT_TRUE(QDir().mkpath(elsewhere));
            ::chmod(QFile::encodeName(elsewhere).constData(), 0700);
            ASSERT_TRUE(QFile::link(elsewhere, own));
        }
        const test::ScopedEnv xdg("XDG_RUNTIME_DIR", c.xdg);
        {
            SingleInstance first(root.path());
            SingleInstance second(root.path());
            if (c.expectedFolder.isEmpty()) {
                EXPECT_EQ(first.claim(), Claim::Failed) << c.what;
                EXPECT_EQ(second.claim(), Claim::Failed) << c.what;
                EXPECT_FALSE(first.errorString().isEmpty()) << c.what;
                continue;
            }
            EXPECT_EQ(first.claim(), Claim::Held) << c.what;
            EXPECT_EQ(second.claim(), Claim::Taken) << c.what;
            EXPECT_TRUE(SingleInstance::socketPath(root.path()).startsWith(c.expectedFolder + "/"))
                << c.what << " " << SingleInstance::socketPath(root.path()).toStdString();
        }
        struct stat folder {};
        if (c.expectedFolder == own) {
            EXPECT_EQ(::lstat(QFile::encodeName(own).constData(), &folder), 0) << c.what;
            EXPECT_EQ(folder.st_mode & 07777, 0700u) << c.what;
        }
        ::chmod(QFile::encodeName(session).constData(), 0700);
    }
}

TEST(CommandLineToggle, IsParsed) {
    EXPECT_TRUE(
        parseCommandLine({QStringLiteral("hengxiu-toolbox"), QStringLiteral("--toggle")}).toggle);
    EXPECT_FALSE(parseCommandLine({QStringLiteral("hengxiu-toolbox")}).toggle);
}

TEST(PanelRequests, ToggleMinimisesOnlyTheActivePanelShowAlwaysBringsItBack) {
    QWidget panel;
    QWidget other;
    other.show();

    // Hidden: both bring it up.
    applyPanelRequest(panel, PanelRequest::Toggle);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));

    // Active: toggle minimises, show does not.
    applyPanelRequest(panel, PanelRequest::Show);
    EXPECT_FALSE(panel.isMinimized());
    applyPanelRequest(panel, PanelRequest::Toggle);
    EXPECT_TRUE(panel.isMinimized());

    // Minimised: back and active.
    applyPanelRequest(panel, PanelRequest::Toggle);
    EXPECT_FALSE(panel.isMinimized());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));

    // Behind another window: raised, not minimised.
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    applyPanelRequest(panel, PanelRequest::Toggle);
    EXPECT_FALSE(panel.isMinimized());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&panel));
}

}  // namespace
}  // namespace hx::app
