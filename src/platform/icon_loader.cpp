#include "platform/icon_loader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>

#include <QMutexLocker>
#include <QPainter>
#include <QSet>
#include <QStandardPaths>
#include <QTextStream>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>
#include "platform/image_read.h"

#include "platform/ico_reader.h"
#include "platform/icon_library.h"
#include "platform/icon_theme_cache.h"
#include "platform/pe_reader.h"
#include "platform/regular_file.h"

namespace hx::platform {

namespace {

// Programs and libraries can be large; an icon source beyond this is not read.
constexpr qint64 kMaxIconFileSize = 256 * 1024 * 1024;
// Image files named by launchers or themes; anything bigger is not a picture
// meant for a list entry.
constexpr int kMaxPictureDimension = 4096;
constexpr qint64 kMaxPictureFileSize = 32 * 1024 * 1024;
// index.theme and launchers are short texts.
constexpr qint64 kMaxTextFileSize = 1024 * 1024;
// Loaded pictures kept; the cache starts over when it grows past this.
constexpr qsizetype kMaxCachedPictures = 4096;

const QString kWebLinkIcon = QStringLiteral(":/icons/weblink.ico");
const QString kToolbarDesign16 = QStringLiteral(":/icons/toolbar_design16.png");

QImage toQImage(const ico::IconImage& icon) {
    if (!icon.png.empty()) {
        return QImage::fromData(icon.png.data(), static_cast<int>(icon.png.size()), "PNG")
            .convertToFormat(QImage::Format_ARGB32);
    }
    QImage image(icon.width, icon.height, QImage::Format_ARGB32);
    if (image.isNull()) return image;
    for (int y = 0; y < icon.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < icon.width; ++x)
            line[x] = icon.argb[static_cast<size_t>(y) * icon.width + x];
    }
    return image;
}

// Square picture of `size` pixels: the image scaled smoothly to fit, centred on
// a transparent background when it is not square.
QImage fitted(const QImage& image, int size) {
    if (image.isNull() || size <= 0) return {};
    QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (source.width() == size && source.height() == size) return source;
    const QImage scaled = source.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (scaled.width() == size && scaled.height() == size) return scaled;
    QImage canvas(size, size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.drawImage((size - scaled.width()) / 2, (size - scaled.height()) / 2, scaled);
    painter.end();
    return canvas;
}

// An image file (PNG, SVG, XPM, ICO …) read at about `size` pixels. A huge
// picture is only read when its decoder can shrink it while reading.
QImage readPicture(const QString& path, int size) {
    auto bytes = readRegularFile(path, kMaxPictureFileSize);
    if (!bytes) return {};
    QBuffer buffer(&*bytes);
    buffer.open(QIODevice::ReadOnly);
    // The extension stays the first guess at the format, as for a named file.
    QImageReader reader;
    chooseReader(reader, &buffer, QFileInfo(path).suffix().toLower().toLatin1());
    const QSize natural = reader.size();
    if (!natural.isValid() || natural.isEmpty()) return {};
    const bool tooBig =
        natural.width() > kMaxPictureDimension || natural.height() > kMaxPictureDimension;
    if (tooBig && !reader.supportsOption(QImageIOHandler::ScaledSize)) return {};
    // Vector pictures are drawn at the wanted size, bitmaps scaled while read.
    const QSize wanted = natural.scaled(size, size, Qt::KeepAspectRatio);
    if (wanted != natural) reader.setScaledSize(wanted);
    return reader.read();
}

enum class FileKind { None, Ico, Pe, Desktop };

FileKind kindOf(const QString& path, std::span<const std::uint8_t> bytes) {
    if (path.endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive)) return FileKind::Desktop;
    if (bytes.size() >= 2 && bytes[0] == 'M' && bytes[1] == 'Z') return FileKind::Pe;
    if (bytes.size() >= 4 && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 1 && bytes[3] == 0)
        return FileKind::Ico;
    return FileKind::None;
}

// --- icon themes -------------------------------------------------------------

struct ThemeDir {
    QString path;          // relative to the theme folder
    QByteArray pathBytes;  // the same, as icon-theme.cache names it
    int size = 0;
    int minSize = 0;
    int maxSize = 0;
    int threshold = 2;
    int scale = 1;
    enum Kind { Fixed, Scalable, Threshold } type = Threshold;

