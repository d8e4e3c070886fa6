#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QTemporaryDir>
#include <thread>

#include "icon_test_bytes.h"
#include "platform/icon_library.h"
#include "platform/icon_loader.h"
#include "support/in_child.h"
#include "support/write_file.h"

namespace hx::test {
namespace {

using platform::IconLoader;
using platform::IconSource;

bool adwaitaInstalled() { return QFileInfo::exists("/usr/share/icons/Adwaita/index.theme"); }

QRgb centre(const QImage& image) { return image.pixel(image.width() / 2, image.height() / 2); }

TEST(IconLibrary, CoversTheIndicesTheProgramStoresAndARichSet) {
    for (int index : {0, 2, 3, 7, 15, 21, 27, 31, 34, 44, 48, 176})
        EXPECT_TRUE(platform::systemIconName(index)) << index;
    const QList<int> indices = platform::systemIconIndices();
    EXPECT_GE(indices.size(), 150);
    EXPECT_TRUE(std::is_sorted(indices.begin(), indices.end()));
    EXPECT_GE(indices.front(), 0);
    EXPECT_LE(indices.back(), 300);
    for (int index : indices) EXPECT_TRUE(platform::systemIconName(index)) << index;
    EXPECT_FALSE(platform::systemIconName(-1));
    EXPECT_FALSE(platform::systemIconName(301));
    EXPECT_EQ(*platform::systemIconName(3), "folder");
    EXPECT_EQ(*platform::systemIconName(31), "user-trash");
}

TEST(IconLibrary, EveryEntryExistsInTheFallbackTheme) {
    if (!adwaitaInstalled()) GTEST_SKIP() << "Adwaita icon theme not installed";
    for (int index : platform::systemIconIndices()) {
        const QString name = *platform::systemIconName(index);
        EXPECT_FALSE(IconLoader::themeIconFile(name, 32).isEmpty())
            << index << " " << name.toStdString();
    }
}

TEST(IconLoader, SystemIconsComeFromTheThemeAtTheRequestedSize) {
    if (!adwaitaInstalled()) GTEST_SKIP() << "Adwaita icon theme not installed";
    IconLoader loader;
    for (int size : {16, 32}) {
        const QImage folder = loader.load(IconSource::systemIndex(3), size);
        ASSERT_FALSE(folder.isNull());
        EXPECT_EQ(folder.size(), QSize(size, size));
        EXPECT_GT(qAlpha(centre(folder)), 0);
    }
    EXPECT_NE(loader.load(IconSource::systemIndex(3), 32),
              loader.load(IconSource::systemIndex(31), 32));
    EXPECT_TRUE(loader.load(IconSource::systemIndex(299), 32).isNull());
    EXPECT_TRUE(loader.load(IconSource::none(), 32).isNull());
    EXPECT_FALSE(loader.load(IconSource::registryEditor(), 32).isNull());
    EXPECT_FALSE(loader.load(IconSource::themeIcon("computer"), 16).isNull());
    EXPECT_TRUE(loader.load(IconSource::themeIcon("no-such-icon-anywhere"), 16).isNull());
    EXPECT_TRUE(loader.load(IconSource::themeIcon("../../etc/passwd"), 16).isNull());
}

TEST(IconLoader, WebLinkPictureDependsOnTheSize) {
    IconLoader loader;
    const QImage large = loader.load(IconSource::webLink(), 32);
    ASSERT_EQ(large.size(), QSize(32, 32));
    EXPECT_TRUE(large.hasAlphaChannel());
    EXPECT_EQ(qAlpha(large.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(large.pixel(12, 12)), 255);
    const QImage small = loader.load(IconSource::webLink(), 16);
    const QImage design(":/icons/toolbar_design16.png");
    ASSERT_EQ(small.size(), QSize(16, 16));
    EXPECT_EQ(small.convertToFormat(QImage::Format_ARGB32_Premultiplied),
              design.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

TEST(IconLoader, IconFilesGiveTheirNthImageScaledToSize) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, "two.ico",
                                   toQByteArray(icoFile({{16, 32, solidImage(16, 0xFFFF0000)},
                                                         {48, 32, solidImage(48, 0xFF00FF00)}})));
    IconLoader loader;
    const QImage first = loader.load(IconSource::fileIcon(path, 0), 32);
    ASSERT_EQ(first.size(), QSize(32, 32));
    EXPECT_EQ(centre(first), 0xFFFF0000u);
    const QImage second = loader.load(IconSource::fileIcon(path, 1), 32);
    EXPECT_EQ(centre(second), 0xFF00FF00u);
    EXPECT_TRUE(loader.load(IconSource::fileIcon(path, 2), 32).isNull());
    EXPECT_TRUE(loader.load(IconSource::fileIcon(path, -1), 32).isNull());
    EXPECT_TRUE(IconLoader::fileHasIcon(path, 1));
    EXPECT_FALSE(IconLoader::fileHasIcon(path, 2));
}

TEST(IconLoader, ProgramsGiveTheirIconGroupsWhateverTheirName) {
    QTemporaryDir dir;
    const QByteArray program = toQByteArray(peFile(
        {{1, {{32, 32, solidImage(32, 0xFF0000FF)}}},
         {101, {{16, 32, solidImage(16, 0xFF00FFFF)}, {32, 32, solidImage(32, 0xFFFFFF00)}}}}));
    const QString exe = writeFile(dir, "tool.EXE", program);
    const QString dll = writeFile(dir, "lib.dll", program);
    IconLoader loader;
    EXPECT_EQ(centre(loader.load(IconSource::fileIcon(exe, 0), 32)), 0xFF0000FFu);
    EXPECT_EQ(centre(loader.load(IconSource::fileIcon(dll, 1), 32)), 0xFFFFFF00u);
    EXPECT_EQ(centre(loader.load(IconSource::fileIcon(dll, 1), 16)), 0xFF00FFFFu);
    EXPECT_EQ(centre(loader.load(IconSource::fileIcon(dll, -101), 32)), 0xFFFFFF00u);
    EXPECT_TRUE(loader.load(IconSource::fileIcon(exe, 2), 32).isNull());
    EXPECT_TRUE(IconLoader::fileHasIcon(exe, -1));
    EXPECT_FALSE(IconLoader::fileHasIcon(exe, -2));
}

TEST(IconLoader, LaunchersGiveTheirIconEntryOtherFilesNothing) {
    QTemporaryDir dir;
    const QString png = dir.filePath("pic.png");
    QImage picture(64, 64, QImage::Format_ARGB32);
    picture.fill(0xFF808000);
    ASSERT_TRUE(picture.save(png));
    const QString byPath = writeFile(
        dir, "a.desktop",
        ("[Desktop Entry]\nName=A\nIcon[de]=nothing\nIcon = " + png + "\nExec=a\n").toUtf8());
    const QString byName = writeFile(
        dir, "b.desktop", "[Desktop Action x]\nIcon=bogus\n[Desktop Entry]\nIcon=folder\n");
    const QString without = writeFile(dir, "c.desktop", "[Desktop Entry]\nName=C\n");
    const QString text = writeFile(dir, "notes.txt", "MZ but a text file");
    IconLoader loader;
    const QImage fromPath = loader.load(IconSource::fileIcon(byPath, 0), 32);
    ASSERT_EQ(fromPath.size(), QSize(32, 32));
    EXPECT_EQ(centre(fromPath), 0xFF808000u);
    EXPECT_TRUE(loader.load(IconSource::fileIcon(byPath, 1), 32).isNull());
    if (adwaitaInstalled()) EXPECT_FALSE(loader.load(IconSource::fileIcon(byName, 0), 32).isNull());
    EXPECT_EQ(IconLoader::desktopEntryIcon(byName), std::optional<QString>("folder"));
    EXPECT_FALSE(IconLoader::desktopEntryIcon(without));
    EXPECT_FALSE(IconLoader::fileHasIcon(without, 0));
    EXPECT_TRUE(loader.load(IconSource::fileIcon(text, 0), 32).isNull());
    EXPECT_FALSE(IconLoader::fileHasIcon(text, 0));
    EXPECT_FALSE(IconLoader::fileHasIcon(dir.path(), 0));
    EXPECT_FALSE(IconLoader::fileHasIcon(dir.filePath("missing.ico"), 0));
}

TEST(IconLoader, CachesUntilCleared) {
    QTemporaryDir dir;
    const QString path =
        writeFile(dir, "c.ico", toQByteArray(icoFile({{32, 32, solidImage(32, 0xFF112233)}})));
    IconLoader loader;
    EXPECT_EQ(centre(loader.load(IconSource::fileIcon(path, 0), 32)), 0xFF112233u);
    writeFile(dir, "c.ico", toQByteArray(icoFile({{32, 32, solidImage(32, 0xFF445566)}})));
    EXPECT_EQ(centre(loader.load(IconSource::fileIcon(path, 0), 32)), 0xFF112233u);
    loader.clearCache();
    EXPECT_EQ(centre(loader.load(IconSource::fileIcon(path, 0), 32)), 0xFF445566u);
}

TEST(IconLoader, WorkerThreadsGetTheSamePicturesAsTheUserInterfaceThread) {
    if (!adwaitaInstalled()) GTEST_SKIP() << "Adwaita icon theme not installed";
    QList<IconSource> sources;
    for (int index : platform::systemIconIndices()) sources << IconSource::systemIndex(index);
    sources << IconSource::webLink() << IconSource::registryEditor();
    IconLoader reference;
    QList<QImage> expected;
    for (const auto& s : sources) expected << reference.load(s, 32);

    IconLoader shared;
    std::vector<std::thread> workers;
    std::vector<QList<QImage>> results(4);
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&, t] {
            for (const auto& s : sources) results[t] << shared.load(s, 32);
        });
    }
    for (auto& w : workers) w.join();
    for (const auto& r : results) {
        ASSERT_EQ(r.size(), expected.size());
        for (qsizetype i = 0; i < r.size(); ++i) EXPECT_EQ(r[i], expected[i]) << i;
    }
}

}  // namespace
}  // namespace hx::test

