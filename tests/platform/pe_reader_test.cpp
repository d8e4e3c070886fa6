#include <gtest/gtest.h>

#include "icon_test_bytes.h"
#include "platform/pe_reader.h"

namespace hx::test {
namespace {

using namespace hx::platform;

std::uint32_t firstPixel(const ico::IconImage& image) { return image.argb.at(0); }

// Three groups: #5 with a 16 and a 32 pixel image, #9 with 48 pixels as PNG,
// #12 with one 16 pixel image.
Bytes sampleProgram(bool plus = false) {
    return peFile(
        {{5, {{16, 32, solidImage(16, 0xFF000016)}, {32, 32, solidImage(32, 0xFF000032)}}},
         {9, {{48, 32, pngImage(48, qRgba(9, 9, 9, 255))}}},
         {12, {{16, 4, solidImage(16, 0xFF000012)}}}},
        plus);
}

TEST(PeReader, CountsAndAddressesIconGroupsByPositionAndByNumber) {
    for (bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        const Bytes file = sampleProgram(plus);
        EXPECT_EQ(pe::iconGroupCount(file), 3);
        EXPECT_TRUE(pe::hasIconGroup(file, 0));
        EXPECT_TRUE(pe::hasIconGroup(file, 2));
        EXPECT_FALSE(pe::hasIconGroup(file, 3));
        // A negative index names the group by its resource number.
        EXPECT_TRUE(pe::hasIconGroup(file, -9));
        EXPECT_FALSE(pe::hasIconGroup(file, -2));
        const auto byNumber = pe::loadIconGroup(file, -12, 32);
        ASSERT_TRUE(byNumber);
        EXPECT_EQ(firstPixel(*byNumber), 0xFF000012u);
        const auto third = pe::loadIconGroup(file, 2, 32);
        ASSERT_TRUE(third);
        EXPECT_EQ(firstPixel(*third), 0xFF000012u);
    }
}

TEST(PeReader, PicksTheImageThatSuitsTheRequestedSize) {
    const Bytes file = sampleProgram();
    const auto large = pe::loadIconGroup(file, 0, 32);
    ASSERT_TRUE(large);
    EXPECT_EQ(large->width, 32);
    EXPECT_EQ(firstPixel(*large), 0xFF000032u);
    const auto small = pe::loadIconGroup(file, 0, 16);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->width, 16);
    const auto png = pe::loadIconGroup(file, 1, 32);
    ASSERT_TRUE(png);
    EXPECT_EQ(png->width, 48);
    EXPECT_FALSE(png->png.empty());
}

TEST(PeReader, FallsBackToAnotherImageWhenTheBestOneIsMissingOrBroken) {
    // The 32 pixel entry names icon #77, which the file does not have.
    const Bytes missing =
        peFile({{1,
                 {{16, 32, solidImage(16, 0xFF000016)}, {32, 32, solidImage(32, 0xFF000032)}},
                 {1, 77}}});
    const auto image = pe::loadIconGroup(missing, 0, 32);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 16);

    Bytes garbage(40, 0xEE);  // a "DIB" that is not one
    const Bytes broken = peFile({{1, {{16, 32, solidImage(16, 0xFF000016)}, {32, 32, garbage}}}});
    const auto other = pe::loadIconGroup(broken, 0, 32);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->width, 16);

    const Bytes none = peFile({{1, {{32, 32, garbage}}}});
    EXPECT_TRUE(pe::hasIconGroup(none, 0));        // the group is there …
    EXPECT_FALSE(pe::loadIconGroup(none, 0, 32));  // … its image is not usable
}

TEST(PeReader, FilesWithoutIconsOrNotProgramsHaveNone) {
    EXPECT_EQ(pe::iconGroupCount(peFile({})), 0);
    EXPECT_FALSE(pe::hasIconGroup(peFile({}), 0));
    const Bytes text = {'h', 'e', 'l', 'l', 'o'};
    EXPECT_EQ(pe::iconGroupCount(text), 0);
    EXPECT_FALSE(pe::loadIconGroup(text, 0, 32));
    Bytes dosOnly(200, 0);
    dosOnly[0] = 'M';
    dosOnly[1] = 'Z';
    EXPECT_EQ(pe::iconGroupCount(dosOnly), 0);
}

TEST(PeReader, CorruptHeadersAndOffsetsGiveNothing) {
    const Bytes good = sampleProgram();
    {
        Bytes b = good;
        set32(b, 0x3C, 0xFFFFFFF0u);  // PE header far outside the file
        EXPECT_EQ(pe::iconGroupCount(b), 0);
    }
    {
        Bytes b = good;
        b[0x40 + 24] = 0x07;  // unknown optional-header magic
        EXPECT_EQ(pe::iconGroupCount(b), 0);
    }
    {
        Bytes b = good;
        // Section's raw data pointer beyond the end of the file.
        const size_t section = 0x40 + 24 + 224;
        set32(b, section + 20, 0x7FFFFFFF);
        EXPECT_EQ(pe::iconGroupCount(b), 0);
        EXPECT_FALSE(pe::loadIconGroup(b, 0, 32));
    }
    {
        Bytes b = good;
        // The root directory claims 65535 entries: only those present are read.
        b[0x200 + 14] = 0xFF;
        b[0x200 + 15] = 0xFF;
        EXPECT_EQ(pe::iconGroupCount(b), 3);
    }
    {
        Bytes b = good;
        // A type entry that points back at the root (a loop) finds no groups.
        set32(b, 0x200 + 16 + 8 + 4, 0x80000000u);
        EXPECT_NO_FATAL_FAILURE(pe::iconGroupCount(b));
        EXPECT_FALSE(pe::loadIconGroup(b, 0, 32));
    }
}

TEST(PeReader, EveryTruncationIsHandled) {
    // The last group's header is the last thing in the resource data, so every
    // cut before the section's zero padding (under 512 bytes) loses something.
    const Bytes file = sampleProgram();
    ASSERT_TRUE(pe::loadIconGroup(file, 2, 32));
    for (size_t len = 0; len + 512 < file.size(); ++len) {
        const Bytes part(file.begin(), file.begin() + static_cast<long>(len));
        ASSERT_FALSE(pe::loadIconGroup(part, 2, 32)) << "length " << len;
        (void)pe::iconGroupCount(part);
    }
}

}  // namespace
}  // namespace hx::test
