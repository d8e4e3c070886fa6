#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <atomic>
#include <functional>
#include <thread>

#include "storage/item_database.h"
#include "support/temp_root.h"

using hx::storage::CategoryRow;
using hx::storage::ItemDatabase;
using hx::storage::ItemRow;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList names(const QVector<ItemRow>& rows) {
    QStringList out;
    for (const ItemRow& r : rows) out << r.name;
    return out;
}

QStringList categoryNames(ItemDatabase& db) {
    QStringList out;
    for (const CategoryRow& r : db.categories().value) out << r.name;
    return out;
}

ItemRow item(const QString& category, const QString& column, const QString& name) {
    return {category, column, name, QStringLiteral("/usr/bin/") + name, QStringLiteral("$2")};
}

// Runs one statement on the file behind the database's back (the database is closed).
void rawExec(const QString& path, const char* sql) {
    SQLite::Database raw(path.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    raw.exec(sql);
}

int rawCount(const QString& path, const char* table) {
    SQLite::Database raw(path.toStdString(), SQLite::OPEN_READONLY);
    SQLite::Statement q(raw, std::string("SELECT count(*) FROM ") + table);
    q.executeStep();
    return q.getColumn(0).getInt();
}

class ItemDatabaseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        path = root.root().databasePath();
        QString error;
        ASSERT_TRUE(ItemDatabase::createEmpty(path, &error)) << error.toStdString();
        ASSERT_TRUE(db.open(path)) << db.lastError().toStdString();
    }

    // One category with two columns and items in both, interleaved.
    void fill(const QString& category) {
        ASSERT_TRUE(db.addCategory(category, QStringLiteral("Folder.bmp")));
        ASSERT_TRUE(db.addColumn(category, QStringLiteral("甲")));
        ASSERT_TRUE(db.addColumn(category, QStringLiteral("乙")));
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(
                db.addItem(item(category, QStringLiteral("甲"), QStringLiteral("a%1").arg(i))));
            ASSERT_TRUE(
                db.addItem(item(category, QStringLiteral("乙"), QStringLiteral("b%1").arg(i))));
        }
    }

    hx::test::TempRoot root;
    QString path;
    ItemDatabase db;
};

}  // namespace

TEST_F(ItemDatabaseTest, NewDatabaseHasTheDesignedEmptyTables) {
    EXPECT_TRUE(ItemDatabase::isItemDatabase(path));
    auto cats = db.categories();
    EXPECT_TRUE(cats.ok);
    EXPECT_TRUE(cats.value.isEmpty());

    db.close();
    SQLite::Database raw(path.toStdString(), SQLite::OPEN_READONLY);
    auto columnsOf = [&](const char* table) {
        QStringList out;
        SQLite::Statement q(raw, std::string("PRAGMA table_info(") + table + ")");
        while (q.executeStep()) {
            out << QString::fromUtf8(q.getColumn(1).getText()) + u' ' +
                       QString::fromUtf8(q.getColumn(2).getText());
            EXPECT_EQ(q.getColumn(5).getInt(), 0) << "no primary key";
        }
        return out;
    };
    EXPECT_EQ(columnsOf("表1"), (QStringList{"分类文本 TEXT", "栏目文本 TEXT", "名称文本 TEXT",
                                             "路径文本 TEXT", "图标文本 TEXT"}));
    EXPECT_EQ(columnsOf("表2"), (QStringList{"分类 TEXT", "栏目 TEXT"}));
    EXPECT_EQ(columnsOf("表3"), (QStringList{"分类 TEXT", "路径 TEXT"}));
    SQLite::Statement mode(raw, "PRAGMA journal_mode");
    ASSERT_TRUE(mode.executeStep());
    EXPECT_STREQ(mode.getColumn(0).getText(), "wal");
}

