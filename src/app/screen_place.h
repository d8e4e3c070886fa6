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

// Where the weather window of `size` goes beside the main window's frame
// `panel`: at `designed` (its place left of the panel) when that lies inside
// `screen`, else on the panel's right; then kept inside `screen` top to bottom.
QPoint besidePanel(QPoint designed, QSize size, const QRect& panel, const QRect& screen);

}  // namespace hx::app
