#pragma once

#include <QWidget>

namespace hx::core {

// A window of the design's fixed client size: title, system menu, minimise and
// close, but no maximise button (nothing in it could follow a larger size).
inline void makeFixedSizeWindow(QWidget& window, int width, int height) {
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint);
    window.setFixedSize(width, height);
}

}  // namespace hx::core