TEST_F(ItemDatabaseTest, CreateEmptyNeverReplacesAnything) {
    const QByteArray before = readAll(path);
    QString error;
    EXPECT_FALSE(ItemDatabase::createEmpty(path, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readAll(path), before);

    const QString folder = root.file("Date/folder.mdb");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_FALSE(ItemDatabase::createEmpty(folder));
    EXPECT_TRUE(QFileInfo(folder).isDir());

    // No half-made temporary file is left beside the database.
    const QStringList left = QDir(root.root().dateDir()).entryList(QDir::Files);
    for (const QString& name : left) EXPECT_FALSE(name.contains("tmp")) << name.toStdString();
}

TEST_F(ItemDatabaseTest, ListingsFollowStorageOrder) {
    fill(QStringLiteral("工具"));
    fill(QStringLiteral("网络"));
    EXPECT_EQ(categoryNames(db), (QStringList{"工具", "网络"}));
    EXPECT_EQ(db.columnsOf(QStringLiteral("网络")).value, (QStringList{"甲", "乙"}));
    auto items = db.itemsOf(QStringLiteral("工具"), QStringLiteral("乙"));
    ASSERT_TRUE(items.ok);
    EXPECT_EQ(names(items.value), (QStringList{"b0", "b1", "b2"}));
    EXPECT_EQ(items.value[1], item("工具", "乙", "b1"));
    EXPECT_EQ(db.countItems(QStringLiteral("工具"), QStringLiteral("乙")), 3);
    EXPECT_EQ(db.countItems(QStringLiteral("工具"), QStringLiteral("丙")), 0);

    // Two columns of the same name are two rows.
    ASSERT_TRUE(db.addColumn(QStringLiteral("工具"), QStringLiteral("甲")));
    EXPECT_EQ(db.columnsOf(QStringLiteral("工具")).value, (QStringList{"甲", "乙", "甲"}));
}

TEST_F(ItemDatabaseTest, RowsAddressedByPositionInTheirColumn) {
    fill(QStringLiteral("工具"));
    const QString c = QStringLiteral("工具"), a = QStringLiteral("甲");
    EXPECT_EQ(db.itemAt(c, a, 2).value, item(c, a, "a2"));
    EXPECT_FALSE(db.itemAt(c, a, 3).value.has_value());
    EXPECT_FALSE(db.itemAt(c, a, -1).value.has_value());
    EXPECT_TRUE(db.itemAt(c, a, 3).ok);

    // An edit keeps the row's place.
    ASSERT_TRUE(db.updateItemAt(c, a, 1, item(c, a, "changed")));
    EXPECT_EQ(names(db.itemsOf(c, a).value), (QStringList{"a0", "changed", "a2"}));
    EXPECT_FALSE(db.updateItemAt(c, a, 5, item(c, a, "nowhere")));

    ASSERT_TRUE(db.deleteItemAt(c, a, 0));
    EXPECT_EQ(names(db.itemsOf(c, a).value), (QStringList{"changed", "a2"}));
    EXPECT_FALSE(db.deleteItemAt(c, a, 2));
    // The other column is untouched.
    EXPECT_EQ(names(db.itemsOf(c, QStringLiteral("乙")).value), (QStringList{"b0", "b1", "b2"}));

    // An add appends at the end of its column.
    ASSERT_TRUE(db.addItem(item(c, a, "last")));
    EXPECT_EQ(names(db.itemsOf(c, a).value), (QStringList{"changed", "a2", "last"}));
}

TEST_F(ItemDatabaseTest, NamesAreValuesNeverStatementText) {
    const QStringList hostile{QStringLiteral("x' OR '1'='1"),
                              QStringLiteral("%"),
                              QStringLiteral("_"),
                              QStringLiteral("say \"hi\""),
                              QStringLiteral("back\\slash"),
                              QStringLiteral("a'; DELETE FROM 表3; --"),
                              QStringLiteral("中文;分类")};
    const QStringList bystanders{QStringLiteral("abc"), QStringLiteral("x"), QStringLiteral("1")};
    for (const QString& name : bystanders + hostile) fill(name);

    for (const QString& name : hostile) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(db.columnsOf(name).value, (QStringList{"甲", "乙"}));
        EXPECT_EQ(db.itemsOf(name, QStringLiteral("甲")).value.value(0).category, name);

        const QString renamed = name + QStringLiteral("'改");
        ASSERT_TRUE(db.renameCategory(name, renamed));
        EXPECT_EQ(names(db.itemsOf(renamed, QStringLiteral("乙")).value),
                  (QStringList{"b0", "b1", "b2"}));
        EXPECT_TRUE(db.itemsOf(name, QStringLiteral("乙")).value.isEmpty());
        ASSERT_TRUE(db.deleteCategory(renamed));
        EXPECT_FALSE(categoryNames(db).contains(renamed));
        EXPECT_TRUE(db.columnsOf(renamed).value.isEmpty());
    }
    // Nothing outside each condition was touched.
    EXPECT_EQ(categoryNames(db), bystanders);
    for (const QString& name : bystanders) {
        EXPECT_EQ(db.columnsOf(name).value.size(), 2);
        EXPECT_EQ(db.countItems(name, QStringLiteral("甲")), 3);
    }
}

