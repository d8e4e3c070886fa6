#include <QTest>

#include "app/item_grid.h"
#include "app/main_window_fixture.h"

namespace hx::test {
namespace {

TEST_F(MainWindowTest, KeysChooseCategoryAndColumnAndOpenTheSelectedEntry) {
    makeDatabase({"一", "二"},
                 {{"一", "p", {"甲", "乙"}}, {"一", "q", {"丙"}}, {"二", "r", {"丁"}}});
    ASSERT_TRUE(startWindow());
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QWidget* grid = window->itemGrid();
    grid->setFocus();

    QTest::keyClick(grid, Qt::Key_2, Qt::ControlModifier);
    settle();
    EXPECT_EQ(catalogue().currentCategory(), 1);
    EXPECT_EQ(gridTexts(), QStringList{"丁"});
    QTest::keyClick(grid, Qt::Key_9, Qt::ControlModifier);         // no ninth category
    QTest::keyClick(grid, Qt::Key_PageDown, Qt::ControlModifier);  // wraps to the first
    settle();
    EXPECT_EQ(catalogue().currentCategory(), 0);

    const int column = catalogue().openColumn();
    QTest::keyClick(grid, Qt::Key_Down, Qt::AltModifier);
    settle();
    EXPECT_EQ(catalogue().openColumn(), (column + 1) % 2);
    EXPECT_EQ(gridTexts(),
              catalogue().openColumn() == 0 ? QStringList({"甲", "乙"}) : QStringList{"丙"});
    if (catalogue().openColumn() != 0) {
        QTest::keyClick(grid, Qt::Key_Up, Qt::AltModifier);
        settle();
    }
    ASSERT_EQ(gridTexts(), QStringList({"甲", "乙"}));

    grid->setFocus();
    window->itemGrid()->setCurrentRow(0);
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(launched(), QStringList{"link:乙"});
    QTest::keyClick(grid, Qt::Key_Menu);
    EXPECT_EQ(window->menusShown.size(), 1);
}

}  // namespace
}  // namespace hx::test
