#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "app/category_toolbar.h"
#include "app/roller_blind_menu.h"
#include "app/status_bar.h"
#include "core/catalogue.h"
#include "extras/led_panel.h"
#include "items/item_actions.h"
#include "main_window_fixture.h"
#include "storage/ini_file.h"

namespace hx::test {
namespace {

// Calls `seen` whenever `watched` receives an event of `type`.
class EventSpy : public QObject {
  public:
    EventSpy(QObject* watched, QEvent::Type type, std::function<void()> seen)
        : type_(type), seen_(std::move(seen)) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_) seen_();
        return false;
    }

  private:
    QEvent::Type type_;
    std::function<void()> seen_;
};

using app::ItemGrid;
using app::RollerBlindMenu;

QStringList filesUnder(const QString& dir) {
    QStringList files;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    files.sort();
    return files;
}

TEST_F(MainWindowTest, ControlsStandAtTheirDesignRectangles) {
    makeDatabase({});
    ASSERT_TRUE(startWindow());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("衡岫电脑工具箱"));
    EXPECT_EQ(window->size(), QSize(220, 474));
    EXPECT_EQ(window->avatar()->geometry(), QRect(8, 2, 50, 50));
    EXPECT_EQ(window->weekdayLabel()->geometry(), QRect(61, 2, 67, 27));
    EXPECT_EQ(window->clockPanel()->geometry(), QRect(129, 3, 78, 26));
    EXPECT_EQ(window->topmostButton()->geometry(), QRect(66, 32, 18, 18));
    EXPECT_EQ(window->screenOffButton()->geometry(), QRect(96, 32, 18, 18));
    EXPECT_EQ(window->categoryButton()->geometry(), QRect(126, 32, 18, 18));
    EXPECT_EQ(window->itemsButton()->geometry(), QRect(156, 32, 18, 18));
    EXPECT_EQ(window->optionsButton()->geometry(), QRect(188, 32, 18, 18));
    EXPECT_EQ(window->categoryToolbar()->geometry(), QRect(9, 75, 26, 329));
    EXPECT_EQ(window->rollerBlindMenu()->geometry(), QRect(51, 65, 157, 350));
    EXPECT_EQ(window->statusBar()->geometry(), QRect(0, 446, 222, 20));
    const auto frames = window->findChildren<QGroupBox*>();
    ASSERT_EQ(frames.size(), 1);
    EXPECT_EQ(frames.first()->geometry(), QRect(2, 60, 46, 356));
    // No header ever became current, so the grid keeps its design rectangle.
    EXPECT_EQ(window->itemGrid()->geometry(), QRect(56, 82, 147, 327));

    const QIcon icon = window->windowIcon();
    for (int size : {16, 32, 48, 64, 128})
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
}

TEST_F(MainWindowTest, TooltipsEachEndWithOneBlank) {
    makeDatabase({});
    ASSERT_TRUE(startWindow());
    EXPECT_EQ(window->categoryButton()->toolTip(), QStringLiteral("分类管理 "));
    EXPECT_EQ(window->optionsButton()->toolTip(), QStringLiteral("管理选项 "));
    EXPECT_EQ(window->itemsButton()->toolTip(), QStringLiteral("项目管理 "));
    EXPECT_EQ(window->topmostButton()->toolTip(), QStringLiteral("显示最前 "));
    EXPECT_EQ(window->screenOffButton()->toolTip(), QStringLiteral("关闭屏幕 "));
}

TEST_F(MainWindowTest, MenusHoldTheirEntriesInOrder) {
    createWindow();
    auto texts = [](QMenu* menu) {
        QStringList t;
        for (QAction* a : menu->actions())
            t << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return t;
    };
    EXPECT_EQ(texts(window->columnMenu()),
              QStringList({"新建栏目", "修改栏目", "删除栏目", "加密栏目"}));
    EXPECT_EQ(texts(window->itemMenu()),
              QStringList({"删除", "查看路径", "复制路径", "修改资料", "添加超链接", "添加系统功能",
                           "添加已安装程序", "-", "属性", "浏览文件夹", "生成桌面快捷方式"}));
    EXPECT_EQ(texts(window->trayMenu()),
              QStringList({"搜索", "更换皮肤", "基本设置", "分类管理", "添加已安装程序",
                           "数据库管理", "-", "关闭", "最小化"}));
    EXPECT_EQ(window->trayIcon()->toolTip(), QStringLiteral("衡岫电脑工具箱"));
}

