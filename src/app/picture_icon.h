#pragma once

#include <QIcon>
#include <QString>

namespace hx::app {

// The icon of a picture button. A picture without an alpha channel (the
// design's 24-bit bitmaps) has its corner colour made transparent, so the
// window's own colour, whatever the skin, shows around the drawing instead
// of the light box the bitmap was painted on.
QIcon pictureIcon(const QString& path);

}  // namespace hx::app
