#include <gtest/gtest.h>

#include <QCursor>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

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

TEST_F(MenuFixture, AHeaderRightClickedIsNoLongerHotOnceItsMenuIsGone) {
    // The menu holds the mouse while open: the pointer leaves without a leave event.
    QObject::connect(&menu, &RollerBlindMenu::headerRightClicked,
                     [this] { QCursor::setPos(menu.mapToGlobal(QPoint(500, 500))); });
    menu.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    const QPoint at(30, menu.headerTop(1) + 3);
    QTest::mouseMove(&menu, at);
    ASSERT_EQ(menu.hotHeader(), 1);
    QTest::mouseClick(&menu, Qt::RightButton, {}, at);
    EXPECT_EQ(menu.hotHeader(), -1);
}

// More columns than fit (an edited or restored database): the open header,
// its neighbours and the open area stay on the menu, and the wheel reaches
// the rest.
TEST_F(MenuFixture, MoreColumnsThanFitKeepTheOpenColumnInView) {
    menu.clear();
    for (int i = 0; i < 100; ++i) menu.addHeader(QString::number(i));
    for (const int current : {0, 50, 99}) {
        menu.setCurrentHeader(current);
        const QRect open = menu.openArea();
        EXPECT_GE(open.height(), 3 * 36) << current;  // three entries at least
        EXPECT_TRUE(menu.rect().contains(open)) << current;
        const int top = menu.headerTop(current);
        ASSERT_GE(top, 0) << current;
        EXPECT_EQ(open.top(), top + menu.headerHeight()) << current;
        EXPECT_EQ(menu.headerAt(top + 1), current) << current;
        for (int i = menu.firstShown(); i <= menu.lastShown(); ++i) {
            EXPECT_GE(menu.headerTop(i), 0) << i;
            EXPECT_LE(menu.headerTop(i) + menu.headerHeight(), menu.height()) << i;
        }
        EXPECT_LE(menu.firstShown(), current);
        EXPECT_GE(menu.lastShown(), current);
    }
    menu.setCurrentHeader(50);
    events.clear();
    QWheelEvent down(QPointF(30, 5), menu.mapToGlobal(QPointF(30, 5)), {}, {0, -120}, Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&menu, &down);
    EXPECT_EQ(events, QStringList({"click:51", "current:51"}));
}

TEST_F(MenuFixture, HotCaptionStaysReadableOnTheDefaultBlackFill) {
    menu.setColours(Qt::black, Qt::black, Qt::black, Qt::black);
    menu.show();
    QTest::mouseMove(&menu, QPoint(30, menu.headerTop(1) + 5));
    ASSERT_EQ(menu.hotHeader(), 1);
    const QImage picture = menu.grab().toImage();
    const QRect inner(6, menu.headerTop(1) + 2, menu.width() - 12, menu.headerHeight() - 4);
    int light = 0;
    for (int y = inner.top(); y <= inner.bottom(); ++y)
        for (int x = inner.left(); x <= inner.right(); ++x)
            if (qGray(picture.pixel(x, y)) > 128) ++light;
    EXPECT_GT(light, 3) << "the caption vanished into its fill";
    EXPECT_EQ(RollerBlindMenu::captionColourOn(QColor(250, 240, 200)), QColor(Qt::black));
}

TEST_F(MenuFixture, RemovingAHeaderKeepsTheCurrentOneWherePossible) {
    menu.setCurrentHeader(1);
    events.clear();
    menu.removeHeader(0);  // the open column moves up with its header
    EXPECT_EQ(menu.currentHeader(), 0);
    EXPECT_EQ(menu.headerText(0), "b");
    menu.removeHeader(0);  // the open one itself: the last one left opens
    EXPECT_EQ(menu.currentHeader(), 0);
    EXPECT_EQ(menu.headerText(0), "c");
    menu.setHeaderText(0, QStringLiteral("新"));
    EXPECT_EQ(menu.headerText(0), QStringLiteral("新"));
    menu.removeHeader(0);
    EXPECT_EQ(menu.currentHeader(), -1);
    EXPECT_EQ(events.last(), "current:-1");
}

}  // namespace
}  // namespace hx::app

namespace hx::app {
namespace {

// Before the stored colours arrive (never, when the database cannot be
// opened) the menu wears the palette's, not black.
TEST(RollerBlindMenuColours, UnsetColoursComeFromThePalette) {
    RollerBlindMenu menu;
    menu.resize(157, 350);
    menu.addHeader(QStringLiteral("文档"));
    const QImage picture = menu.grab().toImage();
    int black = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (qGray(picture.pixel(x, y)) < 16) ++black;
    EXPECT_LT(black, 200) << "only the caption's text may be dark";
    EXPECT_EQ(picture.pixelColor(80, 300), menu.palette().color(QPalette::Window));
}

}  // namespace
}  // namespace hx::app