    bool matches(int want) const {
        switch (type) {
            case Fixed:
                return size == want;
            case Scalable:
                return minSize <= want && want <= maxSize;
            case Threshold:
                return size - threshold <= want && want <= size + threshold;
        }
        return false;
    }
    int distance(int want) const {
        switch (type) {
            case Fixed:
                return std::abs(size - want);
            case Scalable:
                if (want < minSize) return minSize - want;
                if (want > maxSize) return want - maxSize;
                return 0;
            case Threshold:
                if (want < size - threshold) return size - threshold - want;
                if (want > size + threshold) return want - size - threshold;
                return 0;
        }
        return 0;
    }
};

struct Theme {
    QStringList roots;  // existing folders of this theme, one per search path
    QStringList inherits;
    // Its folders' sizes are read at the first lookup in this theme: most
    // lookups end in the first theme, and hicolor's index, inherited by all,
    // is eight times Adwaita's.
    QList<ThemeDir> dirs;
    QList<IconThemeCache> caches;  // one per root, read with the folders
    QString indexFile;             // read again for the folders
    bool dirsRead = false;
};

// Parses the few keys of index.theme that the lookup needs: what the theme
// inherits, and with `withDirs` its folders and their sizes.
void readIndex(Theme& theme, const QByteArray& text, bool withDirs) {
    // Read as bytes, in two passes over views of the text: first the theme's
    // own group, then the sections of the folders it lists. hicolor's index
    // has hundreds of sections and thousands of lines, read on the item
    // loader's worker at the first themed icon of every start; a string or
    // table per line or section cost more than the rest of the icon lookup.
    const QByteArrayView all(text);
    // Calls take(group, key, value) per line until it returns false.
    const auto forEachLine = [&all](auto&& take) {
        qsizetype at = 0;
        for (int lines = 0; at < all.size() && lines < 100000; ++lines) {
            const auto* newline =
                static_cast<const char*>(std::memchr(all.data() + at, '\n', all.size() - at));
            const qsizetype end = newline ? newline - all.data() : all.size();
            const QByteArrayView line = all.sliced(at, end - at).trimmed();
            at = end + 1;
            if (line.isEmpty() || line.front() == '#') continue;
            if (line.front() == '[' && line.back() == ']') {
                if (!take(line.sliced(1, line.size() - 2), QByteArrayView(), QByteArrayView()))
                    return;
                continue;
            }
            const qsizetype eq = line.indexOf('=');
            if (eq > 0 &&
                !take(QByteArrayView(), line.first(eq).trimmed(), line.sliced(eq + 1).trimmed()))
                return;
        }
    };
    const auto items = [](QByteArrayView list, QList<QByteArrayView>& into) {
        while (!list.isEmpty()) {
            qsizetype comma = list.indexOf(',');
            if (comma < 0) comma = list.size();
            if (const QByteArrayView item = list.first(comma).trimmed(); !item.isEmpty())
                into << item;
            list = list.sliced(std::min(comma + 1, list.size()));
        }
    };
    static constexpr QByteArrayView kHead("Icon Theme"), kInherits("Inherits"),
        kDirectories("Directories"), kScaled("ScaledDirectories"), kSize("Size"), kScale("Scale"),
        kMinSize("MinSize"), kMaxSize("MaxSize"), kThreshold("Threshold"), kType("Type"),
        kFixed("Fixed"), kScalable("Scalable");
    QList<QByteArrayView> inherits, directories, scaled;
    bool inHead = false, headDone = false;
    forEachLine([&](QByteArrayView group, QByteArrayView key, QByteArrayView value) {
        if (!group.isEmpty()) {
            headDone = headDone || inHead;
            inHead = group == kHead;
            return !headDone || inHead;  // the theme's own group is read whole
        }
        if (!inHead) return true;
        if (key == kInherits) {
            inherits.clear();
            items(value, inherits);
        } else if (!withDirs) {
            return true;
        } else if (key == kDirectories) {
            directories.clear();
            items(value, directories);
        } else if (key == kScaled) {
            scaled.clear();
            items(value, scaled);
        }
        return true;
    });
    theme.inherits.clear();
    for (const QByteArrayView name : std::as_const(inherits))
        theme.inherits << QString::fromUtf8(name);
    if (!withDirs) return;
    const QList<QByteArrayView> names = directories + scaled;
    struct Section {
        int size = 0, scale = 1, minSize = -1, maxSize = -1, threshold = 2;
        ThemeDir::Kind type = ThemeDir::Threshold;
    };
    QHash<QByteArrayView, qsizetype> sectionOf;
    sectionOf.reserve(names.size());
    for (const QByteArrayView name : std::as_const(names)) sectionOf.insert(name, sectionOf.size());
    std::vector<Section> sections(std::size_t(sectionOf.size()));
    Section* section = nullptr;
    forEachLine([&](QByteArrayView group, QByteArrayView key, QByteArrayView value) {
        if (!group.isEmpty()) {
            const auto it = sectionOf.constFind(group);
            section = it == sectionOf.constEnd() ? nullptr : &sections[std::size_t(*it)];
            return true;
        }
        if (!section) return true;
        const auto number = [&value](int fallback) {
            bool ok = false;
            const int n = value.toInt(&ok);
            return ok ? n : fallback;
        };
        if (key == kSize)
            section->size = number(0);
        else if (key == kScale)
            section->scale = qMax(1, number(1));
        else if (key == kMinSize)
            section->minSize = number(-1);
        else if (key == kMaxSize)
            section->maxSize = number(-1);
        else if (key == kThreshold)
            section->threshold = number(2);
        else if (key == kType)
            section->type = value == kFixed      ? ThemeDir::Fixed
                            : value == kScalable ? ThemeDir::Scalable
                                                 : ThemeDir::Threshold;
        return true;
    });
    for (const QByteArrayView name : std::as_const(names)) {
        const Section& keys = sections[std::size_t(sectionOf.value(name))];
        if (keys.size <= 0) continue;
        ThemeDir dir;
        dir.path = QString::fromUtf8(name);
        dir.pathBytes = name.toByteArray();
        dir.size = keys.size;
        dir.scale = keys.scale;
        dir.minSize = keys.minSize >= 0 ? keys.minSize : dir.size;
        dir.maxSize = keys.maxSize >= 0 ? keys.maxSize : dir.size;
        dir.threshold = keys.threshold;
        dir.type = keys.type;
        theme.dirs.append(dir);
    }
}

// Finds the theme's folders and reads what its index says it inherits.
Theme readTheme(const QString& name, const QStringList& searchPaths) {
    Theme theme;
    QString indexFile;
    for (const QString& base : searchPaths) {
        const QString root = base + QLatin1Char('/') + name;
        if (!QFileInfo(root).isDir()) continue;
        theme.roots.append(root);
        if (indexFile.isEmpty() && QFileInfo::exists(root + QLatin1String("/index.theme")))
            indexFile = root + QLatin1String("/index.theme");
    }
    if (indexFile.isEmpty()) return theme;
    // The text is not kept: hicolor's is 55 KB, and most starts never
    // need its folders.
    const auto text = readRegularFile(indexFile, kMaxTextFileSize);
    if (!text) return theme;
    theme.indexFile = indexFile;
    readIndex(theme, *text, false);
    return theme;
}

class ThemeLookup {
  public:
    static ThemeLookup& instance() {
        static ThemeLookup lookup;
        return lookup;
    }