TEST_F(ItemDatabaseTest, WildcardCharactersMatchOnlyThemselves) {
    fill(QStringLiteral("a_c"));
    fill(QStringLiteral("abc"));
    fill(QStringLiteral("a%"));
    fill(QStringLiteral("aXYZ"));
    ASSERT_TRUE(db.deleteCategory(QStringLiteral("a_c")));
    ASSERT_TRUE(db.deleteCategory(QStringLiteral("a%")));
    EXPECT_EQ(categoryNames(db), (QStringList{"abc", "aXYZ"}));
    ASSERT_TRUE(db.deleteColumn(QStringLiteral("abc"), QStringLiteral("_")));
    EXPECT_EQ(db.columnsOf(QStringLiteral("abc")).value.size(), 2);

    ASSERT_TRUE(db.addItem(item("abc", "甲", "100%")));
    ASSERT_TRUE(db.addItem(item("abc", "甲", "1000")));
    EXPECT_EQ(names(db.searchNames(QStringLiteral("0%")).value), (QStringList{"100%"}));
    EXPECT_EQ(names(db.searchNames(QStringLiteral("_")).value), QStringList{});
}

TEST_F(ItemDatabaseTest, NameMatchIgnoresAsciiCaseButSearchDoesNot) {
    fill(QStringLiteral("Tools"));
    EXPECT_EQ(db.columnsOf(QStringLiteral("TOOLS")).value.size(), 2);
    ASSERT_TRUE(db.addItem(item("Tools", "甲", "Notepad")));
    ASSERT_TRUE(db.addItem(item("Tools", "甲", "notes")));
    ASSERT_TRUE(db.addItem(item("Tools", "乙", "My NOTE")));
    EXPECT_EQ(names(db.searchNames(QStringLiteral("Note")).value), (QStringList{"Notepad"}));
    EXPECT_EQ(names(db.searchNames(QStringLiteral("ote")).value),
              (QStringList{"Notepad", "notes"}));
    EXPECT_TRUE(db.searchNames(QStringLiteral("记事本")).value.isEmpty());
    ASSERT_TRUE(db.addItem(item("Tools", "乙", "系统记事本")));
    EXPECT_EQ(names(db.searchNames(QStringLiteral("记事")).value), (QStringList{"系统记事本"}));
}

TEST_F(ItemDatabaseTest, DesignedLengthsAreEnforcedByTheDatabase) {
    const QString fifty = QString(50, QChar(u'类'));
    const QString fiftyOne = QString(51, QChar(u'类'));
    ASSERT_TRUE(db.addCategory(fifty, QStringLiteral("Folder.bmp")));
    EXPECT_EQ(categoryNames(db), (QStringList{fifty}));
    EXPECT_FALSE(db.addCategory(fiftyOne, QStringLiteral("Folder.bmp")));
    EXPECT_FALSE(db.lastError().isEmpty());
    EXPECT_EQ(categoryNames(db), (QStringList{fifty}));

    EXPECT_TRUE(db.addColumn(fifty, QString(50, QChar(u'栏'))));
    EXPECT_FALSE(db.addColumn(fifty, QString(51, QChar(u'栏'))));
    EXPECT_EQ(db.columnsOf(fifty).value.size(), 1);

    const QString full = QString(255, QChar(u'名'));
    EXPECT_TRUE(db.addItem({fifty, "甲", full, full, full}));
    EXPECT_FALSE(db.addItem({fifty, "甲", full, full + u'x', full}));
    EXPECT_FALSE(db.addItem(item(fiftyOne, "甲", "x")));
    EXPECT_EQ(db.countItems(fifty, QStringLiteral("甲")), 1);
    EXPECT_FALSE(db.setCategoryPicture(fifty, QString(256, QChar(u'p'))));
    EXPECT_EQ(db.categories().value.value(0).picture, QStringLiteral("Folder.bmp"));
}

