#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include "platform/desktop_entry.h"
#include "platform/linux/linux_file_probe.h"
#include "platform/path_facts.h"

namespace hx::platform {

namespace {

bool startsLikeProgram(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(4);
    return head == QByteArrayLiteral(
                       "\x7F"
                       "ELF") ||
           head.startsWith("#!");
}

}  // namespace

PathFacts inspectPath(const QString& path) {
    PathFacts facts;
    if (path.isEmpty()) return facts;
    const QFileInfo info(path);
    // exists() follows links: a dangling link or a loop does not exist.
    if (!info.exists()) return facts;
    facts.attributes = LinuxFileProbe().attributes(path);
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
    if (info.fileName().endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive)) {
        if (const auto entry = readDesktopEntry(path); entry && entry->isApplication()) {
            facts.launcher = true;
            facts.launcherName = entry->name;
            return facts;
        }
    }
    facts.program = info.isExecutable() && startsLikeProgram(path);
    return facts;
}

}  // namespace hx::platform
