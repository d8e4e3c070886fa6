#include <gtest/gtest.h>

#include "app/screen_place.h"

namespace hx::app {
namespace {

TEST(ScreenPlace, OnlyAPlaceOffEveryScreenMovesUnderThePointer) {
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
    };
    for (const auto& c : cases)
        EXPECT_EQ(bringOntoScreens(c.stored, panel, c.screens, c.pointer), c.placed) << c.why;
}

}  // namespace
}  // namespace hx::app
