#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>

#include "app/main_window_fixture.h"
#include "items/icon_text.h"
#include "items/item_actions.h"
#include "platform/icon_loader.h"
#include "platform/linux/linux_file_probe.h"

namespace hx::test {
namespace {

QAction* entry(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions())
        if (a->text() == text) return a;
    return nullptr;
}

TEST_F(MainWindowTest, ItemMenuEntriesOfTheActionsAreLive) {
    makeDatabase({"一"}, {{"一", "p", {"甲", "乙"}}});
    ASSERT_TRUE(startWindow());
    for (const char* text :
         {"删除", "查看路径", "复制路径", "属性", "浏览文件夹", "生成桌面快捷方式"}) {
        QAction* action = entry(window->itemMenu(), QString::fromUtf8(text));
        ASSERT_TRUE(action) << text;
        EXPECT_TRUE(action->isEnabled()) << text;
    }
    window->itemGrid()->setCurrentRow(0);
    dialogs.answers.enqueue(core::Answer::Yes);
    entry(window->itemMenu(), "删除")->trigger();
    EXPECT_EQ(dialogs.shown.last().text, "是否删除 甲 ?");
    EXPECT_EQ(gridTexts(), QStringList{"乙"});

    QDir().mkpath(temp.file("Desktop"));
    desktop.written.clear();  // the program's own launcher, laid at start-up
    window->itemGrid()->setCurrentRow(0);
    entry(window->itemMenu(), "生成桌面快捷方式")->trigger();
    EXPECT_EQ(dialogs.shown.last().text, "创建成功！");
    ASSERT_EQ(desktop.written.size(), 1);
    EXPECT_EQ(desktop.written[0].path, temp.file("Desktop") + "/乙.desktop");
}

TEST_F(MainWindowTest, FilesDroppedOnTheGridBecomeEntries) {
    makeDatabase({"一"}, {{"一", "p", {"甲"}}});
    // Real pictures, as the running program shows them.
    platform::LinuxFileProbe realProbe;
    core::Services real = services();
    real.probe = &realProbe;
    session = std::make_unique<core::Session>(root(), real, dialogs);
    runtime = std::make_unique<app::Runtime>(*session);
    window = std::make_unique<RecordingMainWindow>(*runtime);
    ASSERT_TRUE(window->start());
    settle();
    QTemporaryDir files;
    QFile(files.filePath("报告.txt")).open(QIODevice::WriteOnly);
    QDir(files.path()).mkdir("照片");

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(files.filePath("报告.txt")),
                  QUrl::fromLocalFile(files.filePath("照片"))});
    QWidget* target = window->itemGrid()->viewport();
    // A file manager offering to move is never told the files were moved.
    QDragEnterEvent moveOnly(QPoint(10, 10), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &moveOnly);
    EXPECT_FALSE(moveOnly.isAccepted());
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(QPoint(10, 10), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    for (int i = 0; i < 100 && gridTexts().size() < 3; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(gridTexts(), (QStringList{"甲", "报告", "照片"}));
    storage::ItemDatabase db;
    ASSERT_TRUE(db.open(root().databasePath()));
    const auto rows = db.itemsOf("一", "p");
    ASSERT_EQ(rows.value.size(), 3);
    EXPECT_EQ(rows.value[2].link, files.filePath("照片"));

    // The same grid again, as a reload shows it.
    catalogue().openColumnAt(0);
    settle();
    EXPECT_EQ(gridTexts(), (QStringList{"甲", "报告", "照片"}));

    // For the documentation: the item menu open over the grid.
    if (const QByteArray dir = qgetenv("HX_DOCS_DIR"); !dir.isEmpty()) {
        window->itemGrid()->setCurrentRow(1);
        QImage picture = window->grab().toImage();
        QMenu* menu = window->itemMenu();
        menu->adjustSize();
        const QImage popup = menu->grab().toImage();
        QImage canvas(qMax(picture.width(), 90 + popup.width()),
                      qMax(picture.height(), 160 + popup.height()), QImage::Format_ARGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        painter.drawImage(0, 0, picture);
        painter.drawImage(90, 160, popup);
        painter.end();
        EXPECT_TRUE(canvas.save(QString::fromLocal8Bit(dir) + "/item-menu.png"));
    }
}

}  // namespace
}  // namespace hx::test
