#include <gtest/gtest.h>

#include <limits>

#include "app/screen_place.h"

namespace hx::app {
namespace {

TEST(ScreenPlace, OnlyAPlaceOffEveryScreenMovesUnderThePointer) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    const QList<QRect> two = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const QSize panel(222, 500);
    const struct {
        const char* why;
        QPoint stored;
        QList<QRect> screens;
        QPoint pointer;
        std::optional<QPoint> placed;
    } cases[] = {
        {"on the first screen", {100, 100}, two, {50, 50}, std::nullopt},
        {"on the second", {3000, 900}, two, {50, 50}, std::nullopt},
        {"half off an edge, still held", {1900, 10}, two, {50, 50}, std::nullopt},
        {"a monitor removed", {3000, 200}, {two.first()}, {960, 540}, QPoint(850, 291)},
        {"kept inside the pointer's screen", {-5000, 0}, two, {3190, 1020}, QPoint(2978, 524)},
        {"a grip hanging off the top", {100, -15}, two, {10, 10}, QPoint(0, 0)},
        {"no screen known", {-5000, 0}, {}, {0, 0}, std::nullopt},
        // Where the panel's far corner is past what an int holds.
        {"the largest place", {kMax, kMax}, two, {960, 540}, QPoint(850, 291)},
        {"a grip past the largest", {kMax - 30, 100}, two, {960, 540}, QPoint(850, 291)},
        {"the smallest place", {kMin, kMin}, two, {960, 540}, QPoint(850, 291)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bringOntoScreens(c.stored, panel, c.screens, c.pointer), c.placed) << c.why;
}

}  // namespace
}  // namespace hx::app

namespace hx::app {
namespace {

// The weather panel (284 x 230) left of a 222 x 500 frame as designed, on the
// right where the screen ends on the left, and never past a screen edge.
TEST(WeatherPlace, LeftOfThePanelUnlessTheScreenEndsThere) {
    const QSize weather(284, 230);
    const QRect screen(0, 0, 1280, 800);
    struct Case {
        QPoint panel;
        QPoint expected;
    };
    const Case cases[] = {
        {{700, 100}, {417, 125}},   // room on the left: as designed
        {{122, 120}, {343, 145}},   // not enough room: one pixel inside the right edge
        {{1000, 700}, {717, 570}},  // low on the screen: raised to stay whole
        {{-50, 100}, {171, 125}},   // the panel itself partly off the left
    };
    for (const Case& c : cases) {
        const QRect frame(c.panel, QSize(222, 500));
        EXPECT_EQ(besidePanel(c.panel + QPoint(-283, 25), weather, frame, screen), c.expected)
            << c.panel.x() << "," << c.panel.y();
    }
}

}  // namespace
}  // namespace hx::app
