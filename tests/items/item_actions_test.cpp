#include <QClipboard>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include "items/item_actions_fixture.h"
#include "platform/linux/linux_desktop.h"
#include "support/scoped_env.h"

namespace {

using hx::core::MessageButtons;
using hx::core::MessageIcon;
using hx::test::ItemActionsTest;

TEST_F(ItemActionsTest, EveryActionWaitsForASelection) {
    open({{"记事本", "/usr/bin/gedit"}});
    select(-1);
    dialogs.answers.enqueue(hx::core::Answer::Yes);
    actions->deleteCurrent();
    actions->copyLink();
    actions->showProperties();
    actions->browseFolder();
    actions->createDesktopShortcut();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_TRUE(shell.calls.isEmpty());
    EXPECT_EQ(storedNames(), QStringList{"记事本"});
}

TEST_F(ItemActionsTest, DeleteAsksAndOnlyYesRemovesRecordAndEntry) {
    open({{"a", "/a"}, {"b's", "/b"}, {"c", "/c"}});
    select(1);
    dialogs.answers.enqueue(hx::core::Answer::No);
    actions->deleteCurrent();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "是否删除 b's ?");
    EXPECT_EQ(dialogs.shown[0].title, hx::core::Dialogs::kDefaultTitle);
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(dialogs.shown[0].defaultAnswer, hx::core::Answer::No);  // Enter keeps the entry
    EXPECT_EQ(storedNames(), (QStringList{"a", "b's", "c"}));
    EXPECT_EQ(rowNames(), (QStringList{"a", "b's", "c"}));

    dialogs.answers.enqueue(hx::core::Answer::Yes);
    actions->deleteCurrent();
    EXPECT_EQ(storedNames(), (QStringList{"a", "c"}));
    EXPECT_EQ(rowNames(), (QStringList{"a", "c"}));
}

TEST_F(ItemActionsTest, DeleteOfAnEntryWithoutRowKeepsTheGrid) {
    open({{"a", "/a"}, {"stale", "/s"}});
    // Deleted behind the panel's back: the grid shows more than the table holds.
    ASSERT_TRUE(db().deleteItemAt(kCategory, kColumn, 1));
    select(1);
    dialogs.answers.enqueue(hx::core::Answer::Yes);
    actions->deleteCurrent();
    EXPECT_EQ(rowNames(), (QStringList{"a", "stale"}));
    EXPECT_EQ(storedNames(), QStringList{"a"});
}

TEST_F(ItemActionsTest, CopyPutsTheStoredLinkWithItsPrefix) {
    open({{"搜索", "@https://example.org/a b"}});
    QStringList copied;
    actions->setCopyText([&](const QString& text) {
        copied << text;
        return true;
    });
    select(0);
    actions->copyLink();
    EXPECT_EQ(copied, QStringList{"@https://example.org/a b"});
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "搜索的路径已经复制到粘贴板！");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Information);

    actions->setCopyText([](const QString&) { return false; });
    actions->copyLink();
    EXPECT_EQ(dialogs.shown.size(), 1);  // a failed copy says nothing
}

TEST_F(ItemActionsTest, CopyReachesTheClipboard) {
    open({{"x", "&gedit 'a b'"}});
    select(0);
    QGuiApplication::clipboard()->setText("before");
    actions->copyLink();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "&gedit 'a b'");
}

TEST_F(ItemActionsTest, PropertiesAndFolderGetTheLinkAsStored) {
    open({{"a", "/home/u/a.txt"}, {"cmd", "&control.exe"}});
    select(0);
    actions->showProperties();
    actions->browseFolder();
    select(1);
    actions->browseFolder();
    EXPECT_EQ(shell.calls, (QStringList{"properties:/home/u/a.txt", "folder:/home/u/a.txt",
                                        "folder:&control.exe"}));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(ItemActionsTest, ARefusedQueryShowsTheEngineMessageAndStops) {
    open({{"a", "/a"}});
    select(0);
    session->database().close();
    actions->browseFolder();
    actions->createDesktopShortcut();
    EXPECT_TRUE(shell.calls.isEmpty());
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Error);
    EXPECT_FALSE(dialogs.shown[0].text.isEmpty());
}

// Desktop launchers, written by the real backend into a temporary desktop.
class DesktopShortcutTest : public ItemActionsTest {
  protected:
    QString desktopDir = temp.file("桌面");
    hx::test::ScopedEnv env{"HENGXIU_DESKTOP_DIR", desktopDir.toUtf8()};
    QStringList trusted;
    hx::platform::LinuxDesktop linuxDesktop{hx::platform::DesktopSystemCalls{
        {}, {}, {}, [this](const QString& path) { trusted << path; }}};

    void SetUp() override {
        QDir().mkpath(desktopDir);
        desktop = &linuxDesktop;
    }

