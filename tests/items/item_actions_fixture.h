#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <memory>

#include "core/session.h"
#include "items/item_actions.h"
#include "support/fake_dialogs.h"
#include "support/fake_main_window.h"
#include "support/fake_shell.h"
#include "support/temp_root.h"

namespace hx::test {

// One category "常用" with the column "工具" holding `items` (name, link),
// shown in a fake main window, and the actions over them.
class ItemActionsTest : public ::testing::Test {
  protected:
    TempRoot temp;
    FakeDialogs dialogs;
    FakeShell shell;
    FakeMainWindow window;
    platform::Desktop* desktop = nullptr;
    std::unique_ptr<core::Session> session;
    std::unique_ptr<items::ItemActions> actions;

    static inline const QString kCategory = QStringLiteral("常用");
    static inline const QString kColumn = QStringLiteral("工具");

    void open(const QVector<std::pair<QString, QString>>& items = {}) {
        ASSERT_TRUE(storage::ItemDatabase::createEmpty(temp.root().databasePath()));
        core::Services services;
        services.shell = &shell;
        services.desktop = desktop;
        session = std::make_unique<core::Session>(temp.root(), services, dialogs);
        ASSERT_TRUE(session->database().open(temp.root().databasePath()));
        ASSERT_TRUE(session->database().addCategory(kCategory, QStringLiteral("Folder.bmp")));
        ASSERT_TRUE(session->database().addColumn(kCategory, kColumn));
        for (const auto& [name, link] : items) {
            ASSERT_TRUE(session->database().addItem({kCategory, kColumn, name, link, link}));
            window.items << name;
        }
        window.categories << kCategory;
        window.columns << kColumn;
        window.current = 0;
        session->state().currentCategory = 0;
        actions = std::make_unique<items::ItemActions>(*session, window);
    }

    QVector<storage::ItemRow> rows() {
        const auto fetched = session->database().itemsOf(kCategory, kColumn);
        EXPECT_TRUE(fetched.ok);
        return fetched.value;
    }

    QStringList storedNames() {
        QStringList names;
        for (const auto& row : rows()) names << row.name;
        return names;
    }

    QStringList messages() const {
        QStringList texts;
        for (const auto& m : dialogs.shown) texts << m.text;
        return texts;
    }

    // Runs the event loop until every drop has been handled.
    void finishDrops(int timeoutMs = 60000) {
        QElapsedTimer clock;
        clock.start();
        while (actions->dropRunning() && clock.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_FALSE(actions->dropRunning());
    }

    void TearDown() override {
        actions.reset();
        session.reset();
    }
};

}  // namespace hx::test
