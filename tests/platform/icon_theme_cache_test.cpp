#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QTemporaryDir>
#include <QtEndian>

#include "platform/icon_loader.h"
#include "platform/icon_theme_cache.h"
#include "support/in_child.h"

namespace hx::platform {
namespace {

struct CachedIcon {
    QByteArray name;
    QList<std::pair<quint16, quint16>> images;  // folder index, suffix flags
};

quint32 gtkHash(const QByteArray& name) {
    quint32 h = quint32(qint32(static_cast<signed char>(name.front())));
    for (qsizetype i = 1; i < name.size(); ++i)
        h = (h << 5) - h + quint32(qint32(static_cast<signed char>(name.at(i))));
    return h;
}

// An icon-theme.cache laid out as gtk-update-icon-cache writes one.
QByteArray gtkCache(const QList<QByteArray>& folders, const QList<CachedIcon>& icons,
                    quint32 buckets) {
    QByteArray out(12, '\0');
    const auto put16 = [&out](qsizetype at, quint16 v) { qToBigEndian(v, out.data() + at); };
    const auto put32 = [&out](qsizetype at, quint32 v) { qToBigEndian(v, out.data() + at); };
    const auto grow = [&out](qsizetype n) {
        const qsizetype at = out.size();
        out.append(n, '\0');
        return at;
    };
    put16(0, 1);
    put32(4, 12);
    put32(grow(4), buckets);
    const qsizetype table = grow(4 * buckets);
    for (quint32 b = 0; b < buckets; ++b) put32(table + 4 * b, 0xFFFFFFFF);
    for (const CachedIcon& icon : icons) {
        const qsizetype record = grow(12);
        const qsizetype bucket = table + 4 * (gtkHash(icon.name) % buckets);
        put32(record, qFromBigEndian<quint32>(out.constData() + bucket));
        put32(bucket, quint32(record));
        put32(record + 4, quint32(out.size()));
        out.append(icon.name).append('\0');
        grow((4 - out.size() % 4) % 4);
        put32(record + 8, quint32(out.size()));
        put32(grow(4), quint32(icon.images.size()));
        for (const auto& [folder, flags] : icon.images) {
            const qsizetype image = grow(8);
            put16(image, folder);
            put16(image + 2, flags);
        }
    }
    put32(8, quint32(out.size()));
    put32(grow(4), quint32(folders.size()));
    const qsizetype list = grow(4 * folders.size());
    for (qsizetype i = 0; i < folders.size(); ++i) {
        put32(list + 4 * i, quint32(out.size()));
        out.append(folders.at(i)).append('\0');
    }
    return out;
}

using Folders = QHash<QByteArray, quint16>;

const QList<QByteArray> kFolders{"16x16/apps", "32x32/apps", "scalable/apps"};
// One bucket: every name shares a chain.
const QByteArray kCache = gtkCache(kFolders,
                                   {{"hx-a", {{1, IconThemeCache::Png}, {2, IconThemeCache::Svg}}},
                                    {"hx-b", {{0, IconThemeCache::Png | IconThemeCache::Xpm}}}},
                                   1);

TEST(IconThemeCache, NamesTheFoldersThatHoldAnIcon) {
    for (const quint32 buckets : {1u, 2u, 31u}) {
        const IconThemeCache cache(
            gtkCache(kFolders,
                     {{"hx-a", {{1, IconThemeCache::Png}, {2, IconThemeCache::Svg}}},
                      {"hx-b", {{0, IconThemeCache::Png | IconThemeCache::Xpm}}},
                      {"图标", {{2, IconThemeCache::Svg}}}},
                     buckets));
        ASSERT_TRUE(cache.isValid()) << buckets;
        EXPECT_EQ(cache.foldersOf("hx-a"), Folders({{"32x32/apps", IconThemeCache::Png},
                                                    {"scalable/apps", IconThemeCache::Svg}}));
        EXPECT_EQ(cache.foldersOf("hx-b"),
                  Folders({{"16x16/apps", IconThemeCache::Png | IconThemeCache::Xpm}}));
        EXPECT_EQ(cache.foldersOf(QByteArray("图标")),
                  Folders({{"scalable/apps", IconThemeCache::Svg}}));
        EXPECT_TRUE(cache.foldersOf("hx-c").isEmpty());
        EXPECT_TRUE(cache.foldersOf("").isEmpty());
    }
}

// A cut-off or damaged cache answers nothing or what it still holds; it is
// never read past its end, and a chain that loops ends.
TEST(IconThemeCache, ADamagedCacheIsNeverReadPastItsEnd) {
    const Folders whole = IconThemeCache(kCache).foldersOf("hx-b");
    ASSERT_FALSE(whole.isEmpty());
    QTemporaryDir root;
    for (qsizetype n = 0; n < kCache.size(); ++n) {
        const Folders cut = IconThemeCache(kCache.first(n)).foldersOf("hx-b");
        EXPECT_TRUE(cut.isEmpty() || cut == whole) << n;
        // The same, read from a file a block at a time.
        QFile file(root.filePath(QStringLiteral("icon-theme.cache")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(kCache.first(n));
        file.close();
        const Folders read = IconThemeCache::inFolder(root.path()).foldersOf("hx-b");
        EXPECT_TRUE(read.isEmpty() || read == whole) << n;
    }
    QFile file(root.filePath(QStringLiteral("icon-theme.cache")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(kCache);
    file.close();
    EXPECT_EQ(IconThemeCache::inFolder(root.path()).foldersOf("hx-b"), whole);
    const auto patched = [](qsizetype at, quint32 value) {
        QByteArray bytes = kCache;
        qToBigEndian(value, bytes.data() + at);
        return IconThemeCache(bytes);
    };
    EXPECT_FALSE(patched(0, 0x00020000).isValid());  // version 2.0
    EXPECT_FALSE(patched(12, 0).isValid());          // no buckets
    EXPECT_FALSE(patched(4, 0x7FFFFFF0).isValid());  // hash table past the end
    // The chain's head points at itself: "hx-b" is not found, and the walk ends.
    const quint32 head = qFromBigEndian<quint32>(kCache.constData() + 16);
    EXPECT_TRUE(patched(head, head).foldersOf("hx-c").isEmpty());
    // A folder index beyond the folder list, a name offset past the end.
    EXPECT_TRUE(patched(head + 8, 0xFFFFFFF0).foldersOf("hx-b").isEmpty());
    EXPECT_TRUE(patched(head + 4, 0xFFFFFFF0).foldersOf("hx-b").isEmpty());
    QByteArray badFolder = gtkCache(kFolders, {{"hx-a", {{7, IconThemeCache::Png}}}}, 1);
    EXPECT_TRUE(IconThemeCache(badFolder).foldersOf("hx-a").isEmpty());
}

// Through the lookup: a current cache is believed (the file it names is not
// looked for), an older one than its folder is not.
TEST(IconThemeCache, TheLookupTakesACurrentCacheOnly) {
    const QByteArray data = qgetenv("HX_THEME_DATA");
    if (data.isEmpty()) {
        QTemporaryDir dir;
        test::expectPassesInChild("IconThemeCache.TheLookup*",
                                  {{QStringLiteral("HX_THEME_DATA"), dir.path()},
                                   {QStringLiteral("XDG_DATA_HOME"), dir.path()}});
        return;
    }
    for (const bool current : {true, false}) {
        SCOPED_TRACE(current ? "current cache" : "older cache");
        const QString theme = current ? QStringLiteral("HxCacheNew") : QStringLiteral("HxCacheOld");
        const QString root = QString::fromUtf8(data) + QStringLiteral("/icons/") + theme;
        ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/scalable/apps")));
        const auto put = [&root](const QString& name, const QByteArray& bytes) {
            QFile out(root + u'/' + name);
            return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
        };
        ASSERT_TRUE(put(QStringLiteral("index.theme"),
                        "[Icon Theme]\nDirectories=32x32/apps,scalable/apps\n"
                        "[32x32/apps]\nSize=32\nType=Fixed\n"
                        "[scalable/apps]\nSize=64\nMinSize=8\nMaxSize=512\nType=Scalable\n"));
        ASSERT_TRUE(put(QStringLiteral("scalable/apps/hx-cached.svg"), "<svg/>"));
        // The cache says 32x32/apps holds a PNG that is not on the disk.
        ASSERT_TRUE(put(QStringLiteral("icon-theme.cache"),
                        gtkCache({"32x32/apps", "scalable/apps"},
                                 {{"hx-cached", {{0, IconThemeCache::Png}}}}, 3)));
        if (!current) {
            QFile cache(root + QStringLiteral("/icon-theme.cache"));
            ASSERT_TRUE(cache.open(QIODevice::ReadWrite));
            ASSERT_TRUE(cache.setFileTime(QFileInfo(root).lastModified().addSecs(-60),
                                          QFileDevice::FileModificationTime));
        }
        QIcon::setThemeName(theme);
        IconLoader loader;  // takes the theme name
        EXPECT_EQ(IconLoader::themeIconFile(QStringLiteral("hx-cached"), 32),
                  root + (current ? QStringLiteral("/32x32/apps/hx-cached.png")
                                  : QStringLiteral("/scalable/apps/hx-cached.svg")));
    }
}

}  // namespace
}  // namespace hx::platform
