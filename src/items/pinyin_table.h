#pragma once

#include <cstddef>

namespace hx::items {

// Every toneless reading of a Han character that has more than one, sorted by
// code point; generated at build time from the Unihan readings.
struct PolyphonicReading {
    char32_t codePoint;
    const char* readings;  // space separated, e.g. "chong zhong"
};

extern const PolyphonicReading kPolyphonicReadings[];
extern const std::size_t kPolyphonicReadingCount;

}  // namespace hx::items
