#pragma once

#include <QString>

namespace hx::platform {

// Starts an application launcher the way the desktop does (field codes,
// Terminal=, D-Bus activation, sandboxed applications). False when the file is
// not a launcher GIO accepts or the start failed.
bool launchDesktopEntry(const QString& path);

// Sets GIO's metadata::trusted on a file, which GNOME's desktop asks for
// before it runs a launcher. False where no metadata store is running.
bool markTrusted(const QString& path);

}  // namespace hx::platform
