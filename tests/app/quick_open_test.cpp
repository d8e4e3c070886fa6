#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
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
        makeQuickOpen();
        panel.resize(220, 474);
        panel.show();
        grid->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    }

    void makeQuickOpen() {
        delete quick;
        quick = new QuickOpen(
            grid, db, *usage, [this](const QString& link) { opened << link; }, {},
            [this] { return address; });
    }
    // Closes and opens the store again, as a new run of the program would.
    void restart() {
        delete quick;
        quick = nullptr;
        usage = std::make_unique<storage::UsageStore>(temp.file("User/QuickOpen.db"));
        makeQuickOpen();
    }

    // Types on the grid and waits for the results of the whole text.
    void typeOnGrid(const QString& text) {
        QTest::keyClicks(grid, text.left(1));
        QTest::keyClicks(quick->controls().line, text.mid(1));
        QTRY_VERIFY(quick->indexReady());
        QCoreApplication::processEvents();
    }
    // The names of the entries found (the rows below them are not entries).
    QStringList results() const {
        QStringList out;
        for (int i = 0; i < quick->controls().results->count(); ++i)
            if (quick->rowKind(i) == QuickOpen::RowKind::Entry)
                out << quick->controls().results->item(i)->text().section(u'\n', 0, 0);
        return out;
    }
    void choose(int row) {
        quick->controls().results->setCurrentRow(row);
        QTest::keyClick(quick->controls().line, Qt::Key_Return);
    }

    test::TempRoot temp;
    storage::ItemDatabase db;
    std::unique_ptr<storage::UsageStore> usage =
        std::make_unique<storage::UsageStore>(temp.file("User/QuickOpen.db"));
    QString address = QStringLiteral("https://search.example/find?q=%s&from=panel");
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

    // The one opened ranks first among equals next time; Up wraps to the
    // last row (the web search), and on.
    typeOnGrid(QStringLiteral("k"));
    EXPECT_EQ(results().value(0), QStringLiteral("控制面板"));
    for (int i = 0; i < 3; ++i) QTest::keyClick(quick->controls().line, Qt::Key_Down);
    EXPECT_EQ(quick->controls().results->currentRow(), 0);
    QTest::keyClick(quick->controls().line, Qt::Key_Up);
    EXPECT_EQ(quick->rowKind(quick->controls().results->currentRow()),
              QuickOpen::RowKind::WebSearch);
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

// Usage outlives the run; the pick for a typed text beats usage for that
// text and for the texts it starts with.
TEST_F(QuickOpenTest, OpeningsAndPicksAreRememberedAcrossARestart) {
    for (int i = 0; i < 3; ++i) {
        typeOnGrid(QStringLiteral("k"));
        choose(int(results().indexOf(QStringLiteral("空白"))));
    }
    restart();
    typeOnGrid(QStringLiteral("k"));
    EXPECT_EQ(results().value(0), QStringLiteral("空白"));
    QTest::keyClick(quick->controls().line, Qt::Key_Escape);

    typeOnGrid(QStringLiteral("kon"));
    ASSERT_EQ(results().value(1), QStringLiteral("控制面板"));
    choose(1);
    restart();
    typeOnGrid(QStringLiteral("ko"));  // starts the text 控制面板 was picked for
    EXPECT_EQ(results().value(0), QStringLiteral("控制面板"));
    QTest::keyClick(quick->controls().line, Qt::Key_Escape);
    typeOnGrid(QStringLiteral("k"));  // its own pick first
    EXPECT_EQ(results().value(0), QStringLiteral("空白"));
    EXPECT_EQ(opened.count(QStringLiteral("/link/空白")), 3);

    // An entry gone from the catalogue is forgotten the next time the line opens.
    QTest::keyClick(quick->controls().line, Qt::Key_Escape);
    ASSERT_TRUE(db.deleteItemAt(QStringLiteral("系统"), QStringLiteral("常用"), 3));
    typeOnGrid(QStringLiteral("k"));
    const auto weights = usage->snapshot().weights;
    EXPECT_EQ(weights.keys(), QStringList{storage::UsageStore::entryKey("系统", "常用", "控制面板",
                                                                        "/link/控制面板")});
}

TEST_F(QuickOpenTest, CalculationAndWebSearchRowsComeLast) {
    typeOnGrid(QStringLiteral("2^10"));
    ASSERT_EQ(quick->controls().results->count(), 2);
    EXPECT_EQ(quick->rowKind(0), QuickOpen::RowKind::Calculation);
    EXPECT_TRUE(quick->controls().results->item(0)->text().startsWith(QStringLiteral("= 1024\n")));
    QTest::keyClick(quick->controls().line, Qt::Key_Return);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("1024"));
    EXPECT_TRUE(opened.isEmpty());

    typeOnGrid(QStringLiteral("k"));
    quick->controls().line->insert(QStringLiteral(" 记 &"));
    ASSERT_EQ(quick->controls().results->count(), 1);
    EXPECT_EQ(quick->controls().results->item(0)->text().section(u'\n', 0, 0),
              QStringLiteral("在网上搜索“k 记 &”"));
    QTest::keyClick(quick->controls().line, Qt::Key_Return);
    EXPECT_EQ(opened, QStringList{QStringLiteral(
                          "https://search.example/find?q=k%20%E8%AE%B0%20%26&from=panel")});

    // Entries first, then the search; an address that is not the web gives no row.
    typeOnGrid(QStringLiteral("jsb"));
    EXPECT_EQ(quick->rowKind(1), QuickOpen::RowKind::WebSearch);
    QTest::keyClick(quick->controls().line, Qt::Key_Escape);
    for (const char* refused : {"file:///tmp/%s", "javascript:alert(%s)", "/bin/sh %s"}) {
        address = QString::fromLatin1(refused);
        typeOnGrid(QStringLiteral("zzz"));
        EXPECT_EQ(quick->controls().results->count(), 0) << refused;
        QTest::keyClick(quick->controls().line, Qt::Key_Escape);
    }
    address.clear();  // none configured: the default engine, text at %s
    EXPECT_EQ(QuickOpen::webSearchUrl(QuickOpen::kDefaultSearchAddress, "a b")
                  ->toString(QUrl::FullyEncoded),
              QStringLiteral("https://www.bing.com/search?q=a%20b"));
    EXPECT_EQ(QuickOpen::webSearchUrl("http://x.example/?q=", "1+1")->toString(QUrl::FullyEncoded),
              QStringLiteral("http://x.example/?q=1%2B1"));
}

TEST_F(QuickOpenTest, InstalledProgramsRankWithTheCatalogueAndAreNotShownTwice) {
    quick->setInstalledPrograms(
        {{QStringLiteral("控制中心"), QStringLiteral("/apps/cc.desktop")},
         {QStringLiteral("控制面板 (已安装)"), QStringLiteral("/link/控制面板")},
         {QStringLiteral("KZ"), QStringLiteral("/apps/kz.desktop")}});
    typeOnGrid(QStringLiteral("kz"));
    EXPECT_EQ(results(), (QStringList{QStringLiteral("KZ"), QStringLiteral("控制面板"),
                                      QStringLiteral("控制中心")}));
    choose(2);
    EXPECT_EQ(opened, QStringList{QStringLiteral("/apps/cc.desktop")});
    typeOnGrid(QStringLiteral("kz"));
    EXPECT_EQ(results().value(0), QStringLiteral("控制中心"));  // picked for this text
    EXPECT_GT(usage->snapshot().weights.value(storage::UsageStore::programKey("/apps/cc.desktop")),
              0.0);
}

}  // namespace
}  // namespace hx::app
