#pragma once

#include <QString>

namespace hx::platform {

struct LauncherFile {
    enum class Kind {
        Application,  // runs `commandLine`, or else `target` with `arguments`
        Link,         // opens `target`: a web address or a local path
        Copy,         // `target` is a launcher file, written again as it stands
    };
    Kind kind = Kind::Application;
    QString name;         // shown name (Name=)
    QString target;       // program, file or folder the launcher opens
    QString commandLine;  // Application: a stored command line, when set
    QString arguments;    // may be empty
    QString workingDir;   // may be empty
    QString icon;         // icon name or path, may be empty
    QString comment;      // description
};

// The user's desktop folder, shortcuts on it, and the display.
class Desktop {
  public:
    virtual ~Desktop() = default;
    // The user's desktop folder (xdg-user-dir DESKTOP), without trailing '/'.
    virtual QString desktopDir() = 0;
    // Writes a freedesktop launcher file at `path` (replacing what is there),
    // marks it executable and trusted.
    virtual bool writeLauncher(const QString& path, const LauncherFile& launcher) = 0;
    // The display's low-power state.
    virtual void monitorOff() = 0;
};

}  // namespace hx::platform
