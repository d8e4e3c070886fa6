#include "platform/global_key.h"

#include <gtest/gtest.h>

namespace {

using hx::platform::parseGlobalKey;

TEST(GlobalKeyText, CombinationsWithAKeyParse) {
    for (const char* text :
         {"Ctrl+Alt+Space", "ctrl+alt+space", " Ctrl+Alt+Space ", "Meta+F12", "F9", "Ctrl+Shift+K",
          "Shift+Meta+K", "Alt+1", "Ctrl + Alt + PgDown"}) {
        EXPECT_TRUE(parseGlobalKey(QString::fromUtf8(text))) << text;
    }
    EXPECT_EQ(*parseGlobalKey("ctrl+alt+space"),
              QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_Space));
}

TEST(GlobalKeyText, TextThatIsNoSingleUsableCombinationIsRefused) {
    for (const char* text :
         {"", "   ", "Ctrl+", "Alt", "Ctrl+Alt", "Ctrl+Alt+Foo", "Strg+Alt+Space", "Ctrl+A, Ctrl+B",
          "Ctrl+Alt+空格", "!!!", "Ctrl+Alt+Space+K",
          // A bare character would be taken from every other program.
          "K", "Space", "Shift+K"}) {
        EXPECT_FALSE(parseGlobalKey(QString::fromUtf8(text))) << text;
    }
}

TEST(GlobalKeyText, X11SymbolsAndMasks) {
    const auto space = hx::platform::x11KeyFor(*parseGlobalKey("Ctrl+Alt+Space"));
    ASSERT_TRUE(space);
    EXPECT_EQ(space->keysym, 0x20u);
    EXPECT_EQ(space->modifiers, (1u << 2) | (1u << 3));  // ControlMask | Mod1Mask
    // Letters grab their unshifted symbol; Meta is the Super key (Mod4).
    const auto k = hx::platform::x11KeyFor(*parseGlobalKey("Shift+Meta+K"));
    ASSERT_TRUE(k);
    EXPECT_EQ(k->keysym, static_cast<std::uint32_t>('k'));
    EXPECT_EQ(k->modifiers, 1u | (1u << 6));
    EXPECT_EQ(hx::platform::x11KeyFor(*parseGlobalKey("F12"))->keysym, 0xffc9u);
}

TEST(GlobalKeyText, PortalTriggers) {
    using hx::platform::portalTriggerFor;
    EXPECT_EQ(portalTriggerFor(*parseGlobalKey("Ctrl+Alt+Space")), "CTRL+ALT+space");
    EXPECT_EQ(portalTriggerFor(*parseGlobalKey("Meta+Shift+K")), "SHIFT+LOGO+k");
    EXPECT_EQ(portalTriggerFor(*parseGlobalKey("Alt+F4")), "ALT+F4");
    EXPECT_EQ(portalTriggerFor(*parseGlobalKey("Ctrl+PgUp")), "CTRL+Prior");
}

}  // namespace
