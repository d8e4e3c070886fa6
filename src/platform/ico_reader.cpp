#include "platform/ico_reader.h"

#include <algorithm>
#include <cstring>

namespace hx::platform::ico {

namespace {

std::uint16_t u16(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint16_t>(d[at] | (d[at + 1] << 8));
}

std::uint32_t u32(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint32_t>(d[at]) | (static_cast<std::uint32_t>(d[at + 1]) << 8) |
           (static_cast<std::uint32_t>(d[at + 2]) << 16) |
           (static_cast<std::uint32_t>(d[at + 3]) << 24);
}

std::int32_t s32(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::int32_t>(u32(d, at));
}

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr std::size_t kDirHeader = 6;
constexpr std::size_t kDirEntry = 16;

bool isPng(std::span<const std::uint8_t> data) {
    return data.size() >= 8 && std::memcmp(data.data(), kPngSignature, 8) == 0;
}

// Bytes per row of a bottom-up DIB, rows padded to 32 bits. Dimensions are
// capped before this is called, so nothing overflows.
std::size_t stride(int width, int bits) {
    return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) / 32) * 4;
}

std::optional<IconImage> decodeDib(std::span<const std::uint8_t> data) {
    if (data.size() < 40) return std::nullopt;
    const std::uint32_t headerSize = u32(data, 0);
    if (headerSize < 40 || headerSize > data.size()) return std::nullopt;
    const std::int32_t width = s32(data, 4);
    const std::int32_t fullHeight = s32(data, 8);
    const int bits = u16(data, 14);
    const std::uint32_t compression = u32(data, 16);
    std::uint32_t colorsUsed = u32(data, 32);
    // Icon DIBs hold the XOR image and the AND mask on top of each other.
    if (width <= 0 || width > kMaxIconDimension || fullHeight <= 0 ||
        fullHeight > 2 * kMaxIconDimension)
        return std::nullopt;
    const int height = fullHeight >= 2 ? fullHeight / 2 : fullHeight;
    if (compression != 0 && !(compression == 3 && bits == 32)) return std::nullopt;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;

    std::size_t at = headerSize;
    if (compression == 3 && headerSize == 40) at += 12;  // bit fields follow a short header
    std::vector<std::uint32_t> palette;
    if (bits <= 8) {
        const std::uint32_t maxColors = 1u << bits;
        if (colorsUsed == 0 || colorsUsed > maxColors) colorsUsed = maxColors;
        if (at > data.size() || (data.size() - at) / 4 < colorsUsed) return std::nullopt;
        palette.resize(maxColors, 0xFF000000u);
        for (std::uint32_t i = 0; i < colorsUsed; ++i, at += 4) {
            palette[i] = 0xFF000000u | (static_cast<std::uint32_t>(data[at + 2]) << 16) |
                         (static_cast<std::uint32_t>(data[at + 1]) << 8) | data[at];
        }
    }

    const std::size_t xorStride = stride(width, bits);
    const std::size_t xorSize = xorStride * static_cast<std::size_t>(height);
    if (at > data.size() || data.size() - at < xorSize) return std::nullopt;
    const std::size_t xorAt = at;
    const std::size_t maskStride = stride(width, 1);
    const std::size_t maskAt = xorAt + xorSize;
    // Some writers leave the mask out; such images are taken as opaque.
    const bool hasMask = data.size() - maskAt >= maskStride * static_cast<std::size_t>(height);

    IconImage image;
    image.width = width;
    image.height = height;
    image.bitCount = bits;
    image.argb.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const std::size_t row = xorAt + xorStride * static_cast<std::size_t>(height - 1 - y);
        std::uint32_t* out = image.argb.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            std::uint32_t pixel = 0;
            switch (bits) {
                case 1:
                    pixel = palette[(data[row + x / 8] >> (7 - x % 8)) & 1];
                    break;
                case 4:
                    pixel = palette[(data[row + x / 2] >> (x % 2 ? 0 : 4)) & 0xF];
                    break;
                case 8:
                    pixel = palette[data[row + x]];
                    break;
                case 24: {
                    const std::size_t p = row + static_cast<std::size_t>(x) * 3;
                    pixel = 0xFF000000u | (static_cast<std::uint32_t>(data[p + 2]) << 16) |
                            (static_cast<std::uint32_t>(data[p + 1]) << 8) | data[p];
                    break;
                }
                case 32: {
                    const std::size_t p = row + static_cast<std::size_t>(x) * 4;
                    pixel = (static_cast<std::uint32_t>(data[p + 3]) << 24) |
                            (static_cast<std::uint32_t>(data[p + 2]) << 16) |
                            (static_cast<std::uint32_t>(data[p + 1]) << 8) | data[p];
                    if (data[p + 3] != 0) anyAlpha = true;
                    break;
                }
            }
            out[x] = pixel;
        }
    }
    // A 32-bit image whose alpha is all zero is an old-style one: the mask decides.
    const bool useMask = hasMask && (bits != 32 || !anyAlpha);
    if (bits == 32 && !anyAlpha && !hasMask) {
        for (auto& p : image.argb) p |= 0xFF000000u;
    }
    if (useMask) {
        for (int y = 0; y < height; ++y) {
            const std::size_t row = maskAt + maskStride * static_cast<std::size_t>(height - 1 - y);
            std::uint32_t* out = image.argb.data() + static_cast<std::size_t>(y) * width;
            for (int x = 0; x < width; ++x) {
                const bool transparent = (data[row + x / 8] >> (7 - x % 8)) & 1;
                out[x] = transparent ? 0u : (out[x] | 0xFF000000u);
            }
        }
    }
    return image;
}

}  // namespace

