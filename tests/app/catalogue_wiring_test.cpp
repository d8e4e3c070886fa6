#include <QAction>
#include <QApplication>
#include <QTest>

#include "app/category_toolbar.h"
#include "app/roller_blind_menu.h"
#include "catalogue/category_window.h"
#include "catalogue/column_window.h"
#include "main_window_fixture.h"

namespace hx::test {
namespace {

QAction* entry(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions())
        if (action->text() == text) return action;
    return nullptr;
}

int openWindows(const char* className) {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += w->inherits(className) && w->isVisible();
    return n;
}

class CatalogueWiringTest : public MainWindowTest {
  protected:
    QStringList toolbarNames() const {
        QStringList names;
        for (int i = 0; i < window->categoryCount(); ++i) names << window->categoryName(i);
        return names;
    }
    QStringList headers() const {
        QStringList names;
        for (int i = 0; i < window->columnCount(); ++i) names << window->columnName(i);
        return names;
    }
    QStringList stored() const {
        QStringList names;
        for (const auto& row : session->database().categories().value) names << row.name;
        return names;
    }
};

TEST_F(CatalogueWiringTest, ButtonsAndTrayEntryOpenEachWindowOnce) {
    makeDatabase({"工具"});
    ASSERT_TRUE(startWindow());
    ASSERT_TRUE(window->categoryButton()->isEnabled());
    QTest::mouseClick(window->categoryButton(), Qt::LeftButton);
    QWidget* first = window->windows().window("category window");
    ASSERT_NE(first, nullptr);
    entry(window->trayMenu(), "分类管理")->trigger();
    EXPECT_EQ(window->windows().window("category window"), first);
    EXPECT_EQ(openWindows("hx::catalogue::CategoryWindow"), 1);

    QTest::mouseClick(window->itemsButton(), Qt::LeftButton);
    QTest::mouseClick(window->itemsButton(), Qt::LeftButton);
    EXPECT_EQ(openWindows("hx::catalogue::ColumnWindow"), 1);
    for (const char* text : {"新建栏目", "修改栏目", "删除栏目"})
        EXPECT_TRUE(entry(window->columnMenu(), text)->isEnabled()) << text;
}

TEST_F(CatalogueWiringTest, ColumnMenuEntriesChangeTheRollerBlindMenuAndTheTable) {
    makeDatabase({"工具", "游戏"}, {{"工具", "甲", {"a", "b"}}});
    ASSERT_TRUE(startWindow());
    dialogs.inputs.enqueue(QStringLiteral("乙"));
    entry(window->columnMenu(), "新建栏目")->trigger();
    settle();
    EXPECT_EQ(headers(), (QStringList{"甲", "乙"}));
    EXPECT_EQ(window->currentColumn(), 1);
    EXPECT_EQ(session->database().columnsOf("工具").value, headers());
    EXPECT_EQ(session->config().lastColumn(0), 1);

    session->state().menuColumn = 0;
    dialogs.inputs.enqueue(QStringLiteral("丙"));
    entry(window->columnMenu(), "修改栏目")->trigger();
    EXPECT_EQ(headers(), (QStringList{"丙", "乙"}));
    EXPECT_EQ(session->database().countItems("工具", "丙"), 2);

    dialogs.answers.enqueue(core::Answer::Yes);
    entry(window->columnMenu(), "删除栏目")->trigger();
    settle();
    EXPECT_EQ(headers(), (QStringList{"乙"}));
    EXPECT_EQ(session->database().countItems("工具", "丙"), 0);
    EXPECT_TRUE(gridTexts().isEmpty());
}

TEST_F(CatalogueWiringTest, CategoryWindowKeepsTheRealToolbarInStep) {
    makeDatabase({"一", "二", "三"}, {{"二", "栏", {"x"}}});
    ASSERT_TRUE(startWindow());
    auto* categories = window->windows().open<catalogue::CategoryWindow>(
        "category window", [this] { return new catalogue::CategoryWindow(*session, *window); });
    const auto& c = categories->controls();

    dialogs.inputs.enqueue(QStringLiteral("四"));
    QTest::mouseClick(c.newButton, Qt::LeftButton);
    settle();
    EXPECT_EQ(toolbarNames(), stored());
    EXPECT_EQ(session->state().currentCategory, 3);
    EXPECT_TRUE(window->categoryToolbar()->isPressed(3));
    EXPECT_FALSE(window->categoryToolbar()->buttonAction(3)->icon().isNull());

    c.categoryList->setCurrentItem(c.categoryList->topLevelItem(1));
    dialogs.inputs.enqueue(QStringLiteral("贰"));
    QTest::mouseClick(c.renameButton, Qt::LeftButton);
    settle();
    EXPECT_EQ(toolbarNames(), (QStringList{"一", "贰", "三", "四"}));
    EXPECT_EQ(toolbarNames(), stored());

    c.categoryList->setCurrentItem(c.categoryList->topLevelItem(0));
    dialogs.answers.enqueue(core::Answer::Yes);
    QTest::mouseClick(c.deleteButton, Qt::LeftButton);
    settle();
    EXPECT_EQ(toolbarNames(), (QStringList{"贰", "三", "四"}));
    EXPECT_EQ(toolbarNames(), stored());
    EXPECT_EQ(session->state().currentCategory, 2);
    // Only the shown category's button is drawn pressed.
    window->selectCategory(1);
    c.categoryList->setCurrentItem(c.categoryList->topLevelItem(0));
    dialogs.answers.enqueue(core::Answer::Yes);
    QTest::mouseClick(c.deleteButton, Qt::LeftButton);
    settle();
    EXPECT_EQ(toolbarNames(), (QStringList{"三", "四"}));
    EXPECT_FALSE(window->categoryToolbar()->isPressed(0));
    EXPECT_TRUE(window->categoryToolbar()->isPressed(1));

    window->reinitialise();
    settle();
    EXPECT_EQ(toolbarNames(), stored());
}

TEST_F(CatalogueWiringTest, ClosingTheColumnWindowAfterAChangeReloadsTheMainWindow) {
    makeDatabase({"工具"}, {{"工具", "甲", {"a"}}});
    ASSERT_TRUE(startWindow());
    auto* columns = window->windows().open<catalogue::ColumnWindow>(
        "column window", [this] { return new catalogue::ColumnWindow(*session, *window); });
    const auto& c = columns->controls();
    c.categoryTree->setCurrentItem(c.categoryTree->topLevelItem(0));
    c.nameField->setText(QStringLiteral("乙"));
    QTest::mouseClick(c.addButton, Qt::LeftButton);
    EXPECT_EQ(headers(), (QStringList{"甲"}));  // only at closing
    columns->close();
    settle();
    EXPECT_EQ(headers(), (QStringList{"甲", "乙"}));
}

}  // namespace
}  // namespace hx::test
