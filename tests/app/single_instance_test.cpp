#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <future>

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
    ASSERT_TRUE(first.claim());
    EXPECT_TRUE(SingleInstance::socketPath(rootA.path()).startsWith(runtime.path()));
    // The same folder spelt differently is still the same root.
    SingleInstance second(rootA.path() + QStringLiteral("/./"));
    EXPECT_FALSE(second.claim());

    std::vector<PanelRequest> received;
    QObject::connect(&first, &SingleInstance::requested,
                     [&received](PanelRequest r) { received.push_back(r); });
    EXPECT_TRUE(handOverWhileServing(second, PanelRequest::Toggle));
    EXPECT_TRUE(handOverWhileServing(second, PanelRequest::Show));
    QTRY_COMPARE(received.size(), size_t{2});
    EXPECT_EQ(received[0], PanelRequest::Toggle);
    EXPECT_EQ(received[1], PanelRequest::Show);

    SingleInstance other(rootB.path());
    EXPECT_TRUE(other.claim());
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
    ASSERT_TRUE(heir.claim());
    int shown = 0;
    QObject::connect(&heir, &SingleInstance::requested, [&shown](PanelRequest) { ++shown; });
    SingleInstance later(rootA.path());
    EXPECT_FALSE(later.claim());
    EXPECT_TRUE(handOverWhileServing(later, PanelRequest::Show));
    QTRY_COMPARE(shown, 1);
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