TEST_F(ItemDatabaseTest, RenameColumnIsAllOrNothing) {
    fill(QStringLiteral("工具"));
    // 表1 takes 255 characters in 栏目文本, 表2 only 50: the second update fails
    // after the first succeeded, and the first must be undone.
    const QString longName = QString(60, QChar(u'长'));
    EXPECT_FALSE(db.renameColumn(QStringLiteral("工具"), QStringLiteral("甲"), longName));
    EXPECT_EQ(db.countItems(QStringLiteral("工具"), QStringLiteral("甲")), 3);
    EXPECT_EQ(db.countItems(QStringLiteral("工具"), longName), 0);
    EXPECT_EQ(db.columnsOf(QStringLiteral("工具")).value, (QStringList{"甲", "乙"}));

    ASSERT_TRUE(
        db.renameColumn(QStringLiteral("工具"), QStringLiteral("甲"), QStringLiteral("丙")));
    EXPECT_EQ(db.columnsOf(QStringLiteral("工具")).value, (QStringList{"丙", "乙"}));
    EXPECT_EQ(names(db.itemsOf(QStringLiteral("工具"), QStringLiteral("丙")).value),
              (QStringList{"a0", "a1", "a2"}));
}

TEST_F(ItemDatabaseTest, CategoryRenameDeleteAndClearAreAllOrNothing) {
    fill(QStringLiteral("工具"));
    const QString tooLong = QString(51, QChar(u'长'));
    EXPECT_FALSE(db.renameCategory(QStringLiteral("工具"), tooLong));

    // A trigger makes the last table refuse, after the other two were changed.
    db.close();
    rawExec(
        path,
        "CREATE TRIGGER refuse_update BEFORE UPDATE ON 表3 BEGIN SELECT RAISE(ABORT, 'no'); END;"
        "CREATE TRIGGER refuse_delete BEFORE DELETE ON 表1 BEGIN SELECT RAISE(ABORT, 'no'); END;");
    ASSERT_TRUE(db.open(path));
    EXPECT_FALSE(db.renameCategory(QStringLiteral("工具"), QStringLiteral("新")));
    EXPECT_FALSE(db.deleteCategory(QStringLiteral("工具")));  // 表3, 表2, then 表1 refuses
    EXPECT_FALSE(db.clearAll());                              // 表1 refuses first
    db.close();
    rawExec(
        path,
        "DROP TRIGGER refuse_delete;"
        "CREATE TRIGGER refuse_clear BEFORE DELETE ON 表3 BEGIN SELECT RAISE(ABORT, 'no'); END;");
    ASSERT_TRUE(db.open(path));
    EXPECT_FALSE(db.clearAll());  // 表1 and 表2 emptied, then 表3 refuses
    db.close();
    EXPECT_EQ(rawCount(path, "表1"), 6);
    EXPECT_EQ(rawCount(path, "表2"), 2);
    EXPECT_EQ(rawCount(path, "表3"), 1);
    ASSERT_TRUE(db.open(path));
    EXPECT_EQ(categoryNames(db), (QStringList{"工具"}));
    EXPECT_EQ(db.countItems(QStringLiteral("工具"), QStringLiteral("甲")), 3);

    db.close();
    rawExec(path, "DROP TRIGGER refuse_update; DROP TRIGGER refuse_clear;");
    ASSERT_TRUE(db.open(path));
    ASSERT_TRUE(db.clearAll());
    db.close();
    EXPECT_EQ(rawCount(path, "表1") + rawCount(path, "表2") + rawCount(path, "表3"), 0);
}

TEST_F(ItemDatabaseTest, RefusedSecondStatementUndoesTheFirst) {
    fill(QStringLiteral("工具"));
    fill(QStringLiteral("其他"));
    const auto everything = [&] {
        db.close();
        SQLite::Database raw(path.toStdString(), SQLite::OPEN_READONLY);
        QString out;
        for (const char* sql : {"SELECT 分类文本 || 栏目文本 || 名称文本 FROM 表1 ORDER BY rowid",
                                "SELECT 分类 || 栏目 FROM 表2 ORDER BY rowid",
                                "SELECT 分类 || 路径 FROM 表3 ORDER BY rowid"}) {
            SQLite::Statement q(raw, sql);
            while (q.executeStep())
                out += QString::fromStdString(q.getColumn(0).getString()) + u',';
            out += u'/';
        }
        EXPECT_TRUE(db.open(path));
        return out;
    };
    const QString before = everything();
    // Every multi-table change touches 表2 second.
    db.close();
    rawExec(path,
            "CREATE TRIGGER no_update BEFORE UPDATE ON 表2 BEGIN SELECT RAISE(ABORT, 'no'); END;"
            "CREATE TRIGGER no_delete BEFORE DELETE ON 表2 BEGIN SELECT RAISE(ABORT, 'no'); END;");
    ASSERT_TRUE(db.open(path));
    EXPECT_FALSE(db.renameCategory(QStringLiteral("工具"), QStringLiteral("新")));
    EXPECT_FALSE(db.deleteCategory(QStringLiteral("工具")));
    EXPECT_FALSE(
        db.renameColumn(QStringLiteral("工具"), QStringLiteral("甲"), QStringLiteral("丙")));
    EXPECT_FALSE(db.deleteColumn(QStringLiteral("工具"), QStringLiteral("甲")));
    EXPECT_FALSE(db.deleteColumnAt(QStringLiteral("工具"), 0, QStringLiteral("甲")));
    EXPECT_FALSE(db.clearCategories({QStringLiteral("其他"), QStringLiteral("工具")}));
    EXPECT_EQ(everything(), before);
}