TEST_F(MainWindowTest, FirstRunWithoutConfigPlacesAtOriginAndSelectsCategoryZero) {
    makeDatabase({"甲", "乙"}, {{"甲", "栏一", {"a", "b"}}, {"乙", "栏二", {"c"}}});
    ASSERT_FALSE(QFileInfo::exists(root().configPath()));
    ASSERT_TRUE(startWindow());
    EXPECT_EQ(window->pos(), QPoint(0, 0));
    EXPECT_EQ(catalogue().currentCategory(), 0);
    EXPECT_TRUE(window->categoryToolbar()->isPressed(0));
    EXPECT_FALSE(window->categoryToolbar()->isPressed(1));
    EXPECT_EQ(gridTexts(), QStringList({"a", "b"}));
    EXPECT_EQ(window->statusBar()->text(0), QStringLiteral("连接数据库成功！"));
    // Without the sound key nothing plays.
    EXPECT_TRUE(sound.played.isEmpty());
}

TEST_F(MainWindowTest, NoCategoriesSelectsNothing) {
    makeDatabase({});
    ASSERT_TRUE(startWindow());
    EXPECT_EQ(catalogue().categoryCount(), 0);
    EXPECT_EQ(catalogue().columnCount(), 0);
    EXPECT_EQ(catalogue().rowCount(), 0);
    // Nothing was switched, so nothing was remembered.
    EXPECT_TRUE(storage::IniFile::read(root().configPath(), "工具条", "工具条").isEmpty());
}

TEST_F(MainWindowTest, MissingDatabaseAnsweredYesCreatesAnEmptyOne) {
    QDir(root().dateDir()).removeRecursively();
    dialogs.answers.enqueue(core::Answer::Yes);
    ASSERT_TRUE(startWindow());
    ASSERT_GE(dialogs.shown.size(), 1);
    const core::Message& question = dialogs.shown.first();
    EXPECT_EQ(question.title, QStringLiteral("出错啦！！！"));
    EXPECT_EQ(question.icon, core::MessageIcon::Error);
    EXPECT_EQ(question.buttons, core::MessageButtons::YesNo);
    EXPECT_TRUE(question.text.contains(QStringLiteral("\r\n")));
    EXPECT_EQ(dialogs.shown.size(), 1);  // asked once, no failure afterwards
    EXPECT_TRUE(storage::ItemDatabase::isItemDatabase(root().databasePath()));
    EXPECT_EQ(catalogue().categoryCount(), 0);
    EXPECT_EQ(window->statusBar()->text(0), QStringLiteral("连接数据库成功！"));
}

TEST(MainWindowStart, MissingDatabaseAnsweredNoWritesNothing) {
    TempRoot temp(false);
    const QStringList before = filesUnder(temp.path());
    FakeDialogs dialogs;
    dialogs.answers.enqueue(core::Answer::No);
    FakeShell shell;
    FakeSound sound;
    FakePowerBackend power;
    FakeNetwork network;
    FakeDesktop desktop{temp.file(QStringLiteral("Desktop"))};
    FakeFileProbe probe;
    platform::IconLoader icons;
    core::Session session(temp.root(), {&shell, &sound, &power, &network, &desktop, &probe, &icons},
                          dialogs);
    app::Runtime runtime(session);
    app::MainWindow window(runtime);
    EXPECT_FALSE(window.start());
    EXPECT_FALSE(window.trayIconAdded());
    // Only the default skin, laid by the skin step that comes first.
    QStringList after = filesUnder(temp.path());
    after.removeIf([](const QString& f) { return f.endsWith(QStringLiteral("QVSkin.she")); });
    EXPECT_EQ(after, before);
}

TEST_F(MainWindowTest, DamagedDatabaseIsReportedAndLeftAsItWas) {
    const QByteArray junk("this is not a database at all, just bytes");
    ASSERT_TRUE(temp.write(QStringLiteral("Date/QVdata.mdb"), junk));
    ASSERT_TRUE(startWindow());
    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_EQ(dialogs.shown.first().text, QStringLiteral("数据库连接失败！"));
    EXPECT_EQ(dialogs.shown.first().title, QStringLiteral("信息："));
    EXPECT_EQ(dialogs.shown.first().icon, core::MessageIcon::Error);
    EXPECT_EQ(temp.read(QStringLiteral("Date/QVdata.mdb")), junk);
    EXPECT_EQ(catalogue().categoryCount(), 0);
}

