#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <optional>

#include "extras/led_renderer.h"

namespace hx::extras {

// The clock's LED digits: a borderless drawing area that keeps the last
// drawing and paints it again on every repaint; until the first drawing it
// shows nothing. Skins select it by this class name.
class LedPanel : public QWidget {
    Q_OBJECT
    // A skin's colour behind the digits (qproperty-skinBackground in its
    // style sheet); without one the drawing keeps its own background.
    Q_PROPERTY(QColor skinBackground READ skinBackground WRITE setSkinBackground)
  public:
    static constexpr int kBorder = 0;  // the digits have no border

    explicit LedPanel(QWidget* parent = nullptr);

    // Clears the area and draws `text`; an area too small for it grows first.
    void drawText(const QString& text, const LedSettings& settings);

    QString text() const { return text_; }
    const std::optional<LedFrame>& frame() const { return frame_; }

    QSize sizeHint() const override { return {78, 26}; }

    QColor skinBackground() const { return skinBackground_; }
    void setSkinBackground(const QColor& colour) {
        skinBackground_ = colour;
        update();
    }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    std::optional<LedFrame> frame_;
    QColor skinBackground_;
};

}  // namespace hx::extras
