#pragma once

#include <gtest/gtest.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <QStringList>
#include <memory>

#include <QSignalSpy>

#include "catalogue/category_pictures.h"
#include "support/session_fixture.h"

namespace hx::test {

// A data root with an empty item database and the real catalogue over it,
// reading category pictures as the program does.
class CatalogueTest : public SessionFixture {
  protected:
    void SetUp() override {
        openSession([this](const QString& file) {
            return catalogue::withKeyColourClear(catalogue::categoryPicture(temp.root(), file));
        });
    }

    // Categories with Folder.bmp; every category gets the columns given and
    // every column two items, so stray statements show up in the counts. The
    // catalogue reads them, as at start-up.
    void addCategories(const QStringList& names, const QStringList& columns = {}) {
        addStored(names, columns);
        catalogue->reload();
    }

    void addStored(const QStringList& names, const QStringList& columns = {}) {
        for (const QString& name : names) {
            ASSERT_TRUE(db().addCategory(name, QStringLiteral("Folder.bmp")));
            for (const QString& column : columns) {
                ASSERT_TRUE(db().addColumn(name, column));
                for (int i = 0; i < 2; ++i)
                    ASSERT_TRUE(db().addItem({name, column, column + QString::number(i),
                                              QStringLiteral("/bin/true"), QStringLiteral("$2")}));
            }
        }
    }

    QStringList storedCategories() {
        QStringList names;
        for (const auto& row : db().categories().value) names << row.name;
        return names;
    }

    // Rows of each table, counted behind the database object's back.
    int rawCount(const char* table) {
        SQLite::Database raw(temp.root().databasePath().toStdString(), SQLite::OPEN_READONLY);
        SQLite::Statement q(raw, std::string("SELECT count(*) FROM ") + table);
        q.executeStep();
        return q.getColumn(0).getInt();
    }

    // Installs a trigger (the database is reopened around it).
    void rawExec(const char* sql) {
        db().close();
        {
            SQLite::Database raw(temp.root().databasePath().toStdString(), SQLite::OPEN_READWRITE);
            raw.exec(sql);
        }
        ASSERT_TRUE(db().open(temp.root().databasePath()));
    }

    // Every table as text, to show that a refused change left all of it alone.
    QString snapshot() {
        SQLite::Database raw(temp.root().databasePath().toStdString(), SQLite::OPEN_READONLY);
        QString out;
        for (const char* sql : {"SELECT 分类文本, 栏目文本, 名称文本 FROM 表1 ORDER BY rowid",
                                "SELECT 分类, 栏目, '' FROM 表2 ORDER BY rowid",
                                "SELECT 分类, 路径, '' FROM 表3 ORDER BY rowid"}) {
            SQLite::Statement q(raw, sql);
            while (q.executeStep())
                for (int i = 0; i < 3; ++i)
                    out += QString::fromStdString(q.getColumn(i).getString()) + u'|';
            out += u'\n';
        }
        return out;
    }

    QString lastMessage() const {
        return dialogs.shown.isEmpty() ? QString() : dialogs.shown.last().text;
    }
};

}  // namespace hx::test
