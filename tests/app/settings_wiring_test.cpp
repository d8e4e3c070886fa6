#include <QAction>
#include <QThread>

#include "appearance/settings_window.h"
#include "main_window_fixture.h"

namespace hx::test {
namespace {

using appearance::SettingsWindow;

class SettingsWiringTest : public MainWindowTest {
  protected:
    QAction* trayEntry(const QString& text) const {
        for (QAction* action : window->trayMenu()->actions())
            if (action->text() == text) return action;
        return nullptr;
    }
    SettingsWindow* settings() const {
        return window->windows().find<SettingsWindow>(QStringLiteral("settings"));
    }
};

TEST_F(SettingsWiringTest, TrayEntriesAndOptionsButtonOpenOneWindowOnTheAskedPage) {
    makeDatabase({"工具"});
    ASSERT_TRUE(startWindow());
    EXPECT_TRUE(window->optionsButton()->isEnabled());
    const struct {
        const char* entry;
        int page;
    } entries[] = {{"数据库管理", 1}, {"搜索", 2}, {"更换皮肤", 0}, {"基本设置", 0}};
    SettingsWindow* first = nullptr;
    for (const auto& e : entries) {
        SCOPED_TRACE(e.entry);
        QAction* action = trayEntry(QString::fromUtf8(e.entry));
        ASSERT_NE(action, nullptr);
        EXPECT_TRUE(action->isEnabled());
        action->trigger();
        ASSERT_NE(settings(), nullptr);
        if (!first) first = settings();
        EXPECT_EQ(settings(), first);  // raised, never a second window
        EXPECT_EQ(settings()->currentPage(), e.page);
    }
    trayEntry(QStringLiteral("搜索"))->trigger();
    window->optionsButton()->click();  // keeps the page it shows
    EXPECT_EQ(settings(), first);
    EXPECT_EQ(settings()->currentPage(), 2);
    EXPECT_EQ(settings()->pos(), QPoint(window->x() - 120, window->y() + 85));

    settings()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(settings(), nullptr);
    window->optionsButton()->click();
    ASSERT_NE(settings(), nullptr);
    EXPECT_EQ(settings()->currentPage(), 0);
}

TEST_F(SettingsWiringTest, SavedAppearanceReachesTheMainWindowAtOnce) {
    makeDatabase({"工具", "网络"}, {{"工具", "甲", {"a", "b"}}});
    ASSERT_TRUE(startWindow());
    window->optionsButton()->click();
    ASSERT_NE(settings(), nullptr);
    settings()->controls().smallIcons->click();
    settings()->controls().silent->click();
    dialogs.colours.enqueue(QColor(10, 20, 30));
    settings()->controls().backgroundColour->click();
    settings()->controls().save->click();
    settle();
    EXPECT_EQ(session->appearance().iconSize(), 16);
    EXPECT_EQ(session->appearance().switchSound(), core::AppearanceSetting::SwitchSound::None);
    EXPECT_EQ(catalogue().categoryCount(), 2);  // rebuilt, not doubled
    EXPECT_EQ(gridTexts(), (QStringList{"a", "b"}));
    EXPECT_EQ(session->config().backgroundColour(), 10u + 20u * 256 + 30u * 65536);
}

TEST_F(SettingsWiringTest, RestoreWhileTheGridIsLoadingShowsTheRestoredData) {
    QStringList many;
    for (int i = 0; i < 400; ++i) many << QStringLiteral("旧%1").arg(i);
    makeDatabase({"工具"}, {{"工具", "甲", many}});
    // The backup to restore: another catalogue under the same category and column.
    const QString saved = temp.file("saved.mdb");
    {
        ASSERT_TRUE(storage::ItemDatabase::createEmpty(saved));
        storage::ItemDatabase db;
        ASSERT_TRUE(db.open(saved));
        ASSERT_TRUE(db.addCategory("工具", "Folder.bmp"));
        ASSERT_TRUE(db.addColumn("工具", "甲"));
        for (const char* name : {"新1", "新2"})
            ASSERT_TRUE(db.addItem({"工具", "甲", name, "/x", "$3"}));
    }
    createWindow();
    ASSERT_TRUE(window->start());
    // The restore comes while the 400 entries are still being read and handed over.
    ASSERT_TRUE(catalogue().loading());
    ASSERT_LT(catalogue().rowCount(), 400);

    dialogs.files.enqueue(saved);
    trayEntry(QStringLiteral("数据库管理"))->trigger();
    ASSERT_NE(settings(), nullptr);
    settings()->controls().restore->click();
    settle();
    EXPECT_EQ(dialogs.shown.last().text, "数据库恢复成功！程序即将重启！");
    EXPECT_EQ(gridTexts(), (QStringList{"新1", "新2"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(settings(), nullptr);  // the restore closes the window
}

}  // namespace
}  // namespace hx::test
