#include "app/panel_style.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QStyleFactory>

namespace hx::app {

PanelStyle::PanelStyle(QStyle* base) : QProxyStyle(base) {}

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
