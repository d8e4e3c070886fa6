#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "platform/installed_apps.h"
#include "platform/linux/gio_desktop.h"
#include "support/in_child.h"
#include "support/scoped_env.h"

namespace hx::platform {
namespace {

QByteArray entry(const QByteArray& name, const QByteArray& extra = {}) {
    return "[Desktop Entry]\nType=Application\nExec=true\nName=" + name + "\n" + extra;
}

// Two data folders, as $XDG_DATA_HOME and one of $XDG_DATA_DIRS.
class InstalledAppsTest : public ::testing::Test {
  protected:
    QString write(bool home, const QString& file, const QByteArray& bytes) {
        const QString path =
            (home ? homeDir : systemDir).filePath(QStringLiteral("applications/") + file);
        QDir().mkpath(QFileInfo(path).path());
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return path;
    }
    QStringList folders() const {
        return {homeDir.filePath(QStringLiteral("applications")),
                systemDir.filePath(QStringLiteral("applications"))};
    }
    static QStringList names(const QVector<InstalledApp>& apps) {
        QStringList out;
        for (const InstalledApp& app : apps) out << app.name;
        return out;
    }

    QTemporaryDir homeDir, systemDir, scratch;
    test::ScopedEnv desktop{"XDG_CURRENT_DESKTOP", QByteArray("GNOME")};
};

TEST_F(InstalledAppsTest, ListsWhatTheMenuShowsWithLocalNamesAndMainCategories) {
    const test::ScopedEnv home("XDG_DATA_HOME", homeDir.path().toUtf8());
    const test::ScopedEnv dirs("XDG_DATA_DIRS",
                               systemDir.path().toUtf8() + ":" + systemDir.path().toUtf8());
    EXPECT_EQ(applicationFolders(), folders());

    struct Case {
        bool home;
        const char* file;
        QByteArray text;
        const char* listedAs;  // nullptr: left out
        const char* group;
    };
    const Case cases[] = {
        {false, "calc.desktop",
         entry("Calculator", "Name[zh_CN]=计算器\nCategories=GTK;Utility;\n"), "计算器", "Utility"},
        {false, "player.desktop", entry("Player", "Categories=Audio;Player;\n"), "Player",
         "AudioVideo"},
        {false, "kde/term.desktop", entry("Term", "Categories=Qt;\n"), "Term", ""},
        {false, "hidden.desktop", entry("Hidden", "Hidden=true\n"), nullptr, ""},
        {false, "nodisplay.desktop", entry("NoDisplay", "NoDisplay=true\n"), nullptr, ""},
        {false, "kdeonly.desktop", entry("KdeOnly", "OnlyShowIn=KDE;\n"), nullptr, ""},
        {false, "notgnome.desktop", entry("NotGnome", "NotShowIn=GNOME;\n"), nullptr, ""},
        {false, "gnomeonly.desktop", entry("GnomeOnly", "OnlyShowIn=GNOME;\n"), "GnomeOnly", ""},
        {false, "tryexec.desktop", entry("TryExec", "TryExec=/no/such/program\n"), nullptr, ""},
        {false, "noexec.desktop",
         "[Desktop Entry]\nType=Application\nName=NoProgram\nExec=/no/such/program\n", nullptr, ""},
        {false, "link.desktop", "[Desktop Entry]\nType=Link\nName=Web\nURL=https://example.org\n",
         nullptr, ""},
        // The same desktop file id in the home folder wins; hidden there, it hides the system one.
        {true, "editor.desktop", entry("MyEditor", "Categories=Development;\n"), "MyEditor",
         "Development"},
        {false, "editor.desktop", entry("SystemEditor"), nullptr, ""},
        {true, "gone.desktop", entry("Gone", "Hidden=true\n"), nullptr, ""},
        {false, "gone.desktop", entry("GoneSystem"), nullptr, ""},
    };
    QHash<QString, QString> expected;  // path -> name
    for (const Case& c : cases) {
        const QString path = write(c.home, QString::fromUtf8(c.file), c.text);
        if (c.listedAs) expected.insert(path, QString::fromUtf8(c.listedAs));
    }
    const QVector<InstalledApp> apps = scanInstalledApps(applicationFolders());
    QHash<QString, QString> listed;
    for (const InstalledApp& app : apps) listed.insert(app.path, app.name);
    EXPECT_EQ(listed, expected);
    for (const Case& c : cases)
        for (const InstalledApp& app : apps)
            if (c.listedAs && app.name == QString::fromUtf8(c.listedAs)) {
                EXPECT_EQ(app.group, QString::fromUtf8(c.group)) << c.file;
            }
}

// Nothing from an entry reaches a shell: listing runs nothing, launching runs
// only the named program with its words as arguments, and a broken entry is
// skipped with a line on stderr while its neighbours stay listed.
TEST_F(InstalledAppsTest, HostileEntriesAreListedSafelyOrSkippedAndNothingRuns) {
    const QString marker = scratch.filePath(QStringLiteral("ran"));
    const QByteArray touch = "touch " + marker.toUtf8();
    struct Case {
        const char* file;
        QByteArray text;
        bool listed;
        bool warned;  // one line on stderr names it
    };
    const Case cases[] = {
        {"semicolon.desktop", entry("Semicolon", "Exec=true; " + touch + "\n"), false, false},
        {"backquotes.desktop", entry("Backquotes", "Exec=true `" + touch + "`\n"), true, false},
        {"dollar.desktop", entry("Dollar", "Exec=true $(" + touch + ")\n"), true, false},
        {"huge.desktop", entry("Huge", "Comment=" + QByteArray(10 * 1024 * 1024, 'x') + "\n"),
         false, true},
        {"x.desktop",
         QByteArray("\x7f"
                    "ELF\x02\x01\x01\0\0\0\xff\xfe\n\0\0=\x80\x81",
                    20),
         false, true},
        {"lines.desktop", entry("Line\\nbreak", "Name[zh_CN]=第一行\\n第二行\\r第三行\n"), true,
         false},
        {"long.desktop", entry(QByteArray(5000, 'N')), true, false},
        {"plain.desktop", entry("Plain"), true, false},
    };
    QStringList listedFiles;
    for (const Case& c : cases) {
        write(false, QString::fromUtf8(c.file), c.text);
        if (c.listed) listedFiles << QString::fromUtf8(c.file);
    }
    ::testing::internal::CaptureStderr();
    const QVector<InstalledApp> apps = scanInstalledApps(folders());
    const QString err = QString::fromStdString(::testing::internal::GetCapturedStderr());

    QStringList files;
    for (const InstalledApp& app : apps) {
        files << QFileInfo(app.path).fileName();
        EXPECT_FALSE(app.name.contains(u'\n') || app.name.contains(u'\r'))
            << app.name.toStdString();
        EXPECT_LE(app.name.size(), 255);
        EXPECT_FALSE(app.name.isEmpty());
    }
    files.sort();
    listedFiles.sort();
    EXPECT_EQ(files, listedFiles);
    for (const Case& c : cases)
        EXPECT_EQ(err.contains(QString::fromUtf8(c.file)), c.warned) << c.file << err.toStdString();

    for (const InstalledApp& app : apps)
        EXPECT_TRUE(launchDesktopEntry(app.path)) << app.path.toStdString();
    QTest::qWait(500);  // what was started has long finished
    EXPECT_FALSE(QFile::exists(marker));
}

// The line on stderr for a broken entry quotes its name and, through the
// parser's message, its content: neither may reach the terminal as commands.
TEST_F(InstalledAppsTest, ABrokenEntryIsToldOfInPrintableText) {
    const struct {
        const char* file;
        QByteArray text;
    } cases[] = {
        // A name that retitles the terminal, on an entry too large to read.
        {"\x1B]0;owned\x07.desktop", QByteArray(2 * 1024 * 1024, 'x')},
        // Content the parser quotes in its message.
        {"content.desktop", "\x1B[2J\x1B[31mnot a key file\xC2\x9B0m\n"},
    };
    for (const auto& c : cases) write(false, QString::fromUtf8(c.file), c.text);
    ::testing::internal::CaptureStderr();
    scanInstalledApps(folders());
    const QByteArray err = QByteArray::fromStdString(::testing::internal::GetCapturedStderr());
    for (const char control : {'\x1B', '\x07'}) EXPECT_FALSE(err.contains(control)) << err.data();
    EXPECT_FALSE(err.contains("\xC2\x9B"));
    EXPECT_TRUE(err.contains("\\x1B]0;owned\\x07.desktop")) << err.data();
    EXPECT_TRUE(err.contains("content.desktop")) << err.data();
    EXPECT_EQ(err.count('\n'), 2) << err.data();
}

TEST_F(InstalledAppsTest, ReadsOnAWorkerAndAgainWhenAskedWithTheNewEntry) {
    write(false, QStringLiteral("one.desktop"), entry("One"));
    InstalledApps index([this] { return folders(); });
    int changes = 0;
    QObject::connect(&index, &InstalledApps::changed, [&] { ++changes; });
    EXPECT_FALSE(index.ready());
    index.start();
    index.waitForIdle();
    ASSERT_TRUE(index.ready());
    EXPECT_EQ(names(index.apps()), QStringList{QStringLiteral("One")});

    write(true, QStringLiteral("two.desktop"), entry("Two"));
    index.rescan();
    index.waitForIdle();
    EXPECT_EQ(names(index.apps()), (QStringList{QStringLiteral("One"), QStringLiteral("Two")}));
    // A read that finds the same list announces nothing.
    index.rescan();
    index.waitForIdle();
    EXPECT_EQ(changes, 2);
}

}  // namespace
}  // namespace hx::platform

