#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "app/category_toolbar.h"
#include "app/item_grid.h"
#include "app/main_window.h"
#include "app/roller_blind_menu.h"
#include "app/runtime.h"
#include "app/status_bar.h"
#include "appearance/data_commands.h"
#include "appearance/settings_window.h"
#include "core/catalogue.h"
#include "core/session.h"
#include "core/sync_engine.h"
#include "storage/ini_file.h"
#include "support/session_fixture.h"

namespace hx::test {
namespace {

// One panel over a data root of its own, as the program builds it.
struct Panel {
    TempRoot temp;
    FakeDialogs dialogs;
    FakeServices fakes{temp.file(QStringLiteral("Desktop"))};
    std::unique_ptr<core::Session> session;
    std::unique_ptr<app::Runtime> runtime;
    std::unique_ptr<app::MainWindow> window;

    explicit Panel(const QString& folder) {
        EXPECT_TRUE(storage::ItemDatabase::createEmpty(temp.root().databasePath()));
        if (!folder.isEmpty()) storage::Config(temp.root()).setSyncFolder(folder);
    }
    ~Panel() {
        if (runtime) runtime->catalogue().finishLoading();
        window.reset();
        runtime.reset();
        session.reset();
    }
    void start() {
        session = std::make_unique<core::Session>(temp.root(), fakes.services(), dialogs);
        session->state().setClockDefaults();
        runtime = std::make_unique<app::Runtime>(*session);
        window = std::make_unique<app::MainWindow>(*runtime);
        ASSERT_TRUE(window->start());
    }
    core::Catalogue& catalogue() const { return runtime->catalogue(); }
    core::SyncEngine& sync() const { return runtime->sync(); }
    QStringList grid() const {
        catalogue().finishLoading();
        QStringList texts;
        for (int i = 0; i < window->itemGrid()->count(); ++i)
            texts << window->itemGrid()->entryText(i);
        return texts;
    }
};

// Runs both panels' rounds until `done` holds (a sync tool's delivery is the
// file appearing in the shared folder at once).
template <class F>
bool until(Panel& a, Panel& b, F done) {
    return QTest::qWaitFor(
        [&] {
            a.sync().waitForIdle();
            b.sync().waitForIdle();
            return done();
        },
        20000);
}

class SyncPanels : public ::testing::Test {
  protected:
    QTemporaryDir folder;
    Panel a{folder.path()};
    Panel b{folder.path()};

