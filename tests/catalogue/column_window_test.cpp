#include <QTest>

#include "catalogue/category_pictures.h"
#include "catalogue/column_window.h"
#include "catalogue_fixture.h"

using hx::catalogue::ColumnWindow;

namespace hx::test {
namespace {

class ColumnWindowTest : public CatalogueTest {
  protected:
    std::unique_ptr<ColumnWindow> window;

    ColumnWindow& open() {
        window = std::make_unique<ColumnWindow>(*session, *catalogue, panel);
        return *window;
    }
    const ColumnWindow::Controls& c() const { return window->controls(); }
    void choose(int node) {
        c().categoryTree->setCurrentItem(c().categoryTree->topLevelItem(node));
    }
    void selectRow(int row) {
        c().columnTable->clearSelection();
        if (row >= 0) c().columnTable->topLevelItem(row)->setSelected(true);
    }
    QStringList table(int column = 0) const {
        QStringList out;
        for (int i = 0; i < c().columnTable->topLevelItemCount(); ++i)
            out << c().columnTable->topLevelItem(i)->text(column);
        return out;
    }
    void press(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
};

TEST_F(ColumnWindowTest, ChoosingACategoryListsItsColumnsWithCounts) {
    addStored({"工具", "游戏"}, {"甲", "乙"});
    ASSERT_TRUE(db().addColumn("游戏", "空"));
    ASSERT_TRUE(db().setCategoryPicture("游戏", "Gamepad.bmp"));
    ASSERT_TRUE(db().addItem({"游戏", "甲", "多", "/bin/true", "$2"}));
    catalogue->reload();
    open();
    EXPECT_EQ(window->pos(), panel + QPoint(-80, 85));
    ASSERT_EQ(c().categoryTree->topLevelItemCount(), 2);
    EXPECT_EQ(c().categoryTree->topLevelItem(1)->text(0), QStringLiteral("游戏"));
    // Each node shows the category's picture as the catalogue reads it.
    const auto nodePicture = [&](int node) {
        return c().categoryTree->topLevelItem(node)->icon(0).pixmap(16).toImage().convertToFormat(
            QImage::Format_ARGB32);
    };
    EXPECT_EQ(nodePicture(1), catalogue::withKeyColourClear(
                                  catalogue::categoryPicture(temp.root(), "Gamepad.bmp")));
    EXPECT_NE(nodePicture(0), nodePicture(1));
    EXPECT_EQ(c().columnTable->topLevelItemCount(), 0);
    choose(1);
    EXPECT_EQ(table(0), (QStringList{"甲", "乙", "空"}));
    EXPECT_EQ(table(1), (QStringList{"3", "2", "0"}));
    choose(0);
    EXPECT_EQ(table(1), (QStringList{"2", "2"}));

    const QRect second = c().columnTable->visualItemRect(c().columnTable->topLevelItem(1));
    QTest::mouseClick(c().columnTable->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(c().nameField->text(), QStringLiteral("乙"));
}

TEST_F(ColumnWindowTest, AddStoresEvenADuplicateAndMarksTheChange) {
    addCategories({"工具"}, {"甲"});
    open();
    c().nameField->setText(QStringLiteral("新"));
    press(c().addButton);  // no category chosen: nothing stored
    EXPECT_EQ(rawCount("表2"), 1);

    choose(0);
    c().nameField->clear();
    press(c().addButton);
    EXPECT_EQ(rawCount("表2"), 1);
    c().nameField->setText(QStringLiteral("甲"));
    press(c().addButton);
    EXPECT_EQ(db().columnsOf("工具").value, (QStringList{"甲", "甲"}));
    EXPECT_EQ(table(0), (QStringList{"甲", "甲"}));
    EXPECT_EQ(table(1), (QStringList{"2", ""}));  // counts are not refreshed
}

TEST_F(ColumnWindowTest, ModifyRenamesItemsAndRefusesAnyCaseDuplicate) {
    addCategories({"工具", "游戏"}, {"Web", "本地"});
    open();
    choose(0);
    selectRow(1);
    const QString before = snapshot();
    for (const char* name : {"本地", "WEB"}) {
        c().nameField->setText(QString::fromUtf8(name));
        press(c().modifyButton);
    }
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown.at(1).text, QStringLiteral("发现项目重复！"));
    EXPECT_EQ(dialogs.shown.at(1).title, QStringLiteral("信息："));
    EXPECT_EQ(snapshot(), before);

    c().nameField->setText(QStringLiteral("远程'%"));
    press(c().modifyButton);
    EXPECT_EQ(table(0), (QStringList{"Web", "远程'%"}));
    EXPECT_EQ(db().columnsOf("工具").value, table(0));
    EXPECT_EQ(db().countItems("工具", "远程'%"), 2);
    EXPECT_EQ(db().countItems("游戏", "本地"), 2);
    choose(0);  // re-choosing shows the renamed column's items in its count
    EXPECT_EQ(table(1), (QStringList{"2", "2"}));

    selectRow(-1);
    c().nameField->setText(QStringLiteral("别的"));
    press(c().modifyButton);
    EXPECT_EQ(db().columnsOf("工具").value, (QStringList{"Web", "远程'%"}));
}

TEST_F(ColumnWindowTest, DeleteRemovesTheRowAtItsPositionAndItsItems) {
    addCategories({"工具", "游戏"}, {"甲", "乙"});
    ASSERT_TRUE(db().addColumn("工具", "甲"));
    open();
    choose(0);
    ASSERT_EQ(table(0), (QStringList{"甲", "乙", "甲"}));
    selectRow(-1);
    const QString before = snapshot();
    press(c().deleteButton);
    EXPECT_EQ(snapshot(), before);

    selectRow(2);  // no question before it
    press(c().deleteButton);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(db().columnsOf("工具").value, (QStringList{"甲", "乙"}));
    EXPECT_EQ(table(0), db().columnsOf("工具").value);
    EXPECT_EQ(db().countItems("工具", "甲"), 0);
    EXPECT_EQ(db().countItems("游戏", "甲"), 2);
}

TEST_F(ColumnWindowTest, DeleteOfARowThatNoLongerMatchesTheTableChangesNothing) {
    addCategories({"工具"}, {"甲", "乙"});
    open();
    choose(0);
    // The column menu deletes 甲 while the window still lists it.
    ASSERT_TRUE(db().deleteColumn("工具", "甲"));
    const QString before = snapshot();
    selectRow(0);
    press(c().deleteButton);
    EXPECT_EQ(snapshot(), before);  // 乙, now at position 0, survives
    EXPECT_EQ(table(0), (QStringList{"乙"}));
}

// Changes to the category the panel shows reach the catalogue at once, in
// step with 表2; another category's stay in the database only.
TEST_F(ColumnWindowTest, ChangesToTheShownCategoryReachTheCatalogueAtOnce) {
    addCategories({"工具", "游戏"}, {"甲", "乙"});
    show(0, 1);
    open();
    choose(0);
    c().nameField->setText(QStringLiteral("丙"));
    press(c().addButton);
    EXPECT_EQ(catalogue->columns(), db().columnsOf("工具").value);
    selectRow(0);
    c().nameField->setText(QStringLiteral("新甲"));
    press(c().modifyButton);
    EXPECT_EQ(catalogue->columns(), (QStringList{"新甲", "乙", "丙"}));
    // Removing the open column empties the rows; the one after it stays open.
    selectRow(1);
    press(c().deleteButton);
    EXPECT_EQ(catalogue->columns(), (QStringList{"新甲", "丙"}));
    EXPECT_EQ(catalogue->openColumnName(), QStringLiteral("丙"));
    EXPECT_TRUE(catalogue->rows().isEmpty());

    choose(1);
    c().nameField->setText(QStringLiteral("丁"));
    press(c().addButton);
    EXPECT_EQ(catalogue->columns(), (QStringList{"新甲", "丙"}));
    EXPECT_EQ(db().columnsOf("游戏").value, (QStringList{"甲", "乙", "丁"}));
}

}  // namespace
}  // namespace hx::test