    QString find(const QString& name, int size) {
        if (name.isEmpty() || name.contains(QLatin1Char('/'))) return {};
        QMutexLocker lock(&mutex_);
        const auto key = std::make_pair(name, size);
        if (const auto it = found_.constFind(key); it != found_.constEnd()) return *it;
        QString result;
        for (const QString& themeName : chain()) {
            result = findIn(themeWithDirs(themeName), name, size);
            if (!result.isEmpty()) break;
        }
        if (result.isEmpty()) {
            for (const QString& base : pixmapDirs_) {
                for (const char* ext : {".png", ".svg", ".xpm"}) {
                    const QString candidate = base + QLatin1Char('/') + name + QLatin1String(ext);
                    if (QFileInfo::exists(candidate)) {
                        result = candidate;
                        break;
                    }
                }
                if (!result.isEmpty()) break;
            }
        }
        if (found_.size() > kMaxCachedPictures) found_.clear();
        found_.insert(key, result);
        return result;
    }

    // Themes may have been installed or changed since they were read.
    void forget() {
        QMutexLocker lock(&mutex_);
        themes_.clear();
        chain_.clear();
        found_.clear();
    }

    void setPreferredTheme(const QString& name) {
        QMutexLocker lock(&mutex_);
        if (name == preferred_) return;
        preferred_ = name;
        chain_.clear();
        found_.clear();
    }

