#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QScrollBar>
#include <QTest>

#include "appearance/search_model.h"
#include "settings_fixture.h"

namespace hx::test {
namespace {

class SearchPageTest : public SettingsTest {
  protected:
    void SetUp() override { openDatabase(); }
    void add(const QString& name, const QString& link, const QString& icon = QStringLiteral("$3")) {
        ASSERT_TRUE(session.database().addItem({"类", "栏", name, link, icon}));
    }
    QStringList shown() const {
        QStringList names;
        const auto* model = window->results();
        for (int r = 0; r < model->rowCount(); ++r) names << model->index(r).data().toString();
        return names;
    }
    void search(const QString& text) {
        c().searchText->setText(text);
        c().search->click();
        settle();
    }
    void settle() {
        for (int i = 0; window->searchInProgress() && i < 1000; ++i)
            QCoreApplication::processEvents();
        ASSERT_FALSE(window->searchInProgress());
    }
};

TEST_F(SearchPageTest, ExactCaseSensitiveSubstringInTableOrder) {
    add("Firefox 浏览器", "/usr/bin/firefox");
    add("记事本", "&gedit");
    add("firefox 配置", "@about:config");
    add("网页 Fire", "@http://a b/");
    add("100%_完成", "/x");
    open();
    search("Fire");
    EXPECT_EQ(shown(), (QStringList{"Firefox 浏览器", "网页 Fire"}));
    search("fire");  // a second search replaces the list
    EXPECT_EQ(shown(), (QStringList{"firefox 配置"}));
    search("%_");  // no wildcards
    EXPECT_EQ(shown(), (QStringList{"100%_完成"}));
    search("事");
    EXPECT_EQ(shown(), (QStringList{"记事本"}));
    search("nothing like it");
    EXPECT_TRUE(shown().isEmpty());

    search("Fire");
    search("");  // an empty box does nothing, not even clearing
    EXPECT_EQ(shown().size(), 2);
}

TEST_F(SearchPageTest, ClickOpensTheLinkOfThatRow) {
    add("甲", "&gedit a.txt");
    add("乙", "@http://example.org/a b");
    add("丙乙", "/home");
    open().show();
    window->showPage(appearance::SettingsWindow::SearchPage);
    search("乙");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QRect second = c().results->visualRect(window->results()->index(1));
    QTest::mouseClick(c().results->viewport(), Qt::RightButton, {}, second.center());
    EXPECT_TRUE(opened.isEmpty());
    QTest::mouseClick(c().results->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(opened, (QStringList{"/home"}));
    window->openResult(0);
    window->openResult(5);  // outside the list: nothing
    EXPECT_EQ(opened, (QStringList{"/home", "@http://example.org/a b"}));
}

TEST_F(SearchPageTest, IconsAreBuiltOnlyForRowsOnScreen) {
    for (int i = 0; i < 1000; ++i)
        add(QStringLiteral("项%1").arg(i), "/x", QStringLiteral("图标%1").arg(i));
    open().show();
    window->showPage(appearance::SettingsWindow::SearchPage);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    search("项");
    ASSERT_EQ(window->results()->rowCount(), 1000);
    c().results->viewport()->repaint();
    QCoreApplication::processEvents();
    const int visibleRows = c().results->viewport()->height() / 32 + 2;
    EXPECT_GT(window->results()->iconsResolved(), 0);
    EXPECT_LE(window->results()->iconsResolved(), visibleRows);
    EXPECT_EQ(iconsAsked.first(), "图标0");  // the row's own icon text, at the grid's size
    EXPECT_EQ(window->results()->iconSize(), 32);

    c().results->scrollToBottom();
    c().results->viewport()->repaint();
    EXPECT_TRUE(iconsAsked.contains("图标999"));
    EXPECT_LE(window->results()->iconsResolved(), 2 * visibleRows);
}

TEST_F(SearchPageTest, LargeResultsArriveInPagesAndANewSearchReplacesThem) {
    for (int i = 0; i < 1000; ++i)
        add(QStringLiteral("项%1").arg(i), QStringLiteral("/x%1").arg(i));
    open();
    c().searchText->setText("项");
    c().search->click();
    // The first screen is there at once, the rest follows.
    EXPECT_TRUE(window->searchInProgress());
    EXPECT_GT(window->results()->rowCount(), 20);
    EXPECT_LT(window->results()->rowCount(), 1000);
    settle();
    ASSERT_EQ(window->results()->rowCount(), 1000);
    EXPECT_EQ(window->results()->linkAt(999), "/x999");
    EXPECT_EQ(shown().first(), "项0");

    c().searchText->setText("项");
    c().search->click();
    search("项99");  // before the first search has finished
    EXPECT_EQ(shown(), (QStringList{"项99", "项990", "项991", "项992", "项993", "项994", "项995",
                                    "项996", "项997", "项998", "项999"}));
}

TEST_F(SearchPageTest, ANewSearchStartsAtTheTop) {
    for (int i = 0; i < 300; ++i) add(QStringLiteral("项%1").arg(i), QStringLiteral("/x%1").arg(i));
    open().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->showPage(appearance::SettingsWindow::SearchPage);
    search("项");
    QScrollBar* bar = c().results->verticalScrollBar();
    bar->setValue(bar->maximum());
    ASSERT_GT(bar->value(), 0);
    search("项1");
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(SearchPageTest, SmallIconRunsShowSmallPictures) {
    setConfig("图标显示方式", "显示大小", "16");
    open();
    EXPECT_EQ(window->results()->iconSize(), 16);
    EXPECT_EQ(c().results->iconSize(), QSize(16, 16));
}

}  // namespace
}  // namespace hx::test