TEST_F(MainWindowTest, ACatalogueThatCannotBeWrittenIsShownAndEveryChangeRefusedOnce) {
    makeDatabase({"甲", "乙"}, {{"甲", "栏一", {"a", "b"}}, {"甲", "栏二", {"c"}}});
    const QString date = root().dateDir();
    const QStringList files = QDir(date).entryList(QDir::Files | QDir::Hidden);
    const QByteArray bytes = temp.read(QStringLiteral("Date/QVdata.mdb"));
    createWindow();
    session->database().setAlwaysReadOnly(true);
    ASSERT_TRUE(window->start());
    settle();
    const QString readOnly = QStringLiteral("数据库文件是只读的，所做的更改无法保存。");
    EXPECT_EQ(window->statusBar()->text(0), QStringLiteral("数据库只读"));
    ASSERT_EQ(dialogs.shown.size(), 1);  // said once, at start
    EXPECT_EQ(dialogs.shown.first().text, readOnly);
    EXPECT_EQ(dialogs.shown.first().icon, core::MessageIcon::Warning);

    // Shown as stored, column switches included, with nothing more said.
    EXPECT_EQ(catalogue().categories(), QStringList({"甲", "乙"}));
    for (const auto& [column, rows] :
         {std::pair{1, QStringList{"c"}}, std::pair{0, QStringList{"a", "b"}}}) {
        catalogue().openColumnAt(column);
        settle();
        EXPECT_EQ(gridTexts(), rows);
    }
    EXPECT_EQ(dialogs.shown.size(), 1);

    // Every change is refused with the same words.
    const std::pair<const char*, std::function<bool()>> changes[] = {
        {"add category", [&] { return catalogue().addCategory("丙", "Folder.bmp"); }},
        {"rename column", [&] { return catalogue().renameColumn(0, "栏三"); }},
        {"remove column", [&] { return catalogue().removeColumn(1); }},
        {"remove item", [&] { return catalogue().removeItem(0); }},
        {"add items",
         [&] {
             return catalogue().addItems({{"甲", "栏一", "d", "/d", ""}}).value(0);
         }},
    };
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        const qsizetype said = dialogs.shown.size();
        EXPECT_FALSE(change());
        ASSERT_EQ(dialogs.shown.size(), said + 1);
        EXPECT_EQ(dialogs.shown.last().text, readOnly);
    }
    EXPECT_EQ(gridTexts(), QStringList({"a", "b"}));
    EXPECT_EQ(catalogue().columns(), QStringList({"栏一", "栏二"}));
    window.reset();
    EXPECT_EQ(QDir(date).entryList(QDir::Files | QDir::Hidden), files);
    EXPECT_EQ(temp.read(QStringLiteral("Date/QVdata.mdb")), bytes);
}

TEST_F(MainWindowTest, ReinitialisationLeavesOneButtonPerCategory) {
    makeDatabase({"一", "二", "三"}, {{"一", "栏", {"x"}}});
    ASSERT_TRUE(startWindow());
    ASSERT_EQ(catalogue().categoryCount(), 3);
    ASSERT_TRUE(session->database().renameCategory("二", "贰"));
    const int imagesBefore = window->categoryToolbar()->images().size();
    window->reinitialise();
    settle();
    ASSERT_EQ(catalogue().categoryCount(), 3);
    EXPECT_EQ(catalogue().categoryName(1), QStringLiteral("贰"));
    // The toolbar's image list only grows.
    EXPECT_EQ(window->categoryToolbar()->images().size(), imagesBefore + 3);
    int pressed = 0;
    for (int i = 0; i < 3; ++i) pressed += window->categoryToolbar()->isPressed(i) ? 1 : 0;
    EXPECT_EQ(pressed, 1);
}

