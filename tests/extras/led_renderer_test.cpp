#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "extras/led_renderer.h"

namespace hx::extras {
namespace {

std::vector<LedLine> sorted(std::vector<LedLine> v) {
    std::sort(v.begin(), v.end(), [](const LedLine& a, const LedLine& b) {
        return std::tie(a.x1, a.y1, a.x2, a.y2) < std::tie(b.x1, b.y1, b.x2, b.y2);
    });
    return v;
}

// Lines whose left end lies in [from, to).
std::vector<LedLine> linesIn(const LedFrame& f, int from, int to) {
    std::vector<LedLine> out;
    for (const LedLine& l : f.lines)
        if (std::min(l.x1, l.x2) >= from && std::min(l.x1, l.x2) < to) out.push_back(l);
    return out;
}

bool contains(const LedFrame& f, const LedLine& l) {
    return std::find(f.lines.begin(), f.lines.end(), l) != f.lines.end();
}

TEST(LedSettings, ValuesBelowOneRestoreTheInitialValues) {
    LedSettings s;
    s.setColours(255, 7);
    s.setSizes(20, 12, 3, 4);
    EXPECT_EQ(s.foreColour(), 255);
    EXPECT_EQ(s.backColour(), 7);
    EXPECT_EQ(s.digitHeight(), 20);

    s.setColours(0, -3);
    s.setSizes(0, -1, 0, -100);
    EXPECT_EQ(s.foreColour(), 65280);
    EXPECT_EQ(s.backColour(), 0);
    EXPECT_EQ(s.digitHeight(), 32);
    EXPECT_EQ(s.digitWidth(), 16);
    EXPECT_EQ(s.spacing(), 4);
    EXPECT_EQ(s.segmentWidth(), 4);
    EXPECT_EQ(s, LedSettings());
}

TEST(LedSettings, InsetFlagNeedsTwoSegmentWidthsWithinWidthLessEight) {
    EXPECT_EQ(LedSettings::clock().insetFlag(), 0);  // 2·4 > 12 − 8
    EXPECT_EQ(LedSettings().insetFlag(), 1);         // 2·4 <= 16 − 8
    LedSettings s;
    s.setSizes(32, 15, 4, 4);
    EXPECT_EQ(s.insetFlag(), 0);
    EXPECT_EQ(LedSettings::clock().backColour(), 15527148);
    EXPECT_EQ(colourFromValue(15527148), QColor(236, 236, 236));
    EXPECT_EQ(colourFromValue(65280), QColor(0, 255, 0));
    EXPECT_EQ(colourFromValue(0x0000FF), QColor(255, 0, 0));  // red in the low byte
}

// "09:05" with the clock's values on the 78 × 26 design panel.
// H 20, W 12, G 3, T 4, F 0; L = 5, cell = W + G = 15.
//   x0 = (78 − 75) / 2 = 1, y0 = (26 − 20) / 2 = 3, G/2 → 1, H/2 = 10
//   cells: "0" x 1, "9" x 16, ":" x 31, "0" x 46, "5" x 61
// First "0" (x 1): Xs = 2, Xr = 1 + 12 + 1 = 14
//   top      rows 3+k, cols 2+k .. 14−k     (2,3)-(14,3) (3,4)-(13,4) (4,5)-(12,5) (5,6)-(11,6)
//   u.right  col 14−k, rows 3+k .. 13−k    (14,3)-(14,13) (13,4)-(13,12) (12,5)-(12,11)
//   (11,6)-(11,10) l.right  col 14−k, rows 13+k .. 23−k   (14,13)-(14,23) (13,14)-(13,22)
//   (12,15)-(12,21) (11,16)-(11,20) u.left   col 2+k, rows 3+k .. 13−k     (2,3)-(2,13)
//   (3,4)-(3,12) (4,5)-(4,11) (5,6)-(5,10) l.left   col 2+k, rows 13+k .. 23−k    (2,13)-(2,23)
//   (3,14)-(3,22) (4,15)-(4,21) (5,16)-(5,20) bottom   rows 23−k, cols 2+k .. 14−k   (2,23)-(14,23)
//   (3,22)-(13,22) (4,21)-(12,21) (5,20)-(11,20)
// "9" middle (x 16): Xs = 17, row 13: (17,13)-(29,13), then k 0: row 13 twice,
//   k 1: (18,14)-(28,14) and (18,12)-(28,12)
// ":" (x 31): left = 31 + 1.5 → 32, right = 31 + 1.5 + 6 + 1.5 = 40
//   upper: top 3 + 5 = 8, bottom 8 + 3 = 11;  lower: top 3 + 15 = 18, bottom 21
TEST(LedRenderer, ClockTextMatchesHandComputedCoordinates) {
    const LedFrame f = renderLed(QByteArray("09:05"), 78, 26, 0, LedSettings::clock());
    EXPECT_EQ(f.width, 78);
    EXPECT_EQ(f.height, 26);
    EXPECT_EQ(f.x0, 1);
    EXPECT_EQ(f.y0, 3);
    EXPECT_EQ(f.backColour, 15527148);
    EXPECT_EQ(f.foreColour, 65280);

    const std::vector<LedLine> zero = {
        {2, 3, 14, 3},    {3, 4, 13, 4},    {4, 5, 12, 5},   {5, 6, 11, 6},    {14, 3, 14, 13},
        {13, 4, 13, 12},  {12, 5, 12, 11},  {11, 6, 11, 10}, {14, 13, 14, 23}, {13, 14, 13, 22},
        {12, 15, 12, 21}, {11, 16, 11, 20}, {2, 3, 2, 13},   {3, 4, 3, 12},    {4, 5, 4, 11},
        {5, 6, 5, 10},    {2, 13, 2, 23},   {3, 14, 3, 22},  {4, 15, 4, 21},   {5, 16, 5, 20},
        {2, 23, 14, 23},  {3, 22, 13, 22},  {4, 21, 12, 21}, {5, 20, 11, 20},
    };
    EXPECT_EQ(sorted(linesIn(f, 1, 16)), sorted(zero));

    const std::vector<LedLine> nineMiddle = {
        {17, 13, 29, 13}, {17, 13, 29, 13}, {17, 13, 29, 13}, {18, 14, 28, 14}, {18, 12, 28, 12}};
    std::vector<LedLine> nineRows;
    for (const LedLine& l : linesIn(f, 16, 31))
        if (l.y1 == l.y2 && l.y1 >= 12 && l.y1 <= 14) nineRows.push_back(l);
    EXPECT_EQ(sorted(nineRows), sorted(nineMiddle));

    EXPECT_EQ(f.rects, (std::vector<LedRect>{{32, 8, 40, 11}, {32, 18, 40, 21}}));
    EXPECT_TRUE(linesIn(f, 31, 46).empty());  // the colon has no lines

    // The second "0" is the first one moved by three cells.
    std::vector<LedLine> shifted = zero;
    for (LedLine& l : shifted) l.x1 += 45, l.x2 += 45;
    EXPECT_EQ(sorted(linesIn(f, 46, 61)), sorted(shifted));

    // "5": lower right only on the right side; its outer line ends inside the panel.
    EXPECT_TRUE(contains(f, {74, 13, 74, 23}));
    EXPECT_FALSE(contains(f, {74, 3, 74, 13}));
    EXPECT_EQ(f.lines.size(), 24u + 25u + 24u + 21u);  // "0", "9", "0", "5"
}

// Initial values: H 32, W 16, G 4, T 4, F 1 (2·4 <= 16 − 8).
// "8" alone on a 40 × 40 panel: x0 = (40 − 20) / 2 = 10, y0 = (40 − 32) / 2 = 4
//   Xs = 12, Xr = 28, H/2 = 16
//   top     rows 4+k, cols 12+k+3 .. 26−k    (15,4)-(26,4) (16,5)-(25,5) (17,6)-(24,6)
//   (18,7)-(23,7) u.right col 28−k, rows 4+k+2 .. 19−k     (28,6)-(28,19) (27,7)-(27,18)
//   (26,8)-(26,17) (25,9)-(25,16) middle  row 20, cols 15 .. 26
// ".": left 10 + 2 + (8 − 2) = 18, right 10 + 2 + 8 + 2 = 22, top 4 + 24 = 28, bottom 28 + 4 = 32
// ":" upper dot: top 4 + 8 = 12, bottom 16
TEST(LedRenderer, InsetFlagShortensSegmentsAndNarrowsDots) {
    const LedSettings s;
    const LedFrame eight = renderLed(QByteArray("8"), 40, 40, 0, s);
    EXPECT_EQ(eight.x0, 10);
    EXPECT_EQ(eight.y0, 4);
    for (const LedLine& l : std::vector<LedLine>{{15, 4, 26, 4},
                                                 {16, 5, 25, 5},
                                                 {17, 6, 24, 6},
                                                 {18, 7, 23, 7},
                                                 {28, 6, 28, 19},
                                                 {27, 7, 27, 18},
                                                 {26, 8, 26, 17},
                                                 {25, 9, 25, 16},
                                                 {15, 20, 26, 20}})
        EXPECT_TRUE(contains(eight, l)) << l.x1 << "," << l.y1 << "-" << l.x2 << "," << l.y2;
    EXPECT_EQ(eight.lines.size(), 7u * 4u + 1u);  // the middle has one extra line

    EXPECT_EQ(renderLed(QByteArray("."), 40, 40, 0, s).rects,
              (std::vector<LedRect>{{18, 28, 22, 32}}));
    EXPECT_EQ(renderLed(QByteArray(":"), 40, 40, 0, s).rects,
              (std::vector<LedRect>{{18, 12, 22, 16}, {18, 28, 22, 32}}));
}

TEST(LedRenderer, TooSmallPanelGrowsAndStartsAtFour) {
    const LedSettings s = LedSettings::clock();
    const LedFrame f = renderLed(QByteArray("09:05"), 70, 18, 0, s);
    EXPECT_EQ(f.width, 83);   // 0 + 5·15 + 8
    EXPECT_EQ(f.height, 28);  // 0 + 20 + 8
    EXPECT_EQ(f.x0, 4);
    EXPECT_EQ(f.y0, 4);
    EXPECT_TRUE(contains(f, {5, 4, 17, 4}));  // top of the first "0": Xs = 4 + 1

    // Exactly big enough: kept, drawn from 0.
    const LedFrame exact = renderLed(QByteArray("09:05"), 75, 20, 0, s);
    EXPECT_EQ(exact.width, 75);
    EXPECT_EQ(exact.height, 20);
    EXPECT_EQ(exact.x0, 0);
    EXPECT_EQ(exact.y0, 0);

    const LedFrame oneShort = renderLed(QByteArray("09:05"), 74, 19, 0, s);
    EXPECT_EQ(oneShort.width, 83);
    EXPECT_EQ(oneShort.height, 28);

    // A border allowance counts towards the fit and the grown size.
    const LedFrame bordered = renderLed(QByteArray("09:05"), 72, 17, 2, s);
    EXPECT_EQ(bordered.width, 85);   // 2 + 72 < 75
    EXPECT_EQ(bordered.height, 30);  // 17 + 2 < 20
    const LedFrame borderFits = renderLed(QByteArray("09:05"), 80, 30, 2, s);
    EXPECT_EQ(borderFits.x0, (80 - (2 + 75)) / 2);
    EXPECT_EQ(borderFits.y0, (30 - 2 - 20) / 2);
}

TEST(LedRenderer, OtherBytesLeaveBlankCellsOfFullWidth) {
    const LedSettings s = LedSettings::clock();
    const LedFrame lower = renderLed(QByteArray("0a0"), 78, 26, 0, s);
    const LedFrame space = renderLed(QByteArray("0 0"), 78, 26, 0, s);
    const LedFrame digits = renderLed(QByteArray("000"), 78, 26, 0, s);
    EXPECT_EQ(lower.lines, space.lines);
    EXPECT_EQ(lower.lines.size(), 48u);
    // Same cells as "000" with the middle one left out.
    const int x0 = digits.x0;
    std::vector<LedLine> outer = linesIn(digits, x0, x0 + 15);
    const auto third = linesIn(digits, x0 + 30, x0 + 45);
    outer.insert(outer.end(), third.begin(), third.end());
    EXPECT_EQ(sorted(lower.lines), sorted(outer));

    for (const char* other : {"a", "f", "G", "#", "\x7F", "\xB0"})
        EXPECT_TRUE(renderLed(QByteArray(other), 78, 26, 0, s).lines.empty()) << other;
}

TEST(LedRenderer, BlanksAtTheEndsAreDroppedButCountTowardsTheOrigin) {
    const LedSettings s = LedSettings::clock();
    // L = 3 → x0 = (78 − 45) / 2 = 16; the "8" takes the first cell.
    const LedFrame ascii = renderLed(QByteArray(" 8 "), 78, 26, 0, s);
    EXPECT_EQ(ascii.x0, 16);
    EXPECT_TRUE(contains(ascii, {17, 3, 29, 3}));
    // "　" is two bytes in GBK: L = 3 as well.
    const LedFrame wide = renderLed(QStringLiteral("　8"), 78, 26, 0, s);
    EXPECT_EQ(wide.lines, ascii.lines);
    const LedFrame both = renderLed(QStringLiteral(" 　8　 "), 200, 26, 0, s);
    EXPECT_EQ(both.lines.size(), 29u);
    EXPECT_TRUE(renderLed(QStringLiteral("　 　"), 78, 26, 0, s).lines.empty());
    // A blank inside the text keeps its cell.
    EXPECT_TRUE(contains(renderLed(QByteArray("8 8"), 78, 26, 0, s), {17 + 30, 3, 29 + 30, 3}));
}

// The outer line of each segment for a cell at the origin with the clock's values
// (x 1, y 3; Xs 2, Xr 14), used to tell which segments a character lights.
std::map<LedSegment, LedLine> outerLines() {
    using enum LedSegment;
    return {{Top, {2, 3, 14, 3}},          {Bottom, {2, 23, 14, 23}},
            {UpperRight, {14, 3, 14, 13}}, {LowerRight, {14, 13, 14, 23}},
            {UpperLeft, {2, 3, 2, 13}},    {LowerLeft, {2, 13, 2, 23}},
            {Middle, {2, 13, 14, 13}}};
}

TEST(LedRenderer, EachCharacterLightsItsSegments) {
    // Segment letters: t top, r upper right, R lower right, l upper left,
    // L lower left, m middle, b bottom.
    const std::map<char, std::string> table = {
        {'0', "trRlLb"}, {'1', "rR"},     {'2', "trLmb"}, {'3', "trRmb"},   {'4', "rRlm"},
        {'5', "tRlmb"},  {'6', "tRlLmb"}, {'7', "trR"},   {'8', "trRlLmb"}, {'9', "trRlmb"},
        {'A', "trRlLm"}, {'B', "RlLmb"},  {'C', "tlLb"},  {'D', "rRLmb"},   {'E', "tlLmb"},
        {'F', "tlLm"},   {'-', "m"}};
    using enum LedSegment;
    const std::map<char, LedSegment> letter = {
        {'t', Top},       {'r', UpperRight}, {'R', LowerRight}, {'l', UpperLeft},
        {'L', LowerLeft}, {'m', Middle},     {'b', Bottom}};
    const auto outer = outerLines();
    for (const auto& [c, lit] : table) {
        // Padded to five bytes so the cell lands at x 1 as in the clock.
        const QByteArray text = QByteArray(1, c) + "xxxx";
        const LedFrame f = renderLed(text, 78, 26, 0, LedSettings::clock());
        for (const auto& [code, seg] : letter) {
            const bool expected = lit.find(code) != std::string::npos;
            EXPECT_EQ(contains(f, outer.at(seg)), expected) << c << " segment " << code;
        }
        const std::size_t expectedLines =
            lit.size() * 4 + (lit.find('m') != std::string::npos ? 1 : 0);
        EXPECT_EQ(f.lines.size(), expectedLines) << c;
        EXPECT_TRUE(f.rects.empty()) << c;
        if (c != '-') EXPECT_EQ(ledSegmentsFor(c).size(), lit.size()) << c;
    }
    EXPECT_TRUE(ledSegmentsFor('g').empty());
    EXPECT_TRUE(ledSegmentsFor(':').empty());
}

TEST(LedRenderer, DotIsTheLowerHalfOfTheColon) {
    const LedSettings s = LedSettings::clock();
    // x 1 (L = 5): left 1 + 1.5 → 2, right 1 + 1.5 + 7.5 = 10; rows 18 .. 21.
    const LedFrame dot = renderLed(QByteArray(".xxxx"), 78, 26, 0, s);
    EXPECT_EQ(dot.rects, (std::vector<LedRect>{{2, 18, 10, 21}}));
    EXPECT_TRUE(dot.lines.empty());
    const LedFrame colon = renderLed(QByteArray(":xxxx"), 78, 26, 0, s);
    EXPECT_EQ(colon.rects, (std::vector<LedRect>{{2, 8, 10, 11}, {2, 18, 10, 21}}));
}

}  // namespace
}  // namespace hx::extras
