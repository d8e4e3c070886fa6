#include "platform/icon_theme_cache.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace hx::platform {
namespace {

constexpr qint64 kMaxCacheBytes = 64 * 1024 * 1024;
constexpr qint64 kBlock = 4096;
constexpr qsizetype kMaxString = 4096;
// Bounds a hash chain: a cache whose chains loop is damaged, not endless.
constexpr int kMaxChain = 100000;
constexpr quint32 kNone = 0xFFFFFFFF;

// GTK's hash of an icon name, over signed chars as its C code reads them.
quint32 nameHash(QByteArrayView name) {
    quint32 h = quint32(qint32(static_cast<signed char>(name.front())));
    for (qsizetype i = 1; i < name.size(); ++i)
        h = (h << 5) - h + quint32(qint32(static_cast<signed char>(name.at(i))));
    return h;
}

}  // namespace

// The cache's bytes: all of them, or an open file read a block at a time (the
// file stays open, so a cache replaced meanwhile is still read as it was).
struct IconThemeCache::Source {
    QByteArray whole;
    std::unique_ptr<QFile> file;
    qint64 size = 0;
    QHash<qint64, QByteArray> blocks;

    bool copy(quint32 at, qsizetype n, char* out) {
        if (qint64(at) + n > size) return false;
        if (!file) {
            std::memcpy(out, whole.constData() + at, std::size_t(n));
            return true;
        }
        for (qint64 pos = at; n > 0;) {
            const qint64 index = pos / kBlock;
            auto it = blocks.find(index);
            if (it == blocks.end()) {
                if (!file->seek(index * kBlock)) return false;
                QByteArray block = file->read(kBlock);
                if (block.size() < std::min(kBlock, size - index * kBlock)) return false;
                it = blocks.insert(index, block);
            }
            const qint64 offset = pos - index * kBlock;
            const qsizetype take = qsizetype(std::min<qint64>(n, it->size() - offset));
            std::memcpy(out, it->constData() + offset, std::size_t(take));
            out += take;
            pos += take;
            n -= take;
        }
        return true;
    }
};

IconThemeCache::IconThemeCache(QByteArray bytes) {
    auto source = std::make_shared<Source>();
    source->size = bytes.size();
    source->whole = std::move(bytes);
    *this = IconThemeCache(std::move(source));
}

IconThemeCache::IconThemeCache(std::shared_ptr<Source> source) : source_(std::move(source)) {
    quint16 major = 0, minor = 0;
    quint32 count = 0;
    valid_ = read16(0, &major) && read16(2, &minor) && major == 1 && minor == 0 &&
             read32(4, &buckets_) && read32(8, &directories_) && read32(buckets_, &count) &&
             count > 0 && read32(directories_, &count);
}

IconThemeCache IconThemeCache::inFolder(const QString& themeRoot) {
    const QString path = themeRoot + QLatin1String("/icon-theme.cache");
    const QFileInfo cache(path);
    // A FIFO or a device there would stop the lookup for good.
    if (!cache.isFile() || cache.isSymLink() || cache.size() > kMaxCacheBytes ||
        cache.lastModified() < QFileInfo(themeRoot).lastModified())
        return {};
    auto source = std::make_shared<Source>();
    source->file = std::make_unique<QFile>(path);
    if (!source->file->open(QIODevice::ReadOnly)) return {};
    source->size = source->file->size();
    return IconThemeCache(std::move(source));
}

bool IconThemeCache::read16(quint32 at, quint16* value) const {
    uchar p[2];
    if (!source_ || !source_->copy(at, 2, reinterpret_cast<char*>(p))) return false;
    *value = quint16((p[0] << 8) | p[1]);
    return true;
}

bool IconThemeCache::read32(quint32 at, quint32* value) const {
    uchar p[4];
    if (!source_ || !source_->copy(at, 4, reinterpret_cast<char*>(p))) return false;
    *value = (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
    return true;
}

QByteArray IconThemeCache::string(quint32 at) const {
    QByteArray text;
    char c = 0;
    while (text.size() < kMaxString) {
        if (!source_->copy(at + quint32(text.size()), 1, &c)) return {};
        if (c == '\0') return text;
        text.append(c);
    }
    return {};
}

QHash<QByteArray, quint16> IconThemeCache::foldersOf(QByteArrayView name) const {
    QHash<QByteArray, quint16> folders;
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
                const QByteArray path = string(folderAt);
                if (!path.isEmpty()) folders.insert(path, flags);
            }
            return folders;
        }
        icon = next;
    }
    return folders;
}

}  // namespace hx::platform