TEST_F(MainWindowTest, RememberedColumnsFollowButtonPositionsAfterDeletingTheFirstCategory) {
    makeDatabase({"一", "二", "三"}, {{"一", "a0", {}},
                                      {"一", "a1", {}},
                                      {"二", "b0", {}},
                                      {"二", "b1", {}},
                                      {"二", "b2", {}},
                                      {"三", "c0", {}},
                                      {"三", "c1", {}}});
    storage::Config config(root());
    config.setLastColumn(0, 1);
    config.setLastColumn(1, 2);
    config.setLastColumn(2, 0);
    {
        storage::ItemDatabase db;
        ASSERT_TRUE(db.open(root().databasePath()));
        ASSERT_TRUE(db.deleteCategory("一"));
    }
    config.setLastCategory(1);
    ASSERT_TRUE(startWindow());
    // "三" is now button 1 and reopens the column remembered under key "1".
    EXPECT_EQ(catalogue().categoryName(1), QStringLiteral("三"));
    EXPECT_EQ(catalogue().openColumn(), 1);  // index 2 does not exist: the last header stays
    catalogue().selectCategory(0);
    settle();
    EXPECT_EQ(catalogue().openColumnName(), QStringLiteral("b1"));
}

TEST_F(MainWindowTest, SelectingMinusOneEmptiesEverythingAndIsRemembered) {
    makeDatabase({"一"}, {{"一", "栏", {"x"}}});
    ASSERT_TRUE(startWindow());
    ASSERT_EQ(catalogue().rowCount(), 1);
    catalogue().selectCategory(-1);
    settle();
    EXPECT_EQ(catalogue().columnCount(), 0);
    EXPECT_EQ(catalogue().rowCount(), 0);
    EXPECT_FALSE(window->categoryToolbar()->isPressed(0));
    EXPECT_EQ(storage::IniFile::read(root().configPath(), "工具条", "工具条"), "-1");
    EXPECT_EQ(storage::IniFile::read(root().configPath(), "卷帘式菜单", "-1"), "0");

    // The next start selects -1 again: no category is shown.
    window.reset();
    runtime.reset();
    session.reset();
    ASSERT_TRUE(startWindow());
    EXPECT_EQ(catalogue().currentCategory(), -1);
    EXPECT_EQ(catalogue().columnCount(), 0);
}

TEST_F(MainWindowTest, CategoryIndexPastTheLastButtonShowsNothing) {
    makeDatabase({"一"}, {{"一", "栏", {"x"}}});
    storage::Config(root()).setLastCategory(5);
    ASSERT_TRUE(startWindow());
    EXPECT_EQ(catalogue().columnCount(), 0);
    EXPECT_EQ(catalogue().rowCount(), 0);
    EXPECT_FALSE(window->categoryToolbar()->isPressed(0));
}

TEST_F(MainWindowTest, ColumnIndexPastTheLastHeaderLoadsNothingAndKeepsTheLastOpen) {
    makeDatabase({"一"}, {{"一", "p", {"x"}}, {"一", "q", {"y"}}});
    storage::Config(root()).setLastColumn(0, 7);
    ASSERT_TRUE(startWindow());
    EXPECT_EQ(catalogue().openColumn(), 1);
    EXPECT_EQ(catalogue().rowCount(), 0);
}

TEST_F(MainWindowTest, SwitchSoundFollowsTheLiveSoundMode) {
    makeDatabase({"一"}, {{"一", "p", {}}});
    storage::Config config(root());
    for (int mode : {1, 2, 3}) {
        config.setSwitchSound(mode);
        sound.played.clear();
        window.reset();
        runtime.reset();
        session.reset();
        ASSERT_TRUE(startWindow());
        catalogue().openColumnAt(0);
        settle();
        const QVector<platform::Sound> expected =
            mode == 3 ? QVector<platform::Sound>{}
                      : QVector<platform::Sound>(2, mode == 1 ? platform::Sound::SwitchFirst
                                                              : platform::Sound::SwitchSecond);
        EXPECT_EQ(sound.played, expected) << mode;
    }
}

// The audio library loads on the first sound: never before the window is on screen.
TEST_F(MainWindowTest, StartUpSwitchSoundWaitsForTheFirstPaint) {
    makeDatabase({"一"}, {{"一", "p", {}}});
    storage::Config(root()).setSwitchSound(1);
    createWindow();
    int playedAtFirstPaint = -1;
    EventSpy spy(window.get(), QEvent::Paint, [&] {
        if (playedAtFirstPaint < 0) playedAtFirstPaint = sound.played.size();
    });
    window->show();
    ASSERT_TRUE(window->start());
    settle();
    EXPECT_EQ(playedAtFirstPaint, 0);
    EXPECT_EQ(sound.played, QVector<platform::Sound>{platform::Sound::SwitchFirst});
}

