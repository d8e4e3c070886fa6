#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <memory>

#include "items/item_actions.h"
#include "items/launcher.h"
#include "support/session_fixture.h"

namespace hx::test {

// One category "常用" with the column "工具" holding `items` (name, link),
// shown by the catalogue, and the actions over them.
class ItemActionsTest : public SessionFixture {
  protected:
    FakeShell& shell = fakes.shell;
    std::unique_ptr<items::Launcher> launcher;
    std::unique_ptr<items::ItemActions> actions;

    static inline const QString kCategory = QStringLiteral("常用");
    static inline const QString kColumn = QStringLiteral("工具");

    void open(const QVector<std::pair<QString, QString>>& items = {}) {
        openSession();
        ASSERT_TRUE(db().addCategory(kCategory, QStringLiteral("Folder.bmp")));
        ASSERT_TRUE(db().addColumn(kCategory, kColumn));
        for (const auto& [name, link] : items)
            ASSERT_TRUE(db().addItem({kCategory, kColumn, name, link, link}));
        show();
        launcher =
            std::make_unique<items::Launcher>(fakes.shell, fakes.sound, [](const QString&) {});
        actions = std::make_unique<items::ItemActions>(*session, *catalogue, *launcher);
    }

    void select(int row) { catalogue->setSelectedRow(row); }

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
        SessionFixture::TearDown();
    }
};

}  // namespace hx::test
