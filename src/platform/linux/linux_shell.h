#pragma once

#include <QDBusConnection>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

#include "platform/command_mapping.h"
#include "platform/shell.h"

namespace hx::platform {

// The parts of the desktop LinuxShell reaches; tests replace them so that no
// window, file manager or settings program ever appears. An empty member means
// the real thing.
struct ShellSystemCalls {
    std::function<bool(const QUrl&)> openUrl;  // QDesktopServices::openUrl
    std::function<bool(const QString& program, const QStringList& args)> startDetached;
    std::function<bool(const QString& program)> programExists;       // on PATH
    std::function<bool(const QString& location)> locationSupported;  // gvfs "computer", "trash"
    std::function<bool(const QString& path)> launchDesktopEntry;     // GIO
};

class LinuxShell final : public Shell {
  public:
    LinuxShell();
    // `bus` is where the file manager is asked for "show item" and "properties";
    // without one, the session bus is used (connected on first need).
    explicit LinuxShell(ShellSystemCalls calls, std::optional<QDBusConnection> bus = std::nullopt);

    bool open(const QString& target) override;
    bool startProcess(const QString& commandLine) override;
    bool showProperties(const QString& path) override;
    bool showInFolder(const QString& path) override;

    // What open() hands to the desktop for a target: a web address (with
    // "www." completed to http://) or an existing local path; invalid otherwise.
    static QUrl urlFor(const QString& target);

    CommandEnvironment commandEnvironment() const;

  private:
    bool runMapped(const MappedCommand& command);
    bool askFileManager(const QString& method, const QString& path);
    QDBusConnection bus();

    ShellSystemCalls calls_;
    std::optional<QDBusConnection> bus_;
};

}  // namespace hx::platform
