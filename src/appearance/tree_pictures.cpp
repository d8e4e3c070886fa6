#include "appearance/tree_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace hx::appearance {
namespace {

void drawPalette(QPainter& p) {
    QPainterPath board;
    board.addEllipse(QRectF(2.5, 5.5, 27, 22));
    QPainterPath thumb;
    thumb.addEllipse(QRectF(17, 17, 7, 6));
    QLinearGradient wood(0, 5, 0, 28);
    wood.setColorAt(0, QColor(0xF4, 0xD9, 0xA8));
    wood.setColorAt(1, QColor(0xC9, 0x9A, 0x5B));
    p.setPen(QPen(QColor(0x7A, 0x55, 0x2A), 1.2));
    p.setBrush(wood);
    p.drawPath(board.subtracted(thumb));
    const QColor dots[] = {QColor(0xE0, 0x3C, 0x31), QColor(0x2E, 0x86, 0xDE),
                           QColor(0x3C, 0xB3, 0x4A), QColor(0xF5, 0xC2, 0x1B)};
    const QPointF centres[] = {{9, 12}, {15.5, 9.5}, {22.5, 11}, {8.5, 19}};
    p.setPen(QPen(QColor(0, 0, 0, 90), 0.8));
    for (int i = 0; i < 4; ++i) {
        p.setBrush(dots[i]);
        p.drawEllipse(centres[i], 2.6, 2.6);
    }
}

void drawDatabase(QPainter& p) {
    const QColor edge(0x1F, 0x4E, 0x8C);
    QLinearGradient body(4, 0, 28, 0);
    body.setColorAt(0, QColor(0x5B, 0x9B, 0xE6));
    body.setColorAt(0.5, QColor(0xA9, 0xCF, 0xF7));
    body.setColorAt(1, QColor(0x3F, 0x7F, 0xCF));
    p.setPen(QPen(edge, 1.2));
    for (int layer = 2; layer >= 0; --layer) {
        const qreal top = 5 + layer * 7.5;
        QPainterPath slice;
        slice.moveTo(5, top + 3);
        slice.lineTo(5, top + 9);
        slice.arcTo(QRectF(5, top + 6, 22, 6), 180, 180);
        slice.lineTo(27, top + 3);
        slice.closeSubpath();
        p.setBrush(body);
        p.drawPath(slice);
        p.setBrush(QColor(0xD6, 0xE9, 0xFC));
        p.drawEllipse(QRectF(5, top, 22, 6));
    }
}

void drawMagnifier(QPainter& p) {
    p.setPen(QPen(QColor(0x4A, 0x3B, 0x2A), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20, 20), QPointF(28, 28));
    QRadialGradient glass(QPointF(11, 10), 11);
    glass.setColorAt(0, QColor(0xFF, 0xFF, 0xFF, 230));
    glass.setColorAt(1, QColor(0x9F, 0xD3, 0xF2, 200));
    p.setPen(QPen(QColor(0x55, 0x60, 0x6E), 2.6));
    p.setBrush(glass);
    p.drawEllipse(QPointF(13, 13), 9.5, 9.5);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(7, 7, 12, 12), 100 * 16, 70 * 16);
}

}  // namespace

QImage treePicture(int entry) {
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (entry) {
        case 0:
            drawPalette(p);
            break;
        case 1:
            drawDatabase(p);
            break;
        case 2:
            drawMagnifier(p);
            break;
        default:
            break;
    }
    return image;
}

}  // namespace hx::appearance