    QByteArray launcher(const QString& name) {
        QFile file(desktopDir + "/" + name + ".desktop");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Every file below the data root, so a launcher outside the desktop shows.
    QStringList allFiles() {
        QStringList files;
        QDirIterator it(temp.path(), QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            if (!file.contains("/Date/")) files << file;  // the live database
        }
        files.sort();
        return files;
    }
};

TEST_F(DesktopShortcutTest, EntryTextsThatAreNoFileNameFail) {
    // The fourth is longer than a file name may be.
    open({{"../x", "/a"}, {"a/b", "/a"}, {"", "/a"}, {QString(255, u'长'), "/a"}, {"..", "/a"}});
    const QStringList before = allFiles();
    for (int i = 0; i < 5; ++i) {
        select(i);
        actions->createDesktopShortcut();
    }
    EXPECT_EQ(messages(), QStringList(5, "创建失败！"));
    EXPECT_EQ(allFiles(), before);
    EXPECT_TRUE(QDir(desktopDir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST_F(DesktopShortcutTest, WebLinksAndDocumentsBecomeLinkLaunchers) {
    temp.write("docs/季度 报告.odt", "x");
    const QString document = temp.file("docs/季度 报告.odt");
    open(
        {{"搜索", "@https://example.org/q?a=1 2"}, {"报告", document}, {"站", "@www.example.org"}});
    for (int i = 0; i < 3; ++i) {
        select(i);
        actions->createDesktopShortcut();
    }
    EXPECT_EQ(messages(), QStringList(3, "创建成功！"));
    const QByteArray web = launcher("搜索");
    EXPECT_TRUE(web.contains("Type=Link\n")) << web.constData();
    EXPECT_TRUE(web.contains("URL=https://example.org/q?a=1%202\n")) << web.constData();
    EXPECT_TRUE(web.contains("Name=搜索\n"));
    const QByteArray doc = launcher("报告");
    EXPECT_TRUE(doc.contains("Type=Link\n"));
    EXPECT_TRUE(doc.contains("URL=" + QUrl::fromLocalFile(document).toEncoded() + "\n"))
        << doc.constData();
    EXPECT_TRUE(launcher("站").contains("URL=http://www.example.org\n"));

    const QString path = desktopDir + "/搜索.desktop";
    EXPECT_TRUE(QFileInfo(path).isExecutable());
    EXPECT_TRUE(trusted.contains(path));
}

TEST_F(DesktopShortcutTest, ProgramsCommandsAndLaunchersRun) {
    temp.write("bin/tool.sh", "#!/bin/sh\nexit 0\n");
    const QString script = temp.file("bin/tool.sh");
    QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
    const QByteArray entry =
        "[Desktop Entry]\nType=Application\nName=Edit\nName[zh_CN]=编辑\nExec=gedit %U\n";
    temp.write("apps/edit.desktop", entry);
    open({{"工具", script},
          {"编辑器", "&gedit --new-window"},
          {"编辑", temp.file("apps/edit.desktop")}});
    for (int i = 0; i < 3; ++i) {
        select(i);
        actions->createDesktopShortcut();
    }
    EXPECT_EQ(messages(), QStringList(3, "创建成功！"));
    const QByteArray program = launcher("工具");
    EXPECT_TRUE(program.contains("Type=Application\n"));
    EXPECT_TRUE(program.contains("Exec=" + script.toUtf8() + "\n")) << program.constData();
    EXPECT_TRUE(launcher("编辑器").contains("Exec=gedit --new-window\n"));
    // A launcher is copied as it stands: its field codes and translations survive.
    EXPECT_EQ(launcher("编辑"), entry);
}

TEST_F(DesktopShortcutTest, ReplacesWhatIsThereButNeverFollowsALink) {
    temp.write("outside.txt", "keep");
    open({{"a", "/a"}});
    ASSERT_TRUE(QFile::link(temp.file("outside.txt"), desktopDir + "/a.desktop"));
    select(0);
    actions->createDesktopShortcut();
    EXPECT_EQ(messages(), QStringList{"创建成功！"});
    EXPECT_EQ(temp.read("outside.txt"), "keep");
    EXPECT_FALSE(QFileInfo(desktopDir + "/a.desktop").isSymLink());
    EXPECT_TRUE(launcher("a").startsWith("[Desktop Entry]\n"));
}

TEST_F(DesktopShortcutTest, AMissingDesktopFolderFails) {
    open({{"a", "/a"}});
    QDir(desktopDir).removeRecursively();
    select(0);
    actions->createDesktopShortcut();
    EXPECT_EQ(messages(), QStringList{"创建失败！"});
    EXPECT_FALSE(QFileInfo::exists(desktopDir));
}

}  // namespace
