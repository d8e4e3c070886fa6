#include "platform/icon_theme_cache.h"

#include <QDateTime>
#include <QFileInfo>

#include "platform/regular_file.h"

namespace hx::platform {
namespace {

constexpr qint64 kMaxCacheBytes = 64 * 1024 * 1024;
// Bounds a hash chain: a cache whose chains loop is damaged, not endless.
constexpr int kMaxChain = 100000;
constexpr quint32 kNone = 0xFFFFFFFF;

// GTK's hash of an icon name, over signed chars as its C code reads them.
quint32 nameHash(QByteArrayView name) {
    if (name.isEmpty()) return 0;
    quint32 h = quint32(qint32(static_cast<signed char>(name.front())));
    for (qsizetype i = 1; i < name.size(); ++i)
        h = (h << 5) - h + quint32(qint32(static_cast<signed char>(name.at(i))));
    return h;
}

}  // namespace

IconThemeCache::IconThemeCache(QByteArray bytes) : bytes_(std::move(bytes)) {
    quint16 major = 0, minor = 0;
    quint32 buckets = 0, directories = 0, count = 0;
    valid_ = read16(0, &major) && read16(2, &minor) && major == 1 && minor == 0 &&
             read32(4, &buckets) && read32(8, &directories) && read32(buckets, &count) &&
             count > 0 && read32(directories, &count);
    buckets_ = buckets;
    directories_ = directories;
}

IconThemeCache IconThemeCache::inFolder(const QString& themeRoot) {
    const QString path = themeRoot + QLatin1String("/icon-theme.cache");
    const QFileInfo cache(path);
    if (!cache.isFile() || cache.lastModified() < QFileInfo(themeRoot).lastModified()) return {};
    auto bytes = readRegularFile(path, kMaxCacheBytes);
    return bytes ? IconThemeCache(std::move(*bytes)) : IconThemeCache();
}

bool IconThemeCache::read16(quint32 at, quint16* value) const {
    if (qint64(at) + 2 > bytes_.size()) return false;
    const auto* p = reinterpret_cast<const uchar*>(bytes_.constData()) + at;
    *value = quint16((p[0] << 8) | p[1]);
    return true;
}

bool IconThemeCache::read32(quint32 at, quint32* value) const {
    if (qint64(at) + 4 > bytes_.size()) return false;
    const auto* p = reinterpret_cast<const uchar*>(bytes_.constData()) + at;
    *value = (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
    return true;
}

QByteArrayView IconThemeCache::string(quint32 at) const {
    if (qint64(at) >= bytes_.size()) return {};
    const QByteArrayView rest = QByteArrayView(bytes_).sliced(at);
    const qsizetype end = rest.indexOf('\0');
    return end < 0 ? QByteArrayView() : rest.first(end);
}

QHash<QByteArrayView, quint16> IconThemeCache::foldersOf(QByteArrayView name) const {
    QHash<QByteArrayView, quint16> folders;
    quint32 bucketCount = 0, icon = 0, folderCount = 0;
    if (!valid_ || name.isEmpty() || !read32(buckets_, &bucketCount) || bucketCount == 0 ||
        !read32(directories_, &folderCount) ||
        !read32(buckets_ + 4 + 4 * (nameHash(name) % bucketCount), &icon))
        return folders;
    for (int step = 0; icon != kNone && step < kMaxChain; ++step) {
        quint32 next = 0, nameAt = 0, images = 0, imageCount = 0;
        if (!read32(icon, &next) || !read32(icon + 4, &nameAt) || !read32(icon + 8, &images))
            return folders;
        if (string(nameAt) == name) {
            if (!read32(images, &imageCount)) return folders;
            for (quint32 i = 0; i < imageCount && i < folderCount; ++i) {
                quint16 folder = 0, flags = 0;
                quint32 folderAt = 0;
                if (!read16(images + 4 + 8 * i, &folder) || !read16(images + 6 + 8 * i, &flags) ||
                    folder >= folderCount || !read32(directories_ + 4 + 4 * folder, &folderAt))
                    return {};
                const QByteArrayView path = string(folderAt);
                if (!path.isEmpty()) folders.insert(path, flags);
            }
            return folders;
        }
        icon = next;
    }
    return folders;
}

}  // namespace hx::platform
