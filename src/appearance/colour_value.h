#pragma once

#include <QColor>
#include <cstdint>

namespace hx::appearance {

// Stored colours keep red in the low byte, then green, then blue.
inline QColor fromColourValue(std::uint32_t value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

inline std::uint32_t toColourValue(const QColor& colour) {
    return std::uint32_t(colour.red()) | (std::uint32_t(colour.green()) << 8) |
           (std::uint32_t(colour.blue()) << 16);
}

}  // namespace hx::appearance
