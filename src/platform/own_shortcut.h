#pragma once

#include <QString>

#include "platform/desktop.h"

namespace hx::platform {

// File name of the program's own launcher in the desktop folder.
QString ownShortcutFileName();

// Puts the program's launcher on the desktop unless a file of that name is
// already there (it is never overwritten, so the user's edits survive and a
// deleted one comes back at the next start). Returns whether one was written;
// failures are otherwise ignored. The launcher starts the program on `dataRoot`
// (its working folder and its --root), whatever folder it is started from.
bool ensureOwnShortcut(Desktop& desktop, const QString& programPath, const QString& dataRoot,
                       const QString& iconPath);

}  // namespace hx::platform
