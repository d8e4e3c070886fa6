#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

#include "items/eil_writer.h"
#include "items/image_list.h"

namespace hx::test {
namespace {

using items::ImageList;

QImage solid(int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

TEST(ImageList, AppendsInOrderAtTheListsSize) {
    ImageList list(16);
    EXPECT_EQ(list.imageSize(), 16);
    EXPECT_EQ(list.size(), 0);
    EXPECT_EQ(list.append(solid(32, 32, 0xFFFF0000)), 0);
    EXPECT_EQ(list.append(solid(16, 16, 0xFF00FF00)), 1);
    EXPECT_EQ(list.append(solid(8, 8, 0xFF0000FF)), 2);
    ASSERT_EQ(list.size(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list.at(i).size(), QSize(16, 16));
    EXPECT_EQ(list.at(0).pixel(8, 8), 0xFFFF0000u);
    EXPECT_EQ(list.at(2).pixel(15, 15), 0xFF0000FFu);
    EXPECT_TRUE(list.at(3).isNull());
    EXPECT_TRUE(list.at(-1).isNull());
}

TEST(ImageList, NullImagesAreNotAppended) {
    ImageList list(32);
    EXPECT_EQ(list.append(QImage()), -1);
    EXPECT_EQ(list.size(), 0);
}

TEST(ImageList, OblongImagesKeepTheirShapeCentredOnTransparency) {
    ImageList list(32);
    list.append(solid(64, 32, 0xFF123456));
    const QImage image = list.at(0);
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(image.pixel(16, 2)), 0);  // above the 32x16 band
    EXPECT_EQ(image.pixel(16, 16), 0xFF123456u);
    EXPECT_EQ(qAlpha(image.pixel(16, 29)), 0);  // below it
}

// --- .eil files ---------------------------------------------------------------

struct Reader {
    QByteArray data;
    qsizetype at = 0;
    std::uint32_t u16() {
        const auto v = static_cast<std::uint32_t>(static_cast<std::uint8_t>(data[at])) |
                       static_cast<std::uint32_t>(static_cast<std::uint8_t>(data[at + 1])) << 8;
        at += 2;
        return v;
    }
    std::uint32_t u32() {
        const std::uint32_t lo = u16();
        return lo | (u16() << 16);
    }
    QByteArray bytes(qsizetype n) {
        const QByteArray b = data.mid(at, n);
        at += n;
        return b;
    }
};

struct Bitmap {
    int width = 0, height = 0, bits = 0;
    QByteArray palette, pixels;
};

Bitmap readBitmap(Reader& r) {
    Bitmap bm;
    const qsizetype start = r.at;
    EXPECT_EQ(r.bytes(2), "BM");
    const std::uint32_t fileSize = r.u32();
    EXPECT_EQ(r.u32(), 0u);  // reserved
    const std::uint32_t offBits = r.u32();
    EXPECT_EQ(r.u32(), 40u);
    bm.width = static_cast<int>(r.u32());
    bm.height = static_cast<int>(r.u32());
    EXPECT_EQ(r.u16(), 1u);
    bm.bits = static_cast<int>(r.u16());
    EXPECT_EQ(r.u32(), 0u);  // BI_RGB
    const std::uint32_t imageSize = r.u32();
    r.u32();
    r.u32();
    const std::uint32_t colours = r.u32();
    r.u32();
    bm.palette = r.bytes(static_cast<qsizetype>(colours) * 4);
    EXPECT_EQ(r.at - start, static_cast<qsizetype>(offBits));
    const int stride = ((bm.width * bm.bits + 31) / 32) * 4;
    EXPECT_EQ(imageSize, static_cast<std::uint32_t>(stride * bm.height));
    bm.pixels = r.bytes(imageSize);
    EXPECT_EQ(r.at - start, static_cast<qsizetype>(fileSize));
    return bm;
}

// Pixel (x, y) of a 32-bit bottom-up bitmap as 0xAARRGGBB.
std::uint32_t colourAt(const Bitmap& bm, int x, int y) {
    const int row = bm.height - 1 - y;
    const auto* p =
        reinterpret_cast<const std::uint8_t*>(bm.pixels.constData()) + (row * bm.width + x) * 4;
    return (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) |
           p[0];
}

bool maskAt(const Bitmap& bm, int x, int y) {
    const int stride = ((bm.width + 31) / 32) * 4;
    const int row = bm.height - 1 - y;
    return (static_cast<std::uint8_t>(bm.pixels[row * stride + x / 8]) >> (7 - x % 8)) & 1;
}

TEST(EilWriter, WritesTheListHeaderAndBothBitmapsFieldByField) {
    ImageList list(16);
    for (int i = 0; i < 5; ++i) list.append(solid(16, 16, qRgba(10 * i, 20, 30, 255)));
    QImage holed = solid(16, 16, 0xFF00FF00);
    holed.setPixel(3, 4, 0x00000000);
    list.append(holed);

    QTemporaryDir dir;
    const QString path = dir.filePath("系统.eil");
    ASSERT_TRUE(items::writeEil(path, list));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    Reader r{file.readAll()};

    EXPECT_EQ(r.bytes(4), "MITL");
    EXPECT_EQ(r.u32(), 0xFF000000u);
    EXPECT_EQ(r.u16(), 0x4C49u);  // "IL"
    EXPECT_EQ(r.u16(), 0x0101u);
    EXPECT_EQ(r.u16(), 6u);  // images
    const std::uint32_t capacity = r.u16();
    EXPECT_GE(capacity, 6u);
    EXPECT_EQ(capacity % 4, 0u);
    EXPECT_GT(r.u16(), 0u);           // growth
    EXPECT_EQ(r.u16(), 16u);          // width
    EXPECT_EQ(r.u16(), 16u);          // height
    EXPECT_EQ(r.u32(), 0xFFFFFFFFu);  // no background colour
    EXPECT_EQ(r.u16(), 0x21u);        // 32-bit colour with mask
    for (int i = 0; i < 4; ++i) EXPECT_EQ(r.u16(), 0xFFFFu);

    const Bitmap image = readBitmap(r);
    EXPECT_EQ(image.bits, 32);
    EXPECT_EQ(image.width, 64);  // four images a row
    EXPECT_EQ(image.height, static_cast<int>(16 * capacity / 4));
    // Image 1 is in row 0, column 1; image 5 in row 1, column 1.
    EXPECT_EQ(colourAt(image, 16 + 8, 8), 0xFF0A141Eu);
    EXPECT_EQ(colourAt(image, 16 + 8, 16 + 8), 0xFF00FF00u);
    EXPECT_EQ(colourAt(image, 16 + 3, 16 + 4), 0u);

    const Bitmap mask = readBitmap(r);
    EXPECT_EQ(mask.bits, 1);
    EXPECT_EQ(mask.width, 64);
    EXPECT_EQ(mask.height, image.height);
    ASSERT_EQ(mask.palette.size(), 8);
    EXPECT_FALSE(maskAt(mask, 16 + 8, 16 + 8));  // opaque pixel
    EXPECT_TRUE(maskAt(mask, 16 + 3, 16 + 4));   // the hole
    EXPECT_TRUE(maskAt(mask, 32 + 1, 16 + 1));   // unused cell
    EXPECT_EQ(r.at, r.data.size());
}

TEST(EilWriter, AnEmptyListStillMakesAValidFile) {
    const QByteArray bytes = items::eilBytes(ImageList(32));
    Reader r{bytes};
    r.bytes(8);
    r.bytes(4);
    EXPECT_EQ(r.u16(), 0u);
    r.bytes(28 - 6);
    const Bitmap image = readBitmap(r);
    EXPECT_EQ(image.width, 128);
    EXPECT_GE(image.height, 32);
    readBitmap(r);
    EXPECT_EQ(r.at, bytes.size());
}

TEST(EilWriter, ReplacesTheFileWholeAndReportsFailure) {
    QTemporaryDir dir;
    const QString path = dir.filePath("程序.eil");
    ImageList one(32);
    one.append(solid(32, 32, 0xFF000000));
    ASSERT_TRUE(items::writeEil(path, one));
    ImageList none(32);
    ASSERT_TRUE(items::writeEil(path, none));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), items::eilBytes(none));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"程序.eil"});

    EXPECT_FALSE(items::writeEil(dir.filePath("missing/程序.eil"), one));
}

}  // namespace
}  // namespace hx::test