TEST_F(ItemDatabaseTest, ClearingCategoriesKeepsRowsOfUnstoredOnes) {
    fill(QStringLiteral("工具"));
    fill(QStringLiteral("其他"));
    ASSERT_TRUE(db.addColumn(QStringLiteral("孤儿"), QStringLiteral("甲")));
    ASSERT_TRUE(
        db.addItem(item(QStringLiteral("孤儿"), QStringLiteral("甲"), QStringLiteral("x"))));
    ASSERT_TRUE(db.clearCategories({QStringLiteral("工具")}));
    db.close();
    EXPECT_EQ(rawCount(path, "表3"), 0);
    EXPECT_EQ(rawCount(path, "表2"), 3);  // 其他 was not listed; 孤儿 never was
    EXPECT_EQ(rawCount(path, "表1"), 7);
}

TEST_F(ItemDatabaseTest, ColumnDeletedByPositionOnlyWhenTheNameMatches) {
    fill(QStringLiteral("工具"));
    ASSERT_TRUE(db.addColumn(QStringLiteral("工具"), QStringLiteral("甲")));
    EXPECT_FALSE(db.deleteColumnAt(QStringLiteral("工具"), 1, QStringLiteral("甲")));  // 乙 there
    EXPECT_FALSE(db.deleteColumnAt(QStringLiteral("工具"), 3, QStringLiteral("甲")));
    EXPECT_FALSE(db.deleteColumnAt(QStringLiteral("工具"), -1, QStringLiteral("甲")));
    EXPECT_EQ(db.countItems(QStringLiteral("工具"), QStringLiteral("甲")), 3);
    ASSERT_TRUE(db.deleteColumnAt(QStringLiteral("工具"), 2, QStringLiteral("甲")));
    EXPECT_EQ(db.columnsOf(QStringLiteral("工具")).value, (QStringList{"甲", "乙"}));
    EXPECT_EQ(db.countItems(QStringLiteral("工具"), QStringLiteral("甲")), 0);
    EXPECT_EQ(db.countItems(QStringLiteral("工具"), QStringLiteral("乙")), 3);
    EXPECT_TRUE(db.hasCategory(QStringLiteral("工具")));
    EXPECT_FALSE(db.hasCategory(QStringLiteral("工")));
}

TEST_F(ItemDatabaseTest, ChangesSurviveReopening) {
    fill(QStringLiteral("工具"));
    ASSERT_TRUE(db.renameCategory(QStringLiteral("工具"), QStringLiteral("软件")));
    db.close();
    EXPECT_FALSE(db.isOpen());
    ItemDatabase other;
    ASSERT_TRUE(other.open(path));
    EXPECT_EQ(categoryNames(other), (QStringList{"软件"}));
    EXPECT_EQ(other.countItems(QStringLiteral("软件"), QStringLiteral("乙")), 3);
}

