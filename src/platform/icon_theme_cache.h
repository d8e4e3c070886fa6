#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <memory>

namespace hx::platform {

// A theme folder's icon-theme.cache, as gtk-update-icon-cache writes it (and
// Debian's triggers keep current): for an icon name, the theme's folders that
// hold it and with which extensions. A lookup through it reads no folder; GTK
// and Qt use it for the same reason. Every offset in the file is checked, so a
// damaged or hostile cache only reads as no cache.
class IconThemeCache {
  public:
    enum Suffix : quint16 { Xpm = 1, Svg = 2, Png = 4 };

    IconThemeCache() = default;
    // Nothing usable (isValid() false) unless `bytes` is a cache of version 1.
    explicit IconThemeCache(QByteArray bytes);
    // The cache in `themeRoot`, if it is a regular file no older than the
    // folder (GTK's own rule: an older one misses what was added since). Only
    // the blocks that lookups need are read, and kept: Adwaita's is 120 KiB.
    static IconThemeCache inFolder(const QString& themeRoot);

    bool isValid() const { return valid_; }
    // The folders (as the cache names them, relative to the theme) that hold
    // `name`, each with its Suffix flags.
    QHash<QByteArray, quint16> foldersOf(QByteArrayView name) const;

  private:
    struct Source;
    explicit IconThemeCache(std::shared_ptr<Source> source);
    bool read16(quint32 at, quint16* value) const;
    bool read32(quint32 at, quint32* value) const;
    // The NUL-terminated string at `at`; empty when it runs off the end.
    QByteArray string(quint32 at) const;

    std::shared_ptr<Source> source_;
    bool valid_ = false;
    quint32 buckets_ = 0;      // offset of the hash table's bucket count
    quint32 directories_ = 0;  // offset of the folder list's length
};

}  // namespace hx::platform
