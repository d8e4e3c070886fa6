#include "items/eil_writer.h"

#include <QSaveFile>
#include <algorithm>
#include <cstdint>

#include "items/image_list.h"

namespace hx::items {

namespace {

constexpr std::uint32_t kListColour = 0xFF000000u;
constexpr std::uint16_t kMagic = 0x4C49;  // "IL"
constexpr std::uint16_t kVersion = 0x0101;
constexpr std::uint16_t kGrow = 4;
constexpr std::uint32_t kNoBackground = 0xFFFFFFFFu;  // CLR_NONE
constexpr std::uint16_t kFlags = 0x0020 | 0x0001;     // ILC_COLOR32 | ILC_MASK
constexpr int kImagesPerRow = 4;                      // the common controls' layout
constexpr int kMaxImages = 0xFFFC;                    // counts, capacity included, are 16-bit

void put16(QByteArray& out, std::uint16_t v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>(v >> 8));
}

void put32(QByteArray& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A BMP stream: file header, info header, palette, bottom-up rows.
void putBitmap(QByteArray& out, int width, int height, int bits, const QByteArray& palette,
               const QByteArray& pixels) {
    const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(palette.size());
    out.append("BM", 2);
    put32(out, offset + static_cast<std::uint32_t>(pixels.size()));
    put16(out, 0);
    put16(out, 0);
    put32(out, offset);
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put16(out, 1);
    put16(out, static_cast<std::uint16_t>(bits));
    put32(out, 0);  // BI_RGB
    put32(out, static_cast<std::uint32_t>(pixels.size()));
    put32(out, 0);
    put32(out, 0);
    put32(out, bits <= 8 ? (1u << bits) : 0);
    put32(out, 0);
    out.append(palette);
    out.append(pixels);
}

}  // namespace

QByteArray eilBytes(const ImageList& list) {
    const int count = std::min(list.size(), kMaxImages);
    const int cell = list.imageSize();
    // Capacity is the count rounded up to whole rows, so the bitmaps hold it.
    const int capacity =
        std::max(kImagesPerRow, (count + kImagesPerRow - 1) / kImagesPerRow * kImagesPerRow);
    const int width = cell * kImagesPerRow;
    const int height = cell * (capacity / kImagesPerRow);

    const int colourStride = width * 4;
    const int maskStride = ((width + 31) / 32) * 4;
    QByteArray colour(colourStride * height, '\0');
    // Mask bit 1 is background: the unused cells are all background.
    QByteArray mask(maskStride * height, '\xFF');
    for (int i = 0; i < count; ++i) {
        const QImage image = list.at(i).convertToFormat(QImage::Format_ARGB32);
        const int left = (i % kImagesPerRow) * cell;
        const int top = (i / kImagesPerRow) * cell;
        for (int y = 0; y < cell && y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            const int row = height - 1 - (top + y);  // bottom-up
            char* c = colour.data() + row * colourStride;
            char* m = mask.data() + row * maskStride;
            for (int x = 0; x < cell && x < image.width(); ++x) {
                const QRgb p = line[x];
                const int px = left + x;
                if (qAlpha(p) == 0) continue;  // stays black, background in the mask
                c[px * 4 + 0] = static_cast<char>(qBlue(p));
                c[px * 4 + 1] = static_cast<char>(qGreen(p));
                c[px * 4 + 2] = static_cast<char>(qRed(p));
                c[px * 4 + 3] = static_cast<char>(qAlpha(p));
                m[px / 8] = static_cast<char>(m[px / 8] & ~(0x80 >> (px % 8)));
            }
        }
    }

    QByteArray out;
    out.reserve(8 + 28 + 2 * 54 + 8 + colour.size() + mask.size());
    out.append("MITL", 4);
    put32(out, kListColour);
    put16(out, kMagic);
    put16(out, kVersion);
    put16(out, static_cast<std::uint16_t>(count));
    put16(out, static_cast<std::uint16_t>(capacity));
    put16(out, kGrow);
    put16(out, static_cast<std::uint16_t>(cell));
    put16(out, static_cast<std::uint16_t>(cell));
    put32(out, kNoBackground);
    put16(out, kFlags);
    for (int i = 0; i < 4; ++i) put16(out, 0xFFFF);  // no overlay images
    putBitmap(out, width, height, 32, {}, colour);
    QByteArray palette;
    put32(palette, 0x00000000);  // 0: black (image)
    put32(palette, 0x00FFFFFF);  // 1: white (background)
    putBitmap(out, width, height, 1, palette, mask);
    return out;
}

bool writeEil(const QString& path, const ImageList& list) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = eilBytes(list);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace hx::items