TEST_F(MainWindowTest, ClickingTheOpenHeaderAgainReloadsWithoutMovingTheGrid) {
    makeDatabase({"一"}, {{"一", "p", {"x", "y"}}, {"一", "q", {"z"}}});
    storage::Config(root()).setSwitchSound(2);
    ASSERT_TRUE(startWindow());
    RollerBlindMenu* menu = window->rollerBlindMenu();
    ASSERT_EQ(menu->currentHeader(), 0);
    const QRect before = window->itemGrid()->geometry();
    sound.played.clear();
    QTest::mouseClick(menu, Qt::LeftButton, {}, QPoint(20, menu->headerTop(0) + 5));
    settle();
    EXPECT_EQ(sound.played.size(), 1);
    EXPECT_EQ(window->itemGrid()->geometry(), before);
    EXPECT_EQ(gridTexts(), QStringList({"x", "y"}));

    QTest::mouseClick(menu, Qt::LeftButton, {}, QPoint(20, menu->headerTop(1) + 5));
    settle();
    EXPECT_EQ(menu->currentHeader(), 1);
    EXPECT_EQ(gridTexts(), QStringList({"z"}));
    // Grid under header 1 of 2: top (1 + 1) * h + 65, height 350 - 2 * h - 3.
    const int h = menu->headerHeight();
    EXPECT_EQ(window->itemGrid()->geometry(), QRect(56, 2 * h + 65, 147, 350 - 2 * h - 3));
    EXPECT_EQ(storage::IniFile::read(root().configPath(), "卷帘式菜单", "0"), "1");
}

TEST_F(MainWindowTest, TenQuickSwitchesLeaveOnlyTheLastColumnInOrder) {
    QVector<CatalogueColumn> columns;
    for (int c = 0; c < 10; ++c) {
        QStringList names;
        for (int i = 0; i < 40; ++i) names << QStringLiteral("c%1-%2").arg(c).arg(i);
        columns.push_back({"一", QStringLiteral("col%1").arg(c), names});
    }
    makeDatabase({"一"}, columns);
    ASSERT_TRUE(startWindow());
    for (int c = 0; c < 10; ++c) catalogue().openColumnAt(c);
    settle();
    QStringList expected;
    for (int i = 0; i < 40; ++i) expected << QStringLiteral("c9-%1").arg(i);
    EXPECT_EQ(gridTexts(), expected);
}

TEST_F(MainWindowTest, TwoHeaderClicksInOneBatchLeaveTheLastColumn) {
    makeDatabase({"一"}, {{"一", "p", {"x"}}, {"一", "q", {"y"}}, {"一", "r", {"z"}}});
    ASSERT_TRUE(startWindow());
    RollerBlindMenu* menu = window->rollerBlindMenu();
    menu->setCurrentHeader(0);
    // The click on header 2 already waits in the queue while the click on
    // header 1 is handled, as when a fast user or XTest sends both together.
    const QPointF at(20, menu->headerTop(2) + 5);
    QCoreApplication::postEvent(
        menu, new QMouseEvent(QEvent::MouseButtonPress, at, menu->mapToGlobal(at), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier));
    QTest::mouseClick(menu, Qt::LeftButton, {}, QPoint(20, menu->headerTop(1) + 5));
    settle();
    EXPECT_EQ(gridTexts(), QStringList({"z"}));
    EXPECT_EQ(menu->currentHeader(), 2);
    EXPECT_EQ(storage::IniFile::read(root().configPath(), "卷帘式菜单", "0"), "2");
}

TEST_F(MainWindowTest, TheModelHoldsWhatThePanelShowsByPosition) {
    makeDatabase({"甲", "乙'"}, {{"乙'", "栏一", {"a"}}, {"乙'", "栏二", {"b", "c"}}});
    storage::Config(root()).setLastCategory(1);
    storage::Config(root()).setLastColumn(1, 1);
    ASSERT_TRUE(startWindow());
    const core::Catalogue& model = catalogue();
    EXPECT_EQ(model.categories(), QStringList({"甲", "乙'"}));
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(window->categoryToolbar()->buttonName(i), model.categoryName(i));
    EXPECT_EQ(model.columns(), QStringList({"栏一", "栏二"}));
    EXPECT_EQ(model.openColumn(), window->rollerBlindMenu()->currentHeader());
    EXPECT_EQ(model.openColumnName(), QStringLiteral("栏二"));
    ASSERT_EQ(model.rows().size(), 2);
    EXPECT_EQ(model.rows().at(1), (core::CatalogueRow{"c", "link:c", "$3"}));

    ASSERT_TRUE(catalogue().removeColumn(0));  // the open column keeps its name
    EXPECT_EQ(model.openColumnName(), QStringLiteral("栏二"));
    EXPECT_EQ(window->rollerBlindMenu()->currentHeader(), 0);
    ASSERT_TRUE(catalogue().removeItem(0));
    EXPECT_EQ(model.rows().size(), 1);
    EXPECT_EQ(gridTexts(), QStringList({"c"}));
}

