#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>

#include "extras/clock.h"
#include "extras/greeting.h"
#include "extras/led_panel.h"

namespace hx::extras {
namespace {

TEST(Greeting, PartOfTheDayFollowsTheHour) {
    const struct {
        int h, m;
        const char* expected;
    } cases[] = {
        {0, 0, "凌晨00：00"},   {5, 59, "凌晨05：59"},  {6, 0, "早上06：00"},
        {7, 59, "早上07：59"},  {8, 0, "上午08：00"},   {9, 5, "上午09：05"},
        {11, 59, "上午11：59"}, {12, 0, "中午12：00"},  {13, 59, "中午13：59"},
        {14, 0, "下午14：00"},  {16, 59, "下午16：59"}, {17, 0, "晚上17：00"},
        {23, 59, "晚上23：59"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(composeGreeting(QTime(c.h, c.m)), QString::fromUtf8(c.expected))
            << c.h << ":" << c.m;
}

TEST(Greeting, ClockTextHasLeadingZerosAndNoSeconds) {
    EXPECT_EQ(clockText(QTime(9, 5, 59)), QStringLiteral("09:05"));
    EXPECT_EQ(clockText(QTime(0, 0)), QStringLiteral("00:00"));
    EXPECT_EQ(clockText(QTime(23, 59, 1)), QStringLiteral("23:59"));
}

TEST(Greeting, WeekdayNamesStartOnMonday) {
    // 1 January 2024 was a Monday.
    const QStringList expected = {QStringLiteral("星期一"), QStringLiteral("星期二"),
                                  QStringLiteral("星期三"), QStringLiteral("星期四"),
                                  QStringLiteral("星期五"), QStringLiteral("星期六"),
                                  QStringLiteral("星期日")};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(weekdayName(QDate(2024, 1, 1 + i).dayOfWeek()), expected[i]) << i;
    EXPECT_TRUE(weekdayName(0).isEmpty());
    EXPECT_TRUE(weekdayName(8).isEmpty());
}

QRgb pixel(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

TEST(LedPanel, PaintsLinesWithBothEndsAndRectanglesWithoutFarEdges) {
    LedPanel panel;
    panel.resize(78, 26);
    panel.drawText(QStringLiteral("09:05"), LedSettings::clock());
    EXPECT_EQ(panel.size(), QSize(78, 26));
    const QImage img = panel.grab().toImage();
    const QRgb green = 0x00FF00, grey = 0xECECEC;
    // Top of the first "0": (2,3) to (14,3), both ends drawn.
    EXPECT_EQ(pixel(img, 2, 3), green);
    EXPECT_EQ(pixel(img, 14, 3), green);
    EXPECT_EQ(pixel(img, 1, 3), grey);
    EXPECT_EQ(pixel(img, 15, 3), grey);
    EXPECT_EQ(pixel(img, 8, 10), grey);  // inside the "0"
    // Upper colon dot (32,8)-(40,11): 8 columns by 3 rows.
    EXPECT_EQ(pixel(img, 32, 8), green);
    EXPECT_EQ(pixel(img, 39, 10), green);
    EXPECT_EQ(pixel(img, 40, 9), grey);
    EXPECT_EQ(pixel(img, 35, 11), grey);
    EXPECT_EQ(pixel(img, 0, 0), grey);
    // Enlarged copy for looking at the drawing by eye.
    img.scaled(img.size() * 8).save(QStringLiteral("/tmp/hx_led_panel.png"));
}

TEST(LedPanel, GrowsWhenTheTextDoesNotFit) {
    LedPanel panel;
    panel.resize(70, 18);
    panel.drawText(QStringLiteral("09:05"), LedSettings::clock());
    EXPECT_EQ(panel.size(), QSize(83, 28));
    EXPECT_EQ(panel.text(), QStringLiteral("09:05"));
    // Drawn again at the new size, it fits and stays.
    panel.drawText(QStringLiteral("10:10"), LedSettings::clock());
    EXPECT_EQ(panel.size(), QSize(83, 28));
    ASSERT_TRUE(panel.frame().has_value());
    EXPECT_EQ(panel.frame()->x0, 4);
}

QDateTime sundayMorning() { return QDateTime(QDate(2024, 1, 7), QTime(9, 5, 30)); }

TEST(Clock, TickWritesWeekdayAndTime) {
    QLabel weekday;
    LedPanel panel;
    Clock clock(&weekday, &panel, nullptr, &sundayMorning);
    // Nothing is shown before the first tick.
    EXPECT_TRUE(weekday.text().isEmpty());
    EXPECT_FALSE(panel.frame().has_value());
    EXPECT_TRUE(clock.timer().isActive());
    EXPECT_EQ(clock.timer().interval(), 1000);

    clock.tick();
    EXPECT_EQ(weekday.text(), QStringLiteral("星期日"));
    EXPECT_EQ(panel.text(), QStringLiteral("09:05"));
    EXPECT_EQ(clock.settings(), LedSettings::clock());
    ASSERT_TRUE(panel.frame().has_value());
    EXPECT_EQ(panel.frame()->backColour, 15527148);
}

TEST(Clock, TickKeepsTheProgramWideValuesCurrent) {
    core::GlobalState state;
    state.setClockDefaults();
    EXPECT_EQ(ledSettingsFrom(state), LedSettings());
    QLabel weekday;
    LedPanel panel;
    Clock clock(&weekday, &panel, nullptr, &sundayMorning);
    clock.bindGlobals(&state);
    clock.tick();
    EXPECT_EQ(state.clockForeColour, 65280u);
    EXPECT_EQ(state.clockBackColour, 15527148u);
    EXPECT_EQ(state.clockDigitHeight, 20);
    EXPECT_EQ(state.clockDigitWidth, 12);
    EXPECT_EQ(state.clockDigitSpacing, 3);
    EXPECT_EQ(state.clockSegmentWidth, 4);
    EXPECT_EQ(clock.settings(), LedSettings::clock());

    // A zero in the stored values reads as the initial value.
    state.clockDigitWidth = 0;
    state.clockBackColour = 0;
    const LedSettings read = ledSettingsFrom(state);
    EXPECT_EQ(read.digitWidth(), 16);
    EXPECT_EQ(read.backColour(), 0);
    EXPECT_EQ(read.digitHeight(), 20);
}

TEST(Clock, SurvivesItsControlsBeingDeleted) {
    auto* weekday = new QLabel;
    auto* panel = new LedPanel;
    Clock clock(weekday, panel, nullptr, &sundayMorning);
    delete weekday;
    delete panel;
    clock.tick();  // must not touch the deleted widgets
}

}  // namespace
}  // namespace hx::extras
