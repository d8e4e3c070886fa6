#include <gtest/gtest.h>

#include "support/scoped_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <optional>

#include "storage/data_root.h"
#include "support/temp_root.h"

using hx::storage::DataRoot;

namespace {

using hx::test::ScopedEnv;

}  // namespace

TEST(DataRoot, ResolveOrder) {
    hx::test::TempRoot temp(false);
    const QString exeDir = temp.file("bin");
    ASSERT_TRUE(QDir().mkpath(exeDir));
    const QString arg = temp.file("from-arg");
    ScopedEnv home("HOME", temp.path().toUtf8());

    {
        ScopedEnv env("HENGXIU_ROOT", temp.file("from-env").toUtf8());
        EXPECT_EQ(DataRoot::resolve({"prog", "--root", arg}, exeDir).path(), arg);
        EXPECT_EQ(DataRoot::resolve({"prog", "--root=" + arg}, exeDir).path(), arg);
        EXPECT_EQ(DataRoot::resolve({"prog"}, exeDir).path(), temp.file("from-env"));
    }
    ScopedEnv noRoot("HENGXIU_ROOT", std::nullopt);
    EXPECT_EQ(DataRoot::resolve({"prog"}, exeDir).path(), exeDir);
    // "--root" as the program name itself, or without a value, is no choice.
    EXPECT_EQ(DataRoot::resolve({"--root", "x"}, exeDir).path(), exeDir);
    EXPECT_EQ(DataRoot::resolve({"prog", "--root"}, exeDir).path(), exeDir);

    const QString unwritable = temp.file("no-such-dir");
    {
        ScopedEnv xdg("XDG_DATA_HOME", temp.file("xdg").toUtf8());
        EXPECT_EQ(DataRoot::resolve({"prog"}, unwritable).path(), temp.file("xdg/hengxiu-toolbox"));
    }
    {
        ScopedEnv xdg("XDG_DATA_HOME", QByteArray("relative/dir"));
        EXPECT_EQ(DataRoot::resolve({"prog"}, unwritable).path(),
                  temp.file(".local/share/hengxiu-toolbox"));
    }
    ScopedEnv noXdg("XDG_DATA_HOME", std::nullopt);
    EXPECT_EQ(DataRoot::resolve({"prog"}, unwritable).path(),
              temp.file(".local/share/hengxiu-toolbox"));
}

TEST(DataRoot, InstalledProgramKeepsItsDataAtHomeEvenWhenItsFolderIsWritable) {
    hx::test::TempRoot temp(false);
    const QString exeDir = temp.file("usr/bin");
    ASSERT_TRUE(QDir().mkpath(exeDir));
    ASSERT_TRUE(QDir().mkpath(temp.file("usr/share/applications")));
    ScopedEnv home("HOME", temp.path().toUtf8());
    ScopedEnv noRoot("HENGXIU_ROOT", std::nullopt);
    ScopedEnv noXdg("XDG_DATA_HOME", std::nullopt);
    // Another program's menu entry says nothing about ours.
    QFile other(temp.file("usr/share/applications/other.desktop"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    EXPECT_EQ(DataRoot::resolve({"prog"}, exeDir).path(), exeDir);

    QFile entry(temp.file("usr/share/applications/hengxiu-toolbox.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.close();
    EXPECT_EQ(DataRoot::resolve({"prog"}, exeDir).path(),
              temp.file(".local/share/hengxiu-toolbox"));
    EXPECT_EQ(DataRoot::resolve({"prog", "--root", temp.file("r")}, exeDir).path(), temp.file("r"));
}

TEST(DataRoot, RelativeRootBecomesAbsolute) {
    const DataRoot root = DataRoot::resolve({"prog", "--root", "some/where/.."}, "/nonexistent");
    EXPECT_TRUE(QDir::isAbsolutePath(root.path()));
    EXPECT_TRUE(root.path().endsWith("/some"));
}

TEST(DataRoot, DesignedPaths) {
    const DataRoot root("/data");
    EXPECT_EQ(root.databasePath(), "/data/Date/QVdata.mdb");
    EXPECT_EQ(root.backupDir(), "/data/Date/Backup");
    EXPECT_EQ(root.configPath(), "/data/User/Config.ini");
    EXPECT_EQ(root.skinSelectionPath(), "/data/Shens/shepf.ini");
    EXPECT_EQ(root.bmpnsDir(), "/data/Bmpns");
    EXPECT_EQ(root.file("\\User\\系统.eil"), "/data/User\\系统.eil");
    EXPECT_EQ(root.file("/Bmpns/Folder.bmp"), "/data/Bmpns/Folder.bmp");
    EXPECT_EQ(root.file("Shens/a.she"), "/data/Shens/a.she");
}

TEST(DataRoot, LayoutIsMadeWithoutReplacingFiles) {
    hx::test::TempRoot temp(false);
    const DataRoot& root = temp.root();
    ASSERT_TRUE(temp.write("Bmpns/Folder.bmp", "the user's own picture"));

    ASSERT_TRUE(root.ensureLayout(false));
    EXPECT_TRUE(QFileInfo(root.userDir()).isDir());
    EXPECT_TRUE(QFileInfo(root.shensDir()).isDir());
    EXPECT_FALSE(QFileInfo::exists(root.dateDir()));
    EXPECT_EQ(temp.read("Bmpns/Folder.bmp"), QByteArray("the user's own picture"));

    const QStringList shipped = DataRoot::shippedPictures();
    for (const QString& name : shipped) {
        if (name == "Folder.bmp") continue;
        QFile copy(root.bmpnsDir() + '/' + name);
        ASSERT_TRUE(copy.exists()) << name.toStdString();
        EXPECT_TRUE(copy.permissions() & QFile::WriteOwner);
    }
    ASSERT_TRUE(root.ensureLayout(true));
    EXPECT_TRUE(QFileInfo(root.dateDir()).isDir());
    EXPECT_EQ(temp.read("Bmpns/Folder.bmp"), QByteArray("the user's own picture"));
    EXPECT_FALSE(hx::storage::DataRoot(temp.file("Bmpns/Folder.bmp")).ensureLayout(false));
}

TEST(DataRoot, ShippedPicturesAreSmallBitmapsWithABackgroundCorner) {
    const QStringList shipped = DataRoot::shippedPictures();
    ASSERT_GE(shipped.size(), 9);
    EXPECT_EQ(shipped.first(), "Folder.bmp");
    for (const QString& name : shipped) {
        SCOPED_TRACE(name.toStdString());
        QFile file(":/bmpns/" + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(bytes.left(2), "BM");
        EXPECT_EQ(bytes[28], 24);  // bits per pixel
        QImage image;
        ASSERT_TRUE(image.loadFromData(bytes, "BMP"));
        EXPECT_EQ(image.size(), QSize(16, 16));
        // The top-left colour is the background; the picture itself must use
        // other colours too and must not run into the corner's colour everywhere.
        const QRgb background = image.pixel(0, 0);
        int drawn = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) drawn += image.pixel(x, y) != background;
        EXPECT_GT(drawn, 40);
        EXPECT_LT(drawn, 256);
    }
}