TEST_F(MainWindowTest, TwoItemsWithTheSameNameReachTheirOwnRows) {
    makeDatabase({"一"}, {{"一", "p", {}}});
    {
        storage::ItemDatabase db;
        ASSERT_TRUE(db.open(root().databasePath()));
        ASSERT_TRUE(db.addItem({"一", "p", "同名", "first-link", "$3"}));
        ASSERT_TRUE(db.addItem({"一", "p", "同名", "second-link", "$3"}));
    }
    ASSERT_TRUE(startWindow());
    ASSERT_EQ(gridTexts(), QStringList({"同名", "同名"}));
    window->itemGrid()->setCurrentRow(1);
    window->itemActions()->viewLink();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown.last().text, QStringLiteral("second-link"));
    EXPECT_EQ(dialogs.shown.last().title, QStringLiteral("同名"));
    EXPECT_EQ(dialogs.shown.last().icon, core::MessageIcon::Information);
    window->itemActions()->openCurrent();
    EXPECT_EQ(launched(), QStringList({"second-link"}));
    // An opening from the grid counts for quick open's ranking, for that row only.
    EXPECT_EQ(session->usage().snapshot().weights.keys(),
              QStringList{storage::UsageStore::entryKey("一", "p", "同名", "second-link")});
}

TEST_F(MainWindowTest, ViewLinkAndOpenDoNothingWithoutSelection) {
    makeDatabase({"一"}, {{"一", "p", {"x"}}});
    ASSERT_TRUE(startWindow());
    window->itemGrid()->clearSelection();
    window->itemActions()->viewLink();
    window->itemActions()->openCurrent();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_TRUE(launched().isEmpty());
}

TEST_F(MainWindowTest, RightClickWithoutColumnsOffersTheColumnMenuFirst) {
    makeDatabase({"一"});
    ASSERT_TRUE(startWindow());
    window->itemGridContextMenu(QPoint(10, 10));
    EXPECT_EQ(window->menusShown, QStringList({"菜单", "菜单2"}));
    window->menusShown.clear();

    window.reset();
    runtime.reset();
    session.reset();
    {
        storage::ItemDatabase db;
        ASSERT_TRUE(db.open(root().databasePath()));
        ASSERT_TRUE(db.addColumn("一", "栏"));
    }
    ASSERT_TRUE(startWindow());
    window->itemGridContextMenu(QPoint(10, 10));
    EXPECT_EQ(window->menusShown, QStringList({"菜单2"}));
}

TEST_F(MainWindowTest, HeaderRightClickRemembersTheColumn) {
    makeDatabase({"一"}, {{"一", "p", {}}, {"一", "q", {}}});
    ASSERT_TRUE(startWindow());
    RollerBlindMenu* menu = window->rollerBlindMenu();
    QTest::mouseClick(menu, Qt::RightButton, {}, QPoint(20, menu->headerTop(1) + 5));
    EXPECT_EQ(window->menusShown, QStringList({"菜单"}));
    // The menu's entries act on that header.
    for (QAction* action : window->columnMenu()->actions())
        if (action->text() == QStringLiteral("修改栏目")) action->trigger();
    EXPECT_EQ(dialogs.inputInitials.value(0), QStringLiteral("q"));
}

TEST_F(MainWindowTest, HoverTextNamesTheEntryOrWelcomes) {
    makeDatabase({"一"}, {{"一", "p", {"甲项"}}});
    ASSERT_TRUE(startWindow());
    ItemGrid* grid = window->itemGrid();
    emit grid->hotChanged(0);
    EXPECT_EQ(window->statusBar()->text(0), QStringLiteral("甲项"));
    emit grid->hotChanged(-1);
    EXPECT_EQ(window->statusBar()->text(0), QStringLiteral("衡岫软件欢迎使用！"));
}