    void SetUp() override {
        storage::ItemDatabase db;
        ASSERT_TRUE(db.open(a.temp.root().databasePath()));
        ASSERT_TRUE(db.addCategory("常用", "Folder.bmp"));
        ASSERT_TRUE(db.addColumn("常用", "文件夹"));
        ASSERT_TRUE(db.addItem({"常用", "文件夹", "根目录", "/", "/"}));
        db.close();
        a.start();
        b.start();
        ASSERT_TRUE(until(a, b, [&] { return b.grid() == QStringList{"根目录"}; }));
    }
};

TEST_F(SyncPanels, AddRenameAndDeleteShowOnTheOtherPanel) {
    EXPECT_EQ(b.window->categoryToolbar()->buttonCount(), 1);
    ASSERT_EQ(a.catalogue().addItems({{"常用", "文件夹", "文档", "/srv", "/srv"}}),
              QVector<bool>{true});
    ASSERT_TRUE(until(a, b, [&] {
        return b.grid() == QStringList{"根目录", "文档"};
    })) << b.grid().join(u',').toStdString();

    ASSERT_TRUE(a.catalogue().updateItem(1, [](storage::ItemRow& r) { r.name = "资料"; }));
    ASSERT_TRUE(until(a, b, [&] { return b.grid() == QStringList{"根目录", "资料"}; }));
    ASSERT_TRUE(a.catalogue().renameColumn(0, "目录"));
    ASSERT_TRUE(until(a, b, [&] { return b.catalogue().columns() == QStringList{"目录"}; }));
    EXPECT_EQ(b.grid(), (QStringList{"根目录", "资料"})) << "a rename keeps the entries";

    ASSERT_TRUE(b.catalogue().removeItem(0));
    ASSERT_TRUE(until(a, b, [&] { return a.grid() == QStringList{"资料"}; }));
    EXPECT_EQ(a.catalogue().openColumnName(), "目录");
}

// "清空数据" keeps the folder, and empties the other panel too.
TEST_F(SyncPanels, AClearReachesTheOtherPanel) {
    a.dialogs.answers.enqueue(core::Answer::Yes);
    ASSERT_TRUE(appearance::clearDatabase(*a.session, a.catalogue()));
    EXPECT_EQ(a.session->config().syncFolder(), folder.path());
    ASSERT_TRUE(until(a, b, [&] { return b.catalogue().categoryCount() == 0; }));
    EXPECT_TRUE(b.grid().isEmpty());
}

TEST_F(SyncPanels, WhatDoesNotFitIsSaidInTheStatusBar) {
    for (int i = 1; i < 9; ++i) ASSERT_TRUE(b.catalogue().addColumn(QStringLiteral("乙%1").arg(i)));
    ASSERT_TRUE(until(a, b, [&] { return a.catalogue().columnCount() == 9; }));
    // A tenth on each, where the other cannot see it yet.
    a.sync().setFolder(QString());
    ASSERT_TRUE(a.catalogue().addColumn("甲"));
    ASSERT_TRUE(b.catalogue().addColumn("丙"));
    b.sync().waitForIdle();
    a.sync().setFolder(folder.path());
    ASSERT_TRUE(until(a, b, [&] {
        return a.window->statusBar()->text(0) == QStringLiteral("同步：1项未显示") &&
               b.window->statusBar()->text(0) == QStringLiteral("同步：1项未显示");
    })) << a.window->statusBar()->text(0).toStdString();
    EXPECT_EQ(a.catalogue().columns(), b.catalogue().columns());
    EXPECT_EQ(a.catalogue().columnCount(), 10);
    EXPECT_TRUE(a.window->statusBar()->findChildren<QLabel*>().at(0)->toolTip().contains(
        QStringLiteral("已有10个栏目")));
}

// For a user without a sync service: the same file through the data page.
TEST(SyncDataPage, ExportThenImportOnAThirdRootGivesTheSameCatalogue) {
    QTemporaryDir files;
    Panel a{QString()};
    {
        storage::ItemDatabase db;
        ASSERT_TRUE(db.open(a.temp.root().databasePath()));
        ASSERT_TRUE(db.addCategory("常用", "Folder.bmp"));
        ASSERT_TRUE(db.addColumn("常用", "文件夹"));
        ASSERT_TRUE(db.addColumn("常用", "网页"));
        ASSERT_TRUE(db.addItem({"常用", "文件夹", "根目录", "/", "/"}));
        ASSERT_TRUE(db.addItem({"常用", "网页", "搜索", "https://www.bing.com/", "@IE"}));
    }
    a.start();
    appearance::SettingsWindow page(*a.session, a.catalogue(), {}, &a.sync());
    const QString file = files.filePath(QStringLiteral("目录.hxsync"));
    a.dialogs.savePaths.enqueue(file);
    page.exportCatalogue();
    a.sync().waitForIdle();
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(a.dialogs.shown.last().text, "导出成功！");

    Panel c{QString()};
    c.start();
    appearance::SettingsWindow third(*c.session, c.catalogue(), {}, &c.sync());
    // A file cut short is refused and changes nothing.
    QFile whole(file);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QString cut = files.filePath(QStringLiteral("cut.hxsync"));
    QFile cutFile(cut);
    ASSERT_TRUE(cutFile.open(QIODevice::WriteOnly));
    cutFile.write(bytes.left(bytes.size() / 2));
    cutFile.close();
    c.dialogs.files.enqueue(cut);
    third.importCatalogue();
    c.sync().waitForIdle();
    EXPECT_EQ(c.dialogs.shown.last().icon, core::MessageIcon::Error);
    EXPECT_EQ(c.catalogue().categoryCount(), 0);

    c.dialogs.files.enqueue(file);
    third.importCatalogue();
    c.sync().waitForIdle();
    EXPECT_EQ(c.dialogs.shown.last().text, "导入完成！");
    storage::ItemDatabase& from = a.session->database();
    storage::ItemDatabase& to = c.session->database();
    EXPECT_EQ(to.categories().value, from.categories().value);
    for (const QString& column : {QStringLiteral("文件夹"), QStringLiteral("网页")})
        EXPECT_EQ(to.itemsOf("常用", column).value, from.itemsOf("常用", column).value);
    EXPECT_EQ(to.columnsOf("常用").value, from.columnsOf("常用").value);
    EXPECT_EQ(c.catalogue().categories(), QStringList{"常用"});
}

TEST(SyncDataPage, TheChosenFolderIsStoredRelativeToTheHomeFolder) {
    Panel a{QString()};
    a.start();
    appearance::SettingsWindow page(*a.session, a.catalogue(), {}, &a.sync());
    const QString inHome = QDir::homePath() + QStringLiteral("/同步/工具箱");
    a.dialogs.folders.enqueue(inHome);
    page.chooseSyncFolder();
    EXPECT_EQ(storage::IniFile::read(a.temp.root().configPath(), "同步", "文件夹"),
              "~/同步/工具箱");
    EXPECT_EQ(page.controls().syncFolder->text(), "~/同步/工具箱");
    // Emptied: no sync.
    page.controls().syncFolder->clear();
    emit page.controls().syncFolder->editingFinished();
    EXPECT_TRUE(a.sync().folder().isEmpty());
    EXPECT_FALSE(storage::IniFile::find(a.temp.root().configPath(), "同步", "文件夹").has_value());
}

}  // namespace
}  // namespace hx::test
