#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace hx::app {

// Where a window stored at `stored` goes when no part of it big enough to
// take hold of lies on any of `screens` (a monitor removed since): on the
// screen under `pointer`, centred on it and kept inside. Nothing when the
// stored place is still usable.
std::optional<QPoint> bringOntoScreens(QPoint stored, QSize size, const QList<QRect>& screens,
                                       QPoint pointer);

}  // namespace hx::app