TEST_F(MainWindowTest, KeepOnTopTwiceReturnsToNormal) {
    makeDatabase({});
    ASSERT_TRUE(startWindow());
    window->show();
    const QImage offPicture = window->topmostButton()->icon().pixmap(16).toImage();
    window->toggleTopmost();
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_NE(window->topmostButton()->icon().pixmap(16).toImage(), offPicture);
    window->toggleTopmost();
    EXPECT_FALSE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->topmostButton()->icon().pixmap(16).toImage(), offPicture);
}

TEST_F(MainWindowTest, ScreenOffWaitsWhileTheWindowKeepsWorking) {
    makeDatabase({"一"}, {{"一", "p", {"x"}}});
    ASSERT_TRUE(startWindow());
    window->screenOff();
    // The call returned at once and the window goes on handling events.
    EXPECT_EQ(desktop.monitorOffCalls, 0);
    catalogue().openColumnAt(0);
    settle();
    EXPECT_EQ(catalogue().rowCount(), 1);
    QTest::qWait(1000);
    EXPECT_EQ(desktop.monitorOffCalls, 0);  // not before the wait is over
    EXPECT_TRUE(QTest::qWaitFor([this] { return desktop.monitorOffCalls == 1; }, 5000));
}

// A place off every screen (a monitor removed since) is brought under the
// pointer once and stored; the shut-down still stores whatever place it has.
TEST_F(MainWindowTest, ShutDownStoresAnOffScreenPositionExactly) {
    makeDatabase({});
    storage::Config(root()).setPosition(-2500, 4000);
    ASSERT_TRUE(startWindow());
    const QPoint placed = window->pos();
    EXPECT_TRUE(window->screen()->geometry().contains(placed)) << placed.x() << "," << placed.y();
    EXPECT_EQ(storage::Config(root()).left(), placed.x());
    EXPECT_EQ(storage::Config(root()).top(), placed.y());
    window->move(-3001, 2999);
    window->endProgram();
    EXPECT_EQ(storage::IniFile::read(root().configPath(), "关闭状态", "左边"), "-3001");
    EXPECT_EQ(storage::IniFile::read(root().configPath(), "关闭状态", "顶边"), "2999");
    EXPECT_FALSE(session->database().isOpen());
    window.reset();
    runtime.reset();
    session.reset();
    ASSERT_TRUE(startWindow());
    EXPECT_EQ(window->pos(), placed);
}

TEST_F(MainWindowTest, MinimiseThenTrayClickRestoresInPlace) {
    makeDatabase({});
    storage::Config(root()).setPosition(40, 30);
    ASSERT_TRUE(startWindow());
    window->show();
    window->showMinimized();
    QCoreApplication::processEvents();
    window->trayActivated(QSystemTrayIcon::Trigger);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(window->isVisible());
    // The stored point is the frame's outer corner, the one the shut-down writes back.
    EXPECT_EQ(window->pos(), QPoint(40, 30));
}

TEST_F(MainWindowTest, SmallIconModeStartsTheItemImagesAfterTheToolbarPictures) {
    makeDatabase({"一", "二"}, {{"一", "p", {"x", "y"}}});
    storage::Config(root()).setIconSize(16);
    ASSERT_TRUE(startWindow());
    ItemGrid* grid = window->itemGrid();
    EXPECT_EQ(grid->imageSize(), 16);
    const auto& toolbarImages = window->categoryToolbar()->images();
    ASSERT_EQ(grid->images().size(), toolbarImages.size() + 2);
    for (int i = 0; i < toolbarImages.size(); ++i)
        EXPECT_EQ(grid->images().at(i), toolbarImages.at(i));
    EXPECT_EQ(grid->images().at(grid->images().size() - 1).size(), QSize(16, 16));
}

TEST_F(MainWindowTest, AppearanceTakesTheStoredColours) {
    makeDatabase({});
    storage::Config config(root());
    config.setBackgroundColour(0x0000FF);  // red in the low byte
    config.setHighlightColour(0x00FF00);
    config.setBorderColour(0xFF0000);
    ASSERT_TRUE(startWindow());
    RollerBlindMenu* menu = window->rollerBlindMenu();
    EXPECT_EQ(menu->backgroundColour(), QColor(255, 0, 0));
    EXPECT_EQ(menu->highlightColour(), QColor(0, 255, 0));
    EXPECT_EQ(menu->hotColour(), QColor(0, 255, 0));
    EXPECT_EQ(menu->borderColour(), QColor(0, 0, 255));
}

