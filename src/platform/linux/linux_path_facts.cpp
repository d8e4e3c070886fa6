#include <QFileInfo>
#include <QStorageInfo>

#include "platform/desktop_entry.h"
#include "platform/linux/linux_file_probe.h"
#include "platform/path_facts.h"

namespace hx::platform {

PathFacts inspectPath(const QString& path) {
    PathFacts facts;
    if (path.isEmpty()) return facts;
    const QFileInfo info(path);
    // exists() follows links: a dangling link or a loop does not exist.
    if (!info.exists()) return facts;
    const LinuxFileProbe probe;
    facts.attributes = probe.attributes(path);
    if (!facts.attributes) return facts;
    if (info.isDir()) {
        facts.kind = PathFacts::Kind::Directory;
        if (*facts.attributes == 22) facts.volumeLabel = QStorageInfo(path).name();
        return facts;
    }
    if (!info.isFile()) {
        facts.kind = PathFacts::Kind::Other;  // sockets, devices, pipes
        return facts;
    }
    facts.kind = PathFacts::Kind::File;
    // A launcher is never a program, whatever its x bit and first bytes: one
    // too large to read is still no script to run.
    if (info.fileName().endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive)) {
        if (const auto entry = readDesktopEntry(path); entry && entry->isApplication()) {
            facts.launcher = true;
            facts.launcherName = entry->name;
        }
        return facts;
    }
    facts.program = probe.isProgram(path);
    return facts;
}

}  // namespace hx::platform
