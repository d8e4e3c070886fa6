#include "platform/linux/linux_file_probe.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStorageInfo>

#include "platform/icon_loader.h"

namespace hx::platform {

namespace {

constexpr int kReadOnly = 1;
constexpr int kHidden = 2;
constexpr int kDirectory = 16;
constexpr int kArchive = 32;
constexpr int kDriveRoot = 22;  // what a drive root reports: hidden, system, folder

bool isMountPoint(const QFileInfo& info) {
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty()) return false;
    const QStorageInfo storage(canonical);
    return storage.isValid() && QDir::cleanPath(storage.rootPath()) == canonical;
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

bool LinuxFileProbe::hasIcon(const QString& path, int index) const {
    return IconLoader::fileHasIcon(path, index);
}

}  // namespace hx::platform
