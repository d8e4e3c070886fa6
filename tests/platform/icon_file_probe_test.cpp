#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "icon_test_bytes.h"
#include "platform/linux/linux_file_probe.h"

namespace hx::test {
namespace {

using platform::IconSource;
using platform::LinuxFileProbe;

TEST(LinuxFileProbe, AttributesFollowTheFoldersAndFilesOnDisk) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("plain"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(".hidden"));
    QFile(dir.filePath("file.txt")).open(QIODevice::WriteOnly);
    QFile(dir.filePath(".dotfile")).open(QIODevice::WriteOnly);
    const LinuxFileProbe probe;
    EXPECT_EQ(probe.attributes(dir.filePath("plain")), 16);
    EXPECT_EQ(probe.attributes(dir.filePath(".hidden")), 18);
    EXPECT_EQ(probe.attributes(dir.filePath("file.txt")), 32);
    EXPECT_EQ(probe.attributes(dir.filePath(".dotfile")), 34);
    EXPECT_EQ(probe.attributes(dir.filePath("missing")), std::nullopt);
    EXPECT_EQ(probe.attributes(QString()), std::nullopt);
}

TEST(LinuxFileProbe, ReadOnlyFoldersAndFilesAddOne) {
    if (geteuid() == 0) {
        // Root writes through permission bits; a process folder in /proc stays closed.
        if (access("/proc/1", W_OK) == 0) GTEST_SKIP() << "no read-only folder for root";
        EXPECT_EQ(LinuxFileProbe().attributes("/proc/1"), 17);
        return;
    }
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("ro"));
    QFile(dir.filePath("ro.txt")).open(QIODevice::WriteOnly);
    QFile::setPermissions(dir.filePath("ro"), QFile::ReadOwner | QFile::ExeOwner);
    QFile::setPermissions(dir.filePath("ro.txt"), QFile::ReadOwner);
    const LinuxFileProbe probe;
    EXPECT_EQ(probe.attributes(dir.filePath("ro")), 17);
    EXPECT_EQ(probe.attributes(dir.filePath("ro.txt")), 33);
    QFile::setPermissions(dir.filePath("ro"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(LinuxFileProbe, MountPointsAreDriveRoots) {
    const LinuxFileProbe probe;
    EXPECT_EQ(probe.attributes("/"), 22);
    if (QDir("/proc/self").exists()) EXPECT_EQ(probe.attributes("/proc"), 22);
}

TEST(LinuxFileProbe, RegisteredIconsComeFromTheMimeDatabase) {
    const LinuxFileProbe probe;
    const auto text = probe.registeredIcon("txt");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->kind, IconSource::Kind::ThemeIcon);
    EXPECT_FALSE(text->text.isEmpty());
    const auto html = probe.registeredIcon("html");
    ASSERT_TRUE(html);
    EXPECT_NE(*html, IconSource::none());
    // Nothing registered: no extension, an unknown one, one with a bracket.
    EXPECT_FALSE(probe.registeredIcon(""));
    EXPECT_FALSE(probe.registeredIcon("qqzzxxunknown"));
    EXPECT_FALSE(probe.registeredIcon("exe[3]"));
    EXPECT_FALSE(probe.registeredIcon("b/c"));
}

TEST(LinuxFileProbe, HasIconLooksIntoTheFile) {
    QTemporaryDir dir;
    const QString ico = dir.filePath("x.ico");
    QFile file(ico);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(toQByteArray(icoFile({{16, 32, solidImage(16, 0xFF000000)}})));
    file.close();
    const LinuxFileProbe probe;
    EXPECT_TRUE(probe.hasIcon(ico, 0));
    EXPECT_FALSE(probe.hasIcon(ico, 1));
    EXPECT_FALSE(probe.hasIcon(dir.filePath("none.exe"), 0));
}

}  // namespace
}  // namespace hx::test
