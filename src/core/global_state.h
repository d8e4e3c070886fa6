#pragma once

#include <QString>
#include <cstdint>

namespace hx::core {

// The process-wide values every window shares. Plain values on the user
// interface thread; the item loader only receives copies.
struct GlobalState {
    // 1, 2; 3 or 0 play nothing. Set by the settings window, read by the main window.
    int liveSoundMode = 0;
    // 32 or 16; anything else keeps the 32-pixel list. Set by the settings window,
    // read by the catalogue's loads and the item windows.
    int liveIconSize = 0;

    // Seven-segment clock; set before the main window loads, kept by its clock.
    std::uint32_t clockForeColour = 65280;
    std::uint32_t clockBackColour = 0;
    int clockDigitHeight = 32;
    int clockDigitWidth = 16;
    int clockDigitSpacing = 4;
    int clockSegmentWidth = 4;

    // Pending texts of the settings window, kept until its next save.
    QString pendingSkinName;
    QString pendingAvatarName;
    // Icon-size radios clicked since the last save; only a save clears them.
    bool largeIconsChosen = false;
    bool smallIconsChosen = false;

    // The designed entry sets the six clock values in this order.
    void setClockDefaults() {
        clockForeColour = 65280;
        clockBackColour = 0;
        clockDigitHeight = 32;
        clockDigitWidth = 16;
        clockDigitSpacing = 4;
        clockSegmentWidth = 4;
    }
};

}  // namespace hx::core