TEST_F(MainWindowTest, HoverSelectsTheEntryAfterTheDelay) {
    makeDatabase({"一"}, {{"一", "p", {"x", "y"}}});
    ASSERT_TRUE(startWindow());
    ItemGrid* grid = window->itemGrid();
    grid->clearSelection();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QRect second = grid->visualItemRect(grid->item(1));
    QTest::mouseMove(grid->viewport(), second.center());
    EXPECT_EQ(grid->selectedIndex(), -1);  // not at once
    EXPECT_TRUE(QTest::qWaitFor([grid] { return grid->selectedIndex() == 1; }, 2000));
}

TEST_F(MainWindowTest, TrayCloseEndsTheProgramThroughTheShutDown) {
    makeDatabase({});
    ASSERT_TRUE(startWindow());
    window->move(77, 66);
    QAction* close = nullptr;
    for (QAction* a : window->trayMenu()->actions())
        if (a->text() == QStringLiteral("关闭")) close = a;
    ASSERT_NE(close, nullptr);
    close->trigger();
    EXPECT_TRUE(window->hasShutDown());
    EXPECT_EQ(storage::IniFile::read(root().configPath(), "关闭状态", "左边"), "77");
    EXPECT_FALSE(window->trayIconAdded());
}

TEST_F(MainWindowTest, ActivationIsIgnoredWithoutColumnsEvenIfEntriesRemain) {
    makeDatabase({"一"});
    {
        // An entry of a column 表2 does not hold: the column of no header.
        storage::ItemDatabase db;
        ASSERT_TRUE(db.open(root().databasePath()));
        ASSERT_TRUE(db.addItem({"一", "", "x", "link:x", "$3"}));
    }
    ASSERT_TRUE(startWindow());
    ASSERT_EQ(gridTexts(), QStringList{"x"});
    ASSERT_EQ(catalogue().columnCount(), 0);
    window->itemGrid()->setCurrentRow(0);
    window->itemActions()->openCurrent();
    EXPECT_TRUE(launched().isEmpty());
}

}  // namespace
}  // namespace hx::test

namespace hx::test {
namespace {

// The avatar is read off the interface thread: start-up and a save hand it
// to a worker, and the picture arrives when it is ready.
TEST_F(MainWindowTest, TheAvatarArrivesFromAWorker) {
    makeDatabase({"一"});
    QImage red(600, 600, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(temp.file("User/me.png")));
    storage::Config(root()).setAvatar("me.png");
    createWindow();
    ASSERT_TRUE(window->start());
    EXPECT_TRUE(window->avatar()->pixmap().isNull());  // not decoded by the start itself
    QElapsedTimer clock;
    clock.start();
    while (window->avatar()->pixmap().isNull() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(window->avatar()->pixmap().toImage().pixelColor(5, 5), QColor(Qt::red));
    // The next start reads the scaled copy kept beside it.
    EXPECT_TRUE(QFileInfo(temp.file("User/.me.png.256.png")).isFile());
}

}  // namespace
}  // namespace hx::test

namespace hx::test {
namespace {

// Pictures are read by their named format: a start loads none of the image
// plugins for formats the panel never reads.
TEST_F(MainWindowTest, StartingLoadsNoImagePluginItHasNoUseFor) {
    static const char* const unused[] = {"libqgif", "libqjpeg", "libqtiff", "libqwebp",
                                         "libqmng", "libqtga",  "libqicns", "libqwbmp"};
    const auto mapped = [] {
        QFile maps(QStringLiteral("/proc/self/maps"));
        return maps.open(QIODevice::ReadOnly) ? maps.readAll() : QByteArray();
    };
    // CTest runs each test in a process of its own; a run of the whole program
    // may have loaded them for an earlier test.
    for (const char* plugin : unused)
        if (mapped().contains(QByteArray("imageformats/") + plugin))
            GTEST_SKIP() << "loaded before this test: " << plugin;
    makeDatabase({"工具", "网络"}, {{"工具", "甲", {"a", "b"}}});
    ASSERT_TRUE(startWindow());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QByteArray after = mapped();
    ASSERT_FALSE(after.isEmpty());
    for (const char* plugin : unused)
        EXPECT_FALSE(after.contains(QByteArray("imageformats/") + plugin)) << plugin;
}

}  // namespace
}  // namespace hx::test