  private:
    ThemeLookup() {
        const QString home = QDir::homePath();
        QStringList bases;
        bases << QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                     QLatin1String("/icons");
        bases << home + QLatin1String("/.icons");
        QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
        if (dataDirs.isEmpty()) dataDirs = QStringLiteral("/usr/local/share:/usr/share");
        for (const QString& d : dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
            bases << d + QLatin1String("/icons");
            pixmapDirs_ << d + QLatin1String("/pixmaps");
        }
        bases << QStringLiteral("/usr/share/icons");
        bases.removeDuplicates();
        searchPaths_ = bases;
        pixmapDirs_.removeDuplicates();
    }

    Theme& theme(const QString& name) {
        auto it = themes_.find(name);
        if (it == themes_.end()) it = themes_.insert(name, readTheme(name, searchPaths_));
        return *it;
    }

    const Theme& themeWithDirs(const QString& name) {
        Theme& t = theme(name);
        if (!t.dirsRead) {
            t.dirsRead = true;
            if (!t.indexFile.isEmpty())
                if (const auto text = readRegularFile(t.indexFile, kMaxTextFileSize))
                    readIndex(t, *text, true);
            for (const QString& root : std::as_const(t.roots))
                t.caches << IconThemeCache::inFolder(root);
        }
        return t;
    }

    // The preferred theme, what it inherits (breadth first), then the defaults.
    const QStringList& chain() {
        if (!chain_.isEmpty()) return chain_;
        QStringList queue;
        if (!preferred_.isEmpty()) queue << preferred_;
        queue << QStringLiteral("Adwaita") << QStringLiteral("hicolor");
        QSet<QString> seen;
        for (qsizetype i = 0; i < queue.size() && chain_.size() < 16; ++i) {
            const QString name = queue.at(i).trimmed();
            if (name.isEmpty() || seen.contains(name)) continue;
            seen.insert(name);
            const Theme& t = theme(name);
            if (t.roots.isEmpty()) continue;
            chain_ << name;
            for (const QString& parent : t.inherits) queue.insert(i + 1, parent.trimmed());
        }
        // hicolor is the freedesktop base of every theme; look there last.
        if (chain_.removeAll(QStringLiteral("hicolor")) > 0) chain_ << QStringLiteral("hicolor");
        return chain_;
    }

