#include "app/roller_blind_menu.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "core/catalogue.h"
#include "text/display_name.h"

namespace hx::app {

RollerBlindMenu::RollerBlindMenu(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void RollerBlindMenu::follow(const core::Catalogue& catalogue) {
    const core::Catalogue* c = &catalogue;
    const auto fill = [this, c] {
        clear();
        for (const QString& column : c->columns()) addHeader(column);
        setCurrentHeader(c->openColumn());
    };
    connect(c, &core::Catalogue::columnsReset, this, fill);
    connect(c, &core::Catalogue::columnAdded, this,
            [this, c](int i) { addHeader(c->columnName(i)); });
    connect(c, &core::Catalogue::columnRenamed, this,
            [this, c](int i) { setHeaderText(i, c->columnName(i)); });
    connect(c, &core::Catalogue::columnRemoved, this, [this](int i) { removeHeader(i); });
    connect(c, &core::Catalogue::columnOpened, this, [this](int i) { setCurrentHeader(i); });
    fill();
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

namespace {

// Room the open column keeps however many columns there are: ten headers (the
// most the column menu makes) still fit beside it.
constexpr int kOpenAreaRoom = 130;

}  // namespace

int RollerBlindMenu::firstShown() const {
    const int room = std::max(1, (height() - kOpenAreaRoom) / kHeaderHeight);
    const int n = int(headers_.size());
    if (n <= room) return 0;
    return std::clamp(current_ - room / 2, 0, n - room);
}

int RollerBlindMenu::lastShown() const {
    const int room = std::max(1, (height() - kOpenAreaRoom) / kHeaderHeight);
    return std::min(int(headers_.size()), firstShown() + room) - 1;
}

int RollerBlindMenu::headerTop(int index) const {
    const int first = firstShown();
    const int last = lastShown();
    if (index < first || index > last) return -1;
    if (index <= current_) return (index - first) * kHeaderHeight;
    return height() - (last + 1 - index) * kHeaderHeight;
}

QRect RollerBlindMenu::openArea() const {
    const int top = current_ >= 0 ? headerTop(current_) + kHeaderHeight : 0;
    const int below = current_ + 1 <= lastShown() ? headerTop(current_ + 1) : height();
    return QRect(0, top, width(), std::max(0, below - top));
}

int RollerBlindMenu::headerAt(int y) const {
    for (int i = firstShown(); i <= lastShown(); ++i) {
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
    const QPalette pal = palette();
    const auto chosen = [&pal](const QColor& set, QPalette::ColorRole role) {
        return set.isValid() ? set : pal.color(role);
    };
    const QColor background = chosen(background_, QPalette::Window);
    const QColor highlight = chosen(highlight_, QPalette::Highlight);
    const QColor hot = chosen(hot_, QPalette::Highlight);
    const QColor border = chosen(border_, QPalette::Mid);
    p.fillRect(rect(), background);
    for (int i = firstShown(); i <= lastShown(); ++i) {
        const QRect r(0, headerTop(i), width(), kHeaderHeight);
        QLinearGradient face(r.topLeft(), r.bottomLeft());
        const QColor base = pal.color(QPalette::Button);
        face.setColorAt(0, base.lighter(112));
        face.setColorAt(1, base.darker(106));
        p.fillRect(r, face);
        if (i == hotHeader_) p.fillRect(r.adjusted(1, 1, -1, -1), hot);
        if (i == current_)
            p.fillRect(QRect(r.left() + 1, r.top() + 1, 4, r.height() - 2), highlight);
        p.setPen(border);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(i == hotHeader_ ? captionColourOn(hot) : pal.color(QPalette::ButtonText));
        p.drawText(r.adjusted(6, 0, -6, 0), Qt::AlignCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(text::displayName(headers_.at(i)), Qt::ElideRight,
                                              r.width() - 12));
    }
    p.setPen(border);
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
        // The menu held the mouse, so no leave came: the pointer may be elsewhere now.
        const QPoint at = mapFromGlobal(QCursor::pos());
        setHot(rect().contains(at) ? headerAt(at.y()) : -1);
    }
}

void RollerBlindMenu::setHot(int index) {
    if (index == hotHeader_) return;
    hotHeader_ = index;
    update();
}

void RollerBlindMenu::mouseMoveEvent(QMouseEvent* event) {
    setHot(headerAt(event->position().toPoint().y()));
}

void RollerBlindMenu::leaveEvent(QEvent*) { setHot(-1); }

// The wheel steps through the columns, so those that do not fit stay reachable.
void RollerBlindMenu::wheelEvent(QWheelEvent* event) {
    const int step = event->angleDelta().y() > 0 ? -1 : 1;
    const int next = current_ + step;
    if (event->angleDelta().y() != 0 && next >= 0 && next < headers_.size()) {
        emit headerClicked(next);
        setCurrentHeader(next);
    }
    event->accept();
}

}  // namespace hx::app
