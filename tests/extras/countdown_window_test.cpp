#include <gtest/gtest.h>

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include "extras/countdown_host.h"
#include "extras/countdown_window.h"
#include "support/fake_power.h"

namespace hx::extras {
namespace {

using platform::PowerAction;

struct Countdown : ::testing::Test {
    test::FakePowerBackend power;
    int ended = 0;
    std::function<void()> endProgram = [this] { ++ended; };
};

TEST_F(Countdown, DesignLayout) {
    CountdownWindow w(power, endProgram);
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    EXPECT_EQ(w.size(), QSize(315, 198));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("关闭计算机"));
    EXPECT_EQ(w.headline()->text(), QStringLiteral("本程序正在执行以下操作（关闭系统）"));
    EXPECT_EQ(w.headline()->geometry(), QRect(8, 16, 296, 32));
    EXPECT_EQ(w.headline()->font().pixelSize(), 16);
    EXPECT_TRUE(w.headline()->font().bold());
    EXPECT_EQ(w.headline()->font().family(), QStringLiteral("新宋体"));
    EXPECT_EQ(w.status()->text(), QStringLiteral("正在等待用户响应"));
    EXPECT_EQ(w.status()->geometry(), QRect(18, 64, 104, 32));
    EXPECT_EQ(w.frameLabel()->text(), QStringLiteral("（剩余     秒）"));
    EXPECT_EQ(w.frameLabel()->geometry(), QRect(130, 64, 96, 32));
    EXPECT_EQ(w.seconds()->text(), QStringLiteral("15"));
    EXPECT_EQ(w.seconds()->geometry(), QRect(168, 72, 24, 16));
    EXPECT_EQ(w.okButton()->text(), QStringLiteral("确 定"));
    EXPECT_EQ(w.okButton()->geometry(), QRect(64, 120, 96, 24));
    EXPECT_EQ(w.cancelButton()->text(), QStringLiteral("取 消"));
    EXPECT_EQ(w.cancelButton()->geometry(), QRect(184, 120, 96, 24));
    // The seconds lie over the frame label, so they must be stacked above it.
    const QObjectList kids = w.children();
    EXPECT_GT(kids.indexOf(w.seconds()), kids.indexOf(w.frameLabel()));
    EXPECT_TRUE(w.timer().isActive());
    EXPECT_EQ(w.timer().interval(), 1000);
    w.grab().save(QStringLiteral("/tmp/hx_countdown.png"));
}

TEST_F(Countdown, FifteenTicksRequestTheAction) {
    CountdownWindow w(power, endProgram);
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.setAction(CountdownWindow::kReboot);
    for (int i = 0; i < 14; ++i) w.tick();
    EXPECT_EQ(w.seconds()->text(), QStringLiteral("1"));
    EXPECT_TRUE(power.requests.isEmpty());
    EXPECT_EQ(ended, 0);
    w.tick();
    EXPECT_EQ(w.seconds()->text(), QStringLiteral("0"));
    EXPECT_EQ(power.requests, QVector<PowerAction>{PowerAction::Reboot});
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(w.timer().isActive());
    // Late ticks or clicks before the program is gone never ask again.
    w.tick();
    w.confirm();
    EXPECT_EQ(power.requests.size(), 1);
    EXPECT_EQ(ended, 1);
}

TEST_F(Countdown, EachTitleMapsToItsAction) {
    const std::pair<QString, PowerAction> cases[] = {
        {CountdownWindow::kPowerOff, PowerAction::PowerOff},
        {CountdownWindow::kLogoff, PowerAction::Logoff},
        {CountdownWindow::kReboot, PowerAction::Reboot}};
    for (const auto& [title, action] : cases) {
        test::FakePowerBackend fake;
        int endCount = 0;
        CountdownWindow w(fake, [&] { ++endCount; });
        w.setAttribute(Qt::WA_DeleteOnClose, false);
        w.setAction(title);
        EXPECT_EQ(w.windowTitle(), title);
        EXPECT_EQ(w.headline()->text(),
                  QStringLiteral("本程序正在执行以下操作（") + title + QStringLiteral("）"));
        QTest::mouseClick(w.okButton(), Qt::LeftButton);  // acts at "15"
        EXPECT_EQ(w.seconds()->text(), QStringLiteral("15"));
        EXPECT_EQ(fake.requests, QVector<PowerAction>{action}) << title.toStdString();
        EXPECT_EQ(endCount, 1);
    }
}

TEST_F(Countdown, UnknownTitleRequestsNothingButStillEnds) {
    CountdownWindow w(power, endProgram);
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.setAction(QStringLiteral("关闭系统"));
    w.confirm();
    EXPECT_TRUE(power.requests.isEmpty());
    EXPECT_EQ(ended, 1);
}

TEST_F(Countdown, CancelStopsAndClosesWithoutActing) {
    QPointer<CountdownWindow> w = new CountdownWindow(power, endProgram);
    w->show();
    w->tick();
    w->tick();
    QTest::mouseClick(w->cancelButton(), Qt::LeftButton);
    // Deleted on close; give the deferred delete its chance.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
    EXPECT_TRUE(power.requests.isEmpty());
    EXPECT_EQ(ended, 0);
}

TEST_F(Countdown, HostReusesTheOpenWindowAndKeepsTheCount) {
    CountdownHost host(power, endProgram);
    CountdownWindow* first = host.showFor(CountdownWindow::kPowerOff);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    for (int i = 0; i < 5; ++i) first->tick();

    CountdownWindow* again = host.showFor(CountdownWindow::kLogoff);
    EXPECT_EQ(again, first);
    EXPECT_EQ(again->seconds()->text(), QStringLiteral("10"));
    EXPECT_EQ(again->windowTitle(), CountdownWindow::kLogoff);
    EXPECT_EQ(again->headline()->text(), QStringLiteral("本程序正在执行以下操作（注销计算机）"));

    again->cancel();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(host.window(), nullptr);

    // The next power item gets a fresh window counting from 15.
    CountdownWindow* fresh = host.showFor(CountdownWindow::kReboot);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->seconds()->text(), QStringLiteral("15"));
    EXPECT_TRUE(fresh->timer().isActive());
    for (int i = 0; i < 15; ++i) fresh->tick();
    EXPECT_EQ(power.requests, QVector<PowerAction>{PowerAction::Reboot});
    EXPECT_EQ(ended, 1);
}

TEST_F(Countdown, RealTimerDrivesTheCount) {
    CountdownWindow w(power, endProgram);
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    QSignalSpy spy(&w.timer(), &QTimer::timeout);
    ASSERT_TRUE(spy.wait(3000));
    EXPECT_EQ(w.seconds()->text(), QStringLiteral("14"));
}

}  // namespace
}  // namespace hx::extras
