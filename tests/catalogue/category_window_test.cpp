#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>
#include <algorithm>
#include <functional>

#include "catalogue/category_pictures.h"
#include "catalogue/category_window.h"
#include "catalogue/column_menu.h"
#include "catalogue_fixture.h"

using hx::catalogue::CategoryWindow;

namespace hx::test {
namespace {

class CategoryWindowTest : public CatalogueTest {
  protected:
    std::unique_ptr<CategoryWindow> window;
    // Every category selection the window makes (one column listing each).
    std::unique_ptr<QSignalSpy> selections;

    CategoryWindow& open() {
        window = std::make_unique<CategoryWindow>(*session, *catalogue, panel);
        selections = std::make_unique<QSignalSpy>(catalogue.get(), &core::Catalogue::columnsReset);
        return *window;
    }
    const CategoryWindow::Controls& c() const { return window->controls(); }

    QStringList listTexts(int column = 0) const {
        QStringList out;
        for (int i = 0; i < c().categoryList->topLevelItemCount(); ++i)
            out << c().categoryList->topLevelItem(i)->text(column);
        return out;
    }
    void select(int row) {
        c().categoryList->clearSelection();
        if (row >= 0) c().categoryList->topLevelItem(row)->setSelected(true);
    }
    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
};

TEST_F(CategoryWindowTest, OpeningListsEveryCategoryWithItsPicture) {
    addStored({"工具", "游戏", "网站"});
    ASSERT_TRUE(db().setCategoryPicture("游戏", "Gamepad.bmp"));
    ASSERT_TRUE(db().setCategoryPicture("网站", "missing.bmp"));
    ASSERT_TRUE(db().addCategory("无点", "nodot"));
    catalogue->reload();
    open();
    EXPECT_EQ(window->pos(), panel + QPoint(-10, 85));
    EXPECT_EQ(listTexts(0), (QStringList{"工具", "游戏", "网站", "无点"}));
    EXPECT_EQ(listTexts(1), (QStringList{"Folder", "Gamepad", "missing", ""}));
    EXPECT_EQ(window->selectedRow(), 0);
    // One picture per row, as the catalogue reads them.
    EXPECT_EQ(window->categoryImageList().size(), 4);
    const QImage folder = window->categoryImageList().at(window->rowImage(0));
    const QImage gamepad = window->categoryImageList().at(window->rowImage(1));
    EXPECT_NE(folder, gamepad);
    // A missing bitmap shows the folder picture instead of nothing.
    EXPECT_EQ(window->categoryImageList().at(window->rowImage(2)), folder);
    EXPECT_EQ(window->categoryImageList().at(window->rowImage(3)), folder);
    EXPECT_FALSE(c().iconPreview->pixmap().isNull());
    select(1);
    EXPECT_EQ(c().iconPreview->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
              gamepad.convertToFormat(QImage::Format_ARGB32));
}

TEST_F(CategoryWindowTest, AddOffersTheNextNumberAndFollowsTheToolbar) {
    addCategories({"一", "二", "三"});
    open();
    dialogs.inputs.enqueue(QStringLiteral("新的"));
    click(c().newButton);
    EXPECT_EQ(dialogs.inputInitials.value(0), QStringLiteral("分类4"));
    EXPECT_EQ(dialogs.inputPrompts.value(0), QStringLiteral("添加分类"));
    EXPECT_EQ(dialogs.inputTitles.value(0), QStringLiteral("添加分类"));
    EXPECT_EQ(storedCategories(), (QStringList{"一", "二", "三", "新的"}));
    EXPECT_EQ(db().categories().value.last().picture, QStringLiteral("Folder.bmp"));
    EXPECT_EQ(catalogue->categories(), storedCategories());
    EXPECT_EQ(listTexts(0), storedCategories());
    EXPECT_EQ(listTexts(1).last(), QStringLiteral("Folder"));
    EXPECT_EQ(selections->count(), 1);
    EXPECT_EQ(catalogue->currentCategory(), 3);
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // Cancel and an empty name do nothing.
    dialogs.inputs.enqueue(std::nullopt);
    click(c().newButton);
    dialogs.inputs.enqueue(QString());
    click(c().newButton);
    EXPECT_EQ(storedCategories().size(), 4);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(CategoryWindowTest, AddStopsAtElevenAfterAskingTheName) {
    QStringList ten;
    for (int i = 1; i <= 10; ++i) ten << QStringLiteral("c%1").arg(i);
    addCategories(ten);
    open();
    dialogs.inputs.enqueue(QStringLiteral("第十一"));
    click(c().newButton);
    ASSERT_EQ(storedCategories().size(), 11);
    EXPECT_TRUE(dialogs.shown.isEmpty());

    dialogs.inputs.enqueue(QStringLiteral("第十二"));
    click(c().newButton);
    EXPECT_EQ(dialogs.inputPrompts.size(), 2);  // the name is asked first
    EXPECT_EQ(lastMessage(), QStringLiteral("不能再添加了！"));
    EXPECT_EQ(dialogs.shown.last().title, QStringLiteral("信息："));
    EXPECT_EQ(storedCategories().size(), 11);
    EXPECT_EQ(catalogue->categories().size(), 11);
}

TEST_F(CategoryWindowTest, AddRefusesWhatTheDatabaseCallsTheSameOrCannotStore) {
    addCategories({"Tools"});
    open();
    dialogs.inputs.enqueue(QStringLiteral("tOOLS"));
    click(c().newButton);
    EXPECT_EQ(lastMessage(), QStringLiteral("发现分类名称重复，请返回修改！"));
    EXPECT_EQ(dialogs.shown.last().title, QStringLiteral("重复"));
    EXPECT_EQ(dialogs.shown.last().icon, core::MessageIcon::Information);

    // A name longer than the column takes: no button, no row, no stored row.
    dialogs.inputs.enqueue(QString(51, QChar(u'长')));
    click(c().newButton);
    EXPECT_EQ(dialogs.shown.last().icon, core::MessageIcon::Error);
    EXPECT_EQ(storedCategories(), (QStringList{"Tools"}));
    EXPECT_EQ(catalogue->categories(), (QStringList{"Tools"}));
    EXPECT_EQ(listTexts(), (QStringList{"Tools"}));
    EXPECT_EQ(selections->count(), 0);
}

// Each name box takes the designed length; a longer name (pasted past the
// box, here given whole) is refused in the user's words, never the engine's.
TEST_F(CategoryWindowTest, NameBoxesTakeTheDesignedLengthAndRefuseMoreInTheirOwnWords) {
    addCategories({"工具"}, {"甲"});
    open();
    catalogue->selectCategory(0);
    const std::pair<const char*, std::function<void()>> asks[] = {
        {"新建 category", [&] { click(c().newButton); }},
        {"改名 category",
         [&] {
             select(0);
             click(c().renameButton);
         }},
        {"新建栏目", [&] { catalogue::ColumnMenu(*session, *catalogue).addColumn(); }},
        {"修改栏目", [&] { catalogue::ColumnMenu(*session, *catalogue).renameColumn(0); }},
    };
    for (const auto& [name, ask] : asks) {
        SCOPED_TRACE(name);
        const QString before = snapshot();
        dialogs.inputs.enqueue(QString(51, u'长'));
        ask();
        EXPECT_EQ(dialogs.inputMaxLengths.value(dialogs.inputMaxLengths.size() - 1), 50);
        EXPECT_EQ(snapshot(), before);
        ASSERT_FALSE(dialogs.shown.isEmpty());
        EXPECT_EQ(dialogs.shown.last().text,
                  QStringLiteral("文字太长，未能保存：分类和栏目名称最多 50 个字，名称、链接和图标"
                                 "最多 255 个字。"));
    }
}

TEST_F(CategoryWindowTest, RenameCarriesTheNameIntoAllTables) {
    addCategories({"甲", "乙", "丙"}, {"栏"});
    open();
    select(1);
    dialogs.inputs.enqueue(QStringLiteral("新乙"));
    click(c().renameButton);
    EXPECT_EQ(dialogs.inputPrompts.value(0), QStringLiteral("修改栏目"));
    EXPECT_EQ(dialogs.inputInitials.value(0), QStringLiteral("乙"));
    EXPECT_EQ(storedCategories(), (QStringList{"甲", "新乙", "丙"}));
    EXPECT_EQ(db().columnsOf("新乙").value, (QStringList{"栏"}));
    EXPECT_EQ(db().countItems("新乙", "栏"), 2);
    EXPECT_EQ(db().countItems("甲", "栏"), 2);
    EXPECT_EQ(rawCount("表1"), 6);
    EXPECT_EQ(catalogue->categories(), storedCategories());
    EXPECT_EQ(listTexts(), storedCategories());
}

TEST_F(CategoryWindowTest, RenameRefusesItsOwnNameAndNamesOnlyCaseApart) {
    addCategories({"abc", "Other"});
    open();
    const QString before = snapshot();
    select(0);
    dialogs.inputs.enqueue(QStringLiteral("abc"));  // unchanged: reported as duplicate
    click(c().renameButton);
    select(0);
    dialogs.inputs.enqueue(QStringLiteral("OTHER"));
    click(c().renameButton);
    ASSERT_EQ(dialogs.shown.size(), 2);
    for (const auto& m : dialogs.shown) {
        EXPECT_EQ(m.text, QStringLiteral("发现分类名称重复，请返回修改！"));
        EXPECT_EQ(m.title, QStringLiteral("重复"));
    }
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(catalogue->categories(), (QStringList{"abc", "Other"}));

    // Its own name in another case is a rename.
    select(0);
    dialogs.inputs.enqueue(QStringLiteral("ABC"));
    click(c().renameButton);
    EXPECT_EQ(storedCategories(), (QStringList{"ABC", "Other"}));

    // Nothing selected: no dialog.
    select(-1);
    click(c().renameButton);
    EXPECT_EQ(dialogs.inputPrompts.size(), 3);
}

TEST_F(CategoryWindowTest, DeleteAsksRemovesEverywhereAndKeepsRememberedColumns) {
    addCategories({"零", "一", "二", "三"}, {"栏"});
    config().setLastColumn(0, 5);
    config().setLastColumn(1, 6);
    // category 2 never opened a column
    config().setLastColumn(3, 8);
    open();
    select(1);
    dialogs.answers.enqueue(core::Answer::No);
    click(c().deleteButton);
    EXPECT_EQ(lastMessage(), QStringLiteral("是否删除 一 ?"));
    EXPECT_EQ(dialogs.shown.last().buttons, core::MessageButtons::YesNo);
    EXPECT_EQ(dialogs.shown.last().defaultAnswer, core::Answer::No);
    EXPECT_EQ(storedCategories().size(), 4);

    select(1);
    dialogs.answers.enqueue(core::Answer::Yes);
    click(c().deleteButton);
    EXPECT_EQ(storedCategories(), (QStringList{"零", "二", "三"}));
    EXPECT_EQ(rawCount("表2"), 3);
    EXPECT_EQ(rawCount("表1"), 6);
    EXPECT_EQ(db().countItems("一", "栏"), 0);
    EXPECT_EQ(catalogue->categories(), storedCategories());
    EXPECT_EQ(listTexts(), storedCategories());
    EXPECT_EQ(window->selectedRow(), 2);
    EXPECT_EQ(selections->count(), 1);
    EXPECT_EQ(catalogue->currentCategory(), 2);
    // Every category keeps its own remembered column.
    EXPECT_EQ(config().lastColumn(0), 5);
    EXPECT_EQ(config().readConfig("卷帘式菜单", "1"), QString());
    EXPECT_EQ(config().lastColumn(2), 8);
    EXPECT_EQ(config().readConfig("卷帘式菜单", "3"), QString());
}

TEST_F(CategoryWindowTest, DeleteWithoutSelectionOrOfTheLastCategory) {
    addCategories({"唯一"}, {"栏"});
    open();
    select(-1);
    click(c().deleteButton);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(selections->count(), 0);
    EXPECT_EQ(storedCategories().size(), 1);

    select(0);
    dialogs.answers.enqueue(core::Answer::Yes);
    click(c().deleteButton);
    EXPECT_EQ(rawCount("表1") + rawCount("表2") + rawCount("表3"), 0);
    EXPECT_EQ(c().categoryList->topLevelItemCount(), 0);
    EXPECT_EQ(window->selectedRow(), -1);
    EXPECT_EQ(selections->count(), 1);
    EXPECT_EQ(catalogue->currentCategory(), -1);
}

TEST_F(CategoryWindowTest, ClearWritesASafetyCopyFirstAndEmptiesEverything) {
    addCategories({"a", "b", "c", "d", "e"}, {"栏", "目"});
    // A column of a category that is not stored survives, as designed.
    ASSERT_TRUE(db().addColumn("孤儿", "栏"));
    config().setLastColumn(2, 1);
    catalogue->selectCategory(2);
    open();
    click(c().clearButton);
    EXPECT_TRUE(dialogs.shown.isEmpty());  // no question
    EXPECT_EQ(rawCount("表3"), 0);
    EXPECT_EQ(rawCount("表2"), 1);
    EXPECT_EQ(rawCount("表1"), 0);
    EXPECT_TRUE(catalogue->categories().isEmpty());
    EXPECT_EQ(c().categoryList->topLevelItemCount(), 0);
    EXPECT_EQ(selections->count(), 2);  // the columns emptied, then the selection
    EXPECT_EQ(catalogue->currentCategory(), 2);
    EXPECT_EQ(config().lastColumn(2), 1);  // Config.ini untouched

    const QStringList copies =
        QDir(temp.root().backupDir()).entryList({QStringLiteral("自动备份-*.mdb")}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    storage::ItemDatabase copy;
    ASSERT_TRUE(copy.open(temp.root().backupDir() + u'/' + copies.first()));
    EXPECT_EQ(copy.categories().value.size(), 5);
    EXPECT_EQ(copy.countItems("c", "目"), 2);

    // With no category shown (-1) nothing is selected afterwards.
    catalogue->selectCategory(-1);
    selections->clear();
    click(c().clearButton);
    EXPECT_EQ(selections->count(), 1);  // the columns emptied only
}

TEST_F(CategoryWindowTest, ClearDoesNothingWhenNoSafetyCopyCanBeWritten) {
    addCategories({"a"}, {"栏"});
    // A file where the backup folder should be.
    ASSERT_TRUE(temp.write("Date/Backup", "x"));
    open();
    click(c().clearButton);
    EXPECT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown.last().icon, core::MessageIcon::Error);
    EXPECT_EQ(storedCategories(), (QStringList{"a"}));
    EXPECT_EQ(catalogue->categories(), (QStringList{"a"}));
    EXPECT_EQ(listTexts(), (QStringList{"a"}));
}

TEST_F(CategoryWindowTest, NamesWithQuotesWildcardsAndChineseReachOnlyTheirRows) {
    const QStringList odd{"it's",        "say \"hi\"",       "100%",   "a_b",
                          "back\\slash", "x;DROP TABLE 表1", "中文'名"};
    addCategories(odd + QStringList{"itXs", "100", "aXb", "back"}, {"栏"});
    open();
    const auto otherRowsIntact = [&](const QStringList& expectedCategories) {
        for (const char* other : {"itXs", "100", "aXb", "back"}) {
            EXPECT_EQ(db().countItems(other, "栏"), 2) << other;
            EXPECT_EQ(db().columnsOf(other).value, (QStringList{"栏"}));
        }
        EXPECT_EQ(storedCategories(), expectedCategories);
        EXPECT_EQ(catalogue->categories(), expectedCategories);
        EXPECT_EQ(listTexts(), expectedCategories);
    };
    QStringList expected = storedCategories();
    for (int i = 0; i < odd.size(); ++i) {
        select(i);
        const QString renamed = odd.at(i) + QStringLiteral("'%");
        dialogs.inputs.enqueue(renamed);
        click(c().renameButton);
        expected[i] = renamed;
        EXPECT_EQ(db().countItems(renamed, "栏"), 2) << renamed.toStdString();
        otherRowsIntact(expected);
    }
    // Delete the odd ones from the back, so the rows ahead keep their places.
    for (int i = odd.size() - 1; i >= 0; --i) {
        select(i);
        dialogs.answers.enqueue(core::Answer::Yes);
        click(c().deleteButton);
        expected.removeAt(i);
        otherRowsIntact(expected);
    }
    dialogs.inputs.enqueue(QStringLiteral("'; DELETE FROM 表3; --"));
    click(c().newButton);
    expected << QStringLiteral("'; DELETE FROM 表3; --");
    otherRowsIntact(expected);
    click(c().clearButton);
    EXPECT_EQ(rawCount("表1") + rawCount("表2") + rawCount("表3"), 0);
}

TEST_F(CategoryWindowTest, RefusedSecondStatementLeavesAllTablesAndTheWindow) {
    addCategories({"甲", "乙"}, {"栏"});
    open();
    // Rename runs 表1, 表2, 表3; delete runs 表3, 表2, 表1: refuse the middle one.
    rawExec(
        "CREATE TRIGGER no_update BEFORE UPDATE ON 表2 BEGIN SELECT RAISE(ABORT, 'refused'); END;"
        "CREATE TRIGGER no_delete BEFORE DELETE ON 表2 BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    const QString before = snapshot();
    select(0);
    dialogs.inputs.enqueue(QStringLiteral("丙"));
    click(c().renameButton);
    EXPECT_EQ(snapshot(), before);
    // Said in the user's words, not the engine's.
    EXPECT_EQ(dialogs.shown.last().text, QStringLiteral("数据库拒绝了这次更改，未能保存。"));
    select(0);
    dialogs.answers.enqueue(core::Answer::Yes);
    click(c().deleteButton);
    EXPECT_EQ(snapshot(), before);
    click(c().clearButton);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(catalogue->categories(), (QStringList{"甲", "乙"}));
    EXPECT_EQ(listTexts(), (QStringList{"甲", "乙"}));
    EXPECT_EQ(selections->count(), 0);
}

TEST_F(CategoryWindowTest, ListToolbarAndTableCorrespondAfterRandomChanges) {
    addCategories({"起"});
    open();
    auto* random = QRandomGenerator::global();
    const quint32 seed = random->generate();
    QRandomGenerator rng(seed);
    int serial = 0;
    for (int step = 0; step < 120; ++step) {
        const int rows = c().categoryList->topLevelItemCount();
        const int op = rng.bounded(10);
        if (op < 4) {
            // Sometimes a name that already exists in another case.
            const QString name = rows > 0 && rng.bounded(4) == 0
                                     ? listTexts().at(rng.bounded(rows)).toUpper()
                                     : QStringLiteral("类'%1").arg(++serial);
            dialogs.inputs.enqueue(name);
            click(c().newButton);
        } else if (op < 6 && rows > 0) {
            select(rng.bounded(rows));
            dialogs.inputs.enqueue(rng.bounded(3) == 0 ? listTexts().at(rng.bounded(rows))
                                                       : QStringLiteral("改_%1").arg(++serial));
            click(c().renameButton);
        } else if (op < 9) {
            select(rows > 0 ? int(rng.bounded(rows + 1)) - 1 : -1);
            dialogs.answers.enqueue(rng.bounded(4) ? core::Answer::Yes : core::Answer::No);
            click(c().deleteButton);
            dialogs.answers.clear();
        } else if (rng.bounded(4) == 0) {
            click(c().clearButton);
        }
        dialogs.inputs.clear();
        const QStringList stored = storedCategories();
        ASSERT_EQ(listTexts(), stored) << "seed " << seed << " step " << step;
        ASSERT_EQ(catalogue->categories(), stored) << "seed " << seed << " step " << step;
        ASSERT_LE(stored.size(), CategoryWindow::kMaxCategories);
    }
}

TEST_F(CategoryWindowTest, ChooserListsBitmapsByNameAndSetsThePicture) {
    addCategories({"甲", "乙"});
    const QImage red = [] {
        QImage i(16, 16, QImage::Format_RGB32);
        i.fill(Qt::red);
        i.setPixel(0, 0, qRgb(255, 255, 255));  // the corner names the see-through colour
        return i;
    }();
    ASSERT_TRUE(red.save(temp.file("Bmpns/apple.BMP"), "BMP"));
    ASSERT_TRUE(red.save(temp.file("Bmpns/Zebra.bmp"), "BMP"));
    ASSERT_TRUE(temp.write("Bmpns/broken.bmp", "not a bitmap"));
    ASSERT_TRUE(temp.write("Bmpns/notes.txt", "x"));
    open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    select(1);
    click(c().iconPreview);
    while (window->chooserFilling()) QCoreApplication::processEvents();
    ASSERT_TRUE(c().iconChooser->isVisibleTo(window.get()));
    EXPECT_EQ(c().iconChooser->geometry(), QRect(8, 32, 216, 164));
    QStringList entries;
    for (int i = 0; i < c().iconChooser->count(); ++i) entries << c().iconChooser->item(i)->text();
    QStringList expected = storage::DataRoot::shippedPictures();
    expected << "apple.BMP"
             << "Zebra.bmp"
             << "broken.bmp";
    std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    EXPECT_EQ(entries, expected);

    const int apple = entries.indexOf("apple.BMP");
    c().iconChooser->setCurrentRow(apple);
    const QRect rect = c().iconChooser->visualItemRect(c().iconChooser->item(apple));
    QTest::mouseClick(c().iconChooser->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(db().categories().value.at(1).picture, QStringLiteral("apple.BMP"));
    EXPECT_EQ(db().categories().value.at(0).picture, QStringLiteral("Folder.bmp"));
    EXPECT_EQ(listTexts(1), (QStringList{"Folder", "apple"}));
    EXPECT_EQ(window->categoryImageList().at(window->rowImage(1)).pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(catalogue->categoryPictureFile(1), QStringLiteral("apple.BMP"));
    EXPECT_EQ(catalogue->categoryPicture(1).pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_TRUE(c().iconChooser->isHidden());

    // Without a selected category the chooser takes its height but stays hidden.
    select(-1);
    click(c().iconPreview);
    EXPECT_TRUE(c().iconChooser->isHidden());
}

TEST_F(CategoryWindowTest, ChooserHidesOnAPressOnTheListOrTheWindow) {
    addCategories({"甲"});
    open();
    click(c().iconPreview);
    ASSERT_FALSE(c().iconChooser->isHidden());
    QTest::mousePress(c().categoryList->viewport(), Qt::LeftButton);
    EXPECT_TRUE(c().iconChooser->isHidden());
    click(c().iconPreview);
    ASSERT_FALSE(c().iconChooser->isHidden());
    QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(200, 225));
    EXPECT_TRUE(c().iconChooser->isHidden());
}

}  // namespace
}  // namespace hx::test
