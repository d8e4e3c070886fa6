#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QWidget>
#include <initializer_list>
#include <memory>

#include "items/icon_text.h"
#include "support/session_fixture.h"

namespace hx::test {

// A temporary data root with an open item database, one category "工具" with
// the columns "常用" (open) and "其他", the catalogue showing them and dialogs.
class ItemWindowTest : public SessionFixture {
  protected:
    const QString category = QStringLiteral("工具");
    const QString column = QStringLiteral("常用");

    void SetUp() override {
        openSession({}, [this](const QString& text, int size) {
            return fakes.icons.load(items::resolveIconSource(text, fakes.probe), size);
        });
        ASSERT_TRUE(db().addCategory(category, QStringLiteral("Folder.bmp")));
        ASSERT_TRUE(db().addColumn(category, column));
        ASSERT_TRUE(db().addColumn(category, QStringLiteral("其他")));
        show();
    }

    // Stores a row in the open column; the catalogue loads it again.
    void addItem(const QString& name, const QString& link, const QString& icon) {
        ASSERT_TRUE(db().addItem({category, column, name, link, icon}));
        show();
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
