#include <QAction>
#include <QApplication>
#include <QTest>

#include "app/category_toolbar.h"
#include "app/roller_blind_menu.h"
#include "app/status_bar.h"
#include "catalogue/category_pictures.h"
#include "catalogue/category_window.h"
#include "catalogue/column_window.h"
#include "core/catalogue.h"
#include "items/item_actions.h"
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

// The real toolbar, roller-blind menu and grid against the catalogue and 表3.
class CatalogueWiringTest : public MainWindowTest {
  protected:
    QStringList toolbarNames() const {
        QStringList names;
        for (int i = 0; i < window->categoryToolbar()->buttonCount(); ++i)
            names << window->categoryToolbar()->buttonName(i);
        return names;
    }
    QStringList headers() const {
        QStringList names;
        for (int i = 0; i < window->rollerBlindMenu()->headerCount(); ++i)
            names << window->rollerBlindMenu()->headerText(i);
        return names;
    }
    catalogue::CategoryWindow* openCategoryWindow() {
        window->windows().openCategoryWindow();
        return window->windows().find<catalogue::CategoryWindow>("category window");
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
    EXPECT_EQ(window->rollerBlindMenu()->currentHeader(), 1);
    EXPECT_EQ(catalogue().openColumn(), 1);
    EXPECT_EQ(session->database().columnsOf("工具").value, headers());
    EXPECT_EQ(session->config().lastColumn(0), 1);

    // The entries act on the header right-clicked last.
    const QPoint firstHeader(10, 5);
    QTest::mouseClick(window->rollerBlindMenu(), Qt::RightButton, {}, firstHeader);
    ASSERT_EQ(window->menusShown.last(), QStringLiteral("菜单"));
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
    auto* categories = openCategoryWindow();
    const auto& c = categories->controls();

    dialogs.inputs.enqueue(QStringLiteral("四"));
    QTest::mouseClick(c.newButton, Qt::LeftButton);
    settle();
    EXPECT_EQ(toolbarNames(), stored());
    EXPECT_EQ(catalogue().currentCategory(), 3);
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
    EXPECT_EQ(catalogue().currentCategory(), 2);
    // Only the shown category's button is drawn pressed.
    QTest::mouseClick(
        window->categoryToolbar()->widgetForAction(window->categoryToolbar()->buttonAction(1)),
        Qt::LeftButton);
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

TEST_F(CatalogueWiringTest, RenamingACategoryChangesToolbarMenuAndTablesTogether) {
    makeDatabase({"工具", "游戏"}, {{"游戏", "甲", {"a", "b"}}, {"游戏", "乙", {"c"}}});
    ASSERT_TRUE(startWindow());
    catalogue().selectCategory(1);
    settle();
    const QPoint placed = window->pos();
    auto* categories = openCategoryWindow();
    const auto& c = categories->controls();
    c.categoryList->setCurrentItem(c.categoryList->topLevelItem(1));
    dialogs.inputs.enqueue(QStringLiteral("玩'乐"));
    QTest::mouseClick(c.renameButton, Qt::LeftButton);
    settle();
    EXPECT_EQ(toolbarNames(), (QStringList{"工具", "玩'乐"}));
    EXPECT_EQ(toolbarNames(), stored());
    EXPECT_EQ(window->categoryToolbar()->buttonAction(1)->toolTip(), QStringLiteral("玩'乐"));
    EXPECT_EQ(headers(), (QStringList{"甲", "乙"}));
    EXPECT_EQ(headers(), session->database().columnsOf("玩'乐").value);
    EXPECT_EQ(gridTexts(), (QStringList{"a", "b"}));
    EXPECT_TRUE(window->categoryToolbar()->isPressed(1));
    // No re-initialisation: the panel stays where the user has it.
    EXPECT_EQ(window->pos(), placed);

    // Entries keep opening by the new name.
    window->itemGrid()->setCurrentRow(1);
    window->itemActions()->openCurrent();
    EXPECT_EQ(launched().value(0), QStringLiteral("link:b"));
}

// A picture name in 表3 that leaves Bmpns/ shows the folder picture, and the
// file it names is never read.
TEST_F(CatalogueWiringTest, PictureNamesOutsideBmpnsShowTheFolderPicture) {
    makeDatabase({"甲", "乙", "丙"});
    {
        storage::ItemDatabase db;
        ASSERT_TRUE(db.open(root().databasePath()));
        ASSERT_TRUE(db.setCategoryPicture("甲", "../../x"));
        ASSERT_TRUE(db.setCategoryPicture("乙", "../User/red.bmp"));
        ASSERT_TRUE(db.setCategoryPicture("丙", "Gear.bmp"));
    }
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(temp.file("User/red.bmp"), "BMP"));
    ASSERT_TRUE(startWindow());
    const QImage folder =
        catalogue::withKeyColourClear(catalogue::categoryPicture(root(), "Folder.bmp"));
    for (int i = 0; i < 2; ++i) EXPECT_EQ(catalogue().categoryPicture(i), folder) << i;
    EXPECT_NE(catalogue().categoryPicture(2), folder);
    const auto shown = [this](int i) {
        return window->categoryToolbar()->buttonAction(i)->icon().pixmap(16).toImage();
    };
    EXPECT_EQ(shown(0), shown(1));
    EXPECT_NE(shown(1).pixel(8, 8), qRgb(255, 0, 0));
    EXPECT_NE(shown(0), shown(2));
}

// Names are drawn on one line, without what would reorder them; the stored
// names and the database keys stay as they are.
TEST_F(CatalogueWiringTest, NamesAreShownOnOneLineAndKeptAsStored) {
    const QString category = QStringLiteral("系\u202E统\n二");
    makeDatabase({category}, {{category, QStringLiteral("栏\r\n目"), {"甲\n乙"}}});
    ASSERT_TRUE(startWindow());
    EXPECT_EQ(window->categoryToolbar()->buttonAction(0)->toolTip(), QStringLiteral("系统⏎二"));
    EXPECT_EQ(gridTexts(), QStringList{"甲⏎乙"});
    EXPECT_EQ(catalogue().categoryName(0), category);
    EXPECT_EQ(catalogue().rows().value(0).name, QStringLiteral("甲\n乙"));
    emit window->itemGrid()->hotChanged(0);
    EXPECT_EQ(window->statusBar()->text(0), QStringLiteral("甲⏎乙"));
    window->itemGrid()->setCurrentRow(0);
    window->itemActions()->openCurrent();
    EXPECT_EQ(launched().value(0), QStringLiteral("link:甲\n乙"));
}

TEST_F(CatalogueWiringTest, ColumnWindowChangesShowInTheMenuAtOnce) {
    makeDatabase({"工具"}, {{"工具", "甲", {"a"}}});
    ASSERT_TRUE(startWindow());
    window->windows().openColumnWindow();
    auto* columns = window->windows().find<catalogue::ColumnWindow>("column window");
    const auto& c = columns->controls();
    c.categoryTree->setCurrentItem(c.categoryTree->topLevelItem(0));
    c.nameField->setText(QStringLiteral("乙"));
    QTest::mouseClick(c.addButton, Qt::LeftButton);
    EXPECT_EQ(headers(), (QStringList{"甲", "乙"}));
    columns->close();
    settle();
    EXPECT_EQ(headers(), (QStringList{"甲", "乙"}));
    EXPECT_EQ(gridTexts(), (QStringList{"a"}));
}

}  // namespace
}  // namespace hx::test
