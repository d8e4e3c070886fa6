#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QThread>
#include <memory>

#include "app/item_grid.h"
#include "app/main_window.h"
#include "app/runtime.h"
#include "core/catalogue.h"
#include "core/session.h"
#include "support/session_fixture.h"

namespace hx::test {

// A main window whose pop-up menus are recorded instead of shown.
class RecordingMainWindow : public app::MainWindow {
  public:
    using app::MainWindow::MainWindow;
    QStringList menusShown;

  protected:
    void execMenu(QMenu* menu, const QPoint&) override { menusShown << menu->title(); }
};

struct CatalogueColumn {
    QString category;
    QString column;
    QStringList items;  // names; the link is "link:" + name
};

// A temporary data root, fake platform and a main window over it.
class MainWindowTest : public ::testing::Test {
  protected:
    TempRoot temp;
    FakeDialogs dialogs;
    FakeServices fakes{temp.file(QStringLiteral("Desktop"))};
    FakeSound& sound = fakes.sound;
    FakeDesktop& desktop = fakes.desktop;
    FakeShell& shell = fakes.shell;
    FakePowerBackend& power = fakes.power;
    FakeNetwork& network = fakes.network;
    FakeFileProbe& probe = fakes.probe;
    platform::IconLoader& icons = fakes.icons;
    std::unique_ptr<core::Session> session;
    std::unique_ptr<app::Runtime> runtime;
    std::unique_ptr<RecordingMainWindow> window;
    // Sets the weather panel's hooks before the window is built.
    std::function<void(app::WeatherHooks&)> moreHooks;

    // What reached the shell, without the kind of request.
    QStringList launched() const {
        QStringList texts;
        for (const QString& call : shell.calls) texts << call.section(u':', 1);
        return texts;
    }

    storage::DataRoot root() const { return temp.root(); }

    // Writes a database holding `categories` (each with Folder.bmp) and columns.
    void makeDatabase(const QStringList& categories, const QVector<CatalogueColumn>& columns = {}) {
        ASSERT_TRUE(storage::ItemDatabase::createEmpty(root().databasePath()));
        storage::ItemDatabase db;
        ASSERT_TRUE(db.open(root().databasePath()));
        for (const QString& c : categories)
            ASSERT_TRUE(db.addCategory(c, QStringLiteral("Folder.bmp")));
        for (const CatalogueColumn& c : columns) {
            ASSERT_TRUE(db.addColumn(c.category, c.column));
            for (const QString& name : c.items)
                ASSERT_TRUE(db.addItem({c.category, c.column, name, QStringLiteral("link:") + name,
                                        QStringLiteral("$3")}));
        }
    }

    core::Services services() { return fakes.services(); }
    core::Catalogue& catalogue() const { return runtime->catalogue(); }

    void createWindow() {
        session = std::make_unique<core::Session>(root(), services(), dialogs);
        session->state().setClockDefaults();
        runtime = std::make_unique<app::Runtime>(*session);
        app::WeatherHooks hooks;
        if (moreHooks) moreHooks(hooks);
        window = std::make_unique<RecordingMainWindow>(*runtime, std::move(hooks));
    }

    bool startWindow() {
        createWindow();
        const bool ok = window->start();
        settle();
        return ok;
    }

    // Lets the item loader finish and its queued entries arrive.
    void settle() {
        if (!window) return;
        catalogue().finishLoading();
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }

    // What the grid shows, as text.
    QStringList gridTexts() const {
        QStringList texts;
        for (int i = 0; i < window->itemGrid()->count(); ++i)
            texts << window->itemGrid()->entryText(i);
        return texts;
    }

    void TearDown() override {
        if (window) catalogue().finishLoading();
        window.reset();
        runtime.reset();
        session.reset();
    }
};

}  // namespace hx::test
