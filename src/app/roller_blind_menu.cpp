#include "app/roller_blind_menu.h"

#include <QMouseEvent>
#include <QPainter>

namespace hx::app {

RollerBlindMenu::RollerBlindMenu(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void RollerBlindMenu::addHeader(const QString& caption) {
    headers_.append(caption);
    update();
}

void RollerBlindMenu::setHeaderText(int index, const QString& caption) {
    if (index < 0 || index >= headers_.size()) return;
    headers_[index] = caption;
    update();
}

void RollerBlindMenu::removeHeader(int index) {
    if (index < 0 || index >= headers_.size()) return;
    headers_.removeAt(index);
    hotHeader_ = -1;
    const int before = current_;
    if (index < current_ || current_ >= headers_.size()) --current_;
    update();
    if (current_ != before || index == before) emit currentHeaderChanged(current_);
}

void RollerBlindMenu::clear() {
    headers_.clear();
    hotHeader_ = -1;
    const bool changed = current_ != -1;
    current_ = -1;
    update();
    if (changed) emit currentHeaderChanged(-1);
}

QString RollerBlindMenu::headerText(int index) const {
    return index >= 0 && index < headers_.size() ? headers_.at(index) : QString();
}

void RollerBlindMenu::setCurrentHeader(int index) {
    if (index < 0 || index >= headers_.size() || index == current_) return;
    current_ = index;
    update();
    emit currentHeaderChanged(index);
}

int RollerBlindMenu::headerTop(int index) const {
    if (index <= current_) return index * kHeaderHeight;
    return height() - (headers_.size() - index) * kHeaderHeight;
}

int RollerBlindMenu::headerAt(int y) const {
    for (int i = 0; i < headers_.size(); ++i) {
        const int top = headerTop(i);
        if (y >= top && y < top + kHeaderHeight) return i;
    }
    return -1;
}

void RollerBlindMenu::setColours(const QColor& background, const QColor& highlight,
                                 const QColor& hot, const QColor& border) {
    background_ = background;
    highlight_ = highlight;
    hot_ = hot;
    border_ = border;
    update();
}

QColor RollerBlindMenu::captionColourOn(const QColor& fill) {
    // Relative luminance in the sRGB weights, enough to pick black or white.
    const double luminance = 0.2126 * fill.redF() + 0.7152 * fill.greenF() + 0.0722 * fill.blueF();
    return luminance < 0.5 ? QColor(Qt::white) : QColor(Qt::black);
}

void RollerBlindMenu::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), background_);
    const QPalette pal = palette();
    for (int i = 0; i < headers_.size(); ++i) {
        const QRect r(0, headerTop(i), width(), kHeaderHeight);
        QLinearGradient face(r.topLeft(), r.bottomLeft());
        const QColor base = pal.color(QPalette::Button);
        face.setColorAt(0, base.lighter(112));
        face.setColorAt(1, base.darker(106));
        p.fillRect(r, face);
        if (i == hotHeader_) p.fillRect(r.adjusted(1, 1, -1, -1), hot_);
        if (i == current_)
            p.fillRect(QRect(r.left() + 1, r.top() + 1, 4, r.height() - 2), highlight_);
        p.setPen(border_);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(i == hotHeader_ ? captionColourOn(hot_) : pal.color(QPalette::ButtonText));
        p.drawText(r.adjusted(6, 0, -6, 0), Qt::AlignCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(headers_.at(i), Qt::ElideRight, r.width() - 12));
    }
    p.setPen(border_);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void RollerBlindMenu::mousePressEvent(QMouseEvent* event) {
    const int index = headerAt(event->position().toPoint().y());
    if (index < 0) return;
    if (event->button() == Qt::LeftButton) {
        emit headerClicked(index);
        if (index != current_ && index < headers_.size()) {
            current_ = index;
            update();
            emit currentHeaderChanged(index);
        }
    } else if (event->button() == Qt::RightButton) {
        emit headerRightClicked(index, event->globalPosition().toPoint());
    }
}

void RollerBlindMenu::mouseMoveEvent(QMouseEvent* event) {
    const int hot = headerAt(event->position().toPoint().y());
    if (hot != hotHeader_) {
        hotHeader_ = hot;
        update();
    }
}

void RollerBlindMenu::leaveEvent(QEvent*) {
    if (hotHeader_ != -1) {
        hotHeader_ = -1;
        update();
    }
}

}  // namespace hx::app
