#include "platform/linux/linux_file_probe.h"

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

#include "platform/icon_loader.h"
#include "platform/regular_file.h"

namespace hx::platform {

namespace {

constexpr int kReadOnly = 1;
constexpr int kHidden = 2;
constexpr int kDirectory = 16;
constexpr int kArchive = 32;
constexpr int kDriveRoot = 22;  // what a drive root reports: hidden, system, folder

// A folder on another device than its parent is where a file system is
// mounted; "/" is its own parent. Two stat calls instead of reading the mount
// table for every folder of a column.
bool isMountPoint(const QFileInfo& info) {
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty()) return false;
    if (canonical == QLatin1String("/")) return true;
    struct stat self {
    }, parent{};
    const QByteArray path = QFile::encodeName(canonical);
    if (::stat(path.constData(), &self) != 0) return false;
    if (::stat((path + "/..").constData(), &parent) != 0) return false;
    return self.st_dev != parent.st_dev || self.st_ino == parent.st_ino;
}

}  // namespace

std::optional<int> LinuxFileProbe::attributes(const QString& path) const {
    if (path.isEmpty()) return std::nullopt;
    const QFileInfo info(path);
    if (!info.exists()) return std::nullopt;
    if (info.isDir() && isMountPoint(info)) return kDriveRoot;
    int value = info.isDir() ? kDirectory : kArchive;
    if (!info.isWritable()) value += kReadOnly;
    if (info.fileName().startsWith(QLatin1Char('.'))) value += kHidden;
    return value;
}

std::optional<IconSource> LinuxFileProbe::registeredIcon(const QString& extension) const {
    if (extension.isEmpty() || extension.contains(QLatin1Char('/'))) return std::nullopt;
    const QMimeDatabase db;
    const QMimeType type =
        db.mimeTypeForFile(QStringLiteral("x.") + extension, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault()) return std::nullopt;
    for (const QString& name : {type.iconName(), type.genericIconName()}) {
        if (!name.isEmpty() && IconLoader::themeHasIcon(name)) return IconSource::themeIcon(name);
    }
    return std::nullopt;
}

bool LinuxFileProbe::isProgram(const QString& path) const {
    if (path.isEmpty()) return false;
    // The x bit first: most files never get opened.
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable()) return false;
    const QByteArray head = readRegularFileHead(path, 4).value_or(QByteArray());
    return head == QByteArrayLiteral(
                       "\x7F"
                       "ELF") ||
           head.startsWith("#!");
}

bool LinuxFileProbe::hasIcon(const QString& path, int index) const {
    return IconLoader::fileHasIcon(path, index);
}

}  // namespace hx::platform
