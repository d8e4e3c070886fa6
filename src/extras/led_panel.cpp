#include "extras/led_panel.h"

#include <QPainter>

namespace hx::extras {

LedPanel::LedPanel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    resize(78, 26);
}

void LedPanel::drawText(const QString& text, const LedSettings& settings) {
    text_ = text;
    frame_ = renderLed(text, width(), height(), kBorder, settings);
    if (frame_->width != width() || frame_->height != height())
        resize(frame_->width, frame_->height);
    update();
}

void LedPanel::paintEvent(QPaintEvent*) {
    if (!frame_) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(rect(),
               skinBackground_.isValid() ? skinBackground_ : colourFromValue(frame_->backColour));
    const QColor fore = colourFromValue(frame_->foreColour);
    // One logical pixel wide on any screen, so the digits keep their weight at 200 %.
    QPen pen(fore, qMax(1, qRound(devicePixelRatioF())), Qt::SolidLine, Qt::SquareCap,
             Qt::MiterJoin);
    pen.setCosmetic(true);
    p.setPen(pen);
    for (const LedLine& l : frame_->lines) {
        if (l.x1 == l.x2 && l.y1 == l.y2)
            p.drawPoint(l.x1, l.y1);
        else
            p.drawLine(l.x1, l.y1, l.x2, l.y2);
    }
    // GDI rectangles leave out their right column and bottom row.
    for (const LedRect& r : frame_->rects) {
        if (r.right > r.left && r.bottom > r.top)
            p.fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), fore);
    }
}

}  // namespace hx::extras
