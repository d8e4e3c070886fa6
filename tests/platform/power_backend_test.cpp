#include <gtest/gtest.h>

#include "support/scoped_env.h"

#include <QFile>
#include <QTemporaryDir>

#include "platform/linux/linux_power_backend.h"

namespace hx::platform {
namespace {

using hx::test::ScopedEnv;

QStringList readLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

TEST(LinuxPowerBackend, DryRunRecordsEveryRequestInOrder) {
    ScopedEnv mode("HENGXIU_POWER", "dry-run");
    ScopedEnv noLog("HENGXIU_POWER_LOG", "");
    ASSERT_TRUE(LinuxPowerBackend::isDryRun());

    LinuxPowerBackend backend;
    backend.request(PowerAction::Reboot);
    backend.request(PowerAction::PowerOff);
    backend.request(PowerAction::Logoff);
    EXPECT_EQ(backend.recorded(), (QStringList{QStringLiteral("reboot"), QStringLiteral("poweroff"),
                                               QStringLiteral("logoff")}));
}

TEST(LinuxPowerBackend, DryRunAppendsOneLinePerRequestToTheLog) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString logPath = dir.filePath(QStringLiteral("power.log"));
    {
        QFile existing(logPath);
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write("earlier\n");
    }
    ScopedEnv mode("HENGXIU_POWER", "dry-run");
    ScopedEnv log("HENGXIU_POWER_LOG", logPath.toLocal8Bit());

    LinuxPowerBackend first;
    first.request(PowerAction::PowerOff);
    LinuxPowerBackend second;  // a later run of the program appends too
    second.request(PowerAction::Logoff);
    second.request(PowerAction::Reboot);

    EXPECT_EQ(readLines(logPath),
              (QStringList{QStringLiteral("earlier"), QStringLiteral("poweroff"),
                           QStringLiteral("logoff"), QStringLiteral("reboot")}));
    EXPECT_EQ(first.recorded().size(), 1);
    EXPECT_EQ(second.recorded().size(), 2);
}

TEST(LinuxPowerBackend, UnwritableLogStillRecordsInMemory) {
    ScopedEnv mode("HENGXIU_POWER", "dry-run");
    ScopedEnv log("HENGXIU_POWER_LOG", "/nonexistent-dir/power.log");
    LinuxPowerBackend backend;
    backend.request(PowerAction::Reboot);
    EXPECT_EQ(backend.recorded(), QStringList{QStringLiteral("reboot")});
}

TEST(LinuxPowerBackend, OnlyTheExactDryRunValueCountsAsDryRun) {
    {
        ScopedEnv mode("HENGXIU_POWER", "dry-run");
        EXPECT_TRUE(LinuxPowerBackend::isDryRun());
    }
    {
        ScopedEnv mode("HENGXIU_POWER", "live");
        EXPECT_FALSE(LinuxPowerBackend::isDryRun());
    }
}

}  // namespace
}  // namespace hx::platform
