#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "app/roller_blind_menu.h"

namespace hx::app {
namespace {

struct MenuFixture : ::testing::Test {
    RollerBlindMenu menu;
    QStringList events;
    void SetUp() override {
        menu.resize(157, 350);
        QObject::connect(&menu, &RollerBlindMenu::headerClicked,
                         [this](int i) { events << QStringLiteral("click:%1").arg(i); });
        QObject::connect(&menu, &RollerBlindMenu::currentHeaderChanged,
                         [this](int i) { events << QStringLiteral("current:%1").arg(i); });
        for (const char* c : {"a", "b", "c"}) menu.addHeader(QString::fromUtf8(c));
        menu.setCurrentHeader(0);
        events.clear();
    }
    void click(int header) {
        QTest::mouseClick(&menu, Qt::LeftButton, {}, QPoint(30, menu.headerTop(header) + 3));
    }
};

TEST_F(MenuFixture, ClickReportsTheHeaderBeforeTheChange) {
    click(2);
    EXPECT_EQ(events, QStringList({"click:2", "current:2"}));
    events.clear();
    click(2);  // already current: only the click
    EXPECT_EQ(events, QStringList({"click:2"}));
}

TEST_F(MenuFixture, HeadersStackAboveAndBelowTheCurrentOne) {
    const int h = menu.headerHeight();
    EXPECT_EQ(menu.headerTop(0), 0);
    EXPECT_EQ(menu.headerTop(1), 350 - 2 * h);
    EXPECT_EQ(menu.headerTop(2), 350 - h);
    menu.setCurrentHeader(1);
    EXPECT_EQ(menu.headerTop(1), h);
    EXPECT_EQ(menu.headerAt(h + 1), 1);
    EXPECT_EQ(menu.headerAt(3 * h), -1);  // the open area
}

TEST_F(MenuFixture, OutOfRangeCurrentIsIgnoredAndClearResets) {
    menu.setCurrentHeader(3);
    menu.setCurrentHeader(-1);
    EXPECT_EQ(menu.currentHeader(), 0);
    EXPECT_TRUE(events.isEmpty());
    menu.clear();
    EXPECT_EQ(menu.currentHeader(), -1);
    EXPECT_EQ(menu.headerCount(), 0);
    EXPECT_EQ(events, QStringList({"current:-1"}));
    EXPECT_TRUE(menu.headerText(0).isEmpty());
}

TEST_F(MenuFixture, RightClickReportsTheHeaderOnly) {
    QSignalSpy spy(&menu, &RollerBlindMenu::headerRightClicked);
    QTest::mouseClick(&menu, Qt::RightButton, {}, QPoint(30, menu.headerTop(1) + 3));
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
    EXPECT_TRUE(events.isEmpty());
}

}  // namespace
}  // namespace hx::app