std::optional<std::pair<int, int>> pngSize(std::span<const std::uint8_t> data) {
    // Signature, chunk length, "IHDR", width, height.
    if (!isPng(data) || data.size() < 24 || std::memcmp(data.data() + 12, "IHDR", 4) != 0)
        return std::nullopt;
    auto be32 = [&](std::size_t at) {
        return (static_cast<std::uint32_t>(data[at]) << 24) |
               (static_cast<std::uint32_t>(data[at + 1]) << 16) |
               (static_cast<std::uint32_t>(data[at + 2]) << 8) | data[at + 3];
    };
    const std::uint32_t w = be32(16);
    const std::uint32_t h = be32(20);
    if (w == 0 || h == 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF) return std::nullopt;
    return std::pair<int, int>(static_cast<int>(w), static_cast<int>(h));
}

std::optional<IconImage> decodeImage(std::span<const std::uint8_t> data) {
    if (isPng(data)) {
        const auto size = pngSize(data);
        if (!size || size->first > kMaxIconDimension || size->second > kMaxIconDimension)
            return std::nullopt;
        IconImage image;
        image.width = size->first;
        image.height = size->second;
        image.bitCount = 32;
        image.png.assign(data.begin(), data.end());
        return image;
    }
    return decodeDib(data);
}

std::vector<EntryInfo> entries(std::span<const std::uint8_t> data) {
    std::vector<EntryInfo> result;
    if (data.size() < kDirHeader || u16(data, 0) != 0 || u16(data, 2) != 1) return result;
    const std::size_t count = u16(data, 4);
    if ((data.size() - kDirHeader) / kDirEntry < count) return result;
    result.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kDirHeader + i * kDirEntry;
        EntryInfo info;
        info.width = data[at] == 0 ? 256 : data[at];
        info.height = data[at + 1] == 0 ? 256 : data[at + 1];
        info.bitCount = u16(data, at + 6);
        info.size = u32(data, at + 8);
        result.push_back(info);
    }
    return result;
}

int imageCount(std::span<const std::uint8_t> data) {
    return static_cast<int>(entries(data).size());
}

std::optional<IconImage> decodeEntry(std::span<const std::uint8_t> data, int index) {
    const auto list = entries(data);
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return std::nullopt;
    const std::size_t at = kDirHeader + static_cast<std::size_t>(index) * kDirEntry;
    const std::uint32_t size = u32(data, at + 8);
    const std::uint32_t offset = u32(data, at + 12);
    if (offset > data.size() || size > data.size() - offset || size == 0) return std::nullopt;
    return decodeImage(data.subspan(offset, size));
}

int bestEntry(const std::vector<EntryInfo>& candidates, int size) {
    int best = -1;
    auto better = [size](const EntryInfo& a, const EntryInfo& b) {
        // Is a a better choice than b?
        const int da = std::max(a.width, a.height);
        const int db = std::max(b.width, b.height);
        const bool aFits = da >= size;
        const bool bFits = db >= size;
        if (aFits != bFits) return aFits;
        if (da != db) return aFits ? da < db : da > db;
        return a.bitCount > b.bitCount;
    };
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (best < 0 || better(candidates[i], candidates[static_cast<std::size_t>(best)]))
            best = static_cast<int>(i);
    }
    return best;
}

}  // namespace hx::platform::ico
