#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "app/quick_open.h"
#include "support/temp_root.h"

namespace hx::app {
namespace {

class QuickOpenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(storage::ItemDatabase::createEmpty(temp.root().databasePath()));
        ASSERT_TRUE(db.open(temp.root().databasePath()));
        ASSERT_TRUE(db.addCategory(QStringLiteral("系统"), QString()));
        ASSERT_TRUE(db.addColumn(QStringLiteral("系统"), QStringLiteral("常用")));
        for (const char* name : {"记事本", "控制面板", "重启", "空白"})
            ASSERT_TRUE(
                db.addItem({QStringLiteral("系统"), QStringLiteral("常用"), QString::fromUtf8(name),
                            QStringLiteral("/link/") + QString::fromUtf8(name), QString()}));
        grid = new QListWidget(&panel);
        grid->setGeometry(56, 82, 147, 327);
        grid->addItems({QStringLiteral("甲"), QStringLiteral("乙")});
        grid->setCurrentRow(1);
        quick = new QuickOpen(grid, db, [this](const QString& link) { opened << link; }, {});
        panel.resize(220, 474);
        panel.show();
        grid->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    }

    // Types on the grid and waits for the results of the whole text.
    void typeOnGrid(const QString& text) {
        QTest::keyClicks(grid, text.left(1));
        QTest::keyClicks(quick->controls().line, text.mid(1));
        QTRY_VERIFY(quick->indexReady());
        QCoreApplication::processEvents();
    }
    QStringList results() const {
        QStringList out;
        for (int i = 0; i < quick->controls().results->count(); ++i)
            out << quick->controls().results->item(i)->text().section(u'\n', 0, 0);
        return out;
    }

    test::TempRoot temp;
    storage::ItemDatabase db;
    QWidget panel;
    QListWidget* grid = nullptr;
    QuickOpen* quick = nullptr;
    QStringList opened;
};

TEST_F(QuickOpenTest, TypingFindsByPinyinAndEnterOpensTheChosenEntry) {
    typeOnGrid(QStringLiteral("k"));
    EXPECT_TRUE(quick->isVisible());
    EXPECT_EQ(quick->geometry(), grid->geometry());
    EXPECT_EQ(results(), (QStringList{QStringLiteral("控制面板"), QStringLiteral("空白")}));
    EXPECT_TRUE(quick->controls().results->item(0)->text().contains(QStringLiteral("系统 · 常用")));

    QTest::keyClicks(quick->controls().line, QStringLiteral("zm"));
    EXPECT_EQ(results(), QStringList{QStringLiteral("控制面板")});
    QTest::keyClick(quick->controls().line, Qt::Key_Return);
    EXPECT_EQ(opened, QStringList{QStringLiteral("/link/控制面板")});
    EXPECT_FALSE(quick->isVisible());

    // The one opened ranks first among equals next time; Up wraps to the last.
    typeOnGrid(QStringLiteral("k"));
    EXPECT_EQ(results().value(0), QStringLiteral("控制面板"));
    QTest::keyClick(quick->controls().line, Qt::Key_Down);
    QTest::keyClick(quick->controls().line, Qt::Key_Down);
    EXPECT_EQ(quick->controls().results->currentRow(), 0);
    QTest::keyClick(quick->controls().line, Qt::Key_Up);
    QTest::keyClick(quick->controls().line, Qt::Key_Enter);
    EXPECT_EQ(opened.value(1), QStringLiteral("/link/空白"));

    typeOnGrid(QStringLiteral("chongqi"));
    EXPECT_EQ(results(), QStringList{QStringLiteral("重启")});
}

TEST_F(QuickOpenTest, EscLeavesThePanelAsItWas) {
    typeOnGrid(QStringLiteral("jsb"));
    EXPECT_EQ(results(), QStringList{QStringLiteral("记事本")});
    QTest::keyClick(quick->controls().line, Qt::Key_Escape);
    EXPECT_FALSE(quick->isVisible());
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(grid->count(), 2);
    EXPECT_EQ(grid->currentRow(), 1);
    EXPECT_TRUE(grid->hasFocus());
    // Keys with Ctrl or Alt, and arrows, stay with the grid.
    QTest::keyClick(grid, Qt::Key_Up);
    QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(quick->isVisible());
    EXPECT_EQ(grid->currentRow(), 0);
}

}  // namespace
}  // namespace hx::app
