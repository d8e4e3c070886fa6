#pragma once

// Icons inside programs and libraries (PE files): the icon groups of the
// resource section and the images they are made of. Pure C++ over the file's
// bytes; every offset is checked, the resource tree is walked to a fixed depth
// and the number of entries looked at is capped.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/ico_reader.h"

namespace hx::platform::pe {

inline constexpr std::uint32_t kRtIcon = 3;
inline constexpr std::uint32_t kRtGroupIcon = 14;
// More resources of one type than this are not looked at.
inline constexpr std::size_t kMaxEntriesPerLevel = 4096;
// Icon groups list a handful of sizes; a longer list is cut here.
inline constexpr std::size_t kMaxImagesPerGroup = 64;

// Number of icon groups in the file; 0 for a file without any, or not a PE file.
int iconGroupCount(std::span<const std::uint8_t> file);

// Whether the file has icon group `index`: index >= 0 counts groups in
// resource order (named first, then by number), a negative index names the
// group whose resource number is -index.
bool hasIconGroup(std::span<const std::uint8_t> file, int index);

// The image of icon group `index` that looks best at `size` pixels; another
// image of the group is tried when that one cannot be decoded.
std::optional<ico::IconImage> loadIconGroup(std::span<const std::uint8_t> file, int index,
                                            int size);

}  // namespace hx::platform::pe
