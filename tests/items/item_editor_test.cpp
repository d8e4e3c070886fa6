#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include "items/current_item.h"
#include "items/item_editor.h"
#include "items/item_window_fixture.h"

namespace hx::items {
namespace {

using test::ItemWindowTest;

class ItemEditorTest : public ItemWindowTest {
  protected:
    void SetUp() override {
        ItemWindowTest::SetUp();
        addItem(QStringLiteral("记事本"), QStringLiteral("/usr/bin/gedit"), QStringLiteral("$2"));
        addItem(QStringLiteral("网页"), QStringLiteral("@http://a.test"),
                QStringLiteral("@$超链接$@@IE@$超链接$@"));
        addItem(QStringLiteral("第三"), QStringLiteral("c"), QStringLiteral("$9999"));
    }

    std::unique_ptr<ItemEditor> open(int selected) {
        catalogue->setSelectedRow(selected);
        return std::make_unique<ItemEditor>(*session, *catalogue, panel);
    }
};

TEST_F(ItemEditorTest, DesignLayoutTextsAndPlace) {
    auto editor = open(1);
    const ItemEditor::Controls& c = editor->controls();
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("修改资料"));
    expectFixed(*editor, QSize(329, 206));
    EXPECT_EQ(editor->pos(), panel + QPoint(-60, 85));
    expectPlaced(*editor, {{"titleLabel", {8, 8, 40, 24}},
                           {"titleBox", {48, 8, 184, 20}},
                           {"linkLabel", {8, 56, 40, 24}},
                           {"linkBox", {48, 53, 224, 20}},
                           {"iconLabel", {8, 99, 40, 24}},
                           {"iconBox", {48, 96, 224, 20}},
                           {"preview", {235, 8, 40, 40}},
                           {"systemFunctionBox", {275, 56, 17, 17}},
                           {"linkBrowseButton", {299, 56, 16, 19}},
                           {"smallIconBox", {276, 99, 17, 17}},
                           {"iconBrowseButton", {300, 99, 16, 19}},
                           {"helpButton", {64, 136, 64, 24}},
                           {"okButton", {136, 136, 64, 24}},
                           {"cancelButton", {208, 136, 64, 24}}});
    EXPECT_EQ(c.titleLabel->text(), QStringLiteral("标题："));
    EXPECT_EQ(c.linkLabel->text(), QStringLiteral("链接："));
    EXPECT_EQ(c.iconLabel->text(), QStringLiteral("图标："));
    EXPECT_EQ(c.help->text(), QStringLiteral("关 联"));
    EXPECT_EQ(c.ok->text(), QStringLiteral("确 定"));
    EXPECT_EQ(c.cancel->text(), QStringLiteral("取 消"));
    EXPECT_EQ(c.systemBox->toolTip(), QStringLiteral("设置系统功能"));
    EXPECT_EQ(c.linkBrowse->toolTip(), QStringLiteral("设置链接"));
    EXPECT_EQ(c.smallIcon->toolTip(), QStringLiteral("选择图标"));
    EXPECT_EQ(c.iconBrowse->toolTip(), QStringLiteral("浏览图标"));
    // Our own 17 x 17 bitmaps are there (a missing resource gives a null picture).
    EXPECT_EQ(c.systemBox->pixmap().size(), QSize(17, 17));
    EXPECT_FALSE(c.linkBrowse->icon().isNull());
    EXPECT_FALSE(c.iconBrowse->icon().isNull());
    editor->grab().save(picturePath(QStringLiteral("item-editor.png")));
}

TEST_F(ItemEditorTest, OpensOnTheSelectedRowWithTheMarkerRemoved) {
    // Renamed behind the shown column: the box takes the name the grid shows.
    ASSERT_TRUE(db().updateItemAt(
        category, column, 1,
        {category, column, QStringLiteral("改过"), QStringLiteral("@http://a.test"),
         QStringLiteral("@$超链接$@@IE@$超链接$@")}));
    auto editor = open(1);
    const ItemEditor::Controls& c = editor->controls();
    EXPECT_EQ(c.title->text(), QStringLiteral("网页"));
    EXPECT_EQ(c.link->text(), QStringLiteral("@http://a.test"));
    EXPECT_EQ(c.icon->text(), QStringLiteral("@IE"));
    // "@IE" is the web-link picture: preview and small box both show it.
    EXPECT_FALSE(c.preview->pixmap().isNull());
    EXPECT_FALSE(c.smallIcon->pixmap().isNull());

    auto none = open(2);  // "$9999" names no system icon: both stay empty
    EXPECT_TRUE(none->controls().preview->pixmap().isNull());
    EXPECT_TRUE(none->controls().smallIcon->pixmap().isNull());
}

TEST_F(ItemEditorTest, OkWritesTheRowSelectedNowReloadsAndCloses) {
    auto editor = open(0);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<ItemEditor> alive(editor.get());
    editor->show();
    const ItemEditor::Controls& c = editor->controls();
    c.title->setText(QStringLiteral("O'Brien \"x\" 100%_;"));
    c.link->setText(QString());
    c.icon->setText(QString());
    catalogue->setSelectedRow(2);  // the user picked another entry meanwhile
    QTest::mouseClick(c.ok, Qt::LeftButton);
    editor.release();  // deleted on close

    const auto rows = stored();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].name, QStringLiteral("记事本"));  // the entry it opened on is untouched
    EXPECT_EQ(rows[2].name, QStringLiteral("O'Brien \"x\" 100%_;"));
    EXPECT_EQ(rows[2].link, QString());
    EXPECT_EQ(rows[2].icon, QString());
    EXPECT_EQ(rows[2].category, category);
    EXPECT_EQ(rows[2].column, column);
    EXPECT_EQ(rowNames().value(2), rows[2].name);  // the grid shows it at once
    QCoreApplication::processEvents();
    EXPECT_TRUE(alive.isNull());
}

