#pragma once

#include <QDBusMessage>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "platform/desktop.h"

namespace hx::platform {

// Parts of the session LinuxDesktop reaches; empty members mean the real ones.
struct DesktopSystemCalls {
    std::function<bool(const QString& program, const QStringList& args)> startDetached;
    std::function<bool(const QString& program)> programExists;
    // Sends a call without waiting; returns false when the service is absent.
    std::function<bool(const QDBusMessage& call)> callSessionBus;
    // Marks a written launcher as trusted for desktops that ask before running one.
    std::function<void(const QString& path)> markTrusted;
};

class LinuxDesktop final : public Desktop {
  public:
    LinuxDesktop();
    explicit LinuxDesktop(DesktopSystemCalls calls);

    // HENGXIU_DESKTOP_DIR, else `xdg-user-dir DESKTOP` (asked once), else ~/Desktop.
    QString desktopDir() override;
    bool writeLauncher(const QString& path, const LauncherFile& launcher) override;
    void monitorOff() override;

    // The URL= value of a link launcher: web addresses as given ("www." made
    // http://), absolute paths as file URLs.
    static QString linkUrl(const QString& target);
    // The text of the launcher file (what writeLauncher() stores).
    static QString launcherText(const LauncherFile& launcher);
    // One Exec= value: each argument quoted where the launcher format wants it.
    static QString execValue(const QStringList& argv);

    enum class ScreenOffRoute { Dpms, ScreenSaver, None };
    // X11 sessions use DPMS; Wayland sessions (whose DISPLAY is only Xwayland,
    // where DPMS does nothing) ask the screen saver over D-Bus.
    static ScreenOffRoute screenOffRoute(const QString& sessionType, bool hasWaylandDisplay,
                                         bool hasDisplay, bool xsetExists);

  private:
    // Command lines of the original system become the desktop's equivalents.
    void applyWellKnownCommand(LauncherFile& launcher) const;

    DesktopSystemCalls calls_;
    std::optional<QString> xdgDesktop_;
};

}  // namespace hx::platform