namespace hx::platform {
namespace {

// GIO reads $XDG_DATA_DIRS once per process: the watch is tried in a child
// started with a folder of its own.
TEST(InstalledAppsWatch, AProgramInstalledWhileRunningIsListed) {
    const QByteArray folder = qgetenv("HX_WATCHED_DATA_DIR");
    if (folder.isEmpty()) {
        QTemporaryDir data;
        QDir().mkpath(data.filePath(QStringLiteral("applications")));
        test::expectPassesInChild(
            "InstalledAppsWatch.*",
            {{QStringLiteral("HX_WATCHED_DATA_DIR"), data.path()},
             {QStringLiteral("XDG_DATA_DIRS"), data.path()},
             {QStringLiteral("XDG_DATA_HOME"), data.filePath(QStringLiteral("home"))}});
        return;
    }
    InstalledApps index;
    index.start();
    index.waitForIdle();
    EXPECT_TRUE(index.apps().isEmpty());
    QFile out(QString::fromUtf8(folder) + QStringLiteral("/applications/new.desktop"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(entry("New"));
    out.close();
    QTRY_COMPARE_WITH_TIMEOUT(index.apps().size(), 1, 10000);
    EXPECT_EQ(index.apps().first().name, QStringLiteral("New"));
}

}  // namespace
}  // namespace hx::platform
