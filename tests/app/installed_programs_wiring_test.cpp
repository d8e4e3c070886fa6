#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include "app/main_window_fixture.h"
#include "app/quick_open.h"
#include "items/installed_programs_window.h"
#include "platform/installed_apps.h"
#include "support/scoped_env.h"

namespace hx::test {
namespace {

// A main window over an empty catalogue, and the desktop's applications in a
// temporary $XDG_DATA_DIRS.
class InstalledProgramsWiringTest : public MainWindowTest {
  protected:
    QTemporaryDir data;
    ScopedEnv home{"XDG_DATA_HOME", data.filePath(QStringLiteral("home")).toUtf8()};
    ScopedEnv dirs{"XDG_DATA_DIRS", data.filePath(QStringLiteral("system")).toUtf8()};

    QString install(const char* file, const QByteArray& name) {
        const QString folder = data.filePath(QStringLiteral("system/applications"));
        QDir().mkpath(folder);
        QFile out(folder + u'/' + QString::fromUtf8(file));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("[Desktop Entry]\nType=Application\nExec=true\nCategories=Utility;\nName=" +
                  name + "\n");
        return out.fileName();
    }
    QAction* action(QMenu* menu) {
        for (QAction* a : menu->actions())
            if (a->text() == QStringLiteral("添加已安装程序")) return a;
        return nullptr;
    }
    int openWindows() const {
        const auto windows = QApplication::topLevelWidgets();
        return int(std::count_if(windows.begin(), windows.end(), [](QWidget* w) {
            return qobject_cast<items::InstalledProgramsWindow*>(w) && w->isVisible();
        }));
    }
};

// The desktop's menu is read when first wanted, not at start: a panel that is
// only clicked never maps GIO.
TEST_F(InstalledProgramsWiringTest,
       IndexWaitsForItsFirstUseAndAnEmptyColumnsClickOpensTheWindowOnce) {
    install("calc.desktop", "计算器");
    makeDatabase({});
    createWindow();
    window->show();
    ASSERT_TRUE(window->start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QTest::qWait(200);
    EXPECT_FALSE(runtime->installedApps().started());

    app::ItemGrid* grid = window->itemGrid();
    ASSERT_EQ(grid->count(), 0);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->viewport()->rect().center());
    EXPECT_EQ(openWindows(), 1);
    EXPECT_TRUE(runtime->installedApps().started());
    runtime->installedApps().waitForIdle();
    action(window->itemMenu())->trigger();
    action(window->trayMenu())->trigger();
    EXPECT_EQ(openWindows(), 1);
    window->windows().closeAll();
}

TEST_F(InstalledProgramsWiringTest,
       QuickOpenListsInstalledProgramsNotInTheCatalogueAndEnterLaunches) {
    const QString notes = install("notes.desktop", "记事本");
    const QString stored = install("jisuanqi.desktop", "计算器");
    install("other.desktop", "扫雷");
    makeDatabase({"一"});
    {
        storage::ItemDatabase db;
        ASSERT_TRUE(db.open(root().databasePath()));
        ASSERT_TRUE(db.addColumn(QStringLiteral("一"), QStringLiteral("p")));
        ASSERT_TRUE(db.addItem(
            {QStringLiteral("一"), QStringLiteral("p"), QStringLiteral("计算器"), stored, stored}));
    }
    ASSERT_TRUE(startWindow());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_FALSE(runtime->installedApps().started());

    // The first opening of the line starts the reading; its programs join the
    // results as soon as they are read, while the line is open.
    auto* quick = window->findChild<app::QuickOpen*>(QStringLiteral("quickOpen"));
    ASSERT_NE(quick, nullptr);
    window->itemGrid()->setFocus();
    QTest::keyClicks(window->itemGrid(), QStringLiteral("j"));
    QTest::keyClicks(quick->controls().line, QStringLiteral("s"));
    EXPECT_TRUE(runtime->installedApps().started());
    const auto rowTexts = [&] {
        QStringList texts;
        for (int i = 0; i < quick->controls().results->count(); ++i)
            texts << quick->controls().results->item(i)->text();
        return texts;
    };
    QTRY_COMPARE_WITH_TIMEOUT(rowTexts().size(), 3, 10000);
    const QStringList rows = rowTexts();
    // The stored 计算器 once, from the catalogue; 记事本 below it, as an installed
    // program; then only the web search.
    ASSERT_EQ(rows.size(), 3) << rows.join(u'|').toStdString();
    EXPECT_EQ(rows.mid(0, 2), (QStringList{QStringLiteral("计算器\n一 · p"),
                                           QStringLiteral("记事本\n已安装程序")}));
    EXPECT_TRUE(rows.at(2).startsWith(QStringLiteral("在网上搜索"))) << rows.at(2).toStdString();
    quick->controls().results->setCurrentRow(1);
    QTest::keyClick(quick->controls().line, Qt::Key_Return);
    EXPECT_EQ(launched(), QStringList{notes});
}

}  // namespace
}  // namespace hx::test
