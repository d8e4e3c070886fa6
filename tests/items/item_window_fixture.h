#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QWidget>
#include <initializer_list>
#include <memory>

#include "core/session.h"
#include "platform/icon_loader.h"
#include "support/fake_dialogs.h"
#include "support/fake_file_probe.h"
#include "support/fake_main_window.h"
#include "support/temp_root.h"

namespace hx::test {

// A temporary data root with an open item database, one category "工具" with
// the columns "常用" (current) and "其他", a fake main window and dialogs.
class ItemWindowTest : public ::testing::Test {
  protected:
    TempRoot temp;
    FakeDialogs dialogs;
    FakeFileProbe probe;
    platform::IconLoader icons;
    FakeMainWindow main;
    std::unique_ptr<core::Session> session;

    const QString category = QStringLiteral("工具");
    const QString column = QStringLiteral("常用");

    void SetUp() override {
        ASSERT_TRUE(storage::ItemDatabase::createEmpty(temp.root().databasePath()));
        core::Services services;
        services.probe = &probe;
        services.icons = &icons;
        session = std::make_unique<core::Session>(temp.root(), services, dialogs);
        ASSERT_TRUE(db().open(temp.root().databasePath()));
        ASSERT_TRUE(db().addCategory(category, QStringLiteral("Folder.bmp")));
        ASSERT_TRUE(db().addColumn(category, column));
        ASSERT_TRUE(db().addColumn(category, QStringLiteral("其他")));
        main.categories = {category};
        main.columns = {column, QStringLiteral("其他")};
        main.current = 0;
    }

    storage::ItemDatabase& db() { return session->database(); }

    // Stores rows in the current column and shows them in the grid.
    void addItem(const QString& name, const QString& link, const QString& icon) {
        ASSERT_TRUE(db().addItem({category, column, name, link, icon}));
        main.items << name;
    }

    QVector<storage::ItemRow> stored() {
        const auto rows = db().itemsOf(category, column);
        EXPECT_TRUE(rows.ok);
        return rows.value;
    }

    struct Placed {
        const char* name;  // objectName
        QRect rect;
    };
    // Each named control exists and stands at its design rectangle.
    static void expectPlaced(const QWidget& window, std::initializer_list<Placed> controls) {
        for (const Placed& p : controls) {
            const auto* child = window.findChild<QWidget*>(QString::fromLatin1(p.name));
            ASSERT_NE(child, nullptr) << p.name;
            EXPECT_EQ(child->geometry(), p.rect) << p.name;
        }
    }
    // A fixed-size window without a maximise button.
    static void expectFixed(const QWidget& window, const QSize& size) {
        EXPECT_EQ(window.size(), size);
        EXPECT_EQ(window.minimumSize(), window.maximumSize());
        EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    }

    // Where the windows' pictures go, to be looked at (and copied to docs/).
    static QString picturePath(const QString& name) {
        return QDir::temp().filePath(QStringLiteral("hx_") + name);
    }
};

}  // namespace hx::test