// The title takes what the database stores; a link or icon text is never cut
// (a cut one would lead elsewhere): one too long is refused in the user's words.
TEST_F(ItemEditorTest, TheTitleTakesTheDesignedLengthALongLinkIsRefused) {
    auto editor = open(0);
    editor->show();
    const ItemEditor::Controls& c = editor->controls();
    c.title->clear();
    QTest::keyClicks(c.title, QString(260, u'x'));
    EXPECT_EQ(c.title->text(), QString(255, u'x'));
    c.link->setText(QString(300, u'l'));
    QTest::mouseClick(c.ok, Qt::LeftButton);
    EXPECT_EQ(stored().value(0).name, QStringLiteral("记事本"));
    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_TRUE(dialogs.shown.last().text.startsWith(QStringLiteral("文字太长，未能保存")));
}

TEST_F(ItemEditorTest, OkWritesNothingWhenTheRowIsGone) {
    auto editor = open(2);
    editor->controls().title->setText(QStringLiteral("新名字"));
    // Deleted elsewhere: the grid still points past the end of the column.
    ASSERT_TRUE(db().deleteItemAt(category, column, 2));
    const auto before = stored();
    editor->confirm();
    EXPECT_EQ(stored(), before);

    auto other = open(0);
    other->controls().title->setText(QStringLiteral("新名字"));
    catalogue->setSelectedRow(-1);  // the selection went away
    other->confirm();
    EXPECT_EQ(stored(), before);
    // Nothing unreachable may produce a message either.
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(ItemEditorTest, CancelAndBrowseAndHelp) {
    auto editor = open(0);
    const ItemEditor::Controls& c = editor->controls();

    dialogs.files << QStringLiteral("/opt/程序/a b.sh") << QString() << QStringLiteral("/x.ico");
    QTest::mouseClick(c.linkBrowse, Qt::LeftButton);
    EXPECT_EQ(c.link->text(), QStringLiteral("/opt/程序/a b.sh"));
    QTest::mouseClick(c.linkBrowse, Qt::LeftButton);  // cancelled: unchanged
    EXPECT_EQ(c.link->text(), QStringLiteral("/opt/程序/a b.sh"));
    QTest::mouseClick(c.iconBrowse, Qt::LeftButton);
    EXPECT_EQ(c.icon->text(), QStringLiteral("/x.ico"));

    QTest::mouseClick(c.help, Qt::LeftButton);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text,
              QStringLiteral("图标：\r\n$/-调用系统相关图标-\r\n@/网址链接图标-\r\n链接：\r\n"
                             "$/-调用系统相关命令-\r\n@/网址链接-"));
    EXPECT_EQ(dialogs.shown[0].icon, core::MessageIcon::Information);
    EXPECT_EQ(dialogs.shown[0].title, core::Dialogs::kDefaultTitle);

    const auto before = stored();
    QSignalSpy changes(catalogue.get(), &core::Catalogue::rowChanged);
    QTest::mouseClick(c.cancel, Qt::LeftButton);
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(ItemEditorTest, PickedIconIsStoredAndTypedTextIsReplaced) {
    auto editor = open(0);
    const ItemEditor::Controls& c = editor->controls();
    c.title->setText(QStringLiteral("未保存"));
    editor->applyPickedIcon(QStringLiteral("@IE"));
    EXPECT_EQ(stored()[0].icon, QStringLiteral("@IE"));
    EXPECT_EQ(stored()[0].name, QStringLiteral("记事本"));
    EXPECT_EQ(c.title->text(), QStringLiteral("记事本"));
    EXPECT_EQ(c.icon->text(), QStringLiteral("@IE"));
    EXPECT_FALSE(c.preview->pixmap().isNull());
    EXPECT_EQ(catalogue->selectedRow(), 0);
}

TEST_F(ItemEditorTest, PictureBoxesAskForThePickers) {
    auto withPicture = open(1);
    QSignalSpy system(withPicture.get(), &ItemEditor::systemPickerRequested);
    QSignalSpy icon(withPicture.get(), &ItemEditor::iconPickerRequested);
    QTest::mouseClick(withPicture->controls().systemBox, Qt::LeftButton);
    QTest::mouseClick(withPicture->controls().smallIcon, Qt::LeftButton);
    EXPECT_EQ(system.count(), 1);
    EXPECT_EQ(icon.count(), 1);

    // No picture in the small box: no icon picker.
    auto without = open(2);
    QSignalSpy none(without.get(), &ItemEditor::iconPickerRequested);
    QTest::mouseClick(without->controls().smallIcon, Qt::LeftButton);
    EXPECT_EQ(none.count(), 0);
}

TEST_F(ItemEditorTest, HoverBordersFollowTheMouse) {
    auto editor = open(1);
    const ItemEditor::Controls& c = editor->controls();
    const auto move = [](QWidget* w) {
        QMouseEvent e(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    };
    move(editor.get());
    EXPECT_EQ(c.smallIcon->frameShape(), QFrame::Box);
    EXPECT_EQ(c.systemBox->frameShape(), QFrame::Box);
    move(c.smallIcon);
    EXPECT_EQ(c.smallIcon->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(c.systemBox->frameShape(), QFrame::Box);
    move(editor.get());
    EXPECT_EQ(c.smallIcon->frameShape(), QFrame::Box);
}

TEST(CurrentItem, ProgramSourceOfAnIconText) {
    EXPECT_EQ(programIconSource(QStringLiteral("/usr/lib/a.dll[3]")),
              QStringLiteral("/usr/lib/a.dll"));
    EXPECT_EQ(programIconSource(QStringLiteral("/a[1]/b.exe[12]")), QStringLiteral("/a[1]/b.exe"));
    EXPECT_EQ(programIconSource(QStringLiteral("/usr/bin/x")), QStringLiteral("/usr/bin/x"));
    EXPECT_EQ(programIconSource(QStringLiteral("no-bracket]")), QString());
    EXPECT_EQ(programIconSource(QStringLiteral("a[2] ")), QStringLiteral("a[2] "));
}

}  // namespace
}  // namespace hx::items