    static QString findIn(const Theme& theme, const QString& name, int size) {
        // Where a root's cache is current, it says which folders hold the
        // icon; only the others are asked file by file.
        const QByteArray nameBytes = name.toUtf8();
        QList<QHash<QByteArray, quint16>> cached(theme.roots.size());
        for (qsizetype r = 0; r < theme.roots.size() && r < theme.caches.size(); ++r)
            if (theme.caches.at(r).isValid()) cached[r] = theme.caches.at(r).foldersOf(nameBytes);
        static constexpr std::pair<const char*, quint16> kSuffixes[] = {
            {".png", IconThemeCache::Png},
            {".svg", IconThemeCache::Svg},
            {".xpm", IconThemeCache::Xpm}};
        QString best;
        int bestDistance = INT_MAX;
        for (const ThemeDir& dir : theme.dirs) {
            if (dir.scale != 1) continue;
            const int distance = dir.matches(size) ? 0 : dir.distance(size) + 1;
            if (distance >= bestDistance) continue;
            for (qsizetype r = 0; r < theme.roots.size(); ++r) {
                const bool hasCache = r < theme.caches.size() && theme.caches.at(r).isValid();
                const quint16 held = hasCache ? cached.at(r).value(dir.pathBytes) : 0;
                for (const auto& [ext, flag] : kSuffixes) {
                    if (hasCache && !(held & flag)) continue;
                    const QString candidate = theme.roots.at(r) + QLatin1Char('/') + dir.path +
                                              QLatin1Char('/') + name + QLatin1String(ext);
                    if (hasCache || QFileInfo::exists(candidate)) {
                        best = candidate;
                        bestDistance = distance;
                        break;
                    }
                }
                if (bestDistance == distance) break;
            }
            if (bestDistance == 0) break;
        }
        return best;
    }

    QMutex mutex_;
    QStringList searchPaths_;
    QStringList pixmapDirs_;
    QString preferred_;
    QStringList chain_;
    QHash<QString, Theme> themes_;
    QHash<std::pair<QString, int>, QString> found_;
};

QImage themeImage(const QString& name, int size) {
    const QString file = ThemeLookup::instance().find(name, size);
    if (file.isEmpty()) return {};
    return readPicture(file, size);
}

// A launcher's Icon=: a path to a picture, or a theme name (an extension, which
// some launchers add, is dropped for the theme lookup).
QImage launcherIcon(const QString& value, int size) {
    if (value.isEmpty()) return {};
    if (QDir::isAbsolutePath(value)) return readPicture(value, size);
    QString name = value;
    for (const char* ext : {".png", ".svg", ".xpm"}) {
        if (name.endsWith(QLatin1String(ext), Qt::CaseInsensitive)) name.chop(4);
    }
    return themeImage(name, size);
}

}  // namespace

// -----------------------------------------------------------------------------

IconLoader::IconLoader() {
    // QIcon's theme name is only read here, on the thread that creates the loader.
    ThemeLookup::instance().setPreferredTheme(QIcon::themeName());
}

QIcon listIcon(const std::function<QImage(int)>& draw, int size, qreal ratio) {
    const QImage picture = draw(size);
    if (picture.isNull()) return {};
    return listIcon(picture, ratio > 1.0 ? draw(qRound(size * ratio)) : QImage(), ratio);
}

QIcon listIcon(const QImage& picture, QImage sharp, qreal ratio) {
    if (picture.isNull()) return {};
    QIcon icon(QPixmap::fromImage(picture));
    if (!sharp.isNull()) {
        sharp.setDevicePixelRatio(ratio);
        icon.addPixmap(QPixmap::fromImage(sharp));
    }
    return icon;
}

void installIconThemeFallback() {
    QStringList paths = QIcon::themeSearchPaths();
    if (!paths.contains(QStringLiteral("/usr/share/icons"))) {
        paths << QStringLiteral("/usr/share/icons");
        QIcon::setThemeSearchPaths(paths);
    }
    if (QIcon::themeName().isEmpty()) QIcon::setThemeName(QStringLiteral("Adwaita"));
    ThemeLookup::instance().setPreferredTheme(QIcon::themeName());
}

QString IconLoader::themeIconFile(const QString& name, int size) {
    return ThemeLookup::instance().find(name, size);
}

