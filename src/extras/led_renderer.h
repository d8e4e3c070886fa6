#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <cstdint>
#include <vector>

namespace hx::extras {

// Colour and size settings of the seven-segment renderer. Colours are
// Windows-style values: red in the low byte, green in the second, blue in the
// third. A value below 1 given to a setter restores that field's initial value.
class LedSettings {
  public:
    static constexpr std::int32_t kInitialFore = 65280;  // pure green
    static constexpr std::int32_t kInitialBack = 0;      // black
    static constexpr int kInitialHeight = 32;
    static constexpr int kInitialWidth = 16;
    static constexpr int kInitialSpacing = 4;
    static constexpr int kInitialSegment = 4;

    // The values the clock sets on every tick.
    static LedSettings clock();

    void setColours(std::int32_t fore, std::int32_t back);
    void setSizes(int digitHeight, int digitWidth, int spacing, int segmentWidth);

    std::int32_t foreColour() const { return fore_; }
    std::int32_t backColour() const { return back_; }
    int digitHeight() const { return height_; }    // H
    int digitWidth() const { return width_; }      // W
    int spacing() const { return spacing_; }       // G
    int segmentWidth() const { return segment_; }  // T
    // F: 1 when 2·T fits into W − 8; it insets segment ends and narrows dots.
    int insetFlag() const { return 2 * segment_ <= width_ - 8 ? 1 : 0; }

    bool operator==(const LedSettings&) const = default;

  private:
    std::int32_t fore_ = kInitialFore;
    std::int32_t back_ = kInitialBack;
    int height_ = kInitialHeight;
    int width_ = kInitialWidth;
    int spacing_ = kInitialSpacing;
    int segment_ = kInitialSegment;
};

// A 1-pixel line; both end points are drawn.
struct LedLine {
    int x1, y1, x2, y2;
    bool operator==(const LedLine&) const = default;
};

// A filled rectangle from (left, top) to (right, bottom); like the GDI
// Rectangle call it covers right − left columns and bottom − top rows.
struct LedRect {
    int left, top, right, bottom;
    bool operator==(const LedRect&) const = default;
};

struct LedFrame {
    int width = 0;  // panel size after drawing (may have grown)
    int height = 0;
    int x0 = 0;  // origin of the first cell
    int y0 = 0;
    std::int32_t backColour = 0;
    std::int32_t foreColour = 0;
    std::vector<LedLine> lines;
    std::vector<LedRect> rects;
};

enum class LedSegment { Top, UpperRight, LowerRight, UpperLeft, LowerLeft, Middle, Bottom };

// The segments lit for a digit byte ("0"–"9", "A"–"F"); empty for any other byte.
std::vector<LedSegment> ledSegmentsFor(char c);

// Draws `gbkText` (GBK bytes; the clock passes ASCII) on a panel of the given
// size with border allowance `border`. Too small a panel is enlarged first.
LedFrame renderLed(const QByteArray& gbkText, int panelWidth, int panelHeight, int border,
                   const LedSettings& settings);
LedFrame renderLed(const QString& text, int panelWidth, int panelHeight, int border,
                   const LedSettings& settings);

// Converts a Windows-style colour value (red in the low byte).
QColor colourFromValue(std::int32_t value);

}  // namespace hx::extras
