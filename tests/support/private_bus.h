#pragma once

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace hx::test {

// A D-Bus daemon of the test's own: services registered on it reach no desktop.
class PrivateBus : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "dbus-daemon not installed";
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
        ASSERT_TRUE(daemon_.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return daemon_.canReadLine(); }, 10000));
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        ASSERT_FALSE(address_.isEmpty());
    }
    void TearDown() override {
        for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
        if (daemon_.state() != QProcess::NotRunning) {
            daemon_.terminate();
            if (!daemon_.waitForFinished(3000)) daemon_.kill();
            daemon_.waitForFinished(3000);
        }
    }
    // A connection of its own to the private bus, named `name` in this process.
    QDBusConnection connect(const QString& name) {
        names_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

    QProcess daemon_;
    QString address_;
    QStringList names_;
};

}  // namespace hx::test
