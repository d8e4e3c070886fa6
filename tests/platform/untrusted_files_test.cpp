#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "platform/desktop_entry.h"
#include "platform/icon_loader.h"
#include "platform/linux/gio_desktop.h"
#include "platform/linux/linux_desktop.h"
#include "platform/linux/linux_file_probe.h"
#include "platform/regular_file.h"
#include "support/fifo.h"
#include "support/write_file.h"

namespace hx::test {
namespace {

using platform::IconLoader;
using platform::IconSource;

// Every reader of a file that the catalogue or a launcher names, handed a
// FIFO: each comes back at once with nothing, instead of waiting for a writer.
TEST(UntrustedFiles, FifosAreNeverWaitedFor) {
    QTemporaryDir dir;
    const Fifo picture(dir.filePath("pipe.png"));
    const Fifo launcher(dir.filePath("pipe.desktop"));
    const Fifo icon(dir.filePath("pipe.ico"));
    ASSERT_TRUE(picture.isValid() && launcher.isValid() && icon.isValid());
    // As /dev/stdin is a link to the pipe of a program started from a pipe.
    ASSERT_TRUE(QFile::link(picture.path(), dir.filePath("stdin")));
    const QString byPath = writeFile(dir, "a.desktop",
                                     "[Desktop Entry]\nType=Application\nName=A\nIcon=" +
                                         QFile::encodeName(picture.path()) + "\n");
    const QString byLink = writeFile(dir, "b.desktop",
                                     "[Desktop Entry]\nType=Application\nName=B\nIcon=" +
                                         QFile::encodeName(dir.filePath("stdin")) + "\n");
    IconLoader loader;
    platform::LinuxDesktop desktop(platform::DesktopSystemCalls{{}, {}, {}, [](const QString&) {}});

    struct Case {
        const char* what;
        const Fifo& fifo;
        std::function<bool()> refused;
    };
    const Case cases[] = {
        {"launcher whose icon is a FIFO", picture,
         [&] { return loader.load(IconSource::fileIcon(byPath, 0), 32).isNull(); }},
        {"launcher whose icon links to a FIFO", picture,
         [&] { return loader.load(IconSource::fileIcon(byLink, 0), 16).isNull(); }},
        {"picture of a FIFO launcher", launcher,
         [&] { return loader.load(IconSource::fileIcon(launcher.path(), 0), 32).isNull(); }},
        {"FIFO launcher holds no icon", launcher,
         [&] { return !IconLoader::fileHasIcon(launcher.path(), 0); }},
        {"FIFO launcher has no entry", launcher,
         [&] { return !platform::readDesktopEntry(launcher.path()); }},
        {"FIFO icon file", icon,
         [&] { return loader.load(IconSource::fileIcon(icon.path(), 0), 32).isNull(); }},
        {"FIFO is no program", icon,
         [&] { return !platform::LinuxFileProbe().isProgram(icon.path()); }},
        {"FIFO launcher is not copied to the desktop", launcher,
         [&] {
             platform::LauncherFile copy;
             copy.kind = platform::LauncherFile::Kind::Copy;
             copy.target = launcher.path();
             return !desktop.writeLauncher(dir.filePath("copy.desktop"), copy);
         }},
        {"FIFO launcher is not started", launcher,
         [&] { return !platform::launchDesktopEntry(launcher.path()); }},
    };
    for (const Case& c : cases) {
        bool refused = false;
        EXPECT_TRUE(c.fifo.returnsWithoutAWriter([&] { refused = c.refused(); })) << c.what;
        EXPECT_TRUE(refused) << c.what;
    }
}

TEST(UntrustedFiles, OnlyRegularFilesAreReadAndNeverPastTheLimit) {
    QTemporaryDir dir;
    const QString ten = writeFile(dir, "ten", "0123456789");
    struct Case {
        QString path;
        qint64 limit;
        bool head;  // the first bytes only
        std::optional<qsizetype> size;
    };
    const Case cases[] = {
        {ten, 10, false, 10},
        {ten, 9, false, std::nullopt},
        {ten, 4, true, 4},
        {ten, 0, true, 0},
        {dir.filePath("missing"), 10, false, std::nullopt},
        {dir.path(), 10, false, std::nullopt},
        // A device that never ends, and one that waits for typing.
        {"/dev/zero", 1 << 20, false, std::nullopt},
        {"/dev/zero", 4, true, std::nullopt},
        {"/dev/tty", 4, true, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto bytes = c.head ? platform::readRegularFileHead(c.path, c.limit)
                                  : platform::readRegularFile(c.path, c.limit);
        EXPECT_EQ(bytes ? std::optional(bytes->size()) : std::nullopt, c.size)
            << c.path.toStdString() << " " << c.limit;
    }
    EXPECT_EQ(platform::readRegularFileHead(ten, 3), QByteArray("012"));
    // Kernel files report no size; they are still read, up to the limit.
    const auto status = platform::readRegularFile("/proc/self/status", 1 << 20);
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->startsWith("Name:"));
    EXPECT_FALSE(platform::readRegularFile("/proc/self/status", 8));
    // The program's own pictures live in its resources.
    EXPECT_FALSE(platform::readRegularFile(":/icons/weblink.ico", 1 << 20).value_or("").isEmpty());
    EXPECT_FALSE(platform::RegularFileView(":/icons/weblink.ico", 1 << 20).bytes().empty());
    EXPECT_EQ(platform::RegularFileView(ten, 10).bytes().size(), 10u);
    EXPECT_TRUE(platform::RegularFileView(ten, 9).bytes().empty());
    EXPECT_TRUE(platform::RegularFileView("/dev/zero", 1 << 20).bytes().empty());
}

}  // namespace
}  // namespace hx::test
