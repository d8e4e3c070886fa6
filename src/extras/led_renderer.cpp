#include "extras/led_renderer.h"

#include <cmath>

#include "text/gbk.h"

namespace hx::extras {
namespace {

// Pixel positions come from real-valued formulas; they are cut toward zero.
int px(double v) { return static_cast<int>(std::trunc(v)); }

using enum LedSegment;

class SegmentDrawer {
  public:
    SegmentDrawer(const LedSettings& s, LedFrame& out)
        : h_(s.digitHeight()),
          w_(s.digitWidth()),
          g_(s.spacing()),
          t_(s.segmentWidth()),
          f_(s.insetFlag()),
          out_(out) {}

    void segment(LedSegment which, int x, int y) {
        const int half = px(h_ / 2.0);
        switch (which) {
            case Top:
                horizontal(x, y, +1);
                break;
            case Bottom:
                horizontal(x, y + h_, -1);
                break;
            case Middle:
                middle(x, y + half);
                break;
            case UpperRight:
                right(x + w_, y);
                break;
            case LowerRight:
                right(x + w_, y + half);
                break;
            case UpperLeft:
                left(x, y);
                break;
            case LowerLeft:
                left(x, y + half);
                break;
        }
    }

    // "." alone, or the upper dot of ":" as well.
    void dots(int x, int y, bool colon) {
        const double xl = x + g_ / 2.0 + (w_ / 2.0 - w_ / 8.0) * f_;
        const double xr = x + g_ / 2.0 + w_ / 2.0 + w_ / 8.0;
        if (colon) {
            const double top = y + h_ / 4.0;
            out_.rects.push_back({px(xl), px(top), px(xr), px(top + w_ / 4.0)});
        }
        const double top = y + 3.0 * h_ / 4.0;
        out_.rects.push_back({px(xl), px(top), px(xr), px(top + w_ / 4.0)});
    }

  private:
    int xs(int x) const { return px(x + g_ / 2.0); }

    // Top grows downwards (dir +1), bottom upwards (dir −1) from row y.
    void horizontal(int x, int y, int dir) {
        const int s = xs(x);
        for (int k = 0; k < t_; ++k) {
            const int row = y + dir * k;
            out_.lines.push_back({s + k + 3 * f_, row, (s + w_ - 2 * f_) - k, row});
        }
    }

    void middle(int x, int y) {
        const int s = xs(x);
        out_.lines.push_back({s + 3 * f_, y, s + w_ - 2 * f_, y});
        for (int k = 0; k < t_ / 2; ++k) {
            const int from = s + k + 3 * f_;
            const int to = (s + w_ - 2 * f_) - k;
            out_.lines.push_back({from, y + k, to, y + k});
            out_.lines.push_back({from, y - k, to, y - k});
        }
    }

    // Placed at (x + W, y); the column is x + W + G/2 and inner lines step left.
    void right(int x, int y) {
        const int xr = px(x + g_ / 2.0);
        vertical(y, [&](int k) { return xr - k; });
    }

    void left(int x, int y) {
        const int s = xs(x);
        vertical(y, [&](int k) { return s + k; });
    }

    template <typename Column>
    void vertical(int y, Column column) {
        const int half = px(h_ / 2.0);
        for (int k = 0; k < t_; ++k) {
            const int c = column(k);
            out_.lines.push_back({c, y + k + 2 * f_, c, (y + half - f_) - k});
        }
    }

    int h_, w_, g_, t_, f_;
    LedFrame& out_;
};

bool isBlankChar(const QByteArray& bytes, qsizetype at, qsizetype len) {
    if (len == 1) return bytes[at] == ' ';
    return static_cast<unsigned char>(bytes[at]) == 0xA1 &&
           static_cast<unsigned char>(bytes[at + 1]) == 0xA1;  // "　" in GBK
}

// Strips ASCII and full-width blanks from both ends. GBK characters are walked
// from the start so a trail byte is never mistaken for part of a blank.
QByteArray trimBlanks(const QByteArray& bytes) {
    std::vector<std::pair<qsizetype, qsizetype>> chars;
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype len =
            static_cast<unsigned char>(bytes[i]) >= 0x81 && i + 1 < bytes.size() ? 2 : 1;
        chars.emplace_back(i, len);
        i += len;
    }
    std::size_t first = 0;
    std::size_t last = chars.size();
    while (first < last && isBlankChar(bytes, chars[first].first, chars[first].second)) ++first;
    while (last > first && isBlankChar(bytes, chars[last - 1].first, chars[last - 1].second))
        --last;
    if (first == last) return {};
    const qsizetype from = chars[first].first;
    const qsizetype to = chars[last - 1].first + chars[last - 1].second;
    return bytes.mid(from, to - from);
}

}  // namespace

