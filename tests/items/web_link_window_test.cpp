#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "items/item_window_fixture.h"
#include "items/web_link_window.h"

namespace hx::items {
namespace {

class WebLinkTest : public test::ItemWindowTest {
  protected:
    void SetUp() override {
        ItemWindowTest::SetUp();
        QGuiApplication::clipboard()->clear();
    }
    void add(WebLinkWindow& w, const QString& name, const QString& address) {
        w.controls().name->setText(name);
        w.controls().address->setText(address);
        QTest::mouseClick(w.controls().add, Qt::LeftButton);
    }
};

TEST_F(WebLinkTest, DesignLayoutTextsAndPlace) {
    WebLinkWindow w(*session, *catalogue, panel);
    const WebLinkWindow::Controls& c = w.controls();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("添加超链接"));
    expectFixed(w, QSize(377, 125));
    EXPECT_EQ(w.pos(), panel + QPoint(-120, 85));
    expectPlaced(w, {{"nameLabel", {8, 11, 32, 16}},
                     {"nameBox", {40, 8, 256, 24}},
                     {"addressLabel", {8, 51, 32, 16}},
                     {"addressBox", {40, 48, 256, 24}},
                     {"addButton", {304, 8, 56, 64}}});
    EXPECT_EQ(c.nameLabel->text(), QStringLiteral("标题："));
    EXPECT_EQ(c.addressLabel->text(), QStringLiteral("地址："));
    EXPECT_EQ(c.add->text(), QStringLiteral("添加"));
    w.controls().name->setText(QStringLiteral("百度"));
    w.controls().address->setText(QStringLiteral("http://www.baidu.com"));
    w.grab().save(picturePath(QStringLiteral("web-link.png")));
}

TEST_F(WebLinkTest, ClipboardPrefillsOnlyPlainHttp) {
    const struct {
        QString clip;
        QString expected;
    } cases[] = {
        {QStringLiteral("http://example.test/a b?x=1"),
         QStringLiteral("http://example.test/a b?x=1")},
        {QStringLiteral("https://example.test/"), QString()},
        {QStringLiteral(" http://example.test/"), QString()},
        {QStringLiteral("HTTP://example.test/"), QString()},
        {QStringLiteral("http:/x"), QString()},
    };
    for (const auto& c : cases) {
        QGuiApplication::clipboard()->setText(c.clip);
        WebLinkWindow w(*session, *catalogue, panel);
        EXPECT_EQ(w.controls().address->text(), c.expected) << c.clip.toStdString();
    }
}

TEST_F(WebLinkTest, AddsStoreAndShowEachLinkAndTheWindowStays) {
    WebLinkWindow w(*session, *catalogue, panel);
    w.show();
    add(w, QStringLiteral("它's \"站\""), QStringLiteral("example.test/路径"));
    add(w, QStringLiteral("它's \"站\""), QStringLiteral("example.test/路径"));  // twice: two items
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.controls().name->text(), QStringLiteral("它's \"站\""));
    EXPECT_EQ(w.controls().address->text(), QStringLiteral("example.test/路径"));
    const auto rows = stored();
    ASSERT_EQ(rows.size(), 2);
    for (const auto& row : rows) {
        EXPECT_EQ(row.name, QStringLiteral("它's \"站\""));
        EXPECT_EQ(row.link, QStringLiteral("@example.test/路径"));
        EXPECT_EQ(row.icon, QStringLiteral("@IE"));
        EXPECT_EQ(row.category, category);
        EXPECT_EQ(row.column, column);
    }
    EXPECT_EQ(rowNames(),
              QStringList({QStringLiteral("它's \"站\""), QStringLiteral("它's \"站\"")}));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(WebLinkTest, RefusalsStoreNothing) {
    WebLinkWindow w(*session, *catalogue, panel);
    add(w, QString(), QStringLiteral("http://a.test"));
    add(w, QStringLiteral("名"), QString());
    EXPECT_TRUE(dialogs.shown.isEmpty());  // empty boxes: silent

    for (const QString& address :
         {QStringLiteral("\r\nhttp://a.test"), QStringLiteral("http://a\r\n.test"),
          QStringLiteral("http://a.test\n"), QStringLiteral("http://a\r.test")}) {
        dialogs.shown.clear();
        add(w, QStringLiteral("名"), address);
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("地址中不能够含有换行符！"));
        EXPECT_EQ(dialogs.shown[0].icon, core::MessageIcon::Information);
    }

    // No column in the category: the entry could never be shown.
    ASSERT_TRUE(db().deleteColumn(category, column));
    ASSERT_TRUE(db().deleteColumn(category, QStringLiteral("其他")));
    show();
    dialogs.shown.clear();
    add(w, QStringLiteral("名"), QStringLiteral("http://a.test"));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("请添加栏目！"));

    EXPECT_TRUE(stored().isEmpty());
    EXPECT_TRUE(rowNames().isEmpty());
    const auto all = db().searchNames(QString());
    EXPECT_TRUE(all.value.isEmpty());
}

TEST_F(WebLinkTest, AStoreTheDatabaseRefusesIsNotShown) {
    WebLinkWindow w(*session, *catalogue, panel);
    add(w, QString(300, u'名'), QStringLiteral("http://a.test"));  // longer than the column allows
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_TRUE(rowNames().isEmpty());
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].icon, core::MessageIcon::Error);
}

}  // namespace
}  // namespace hx::items
