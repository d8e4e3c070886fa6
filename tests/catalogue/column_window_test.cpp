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
        window = std::make_unique<ColumnWindow>(*session, main);
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
    addCategories({"工具", "游戏"}, {"甲", "乙"});
    ASSERT_TRUE(db().addColumn("游戏", "空"));
    ASSERT_TRUE(db().setCategoryPicture("游戏", "Gamepad.bmp"));
    ASSERT_TRUE(db().addItem({"游戏", "甲", "多", "/bin/true", "$2"}));
    main.left = 500;
    main.top = 100;
    open();
    EXPECT_EQ(window->pos(), QPoint(420, 185));
    ASSERT_EQ(c().categoryTree->topLevelItemCount(), 2);
    EXPECT_EQ(c().categoryTree->topLevelItem(1)->text(0), QStringLiteral("游戏"));
    // Each node shows the category's present picture, not the toolbar's list
    // of the last fill (which the fake leaves empty here).
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
    EXPECT_EQ(session->state().columnsChanged, 0);

    choose(0);
    c().nameField->clear();
    press(c().addButton);
    EXPECT_EQ(rawCount("表2"), 1);
    c().nameField->setText(QStringLiteral("甲"));
    press(c().addButton);
    EXPECT_EQ(db().columnsOf("工具").value, (QStringList{"甲", "甲"}));
    EXPECT_EQ(table(0), (QStringList{"甲", "甲"}));
    EXPECT_EQ(table(1), (QStringList{"2", ""}));  // counts are not refreshed
    EXPECT_EQ(session->state().columnsChanged, 1);
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
    EXPECT_EQ(session->state().columnsChanged, 0);

    c().nameField->setText(QStringLiteral("远程'%"));
    press(c().modifyButton);
    EXPECT_EQ(table(0), (QStringList{"Web", "远程'%"}));
    EXPECT_EQ(db().columnsOf("工具").value, table(0));
    EXPECT_EQ(db().countItems("工具", "远程'%"), 2);
    EXPECT_EQ(db().countItems("游戏", "本地"), 2);
    EXPECT_EQ(session->state().columnsChanged, 1);
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
    EXPECT_EQ(session->state().columnsChanged, 0);

    selectRow(2);  // no question before it
    press(c().deleteButton);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(db().columnsOf("工具").value, (QStringList{"甲", "乙"}));
    EXPECT_EQ(table(0), db().columnsOf("工具").value);
    EXPECT_EQ(db().countItems("工具", "甲"), 0);
    EXPECT_EQ(db().countItems("游戏", "甲"), 2);
    EXPECT_EQ(session->state().columnsChanged, 1);
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

TEST_F(ColumnWindowTest, ClosingAfterAChangeRebuildsTheMainWindowEveryTime) {
    addCategories({"工具"}, {"甲"});
    open();
    window->close();
    EXPECT_EQ(main.reinitialisations, 0);
    open();
    choose(0);
    c().nameField->setText(QStringLiteral("乙"));
    press(c().addButton);
    window->close();
    EXPECT_EQ(main.reinitialisations, 1);
    open();  // the flag is never reset
    window->close();
    EXPECT_EQ(main.reinitialisations, 2);
}

}  // namespace
}  // namespace hx::test