bool IconLoader::themeHasIcon(const QString& name) {
    return !ThemeLookup::instance().find(name, 32).isEmpty();
}

std::optional<QString> IconLoader::desktopEntryIcon(const QString& path) {
    const auto text = readRegularFile(path, kMaxTextFileSize);
    if (!text) return std::nullopt;
    QTextStream in(*text);
    bool inEntry = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry || !line.startsWith(QLatin1String("Icon"))) continue;
        const QString rest = line.mid(4).trimmed();
        if (!rest.startsWith(QLatin1Char('='))) continue;  // Icon[xx]= is not the icon
        const QString value = rest.mid(1).trimmed();
        if (value.isEmpty()) return std::nullopt;
        return value;
    }
    return std::nullopt;
}

bool IconLoader::fileHasIcon(const QString& path, int index) {
    if (path.isEmpty()) return false;
    if (path.endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive))
        return index == 0 && desktopEntryIcon(path).has_value();
    const RegularFileView mapped(path, kMaxIconFileSize);
    switch (kindOf(path, mapped.bytes())) {
        case FileKind::Ico:
            return index >= 0 && ico::decodeEntry(mapped.bytes(), index).has_value();
        case FileKind::Pe:
            return pe::hasIconGroup(mapped.bytes(), index);
        default:
            return false;
    }
}

QImage IconLoader::loadFileIcon(const QString& path, int index, int size) {
    if (path.isEmpty()) return {};
    if (path.endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive)) {
        if (index != 0) return {};
        const auto value = desktopEntryIcon(path);
        return value ? launcherIcon(*value, size) : QImage();
    }
    const RegularFileView mapped(path, kMaxIconFileSize);
    std::optional<ico::IconImage> icon;
    switch (kindOf(path, mapped.bytes())) {
        case FileKind::Ico:
            if (index >= 0) icon = ico::decodeEntry(mapped.bytes(), index);
            break;
        case FileKind::Pe:
            icon = pe::loadIconGroup(mapped.bytes(), index, size);
            break;
        default:
            break;
    }
    return icon ? toQImage(*icon) : QImage();
}

QImage IconLoader::loadUncached(const IconSource& source, int size) const {
    using Kind = IconSource::Kind;
    switch (source.kind) {
        case Kind::None:
            return {};
        case Kind::WebLink:
            if (size <= 16) return QImage(kToolbarDesign16);
            return loadFileIcon(kWebLinkIcon, 0, size);
        case Kind::SystemIndex: {
            const auto name = systemIconName(source.index);
            return name ? themeImage(*name, size) : QImage();
        }
        case Kind::RegistryEditor:
            for (const char* name :
                 {"dconf-editor", "ca.desrt.dconf-editor", "preferences-system"}) {
                QImage image = themeImage(QString::fromLatin1(name), size);
                if (!image.isNull()) return image;
            }
            return {};
        case Kind::FileIcon:
            return loadFileIcon(source.text, source.index, size);
        case Kind::ThemeIcon:
            return themeImage(source.text, size);
    }
    return {};
}

QImage IconLoader::load(const IconSource& source, int size) {
    if (source.isNone() || size <= 0 || size > ico::kMaxIconDimension) return {};
    const auto key = std::make_pair(source, size);
    {
        QMutexLocker lock(&mutex_);
        if (const auto it = cache_.constFind(key); it != cache_.constEnd()) return *it;
    }
    // Loading runs unlocked: two threads may load the same picture once each.
    const QImage image = fitted(loadUncached(source, size), size);
    QMutexLocker lock(&mutex_);
    if (cache_.size() >= kMaxCachedPictures) cache_.clear();
    cache_.insert(key, image);
    return image;
}

void IconLoader::clearCache() {
    {
        QMutexLocker lock(&mutex_);
        cache_.clear();
    }
    ThemeLookup::instance().forget();
}

}  // namespace hx::platform
