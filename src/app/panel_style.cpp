#include "app/panel_style.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadioButton>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolButton>
#include <QVariant>
#include <optional>
#include <utility>

namespace hx::app {

PanelStyle::PanelStyle(QStyle* base) : QProxyStyle(base) {}

namespace {

bool lookOn = false;
// What a widget's palette was before the look's colours: the palette it had
// set, or true when it had none of its own.
const char* const kSavedPalette = "_hx_paletteBeforeSkinLook";

// An item view's viewport is painted in the view's colours.
bool isViewport(const QWidget* w) {
    const auto* view = qobject_cast<const QAbstractItemView*>(w->parentWidget());
    return view && view->viewport() == w;
}

const QColor kSkinWindow(0xee, 0xf0, 0xf3);
const QColor kSkinText(0x1f, 0x26, 0x30);

// The colours the default skin's sheet gives a widget, as the toolkit's style
// sheet engine sets them: its background on the base, button, window and
// background roles, its text colour on the text roles.
QPalette skinColours(QPalette p, const QColor& background, QPalette::ColorRole backgroundRole,
                     QPalette::ColorRole foregroundRole) {
    for (const QPalette::ColorRole role :
         {QPalette::Base, QPalette::Button, backgroundRole, QPalette::Window})
        p.setBrush(role, background);
    for (const QPalette::ColorRole role :
         {QPalette::ButtonText, foregroundRole, QPalette::WindowText, QPalette::Text,
          QPalette::PlaceholderText})
        p.setBrush(role, kSkinText);
    return p;
}

// The application's palette before the look's, given back with the sheet.
std::optional<QPalette> paletteBefore;

// Most widgets take the sheet's colours for every widget from the
// application's palette, set before any is built; the few the sheet colours
// otherwise get their own.
void skinPalette(QWidget* w) {
    QColor background;
    if (qobject_cast<QLabel*>(w) || qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w))
        background = Qt::transparent;
    else if (qobject_cast<QAbstractItemView*>(w) || isViewport(w))
        background = QColor(0xf7, 0xf8, 0xfa);
    else if (qobject_cast<QMenu*>(w))
        background = QColor(0xfb, 0xfb, 0xfb);
    else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w))
        background = Qt::white;
    else
        return;
    QPalette p = skinColours(w->palette(), background, w->backgroundRole(), w->foregroundRole());
    if (qobject_cast<QAbstractItemView*>(w)) {
        p.setBrush(QPalette::Highlight, QColor(0xcf, 0xe2, 0xf7));
        p.setBrush(QPalette::HighlightedText, kSkinText);
        p.setBrush(QPalette::AlternateBase, QColor(0xf0, 0xf3, 0xf6));
    } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w)) {
        p.setBrush(QPalette::Highlight, QColor(0x3d, 0x8e, 0xe0));
    }
    w->setProperty(kSavedPalette, w->testAttribute(Qt::WA_SetPalette)
                                      ? QVariant::fromValue(w->palette())
                                      : QVariant(true));
    w->setPalette(p);
}

}  // namespace

void PanelStyle::setDefaultSkinLook(bool on) {
    if (lookOn == on) return;
    lookOn = on;
    if (on) {
        paletteBefore = QApplication::palette();
        QApplication::setPalette(
            skinColours(*paletteBefore, kSkinWindow, QPalette::Window, QPalette::WindowText));
        return;
    }
    for (QWidget* w : QApplication::allWidgets()) {
        const QVariant saved = w->property(kSavedPalette);
        if (!saved.isValid()) continue;
        w->setProperty(kSavedPalette, QVariant());
        w->setPalette(saved.canConvert<QPalette>() ? saved.value<QPalette>() : QPalette());
        if (!saved.canConvert<QPalette>()) w->setAttribute(Qt::WA_SetPalette, false);
    }
    if (paletteBefore) QApplication::setPalette(*std::exchange(paletteBefore, std::nullopt));
}

void PanelStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    if (lookOn && !widget->property(kSavedPalette).isValid()) skinPalette(widget);
}

namespace {

// The default skin's colours for what it draws itself.
const QColor kViewBorder(0xb7, 0xc0, 0xcb);
const QColor kToolChecked(0xd9, 0xe8, 0xf7);
const QColor kAccent(0x3d, 0x8e, 0xe0);
const QColor kScrollHandle(0xc4, 0xcb, 0xd4);
constexpr int kScrollWidth = 12;
constexpr int kScrollMinHandle = 24;
constexpr int kGroupTopMargin = 7;

// A one-pixel rounded border inside `r` as a filled ring; the sheet engine
// draws its corners arc by arc, so corner pixels may differ by a few levels.
void roundedBorder(QPainter* p, const QRect& r, qreal radius, const QColor& pen,
                   const QBrush& fill = Qt::NoBrush) {
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    QPainterPath outer;
    outer.addRoundedRect(QRectF(r), radius, radius);
    QPainterPath inner;
    const qreal innerRadius = qMax<qreal>(0, radius - 1);
    inner.addRoundedRect(QRectF(r).adjusted(1, 1, -1, -1), innerRadius, innerRadius);
    if (fill != Qt::NoBrush) p->fillPath(inner, fill);
    p->fillPath(outer.subtracted(inner), pen);
    p->restore();
}

bool isItemView(const QWidget* w) { return qobject_cast<const QAbstractItemView*>(w); }

}  // namespace

void PanelStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
    if (lookOn && element == CE_ShapedFrame) {
        // Labels keep no frame under the skin; an item view has its border.
        if (qobject_cast<const QLabel*>(widget)) return;
        if (isItemView(widget)) {
            // Edges filled, not stroked, so that they stay on whole pixels at any scale.
            const QRect r = option->rect;
            painter->fillRect(QRect(r.left(), r.top(), r.width(), 1), kViewBorder);
            painter->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), kViewBorder);
            painter->fillRect(QRect(r.left(), r.top(), 1, r.height()), kViewBorder);
            painter->fillRect(QRect(r.right(), r.top(), 1, r.height()), kViewBorder);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void PanelStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                    QPainter* painter, const QWidget* widget) const {
    if (lookOn && control == CC_GroupBox) {
        roundedBorder(painter, option->rect.adjusted(0, kGroupTopMargin, 0, 0), 2.5, kViewBorder);
        return;
    }
    if (lookOn && control == CC_ToolButton) {
        if (const auto* tool = qstyleoption_cast<const QStyleOptionToolButton*>(option)) {
            if (tool->state & (State_On | State_Sunken))
                roundedBorder(painter, tool->rect, 2, kAccent, kToolChecked);
            QStyleOptionToolButton label = *tool;
            label.rect = tool->rect.adjusted(1, 1, -1, -1);
            label.state &= ~(State_Sunken | State_On | State_MouseOver);
            QProxyStyle::drawControl(CE_ToolButtonLabel, &label, painter, widget);
            return;
        }
    }
    if (lookOn && control == CC_ScrollBar) {
        painter->fillRect(option->rect, kSkinWindow);
        const QRect handle =
            subControlRect(CC_ScrollBar, option, SC_ScrollBarSlider, widget).adjusted(2, 2, -2, -2);
        roundedBorder(painter, handle, 4, kScrollHandle, kScrollHandle);
        return;
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

QRect PanelStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                 SubControl sub, const QWidget* widget) const {
    if (lookOn && control == CC_ScrollBar && sub == SC_ScrollBarSlider) {
        if (const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option)) {
            // No arrows: the groove is the whole bar.
            const QRect r = bar->rect;
            const int span = bar->maximum - bar->minimum;
            const int length = bar->orientation == Qt::Vertical ? r.height() : r.width();
            int handle = span + bar->pageStep > 0
                             ? int(qint64(bar->pageStep) * length / (span + bar->pageStep))
                             : length;
            handle = qBound(kScrollMinHandle, handle, length);
            const int at = sliderPositionFromValue(bar->minimum, bar->maximum, bar->sliderPosition,
                                                   length - handle, bar->upsideDown);
            return bar->orientation == Qt::Vertical
                       ? QRect(r.left(), r.top() + at, r.width(), handle)
                       : QRect(r.left() + at, r.top(), handle, r.height());
        }
    }
    return QProxyStyle::subControlRect(control, option, sub, widget);
}

QRect PanelStyle::subElementRect(SubElement element, const QStyleOption* option,
                                 const QWidget* widget) const {
    if (lookOn && element == SE_ShapedFrameContents && isItemView(widget))
        return option->rect.adjusted(1, 1, -1, -1);
    return QProxyStyle::subElementRect(element, option, widget);
}

QSize PanelStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                   const QSize& contents, const QWidget* widget) const {
    // The sheet engine's tool button: three pixels more than its contents,
    // and its one-pixel border around them.
    if (lookOn && type == CT_ToolButton) return contents + QSize(5, 5);
    return QProxyStyle::sizeFromContents(type, option, contents, widget);
}

int PanelStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                            const QWidget* widget) const {
    if (lookOn && metric == PM_ScrollBarExtent) return kScrollWidth;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

void PanelStyle::install() {
    QStyle* current = QApplication::style();
    // Under a style sheet the application's style wraps ours, which becomes its child.
    if (qobject_cast<PanelStyle*>(current) ||
        current->findChild<PanelStyle*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    QApplication::setStyle(new PanelStyle(QStyleFactory::create(current->name())));
}

QIcon PanelStyle::standardIcon(StandardPixmap pixmap, const QStyleOption* option,
                               const QWidget* widget) const {
    const bool horizontal = pixmap == SP_ToolBarHorizontalExtensionButton;
    if (!horizontal && pixmap != SP_ToolBarVerticalExtensionButton)
        return QProxyStyle::standardIcon(pixmap, option, widget);
    // Two chevrons pointing where the hidden buttons are, drawn, not read.
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(80, 80, 80), 1.5));
    if (!horizontal) {
        painter.translate(16, 0);
        painter.rotate(90);
    }
    for (const int x : {4, 9})
        painter.drawPolyline(QPolygonF({{qreal(x), 4}, {x + 3.5, 8}, {qreal(x), 12}}));
    painter.end();
    return QIcon(picture);
}

}  // namespace hx::app