TEST(ItemDatabaseRefusal, UnusableFilesAreRefusedAndLeftUntouched) {
    hx::test::TempRoot root;
    const QString good = root.file("Date/good.mdb");
    ASSERT_TRUE(ItemDatabase::createEmpty(good));
    QByteArray valid = readAll(good);
    ASSERT_GT(valid.size(), 4096);

    QByteArray damagedHeader = valid;
    damagedHeader.replace(0, 16, "not a database!!");
    QByteArray truncated = valid.left(4096 + 100);  // page 1 whole, the rest cut off
    truncated[4096] = '\x7F';

    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {{"garbage", QByteArray(8192, '\xA5')},
                          {"damaged-header", damagedHeader},
                          {"truncated", truncated},
                          {"empty", QByteArray()},
                          {"text", QByteArray("[关闭状态]\n左边=1\n")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = root.file(QStringLiteral("Date/%1.mdb").arg(c.name));
        ASSERT_TRUE(root.write(QStringLiteral("Date/%1.mdb").arg(c.name), c.bytes));
        ItemDatabase db;
        ASSERT_TRUE(db.open(good));
        EXPECT_FALSE(db.open(path));
        EXPECT_FALSE(db.isOpen());  // the earlier file was closed
        EXPECT_FALSE(db.lastError().isEmpty());
        EXPECT_FALSE(ItemDatabase::isItemDatabase(path));
        auto cats = db.categories();
        EXPECT_FALSE(cats.ok);
        EXPECT_FALSE(cats.error.isEmpty());
        EXPECT_FALSE(db.addCategory(QStringLiteral("x"), QStringLiteral("Folder.bmp")));
        EXPECT_EQ(readAll(path), c.bytes);
        EXPECT_FALSE(QFile::exists(path + "-wal"));
        EXPECT_FALSE(QFile::exists(path + "-journal"));
    }
}

TEST(ItemDatabaseRefusal, DirectoriesMissingFilesAndForeignDatabases) {
    hx::test::TempRoot root;
    ItemDatabase db;
    const QString folder = root.file("Date/QVdata.mdb");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_FALSE(db.open(folder));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QDir(folder).isEmpty());

    const QString missing = root.file("Date/missing.mdb");
    EXPECT_FALSE(db.open(missing));
    EXPECT_FALSE(QFile::exists(missing));

    const QString foreign = root.file("Date/foreign.mdb");
    rawExec(foreign, "CREATE TABLE 表1 (分类文本 TEXT); CREATE TABLE other (x);");
    const QByteArray before = readAll(foreign);
    EXPECT_FALSE(db.open(foreign));
    EXPECT_EQ(readAll(foreign), before);

    // All three tables present but a designed column missing.
    const QString partial = root.file("Date/partial.mdb");
    rawExec(partial,
            "CREATE TABLE 表1 (分类文本, 栏目文本, 名称文本, 路径文本);"
            "CREATE TABLE 表2 (分类, 栏目); CREATE TABLE 表3 (分类, 路径);");
    EXPECT_FALSE(db.open(partial));
    EXPECT_FALSE(db.itemsOf("a", "b").ok);
}

TEST_F(ItemDatabaseTest, BackupIsACompleteCopyThatReplacesTheTarget) {
    fill(QStringLiteral("工具"));
    const QString target = root.file("Date/Backup/2013年8月12日.mdb");
    ASSERT_TRUE(QDir().mkpath(root.root().backupDir()));
    ASSERT_TRUE(root.write("Date/Backup/2013年8月12日.mdb", "older backup"));
    ASSERT_TRUE(db.backupTo(target)) << db.lastError().toStdString();
    ASSERT_TRUE(db.addItem(item("工具", "甲", "after-backup")));

    ItemDatabase copy;
    ASSERT_TRUE(copy.open(target)) << copy.lastError().toStdString();
    EXPECT_EQ(names(copy.itemsOf("工具", "甲").value), (QStringList{"a0", "a1", "a2"}));
    copy.close();

    // A second backup the same day replaces the first.
    ASSERT_TRUE(db.backupTo(target));
    ASSERT_TRUE(copy.open(target));
    EXPECT_EQ(copy.countItems("工具", "甲"), 4);
    copy.close();

    EXPECT_FALSE(db.backupTo(root.file("no/such/folder/x.mdb")));
    EXPECT_FALSE(db.backupTo(path));  // onto the live file itself
    EXPECT_EQ(db.countItems("工具", "甲"), 4);
    ItemDatabase closed;
    EXPECT_FALSE(closed.backupTo(root.file("Date/Backup/x.mdb")));
    EXPECT_FALSE(QFile::exists(root.file("Date/Backup/x.mdb")));
}

