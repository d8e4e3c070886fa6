#pragma once

#include <QByteArray>
#include <functional>

namespace hx::app {

// Reads one environment variable; empty when unset.
using EnvironmentLookup = std::function<QByteArray(const char*)>;

// The Qt platform plug-in to ask for, or empty to leave Qt's own choice.
// Windows are placed by screen coordinates, which a Wayland client cannot do, so a
// Wayland session with an X display runs through XWayland unless the user chose.
QByteArray chooseQtPlatform(const EnvironmentLookup& environment);

// Sets QT_QPA_PLATFORM from the real environment; call before QApplication exists.
void applyQtPlatformChoice();

}  // namespace hx::app
