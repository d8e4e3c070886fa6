#pragma once

// Icon images (.ico files and the RT_ICON resources of programs), decoded
// without Qt so the parser can be fuzzed on its own. Every offset and size is
// checked against the input; nothing larger than kMaxIconDimension is decoded.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace hx::platform::ico {

inline constexpr int kMaxIconDimension = 256;

// One decoded picture: either PNG bytes (PNG-compressed entries, handed to an
// image decoder as they are) or straight ARGB pixels, 0xAARRGGBB, top row first.
struct IconImage {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::vector<std::uint8_t> png;
    std::vector<std::uint32_t> argb;
};

// What a directory entry of an .ico file or a group icon says about one image.
struct EntryInfo {
    int width = 0;  // 0 in the file means 256
    int height = 0;
    int bitCount = 0;
    std::uint32_t size = 0;
};

// Decodes one image resource: a PNG stream or a DIB (BITMAPINFOHEADER, XOR
// pixels, AND mask) of 1, 4, 8, 24 or 32 bits. Nothing for anything else.
std::optional<IconImage> decodeImage(std::span<const std::uint8_t> data);

// The width and height a PNG stream declares in its IHDR chunk.
std::optional<std::pair<int, int>> pngSize(std::span<const std::uint8_t> data);

// Number of images in an .ico file; 0 when the data is not an icon file.
int imageCount(std::span<const std::uint8_t> data);

// Directory entries of an .ico file in file order (their data is checked when decoded).
std::vector<EntryInfo> entries(std::span<const std::uint8_t> data);

// The index-th image of an .ico file (directory order).
std::optional<IconImage> decodeEntry(std::span<const std::uint8_t> data, int index);

// Of several candidate images, the one that looks best at `size` pixels: the
// smallest at least that large, more colours first; else the largest.
int bestEntry(const std::vector<EntryInfo>& candidates, int size);

}  // namespace hx::platform::ico