namespace hx::platform {
namespace {

// The theme index is read as freedesktop.org has it: folders by the theme's
// own list (scaled ones never for a scale of 1), each by its own section, and
// lines that are neither key nor group ignored. The lookup reads the search
// folders once per process, so this runs in a child with a data folder of
// its own.
TEST(IconThemeIndex, FoldersAreTakenAsTheIndexDescribesThem) {
    const QByteArray data = qgetenv("HX_THEME_DATA");
    if (data.isEmpty()) {
        QTemporaryDir dir;
        test::expectPassesInChild("IconThemeIndex.*",
                                  {{QStringLiteral("HX_THEME_DATA"), dir.path()},
                                   {QStringLiteral("XDG_DATA_HOME"), dir.path()}});
        return;
    }
    const QString root = QString::fromUtf8(data) + QStringLiteral("/icons/HxIndexTest");
    const auto put = [&](const QString& file, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(root + u'/' + file).path());
        QFile out(root + u'/' + file);
        return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
    };
    ASSERT_TRUE(put(QStringLiteral("index.theme"),
                    "[Icon Theme]\nName=Test\nInherits=hicolor\n"
                    "Directories=16x16/apps, 32x32/apps,scalable/apps , nosize/apps\n"
                    "ScaledDirectories=32x32@2/apps\n# a comment\na line that is no key\n"
                    "[16x16/apps]\nSize=16\nType=Fixed\n"
                    "[32x32/apps]\nSize=32\nType=Threshold\nThreshold=4\n"
                    "[scalable/apps]\nSize=64\nMinSize=40\nMaxSize=512\nType=Scalable\n"
                    "[nosize/apps]\nType=Fixed\n"
                    "[32x32@2/apps]\nSize=32\nScale=2\n"
                    "[unlisted/apps]\nSize=24\nType=Fixed\n"));
    const QByteArray png = QByteArray::fromBase64(
        "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8DwHwAFBQIAX8jx0gAAAABJRU5Erk"
        "Jggg==");
    for (const char* file :
         {"16x16/apps/hx-a.png", "32x32/apps/hx-a.png", "scalable/apps/hx-a.png",
          "32x32@2/apps/hx-b.png", "nosize/apps/hx-c.png", "unlisted/apps/hx-d.png"})
        ASSERT_TRUE(put(QString::fromLatin1(file), png));

    QIcon::setThemeName(QStringLiteral("HxIndexTest"));
    IconLoader loader;  // takes the theme name
    struct Case {
        const char* name;
        int size;
        const char* found;  // relative to the theme; nullptr: not in it
    };
    const Case cases[] = {
        {"hx-a", 16, "16x16/apps/hx-a.png"},
        {"hx-a", 30, "32x32/apps/hx-a.png"},  // within the threshold of 32
        {"hx-a", 100, "scalable/apps/hx-a.png"},
        {"hx-b", 32, nullptr},  // only in a folder for scale 2
        {"hx-c", 16, nullptr},  // a folder without a size
        {"hx-d", 24, nullptr},  // a section the theme does not list
    };
    for (const Case& c : cases) {
        const QString file = IconLoader::themeIconFile(QString::fromLatin1(c.name), c.size);
        if (c.found)
            EXPECT_EQ(file, root + u'/' + QString::fromLatin1(c.found)) << c.name << " " << c.size;
        else
            EXPECT_FALSE(file.startsWith(root)) << c.name << " " << c.size << file.toStdString();
    }
}

}  // namespace
}  // namespace hx::platform
