#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

#include "platform/linux/gio_desktop.h"
#include "platform/linux/linux_shell.h"
#include "platform/linux/session_bus.h"
#include "support/scoped_env.h"

namespace hx::test {
namespace {

bool makeSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound;
}

TEST(SessionBus, UsedOnlyWhereTheSessionHasOne) {
    QTemporaryDir withBus, without, withFile;
    ASSERT_TRUE(makeSocket(withBus.filePath("bus")));
    QFile file(withFile.filePath("bus"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    struct Case {
        std::optional<QByteArray> address;
        std::optional<QByteArray> runtime;
        bool available;
    };
    const Case cases[] = {
        {"unix:path=/run/user/1/bus", without.path().toUtf8(), true},
        {std::nullopt, withBus.path().toUtf8(), true},
        {std::nullopt, without.path().toUtf8(), false},
        {std::nullopt, withFile.path().toUtf8(), false},
        {std::nullopt, std::nullopt, false},
        {"disabled:", withBus.path().toUtf8(), false},
    };
    for (const Case& c : cases) {
        const ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", c.address);
        const ScopedEnv runtime("XDG_RUNTIME_DIR", c.runtime);
        EXPECT_EQ(platform::sessionBusAvailable(), c.available)
            << c.address.value_or("-").constData() << " " << c.runtime.value_or("-").constData();
        // The stand-in goes in only where there is no bus, and then stays.
        platform::avoidSessionBusLaunch();
        EXPECT_EQ(platform::sessionBusAvoided(), !c.available);
        EXPECT_EQ(platform::sessionBusAvailable(), c.available);
        if (c.available) {
            EXPECT_EQ(qgetenv("DBUS_SESSION_BUS_ADDRESS"), c.address.value_or(""));
        }
    }
}

// What the program starts finds the session as it is: the stand-in address
// is ours alone.
TEST(SessionBus, ProgramsWeStartNeverSeeTheStandIn) {
    const ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    QTemporaryDir dir;
    const QString script = dir.filePath("env.sh");
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\necho \"${DBUS_SESSION_BUS_ADDRESS-none}\" > \"$1.part\"\n"
               "mv \"$1.part\" \"$1\"\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString launcher = dir.filePath("env.desktop");
    QFile entry(launcher);
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=E\nExec=" + QFile::encodeName(script) +
                " " + QFile::encodeName(dir.filePath("by-launcher")) + "\n");
    entry.close();

    platform::LinuxShell shell;
    ASSERT_TRUE(shell.startProcess(script + " " + dir.filePath("by-command")));
    ASSERT_TRUE(platform::launchDesktopEntry(launcher));
    for (const char* name : {"by-command", "by-launcher"}) {
        QFile written(dir.filePath(name));
        ASSERT_TRUE(QTest::qWaitFor([&] { return written.exists(); }, 10000)) << name;
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_EQ(written.readAll(), "none\n") << name;
    }
}

}  // namespace
}  // namespace hx::test
