#include "catalogue/column_menu.h"
#include "catalogue_fixture.h"

using hx::catalogue::ColumnMenu;

namespace hx::test {
namespace {

// The catalogue shows the columns of one category, its first column open.
class ColumnMenuTest : public CatalogueTest {
  protected:
    std::unique_ptr<QSignalSpy> openings;

    ColumnMenu menu() { return ColumnMenu(*session, *catalogue); }
    void show(int category) {
        SessionFixture::show(category, 0);
        openings = std::make_unique<QSignalSpy>(catalogue.get(), &core::Catalogue::columnOpened);
    }
    // Every column the menu opened since show().
    QVector<int> opened() const {
        QVector<int> out;
        for (const auto& call : *openings) out << call.at(0).toInt();
        return out;
    }
};

TEST_F(ColumnMenuTest, AddStoresSwitchesAndOffersTheNextNumber) {
    addCategories({"工具", "游戏"}, {"一", "二", "三"});
    show(1);
    dialogs.inputs.enqueue(QStringLiteral("新的"));
    menu().addColumn();
    EXPECT_EQ(dialogs.inputInitials.value(0), QStringLiteral("新建栏目4"));
    EXPECT_EQ(dialogs.inputTitles.value(0), QStringLiteral("新建栏目"));
    EXPECT_EQ(db().columnsOf("游戏").value, (QStringList{"一", "二", "三", "新的"}));
    EXPECT_EQ(db().columnsOf("工具").value.size(), 3);
    EXPECT_EQ(catalogue->columns(), db().columnsOf("游戏").value);
    EXPECT_EQ(catalogue->openColumn(), 3);
    EXPECT_EQ(opened(), (QVector<int>{3}));

    dialogs.inputs.enqueue(std::nullopt);
    menu().addColumn();
    dialogs.inputs.enqueue(QString());
    menu().addColumn();
    EXPECT_EQ(db().columnsOf("游戏").value.size(), 4);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(ColumnMenuTest, TenColumnsAtMostAndOnlyWithACategory) {
    menu().addColumn();
    EXPECT_EQ(lastMessage(), QStringLiteral("请添加分类！"));
    EXPECT_TRUE(dialogs.inputPrompts.isEmpty());

    QStringList nine;
    for (int i = 1; i <= 9; ++i) nine << QStringLiteral("栏%1").arg(i);
    addCategories({"工具"}, nine);
    show(0);
    dialogs.inputs.enqueue(QStringLiteral("第十"));
    menu().addColumn();
    ASSERT_EQ(db().columnsOf("工具").value.size(), 10);
    dialogs.inputs.enqueue(QStringLiteral("第十一"));
    menu().addColumn();
    EXPECT_EQ(lastMessage(), QStringLiteral("最多只能添加10个栏目！"));
    EXPECT_EQ(dialogs.shown.last().title, QStringLiteral("信息："));
    EXPECT_EQ(dialogs.inputPrompts.size(), 1);  // refused before any dialog
    EXPECT_EQ(db().columnsOf("工具").value.size(), 10);
}

TEST_F(ColumnMenuTest, DuplicatesAreRefusedWithoutAStatement) {
    int menuColumn = 0;
    addCategories({"工具"}, {"Web", "本地"});
    show(0);
    const QString before = snapshot();
    for (const char* name : {"Web", "本地", "WEB"}) {
        dialogs.inputs.enqueue(QString::fromUtf8(name));
        menu().addColumn();
    }
    // Renaming to its own name, or to another column's name in another case.
    menuColumn = 1;
    dialogs.inputs.enqueue(QStringLiteral("本地"));
    menu().renameColumn(menuColumn);
    dialogs.inputs.enqueue(QStringLiteral("web"));
    menu().renameColumn(menuColumn);
    ASSERT_EQ(dialogs.shown.size(), 5);
    for (const auto& m : dialogs.shown) {
        EXPECT_EQ(m.text, QStringLiteral("发现栏目名称重复，请返回修改！"));
        EXPECT_EQ(m.title, QStringLiteral("重复"));
    }
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(catalogue->columns(), (QStringList{"Web", "本地"}));
}

TEST_F(ColumnMenuTest, RenameKeepsTheItemsUnderTheNewName) {
    int menuColumn = 0;
    addCategories({"工具", "游戏"}, {"甲", "乙"});
    show(0);
    menuColumn = 1;
    dialogs.inputs.enqueue(QStringLiteral("新'乙%"));
    menu().renameColumn(menuColumn);
    EXPECT_EQ(dialogs.inputInitials.value(0), QStringLiteral("乙"));
    EXPECT_EQ(catalogue->columns(), (QStringList{"甲", "新'乙%"}));
    EXPECT_EQ(db().columnsOf("工具").value, catalogue->columns());
    EXPECT_EQ(db().countItems("工具", "新'乙%"), 2);
    EXPECT_EQ(db().countItems("工具", "乙"), 0);
    EXPECT_EQ(db().countItems("游戏", "乙"), 2);  // the other category keeps its column
    EXPECT_TRUE(opened().isEmpty());
}

TEST_F(ColumnMenuTest, DeleteAsksRemovesItemsAndOpensTheFirstColumn) {
    int menuColumn = 0;
    addCategories({"工具", "游戏"}, {"甲", "乙", "丙"});
    show(0);
    ASSERT_EQ(rowNames(), (QStringList{"甲0", "甲1"}));
    menuColumn = 1;
    menu().deleteColumn(menuColumn);  // unscripted: answered No
    EXPECT_EQ(lastMessage(), QStringLiteral("是否删除 乙 ?"));
    EXPECT_EQ(dialogs.shown.last().defaultAnswer, core::Answer::No);
    EXPECT_EQ(catalogue->columns().size(), 3);

    dialogs.answers.enqueue(core::Answer::Yes);
    menu().deleteColumn(menuColumn);
    EXPECT_EQ(catalogue->columns(), (QStringList{"甲", "丙"}));
    EXPECT_EQ(db().columnsOf("工具").value, catalogue->columns());
    EXPECT_EQ(db().countItems("工具", "乙"), 0);
    EXPECT_EQ(db().countItems("游戏", "乙"), 2);
    EXPECT_EQ(rawCount("表1"), 10);
    catalogue->finishLoading();
    EXPECT_EQ(rowNames(), (QStringList{"甲0", "甲1"}));
    EXPECT_EQ(opened(), (QVector<int>{0}));
    EXPECT_EQ(catalogue->openColumn(), 0);

    // The last column: nothing left to open.
    openings->clear();
    for (int i = 0; i < 2; ++i) {
        menuColumn = 0;
        dialogs.answers.enqueue(core::Answer::Yes);
        menu().deleteColumn(menuColumn);
    }
    EXPECT_TRUE(catalogue->columns().isEmpty());
    EXPECT_EQ(opened(), (QVector<int>{0}));
    EXPECT_TRUE(rowNames().isEmpty());
    EXPECT_TRUE(db().columnsOf("工具").value.isEmpty());
}

TEST_F(ColumnMenuTest, DeleteOfOneOfTwoEqualColumnsKeepsTheOther) {
    int menuColumn = 0;
    addCategories({"工具"}, {"甲", "乙"});
    ASSERT_TRUE(db().addColumn("工具", "甲"));  // the column window allows a second one
    show(0);
    menuColumn = 2;
    dialogs.answers.enqueue(core::Answer::Yes);
    menu().deleteColumn(menuColumn);
    EXPECT_EQ(db().columnsOf("工具").value, (QStringList{"甲", "乙"}));
    EXPECT_EQ(catalogue->columns(), db().columnsOf("工具").value);
}

TEST_F(ColumnMenuTest, RefusedStatementsChangeNeitherTablesNorMenu) {
    int menuColumn = 0;
    addCategories({"工具"}, {"甲", "乙"});
    show(0);
    rawExec(
        "CREATE TRIGGER no_update BEFORE UPDATE ON 表2 BEGIN SELECT RAISE(ABORT, 'refused'); END;"
        "CREATE TRIGGER no_delete BEFORE DELETE ON 表2 BEGIN SELECT RAISE(ABORT, 'refused'); END;"
        "CREATE TRIGGER no_insert BEFORE INSERT ON 表2 BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    const QString before = snapshot();
    menuColumn = 0;
    dialogs.inputs.enqueue(QStringLiteral("丙"));
    menu().renameColumn(menuColumn);  // 表1 first, then 表2 refuses
    dialogs.answers.enqueue(core::Answer::Yes);
    menu().deleteColumn(menuColumn);  // 表2 refuses
    dialogs.inputs.enqueue(QStringLiteral("丁"));
    menu().addColumn();
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(catalogue->columns(), (QStringList{"甲", "乙"}));
    // The refused delete shows what is stored again: the remembered column, open.
    EXPECT_EQ(opened(), (QVector<int>{0}));
}

}  // namespace
}  // namespace hx::test
