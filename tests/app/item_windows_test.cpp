#include <QAction>
#include <QSignalSpy>
#include <QTest>

#include "app/item_grid.h"
#include "items/icon_picker.h"
#include "items/item_editor.h"
#include "items/system_picker.h"
#include "items/web_link_window.h"
#include "main_window_fixture.h"
#include "platform/icon_test_bytes.h"

namespace hx::test {
namespace {

class ItemWindowsTest : public MainWindowTest {
  protected:
    QAction* entry(const QString& text) {
        for (QAction* a : window->itemMenu()->actions())
            if (a->text() == text) return a;
        return nullptr;
    }
    template <class W>
    int openCount() {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<W*>(w) && !w->testAttribute(Qt::WA_WState_Hidden)) ++n;
        return n;
    }
    void start() {
        makeDatabase({"一"}, {{"一", "p", {"甲", "乙"}}});
        ASSERT_TRUE(startWindow());
    }
    storage::ItemRow row(int index) {
        return *session->database().itemAt(QStringLiteral("一"), QStringLiteral("p"), index).value;
    }
};

TEST_F(ItemWindowsTest, MenuEntriesOpenEachWindowOnce) {
    start();
    for (const char* text : {"修改资料", "添加超链接", "添加系统功能"})
        ASSERT_NE(entry(QString::fromUtf8(text)), nullptr) << text;
    EXPECT_TRUE(entry(QStringLiteral("修改资料"))->isEnabled());

    window->itemGrid()->clearSelection();
    entry(QStringLiteral("修改资料"))->trigger();  // no selection: nothing opens
    EXPECT_EQ(window->windows().window(QStringLiteral("item editor")), nullptr);

    window->itemGrid()->setCurrentRow(1);
    for (int i = 0; i < 2; ++i) {
        entry(QStringLiteral("修改资料"))->trigger();
        entry(QStringLiteral("添加超链接"))->trigger();
        entry(QStringLiteral("添加系统功能"))->trigger();
    }
    EXPECT_EQ(openCount<items::ItemEditor>(), 1);
    EXPECT_EQ(openCount<items::WebLinkWindow>(), 1);
    EXPECT_EQ(openCount<items::SystemPicker>(), 1);
    auto* editor = window->windows().find<items::ItemEditor>(QStringLiteral("item editor"));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->controls().title->text(), QStringLiteral("乙"));

    // The editor's system-function box reaches the same single picker.
    QTest::mouseClick(editor->controls().systemBox, Qt::LeftButton);
    EXPECT_EQ(openCount<items::SystemPicker>(), 1);
    window->windows().closeAll();
}

TEST_F(ItemWindowsTest, EditorOkShowsTheNewNameInTheGrid) {
    start();
    window->itemGrid()->setCurrentRow(0);
    window->windows().openItemEditor();
    auto* editor = window->windows().find<items::ItemEditor>(QStringLiteral("item editor"));
    ASSERT_NE(editor, nullptr);
    editor->controls().title->setText(QStringLiteral("丙"));
    QTest::mouseClick(editor->controls().ok, Qt::LeftButton);
    settle();
    EXPECT_EQ(gridTexts(), QStringList({"丙", "乙"}));
    EXPECT_EQ(row(0).name, QStringLiteral("丙"));
}

TEST_F(ItemWindowsTest, IconPickedInThePickerReachesTheRowAndTheEditor) {
    start();
    const QString ico = temp.file(QStringLiteral("two.ico"));
    ASSERT_TRUE(temp.write(QStringLiteral("two.ico"),
                           toQByteArray(icoFile({{32, 32, solidImage(32, 0xFFFF0000)},
                                                 {32, 32, solidImage(32, 0xFF00FF00)}}))));
    window->itemGrid()->setCurrentRow(1);
    window->windows().openItemEditor();
    auto* editor = window->windows().find<items::ItemEditor>(QStringLiteral("item editor"));
    ASSERT_NE(editor, nullptr);
    editor->controls().title->setText(QStringLiteral("未保存"));
    window->windows().openIconPicker();
    auto* picker = window->windows().find<items::IconPicker>(QStringLiteral("icon picker"));
    ASSERT_NE(picker, nullptr);
    dialogs.files << ico;
    picker->browse();
    // The picker's own first load may still be finishing when the browse starts.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !picker->isLoading() && picker->controls().icons->count() == 2; }, 10000));
    picker->activate(1);
    EXPECT_EQ(row(1).icon, ico + QStringLiteral("[1]"));
    EXPECT_EQ(editor->controls().icon->text(), ico + QStringLiteral("[1]"));
    EXPECT_EQ(editor->controls().title->text(), QStringLiteral("乙"));
    window->windows().closeAll();
}

TEST_F(ItemWindowsTest, WebLinksAndSystemFunctionsLineUpWithTheirRows) {
    start();
    window->windows().openWebLinkWindow();
    auto* web = window->windows().find<items::WebLinkWindow>(QStringLiteral("web link"));
    ASSERT_NE(web, nullptr);
    web->controls().name->setText(QStringLiteral("网"));
    web->controls().address->setText(QStringLiteral("http://a.test"));
    web->addLink();
    EXPECT_EQ(gridTexts(), QStringList({"甲", "乙", "网"}));
    EXPECT_EQ(row(2).link, QStringLiteral("@http://a.test"));

    window->windows().openSystemPicker();
    auto* picker = window->windows().find<items::SystemPicker>(QStringLiteral("system picker"));
    ASSERT_NE(picker, nullptr);
    picker->addFunction(1);
    settle();
    EXPECT_EQ(gridTexts(), QStringList({"甲", "乙", "网", "我的电脑"}));
    EXPECT_EQ(row(3).link,
              QStringLiteral("&Explorer.exe /n,::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"));
    window->windows().closeAll();
}

}  // namespace
}  // namespace hx::test
