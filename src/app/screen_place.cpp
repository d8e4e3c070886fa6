#include "app/screen_place.h"

#include <QRegion>
#include <algorithm>
#include <limits>

namespace hx::app {

std::optional<QPoint> bringOntoScreens(QPoint stored, QSize size, const QList<QRect>& screens,
                                       QPoint pointer) {
    if (screens.isEmpty()) return std::nullopt;
    // Enough of the top to drag it by. A grip whose far corner an int cannot
    // hold (a stored 2147483647) lies on no screen.
    const QSize gripSize(std::min(size.width(), 40), std::min(size.height(), 20));
    const bool representable =
        qint64(stored.x()) + gripSize.width() - 1 <= std::numeric_limits<int>::max() &&
        qint64(stored.y()) + gripSize.height() - 1 <= std::numeric_limits<int>::max();
    if (representable) {
        QRegion all;
        for (const QRect& screen : screens) all += screen;
        if (QRegion(QRect(stored, gripSize)).subtracted(all).isEmpty()) return std::nullopt;
    }
    auto under = std::find_if(screens.begin(), screens.end(),
                              [&](const QRect& s) { return s.contains(pointer); });
    const QRect target = under != screens.end() ? *under : screens.first();
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(pointer);
    placed.moveLeft(std::clamp(placed.left(), target.left(),
                               std::max(target.left(), target.right() + 1 - size.width())));
    placed.moveTop(std::clamp(placed.top(), target.top(),
                              std::max(target.top(), target.bottom() + 1 - size.height())));
    return placed.topLeft();
}

QPoint besidePanel(QPoint designed, QSize size, const QRect& panel, const QRect& screen) {
    QPoint at = designed;
    if (at.x() < screen.left())
        at.setX(panel.right() + 1 + (panel.left() - designed.x() - size.width()));
    at.setX(std::clamp(at.x(), screen.left(),
                       std::max(screen.left(), screen.right() + 1 - size.width())));
    at.setY(std::clamp(at.y(), screen.top(),
                       std::max(screen.top(), screen.bottom() + 1 - size.height())));
    return at;
}

}  // namespace hx::app
