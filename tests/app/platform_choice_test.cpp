#include "app/platform_choice.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using Environment = std::map<std::string, QByteArray>;

QByteArray choose(const Environment& env) {
    return hx::app::chooseQtPlatform([&env](const char* name) {
        const auto it = env.find(name);
        return it == env.end() ? QByteArray() : it->second;
    });
}

TEST(PlatformChoice, WaylandWithAnXDisplayRunsThroughXWayland) {
    EXPECT_EQ(
        choose(
            {{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}}),
        "xcb");
    // Either sign of a Wayland session is enough.
    EXPECT_EQ(choose({{"XDG_SESSION_TYPE", "Wayland"}, {"DISPLAY", ":1"}}), "xcb");
    EXPECT_EQ(choose({{"WAYLAND_DISPLAY", "wayland-1"}, {"DISPLAY", ":0"}}), "xcb");
}

TEST(PlatformChoice, LeavesQtAloneOtherwise) {
    // The user's own choice, even one we would not make.
    EXPECT_EQ(
        choose(
            {{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "wayland"}}),
        "");
    // No X server to fall back on: Wayland is all there is.
    EXPECT_EQ(choose({{"XDG_SESSION_TYPE", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}}), "");
    EXPECT_EQ(choose({{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", "  "}}), "");
    // X11 sessions and headless runs choose nothing.
    EXPECT_EQ(choose({{"XDG_SESSION_TYPE", "x11"}, {"DISPLAY", ":0"}}), "");
    EXPECT_EQ(choose({}), "");
}

}  // namespace