TEST_F(ItemDatabaseTest, RestoreChecksTheSourceFirst) {
    fill(QStringLiteral("工具"));
    const QString saved = root.file("Date/Backup/saved.mdb");
    ASSERT_TRUE(QDir().mkpath(root.root().backupDir()));
    ASSERT_TRUE(db.backupTo(saved));
    ASSERT_TRUE(db.deleteCategory(QStringLiteral("工具")));
    fill(QStringLiteral("网络"));

    ASSERT_TRUE(root.write("Date/Backup/bad.mdb", "garbage"));
    EXPECT_FALSE(db.restoreFrom(root.file("Date/Backup/bad.mdb"), path));
    EXPECT_TRUE(db.isOpen());
    EXPECT_EQ(categoryNames(db), (QStringList{"网络"}));

    ASSERT_TRUE(db.restoreFrom(saved, path)) << db.lastError().toStdString();
    EXPECT_TRUE(db.isOpen());
    EXPECT_EQ(categoryNames(db), (QStringList{"工具"}));
    EXPECT_EQ(db.countItems("工具", "乙"), 3);
    EXPECT_TRUE(ItemDatabase::isItemDatabase(saved));
}

TEST_F(ItemDatabaseTest, RestoreOnlyReadsTheChosenFileAndRefusesTheLiveOne) {
    fill(QStringLiteral("工具"));
    const QString backups = root.root().backupDir();
    ASSERT_TRUE(QDir().mkpath(backups));
    // A name that must be escaped to reach SQLite as a URI.
    const QString saved = backups + QStringLiteral("/saved #1?%.mdb");
    ASSERT_TRUE(db.backupTo(saved));
    ASSERT_TRUE(db.deleteCategory(QStringLiteral("工具")));
    const QByteArray bytes = readAll(saved);

    // The live file is no backup of itself, under any of its names.
    const QString link = backups + QStringLiteral("/link.mdb");
    const QString second = backups + QStringLiteral("/second-name.mdb");
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(second).constData()),
              0);
    for (const QString& live : {path, link, second}) {
        SCOPED_TRACE(live.toStdString());
        EXPECT_FALSE(ItemDatabase::canRestoreFrom(live, path));
        EXPECT_FALSE(db.restoreFrom(live, path));
        EXPECT_TRUE(db.isOpen());
    }
    for (const QString& name : QDir(backups).entryList({"link.mdb*", "second-name.mdb*"}))
        ASSERT_TRUE(QFile::remove(backups + '/' + name));

    EXPECT_TRUE(ItemDatabase::canRestoreFrom(saved, path));
    ASSERT_TRUE(db.restoreFrom(saved, path)) << db.lastError().toStdString();
    EXPECT_EQ(categoryNames(db), (QStringList{"工具"}));
    // Nothing was written to or beside the chosen file.
    EXPECT_EQ(readAll(saved), bytes);
    EXPECT_EQ(QDir(backups).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList{QFileInfo(saved).fileName()});
}

TEST_F(ItemDatabaseTest, WorkerReadsNeverInterleaveWithChanges) {
    fill(QStringLiteral("工具"));
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::thread reader([&] {
        int last = 0;
        while (!stop) {
            auto rows = db.itemsOf(QStringLiteral("工具"), QStringLiteral("甲"));
            if (!rows.ok) ++bad;
            for (const ItemRow& r : rows.value)
                if (r.column != QStringLiteral("甲")) ++bad;
            if (rows.value.size() < last) ++bad;  // only adds happen to this column
            last = int(rows.value.size());
        }
    });
    for (int i = 0; i < 60; ++i) {
        ASSERT_TRUE(db.addItem(item("工具", "甲", QStringLiteral("n%1").arg(i))));
        ASSERT_TRUE(db.renameColumn("工具", "乙", i % 2 ? "乙" : "丁"));
        ASSERT_TRUE(db.renameColumn("工具", i % 2 ? "乙" : "丁", "乙"));
    }
    stop = true;
    reader.join();
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(db.countItems("工具", "甲"), 63);
}

