#pragma once

#include <QWidget>

namespace hx::core {

// Title, system menu, minimise and close, but no maximise: the window manager
// is only told so when the hints are customised.
inline void withoutMaximiseButton(QWidget& window) {
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint);
}

// A window of the design's fixed client size, which nothing in it could follow
// to a larger one.
inline void makeFixedSizeWindow(QWidget& window, int width, int height) {
    withoutMaximiseButton(window);
    window.setFixedSize(width, height);
}

}  // namespace hx::core
