#include "app/platform_choice.h"

#include <QtGlobal>

namespace hx::app {

QByteArray chooseQtPlatform(const EnvironmentLookup& environment) {
    // The user's choice wins, whatever it is.
    if (!environment("QT_QPA_PLATFORM").trimmed().isEmpty()) return {};
    if (environment("DISPLAY").trimmed().isEmpty()) return {};
    const bool wayland = environment("XDG_SESSION_TYPE").trimmed().toLower() == "wayland" ||
                         !environment("WAYLAND_DISPLAY").trimmed().isEmpty();
    return wayland ? QByteArray("xcb") : QByteArray();
}

void applyQtPlatformChoice() {
    const QByteArray platform = chooseQtPlatform([](const char* name) { return qgetenv(name); });
    if (!platform.isEmpty()) qputenv("QT_QPA_PLATFORM", platform);
}

}  // namespace hx::app
