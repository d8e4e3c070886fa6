#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/scoped_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
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

TEST(DataRoot, LayoutRemovesOnlyTheLeftoversOfKilledWrites) {
    hx::test::TempRoot temp;
    // A process that has ended: its number belongs to nobody now.
    QProcess ended;
    ended.start("true", {});
    ASSERT_TRUE(ended.waitForStarted());
    const QString gone = QString::number(ended.processId());
    ASSERT_TRUE(ended.waitForFinished());
    const QString own = QString::number(::getpid());
    const QString alive = "1";  // init outlives every test

    struct Case {
        QString file;
        bool old;
        bool removed;
    };
    const Case cases[] = {
        {"Date/QVdata.mdb.tmp-" + gone + "-0", true, true},
        {"Date/QVdata.mdb.tmp-" + gone + "-0-journal", true, true},
        {"Date/Backup/2013年8月12日.mdb.tmp-" + gone + "-3-wal", true, true},
        {"User/Config.ini.tmp-" + own + "-7", true, true},  // our number, an earlier run
        {"Shens/shepf.ini.tmp-" + gone + "-1", true, true},
        {"Date/QVdata.mdb.tmp-" + own + "-9", false, false},      // a write of this run
        {"Date/QVdata.mdb.tmp-" + alive + "-0", true, false},     // its writer still runs
        {"Date/QVdata.mdb.tmp-" + gone + "-0.bak", true, false},  // not our name
        {"Date/notes.tmp-" + gone, true, false},
        {"Date/QVdata.mdb.tmp-" + gone + "-0-shmx", true, false},
        {"Date/QVdata.mdb.tmp-" + gone + "-", true, false},
        {"Date/QVdata.mdb.tmp-" + gone + "-1-2", true, false},
        {"Date/.tmp-" + gone + "-0", true, false},  // nothing before the marker
        {"Date/a.tmp-x.tmp-" + gone + "-4-shm", true, true},
        {"Date/QVdata.mdb", true, false},
    };
    const time_t hourAgo = ::time(nullptr) - 3600;
    for (const Case& c : cases) {
        ASSERT_TRUE(temp.write(c.file, "partial copy"));
        const timespec times[2] = {{hourAgo, 0}, {hourAgo, 0}};
        if (c.old) {
            ASSERT_EQ(
                ::utimensat(AT_FDCWD, QFile::encodeName(temp.file(c.file)).constData(), times, 0),
                0);
        }
    }
    // Things of that name that are no plain file are never followed or removed.
    const QString folder = temp.file("Date/QVdata.mdb.tmp-" + gone + "-5");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString link = temp.file("User/Config.ini.tmp-" + gone + "-2");
    ASSERT_TRUE(QFile::link(temp.file("Date/QVdata.mdb"), link));
    const timespec times[2] = {{hourAgo, 0}, {hourAgo, 0}};
    ASSERT_EQ(
        ::utimensat(AT_FDCWD, QFile::encodeName(link).constData(), times, AT_SYMLINK_NOFOLLOW), 0);

    ASSERT_TRUE(temp.root().ensureLayout(true));
    for (const Case& c : cases)
        EXPECT_EQ(QFileInfo::exists(temp.file(c.file)), !c.removed) << c.file.toStdString();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(temp.read("Date/QVdata.mdb"), "partial copy");
}
