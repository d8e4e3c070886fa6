#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace hx::platform {

// The system icon library: what "icon N of the system's icon library" means
// here. A fixed table from index to a freedesktop icon name, chosen so that
// every index the program stores (0 document, 2 program, 3 folder, 7 drive,
// 15 computer, 21 control panel, 27 shut-down, 31 recycle bin, 34 desktop,
// 44 log-off, 48 start-up programs, 176 restart) shows the matching picture.
// Pure data, safe from any thread.

// The icon name for `index`, none when the library has no such icon.
std::optional<QString> systemIconName(int index);

// Every populated index, ascending.
QList<int> systemIconIndices();

}  // namespace hx::platform