LedSettings LedSettings::clock() {
    LedSettings s;
    s.setColours(65280, 15527148);
    s.setSizes(20, 12, 3, 4);
    return s;
}

void LedSettings::setColours(std::int32_t fore, std::int32_t back) {
    fore_ = fore < 1 ? kInitialFore : fore;
    back_ = back < 1 ? kInitialBack : back;
}

void LedSettings::setSizes(int digitHeight, int digitWidth, int spacing, int segmentWidth) {
    height_ = digitHeight < 1 ? kInitialHeight : digitHeight;
    width_ = digitWidth < 1 ? kInitialWidth : digitWidth;
    spacing_ = spacing < 1 ? kInitialSpacing : spacing;
    segment_ = segmentWidth < 1 ? kInitialSegment : segmentWidth;
}

std::vector<LedSegment> ledSegmentsFor(char c) {
    switch (c) {
        case '0':
            return {Top, UpperRight, LowerRight, UpperLeft, LowerLeft, Bottom};
        case '1':
            return {UpperRight, LowerRight};
        case '2':
            return {Top, UpperRight, LowerLeft, Middle, Bottom};
        case '3':
            return {Top, UpperRight, LowerRight, Middle, Bottom};
        case '4':
            return {UpperRight, LowerRight, UpperLeft, Middle};
        case '5':
            return {Top, LowerRight, UpperLeft, Middle, Bottom};
        case '6':
            return {Top, LowerRight, UpperLeft, LowerLeft, Middle, Bottom};
        case '7':
            return {Top, UpperRight, LowerRight};
        case '8':
            return {Top, UpperRight, LowerRight, UpperLeft, LowerLeft, Middle, Bottom};
        case '9':
            return {Top, UpperRight, LowerRight, UpperLeft, Middle, Bottom};
        case 'A':
            return {Top, UpperRight, LowerRight, UpperLeft, LowerLeft, Middle};
        case 'B':
            return {LowerRight, UpperLeft, LowerLeft, Middle, Bottom};
        case 'C':
            return {Top, UpperLeft, LowerLeft, Bottom};
        case 'D':
            return {UpperRight, LowerRight, LowerLeft, Middle, Bottom};
        case 'E':
            return {Top, UpperLeft, LowerLeft, Middle, Bottom};
        case 'F':
            return {Top, UpperLeft, LowerLeft, Middle};
        default:
            return {};
    }
}

LedFrame renderLed(const QByteArray& gbkText, int panelWidth, int panelHeight, int border,
                   const LedSettings& s) {
    LedFrame frame;
    frame.width = panelWidth;
    frame.height = panelHeight;
    frame.backColour = s.backColour();
    frame.foreColour = s.foreColour();

    const int h = s.digitHeight();
    const int cell = s.digitWidth() + s.spacing();

    if (panelHeight + border >= h) {
        frame.y0 = (panelHeight - border - h) / 2;
    } else {
        frame.height = border + h + 8;
        frame.y0 = 4;
    }
    // The length counts the text as passed, blanks included.
    const qsizetype length = gbkText.size();
    if (border + panelWidth >= length * cell) {
        frame.x0 = static_cast<int>((panelWidth - (border + length * cell)) / 2);
    } else {
        frame.width = static_cast<int>(border + length * cell + 8);
        frame.x0 = 4;
    }

    SegmentDrawer draw(s, frame);
    const QByteArray body = trimBlanks(gbkText);
    for (qsizetype i = 0; i < body.size(); ++i) {
        const int x = frame.x0 + cell * static_cast<int>(i);
        const int y = frame.y0;
        const char c = body[i];
        if (c == ':' || c == '.') {
            draw.dots(x, y, c == ':');
        } else if (c == '-') {
            draw.segment(Middle, x, y);
        } else {
            for (LedSegment seg : ledSegmentsFor(c)) draw.segment(seg, x, y);
        }
    }
    return frame;
}

LedFrame renderLed(const QString& text, int panelWidth, int panelHeight, int border,
                   const LedSettings& settings) {
    return renderLed(text::toGbk(text), panelWidth, panelHeight, border, settings);
}

QColor colourFromValue(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

}  // namespace hx::extras
