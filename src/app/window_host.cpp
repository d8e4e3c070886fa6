#include "app/window_host.h"

namespace hx::app {

WindowHost::~WindowHost() { closeAll(); }

void WindowHost::closeAll() {
    const auto windows = windows_;
    windows_.clear();
    for (const QPointer<QWidget>& window : windows) delete window.data();
}

void WindowHost::raise(QWidget* window) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace hx::app
