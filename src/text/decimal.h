#pragma once

#include <QString>
#include <cstdint>
#include <string_view>

namespace hx::text {

// The usual decimal conversion: leading blanks skipped, an optional sign, then
// digits up to the first other character. Empty or non-numeric text gives 0;
// values beyond 32 bits saturate instead of wrapping.
std::int32_t toInt32(std::string_view text);
std::int32_t toInt32(const QString& text);

}  // namespace hx::text
