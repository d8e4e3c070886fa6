#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <functional>

#include "core/qt_dialogs.h"

namespace hx::core {
namespace {

// Hands the next message box to `look` once it is shown, then presses `key` in it.
void whenTheBoxShows(std::function<void(QMessageBox&)> look, Qt::Key key) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, look, key] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        look(*box);
        QTest::keyClick(box, key);
    });
    timer->start();
}

TEST(QtDialogs, EnterPressesTheDefaultButtonWhichIsNoWhenYesRemovesSomething) {
    QtDialogs dialogs;
    struct Case {
        const char* name;
        std::function<bool()> ask;
        QMessageBox::StandardButton expectedDefault;
    };
    const Case cases[] = {
        {"question", [&] { return dialogs.ask(QStringLiteral("是否创建？")); }, QMessageBox::Yes},
        {"removing question",
         [&] { return dialogs.askDestructive(QStringLiteral("是否清空所有的数据？")); },
         QMessageBox::No},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QMessageBox::StandardButton shownDefault = QMessageBox::NoButton;
        whenTheBoxShows(
            [&](QMessageBox& box) { shownDefault = box.standardButton(box.defaultButton()); },
            Qt::Key_Return);
        EXPECT_EQ(c.ask(), c.expectedDefault == QMessageBox::Yes);
        EXPECT_EQ(shownDefault, c.expectedDefault);
    }
}

// The input box's field takes no more than it is told, whatever is typed.
TEST(QtDialogs, TheInputFieldTakesAtMostItsLength) {
    QtDialogs dialogs;
    for (const int limit : {5, 0}) {
        SCOPED_TRACE(limit);
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer] {
            auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            auto* field = box ? box->findChild<QLineEdit*>() : nullptr;
            if (!field || !box->isVisible()) return;
            timer->stop();
            timer->deleteLater();
            QTest::keyClicks(field, QStringLiteral("abcdefgh"));
            QTest::keyClick(field, Qt::Key_Return);
        });
        timer->start();
        const auto text =
            dialogs.input(QStringLiteral("添加分类"), QStringLiteral("添加分类"), QString(), limit);
        EXPECT_EQ(text, limit ? QStringLiteral("abcde") : QStringLiteral("abcdefgh"));
    }
}

// "信息：" over "创建成功！" was cut to "信…" by the window manager.
TEST(QtDialogs, ShortBoxesAreWideEnoughForTheirTitle) {
    QtDialogs dialogs;
    int titleBar = 0;
    QFont font;
    auto widthWithTitle = [&](const QString& title) {
        int width = 0;
        whenTheBoxShows(
            [&](QMessageBox& box) {
                width = box.width();
                titleBar = box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box);
                font = box.font();
            },
            Qt::Key_Return);
        dialogs.notice(QStringLiteral("创建成功！"), title);
        return width;
    };
    const QString title = Dialogs::kDefaultTitle;
    const int plain = widthWithTitle(title);
    font.setBold(true);
    // The title, and beside it the window icon, three buttons and the margins
    // between them, each about as wide as the title bar is high.
    EXPECT_GE(plain, QFontMetrics(font).horizontalAdvance(title) + 5 * titleBar);
    EXPECT_GT(widthWithTitle(title + QStringLiteral("一个比正文长得多的标题")), plain);
}

}  // namespace
}  // namespace hx::core
