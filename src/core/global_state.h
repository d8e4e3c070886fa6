#pragma once

#include <cstdint>

namespace hx::core {

// The clock's look, shared by the main window and its clock. Plain values on
// the user interface thread.
struct GlobalState {
    // Seven-segment clock; set before the main window loads, kept by its clock.
    std::uint32_t clockForeColour = 65280;
    std::uint32_t clockBackColour = 0;
    int clockDigitHeight = 32;
    int clockDigitWidth = 16;
    int clockDigitSpacing = 4;
    int clockSegmentWidth = 4;

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
