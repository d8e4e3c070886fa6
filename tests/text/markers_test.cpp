#include <gtest/gtest.h>

#include <QByteArray>

#include "text/markers.h"

using hx::text::cutBetween;

TEST(CutBetween, TextBetweenTheMarkers) {
    EXPECT_EQ(cutBetween("ver{v4.0}end", "{", "}"), QByteArray("v4.0"));
    EXPECT_EQ(cutBetween("<b>bold</b>", "<b>", "</b>"), QByteArray("bold"));
    // The first opening marker and the first closing marker after it.
    EXPECT_EQ(cutBetween("[a][b]", "[", "]"), QByteArray("a"));
    EXPECT_EQ(cutBetween("]x[y]", "[", "]"), QByteArray("y"));
    // Line breaks and markup around the field do not matter.
    EXPECT_EQ(cutBetween("<p>\r\n[http://h/x.zip]\r\n</p>", "[", "]"),
              QByteArray("http://h/x.zip"));
}

TEST(CutBetween, MissingClosingMarkerGivesEmpty) {
    EXPECT_TRUE(cutBetween("{v4.0", "{", "}").isEmpty());
    // A closing marker only before the opening one does not count.
    EXPECT_TRUE(cutBetween("}{v4.0", "{", "}").isEmpty());
}

TEST(CutBetween, MissingOneByteOpeningMarkerGivesEmpty) {
    // Position -1 + 1 = 0 is below the text.
    EXPECT_TRUE(cutBetween("abc]", "[", "]").isEmpty());
}

TEST(CutBetween, MissingLongerOpeningMarkerStartsInsideTheText) {
    // -1 + 2 = 1: the cut starts at the first byte.
    EXPECT_EQ(cutBetween("abcXYdef", "<<", "d"), QByteArray("abcXY"));
    // -1 + 3 = 2: at the second byte.
    EXPECT_EQ(cutBetween("abcXYdef", "<<<", "d"), QByteArray("bcXY"));
    EXPECT_EQ(cutBetween("abcXYdef", "<<<<", "Y"), QByteArray("cX"));
}

TEST(CutBetween, EmptyAndOutOfRangeResults) {
    // Markers adjacent: length 0.
    EXPECT_TRUE(cutBetween("a{}b", "{", "}").isEmpty());
    // Opening marker at the very end: the start lies beyond the text.
    EXPECT_TRUE(cutBetween("abc{", "{", "}").isEmpty());
    // A start beyond the text for a missing long marker.
    EXPECT_TRUE(cutBetween("ab", "<<<<<", "b").isEmpty());
    EXPECT_TRUE(cutBetween("", "{", "}").isEmpty());
    // Closing marker before the computed start.
    EXPECT_TRUE(cutBetween("dabc", "<<<", "d").isEmpty());
}

TEST(CutBetween, EmptyMarkers) {
    // An empty opening marker is found at position 1; an empty closing marker
    // is found at the start itself, giving length 0.
    EXPECT_EQ(cutBetween("abc]", "", "]"), QByteArray("abc"));
    EXPECT_TRUE(cutBetween("abc", "[", "").isEmpty());
    EXPECT_TRUE(cutBetween("[abc", "[", "").isEmpty());
}

TEST(CutBetween, WorksOnGbkBytes) {
    // Byte positions: a two-byte marker and a two-byte closing character.
    const QByteArray gbk("\xCC\xEC\xC6\xF8:\xC7\xE7\xA3\xAC");  // 天气:晴，
    EXPECT_EQ(cutBetween(gbk, "\xCC\xEC\xC6\xF8:", "\xA3\xAC"), QByteArray("\xC7\xE7"));
}
