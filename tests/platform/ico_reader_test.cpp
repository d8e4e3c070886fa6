#include <gtest/gtest.h>

#include <QFile>

#include "icon_test_bytes.h"
#include "platform/ico_reader.h"

namespace hx::test {
namespace {

using namespace hx::platform::ico;

std::uint32_t at(const IconImage& image, int x, int y) {
    return image.argb[static_cast<size_t>(y) * image.width + x];
}

TEST(IcoReader, Decodes32BitImagesWithTheirOwnAlphaTopRowFirst) {
    // Left half translucent red, right half opaque blue; the top row is green.
    const Bytes image = dibImage(
        4, 4, 32,
        [](int x, int y) -> std::uint32_t {
            if (y == 0) return 0xFF00FF00;
            return x < 2 ? 0x80FF0000 : 0xFF0000FF;
        },
        [](int, int) { return false; });
    const auto decoded = decodeEntry(icoFile({{4, 32, image}}), 0);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, 4);
    EXPECT_EQ(decoded->height, 4);
    EXPECT_TRUE(decoded->png.empty());
    EXPECT_EQ(at(*decoded, 0, 0), 0xFF00FF00u);
    EXPECT_EQ(at(*decoded, 1, 3), 0x80FF0000u);
    EXPECT_EQ(at(*decoded, 3, 3), 0xFF0000FFu);
}

TEST(IcoReader, ThirtyTwoBitImagesWithoutAlphaFallBackToTheMask) {
    const Bytes image = dibImage(
        8, 8, 32, [](int, int) { return 0x00123456u; }, [](int x, int) { return x == 0; });
    const auto decoded = decodeImage(image);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(at(*decoded, 0, 5), 0u);
    EXPECT_EQ(at(*decoded, 1, 5), 0xFF123456u);
}

TEST(IcoReader, PaletteAndTrueColourDepthsUseTheMaskForTransparency) {
    const std::vector<std::uint32_t> palette16 = {
        0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x111111, 0x222222, 0x333333, 0x444444,
        0x555555, 0x666666, 0x777777, 0x888888, 0x999999, 0xAAAAAA, 0xBBBBBB, 0xCCCCCC};
    auto masked = [](int x, int y) { return x == 3 && y == 1; };
    {
        const auto d = decodeImage(
            dibImage(5, 3, 1, [](int x, int) { return x % 2u; }, masked, {0x000000, 0xFFFFFF}));
        ASSERT_TRUE(d);
        EXPECT_EQ(at(*d, 0, 0), 0xFF000000u);
        EXPECT_EQ(at(*d, 1, 0), 0xFFFFFFFFu);
        EXPECT_EQ(at(*d, 3, 1), 0u);
    }
    {
        const auto d = decodeImage(dibImage(
            5, 3, 4, [](int x, int y) { return std::uint32_t(x + y * 5) % 16; }, masked,
            palette16));
        ASSERT_TRUE(d);
        EXPECT_EQ(at(*d, 1, 0), 0xFFFF0000u);
        EXPECT_EQ(at(*d, 4, 2), 0xFFBBBBBBu);  // palette entry 4 + 2 * 5
        EXPECT_EQ(at(*d, 3, 1), 0u);
    }
    {
        const auto d = decodeImage(dibImage(3, 2, 8, [](int x, int) { return std::uint32_t(x); },
                                            masked, {0x010203, 0x040506, 0x070809}));
        ASSERT_TRUE(d);
        EXPECT_EQ(at(*d, 2, 1), 0xFF070809u);
    }
    {
        const auto d = decodeImage(dibImage(
            3, 3, 24, [](int, int y) { return 0x00ABCDEFu + std::uint32_t(y); }, masked));
        ASSERT_TRUE(d);
        EXPECT_EQ(at(*d, 0, 2), 0xFFABCDF1u);
    }
}

TEST(IcoReader, ImagesWithoutAMaskAreOpaque) {
    const auto d = decodeImage(dibImage(
        4, 4, 24, [](int, int) { return 0x00102030u; }, [](int, int) { return true; }, {},
        /*withMask=*/false));
    ASSERT_TRUE(d);
    EXPECT_EQ(at(*d, 2, 2), 0xFF102030u);
}

TEST(IcoReader, PngEntriesAreHandedOverAsTheyAre) {
    const Bytes png = pngImage(48, qRgba(1, 2, 3, 4));
    const Bytes file = icoFile({{16, 32, solidImage(16, 0xFF000000)}, {48, 32, png}});
    EXPECT_EQ(imageCount(file), 2);
    const auto d = decodeEntry(file, 1);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->width, 48);
    EXPECT_EQ(d->png, png);
}