namespace {

QMap<QString, QByteArray> filesIn(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        files.insert(name, readAll(folder + u'/' + name));
    return files;
}

// Every kind of change, each of which a catalogue that is only read refuses.
void expectEveryChangeRefused(ItemDatabase& db, const QString& restoreSource) {
    using Change = std::function<bool()>;
    const std::pair<const char*, Change> changes[] = {
        {"addCategory", [&] { return db.addCategory("新", "Folder.bmp"); }},
        {"addColumn", [&] { return db.addColumn("工具", "新"); }},
        {"addItem", [&] { return db.addItem(item("工具", "甲", "新")); }},
        {"addItems", [&] { return db.addItems({item("工具", "甲", "新")}).value(0); }},
        {"addBatch",
         [&] {
             return db.addBatch({"新", true, "Folder.bmp", {"栏"}, {}});
         }},
        {"updateItemAt", [&] { return db.updateItemAt("工具", "甲", 0, item("工具", "甲", "x")); }},
        {"deleteItemAt", [&] { return db.deleteItemAt("工具", "甲", 0); }},
        {"setCategoryPicture", [&] { return db.setCategoryPicture("工具", "x.bmp"); }},
        {"renameCategory", [&] { return db.renameCategory("工具", "器"); }},
        {"renameColumn", [&] { return db.renameColumn("工具", "甲", "丙"); }},
        {"deleteCategory", [&] { return db.deleteCategory("工具"); }},
        {"deleteColumn", [&] { return db.deleteColumn("工具", "甲"); }},
        {"deleteColumnAt", [&] { return db.deleteColumnAt("工具", 0, "甲"); }},
        {"clearAll", [&] { return db.clearAll(); }},
        {"clearCategories", [&] { return db.clearCategories({"工具"}); }},
        {"restoreFrom", [&] { return db.restoreFrom(restoreSource, db.path()); }},
    };
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(change());
        EXPECT_EQ(db.lastRefusal(), ItemDatabase::Refusal::ReadOnly);
    }
    EXPECT_EQ(categoryNames(db), QStringList{"工具"});
    EXPECT_EQ(names(db.itemsOf("工具", "甲").value), (QStringList{"a0", "a1", "a2"}));
}

}  // namespace

TEST_F(ItemDatabaseTest, ACatalogueOpenedReadOnlyIsShownAndNeverWritten) {
    fill(QStringLiteral("工具"));
    const QString backup = root.file("Backup/saved.mdb");
    ASSERT_TRUE(QDir().mkpath(root.file("Backup")));
    ASSERT_TRUE(db.backupTo(backup));
    db.close();
    const QMap<QString, QByteArray> before = filesIn(root.root().dateDir());
    ASSERT_EQ(before.keys(), QStringList{"QVdata.mdb"});

    ItemDatabase readOnly;
    readOnly.setAlwaysReadOnly(true);
    ASSERT_TRUE(readOnly.open(path)) << readOnly.lastError().toStdString();
    EXPECT_TRUE(readOnly.isReadOnly());
    expectEveryChangeRefused(readOnly, backup);
    readOnly.close();
    // Not a byte written, nothing made beside it (no -wal, no -shm).
    EXPECT_EQ(filesIn(root.root().dateDir()), before);
}

TEST_F(ItemDatabaseTest, ChangesStillInTheLogAreReadByAReadOnlyOpening) {
    fill(QStringLiteral("工具"));
    db.close();
    SQLite::Database writer(path.toStdString(), SQLite::OPEN_READWRITE);
    writer.exec("PRAGMA wal_autocheckpoint=0");
    writer.exec("INSERT INTO 表3 (分类, 路径) VALUES ('日志', 'Folder.bmp')");
    ASSERT_GT(QFileInfo(path + "-wal").size(), 0);
    ItemDatabase readOnly;
    readOnly.setAlwaysReadOnly(true);
    ASSERT_TRUE(readOnly.open(path)) << readOnly.lastError().toStdString();
    EXPECT_EQ(categoryNames(readOnly), (QStringList{"工具", "日志"}));
}

// The real thing: a folder this process may not write, found by the opening
// itself. Root may write anywhere a medium allows, so a child gives up root first.
TEST_F(ItemDatabaseTest, AFolderThatCannotBeWrittenIsOpenedReadOnlyByItself) {
    fill(QStringLiteral("工具"));
    db.close();
    const QString date = root.root().dateDir();
    const QMap<QString, QByteArray> before = filesIn(date);
    const bool asRoot = ::geteuid() == 0;
    const auto openMode = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                          QFile::ReadOther | QFile::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(root.path(), openMode | QFile::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(date, asRoot ? openMode | QFile::WriteOwner : openMode));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (asRoot && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(77);
        ItemDatabase db;
        const bool shown =
            db.open(path) && db.isReadOnly() && categoryNames(db) == QStringList{"工具"};
        const bool refused = !db.addCategory("新", "Folder.bmp") &&
                             db.lastRefusal() == ItemDatabase::Refusal::ReadOnly;
        ::_exit(shown && refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    QFile::setPermissions(date, openMode | QFile::WriteOwner);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot give up root here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(filesIn(date), before);
}