TEST(IcoReader, RefusesOversizedAndMalformedImages) {
    EXPECT_FALSE(decodeImage(solidImage(257, 0xFF000000)));
    Bytes hugePng = pngImage(8, 0);
    hugePng[16] = 0x10;  // IHDR width 0x10000008
    EXPECT_FALSE(decodeImage(hugePng));
    Bytes rle = solidImage(4, 0xFF000000);
    set32(rle, 16, 1);  // BI_RLE8
    EXPECT_FALSE(decodeImage(rle));
    Bytes twelveBit = solidImage(4, 0xFF000000);
    twelveBit[14] = 12;
    EXPECT_FALSE(decodeImage(twelveBit));
    Bytes negative = solidImage(4, 0xFF000000);
    set32(negative, 4, 0xFFFFFFFC);
    EXPECT_FALSE(decodeImage(negative));
    Bytes shortHeader = solidImage(4, 0xFF000000);
    set32(shortHeader, 0, 12);  // an OS/2 core header is not an icon image
    EXPECT_FALSE(decodeImage(shortHeader));
}

TEST(IcoReader, EveryTruncationOfAFileIsRefusedOrDecodedSafely) {
    const Bytes file =
        icoFile({{16, 8,
                  dibImage(
                      16, 16, 8, [](int x, int) { return std::uint32_t(x); },
                      [](int, int) { return false; }, std::vector<std::uint32_t>(256, 0x336699))}});
    ASSERT_TRUE(decodeEntry(file, 0));
    for (size_t len = 0; len < file.size(); ++len) {
        const Bytes part(file.begin(), file.begin() + static_cast<long>(len));
        EXPECT_FALSE(decodeEntry(part, 0)) << "length " << len;
    }
}

TEST(IcoReader, DirectoryIndexesAndOffsetsAreChecked) {
    Bytes file =
        icoFile({{16, 32, solidImage(16, 0xFF112233)}, {32, 32, solidImage(32, 0xFF445566)}});
    EXPECT_EQ(imageCount(file), 2);
    EXPECT_FALSE(decodeEntry(file, 2));
    EXPECT_FALSE(decodeEntry(file, -1));
    const auto second = decodeEntry(file, 1);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->width, 32);
    EXPECT_EQ(at(*second, 0, 0), 0xFF445566u);

    Bytes badOffset = file;
    set32(badOffset, 6 + 16 + 12, 0xFFFFFFF0u);
    EXPECT_FALSE(decodeEntry(badOffset, 1));
    EXPECT_TRUE(decodeEntry(badOffset, 0));

    Bytes tooMany = file;
    tooMany[4] = 0xFF;  // 65535 entries claimed, the table does not fit
    tooMany[5] = 0xFF;
    EXPECT_EQ(imageCount(tooMany), 0);
    Bytes cursor = file;
    cursor[2] = 2;
    EXPECT_EQ(imageCount(cursor), 0);
    EXPECT_EQ(imageCount(Bytes{}), 0);
}

TEST(IcoReader, BestEntryPrefersTheSmallestThatIsLargeEnoughThenDepth) {
    const std::vector<EntryInfo> sizes = {
        {16, 16, 32, 0}, {48, 48, 32, 0}, {32, 32, 8, 0}, {32, 32, 32, 0}, {256, 256, 32, 0}};
    EXPECT_EQ(bestEntry(sizes, 32), 3);
    EXPECT_EQ(bestEntry(sizes, 16), 0);
    EXPECT_EQ(bestEntry(sizes, 40), 1);
    EXPECT_EQ(bestEntry(sizes, 300), 4);  // none large enough: the largest
    EXPECT_EQ(bestEntry({}, 32), -1);
}

TEST(IcoReader, TheWebLinkIconIsACompleteThirtyTwoBitIconWithAlpha) {
    QFile file(":/icons/weblink.ico");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    EXPECT_EQ(data.size(), 4286);
    const Bytes bytes(data.begin(), data.end());
    ASSERT_EQ(imageCount(bytes), 1);
    const auto e = entries(bytes);
    EXPECT_EQ(e[0].size, 4264u);
    EXPECT_EQ(e[0].bitCount, 32);
    const auto d = decodeEntry(bytes, 0);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->width, 32);
    EXPECT_EQ(d->bitCount, 32);
    int transparent = 0, opaque = 0, partial = 0;
    for (std::uint32_t p : d->argb) {
        const std::uint32_t a = p >> 24;
        if (a == 0)
            ++transparent;
        else if (a == 255)
            ++opaque;
        else
            ++partial;
    }
    EXPECT_GT(transparent, 50);
    EXPECT_GT(opaque, 300);
    EXPECT_GT(partial, 10);  // smooth edges
}

}  // namespace
}  // namespace hx::test
