#include "storage/sqlite.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace hx::storage;

namespace {

struct Scratch {
    QTemporaryDir dir;
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }
};

int primary(const sql::Exception& e) { return e.getErrorCode() & 0xff; }

}  // namespace

// Every failure arrives as an exception carrying SQLite's code, and a
// statement whose step was refused can be reset and used again.
TEST(Sqlite, FailuresCarryTheirCodeAndLeaveTheStatementUsable) {
    Scratch s;
    try {
        sql::Database missing(s.path("absent.db"), sql::OPEN_READONLY);
        FAIL() << "a missing file opened";
    } catch (const sql::Exception& e) {
        EXPECT_EQ(primary(e), SQLITE_CANTOPEN);
    }
    sql::Database db(s.path("a.db"), sql::OPEN_READWRITE | sql::OPEN_CREATE);
    try {
        db.exec("CREATE TABLEX t(a)");
        FAIL() << "bad SQL ran";
    } catch (const sql::Exception& e) {
        EXPECT_EQ(primary(e), SQLITE_ERROR);
        EXPECT_NE(std::string(e.what()).find("syntax error"), std::string::npos) << e.what();
    }
    EXPECT_EQ(db.tryExec("CREATE TABLEX t(a)"), SQLITE_ERROR);
    db.exec("CREATE TABLE t(a TEXT UNIQUE)");
    sql::Statement insert(db, "INSERT INTO t VALUES (?)");
    int refused = 0;
    for (const char* value : {"一", "一", "二"}) {
        insert.tryReset();
        insert.bind(1, value);
        try {
            insert.exec();
        } catch (const sql::Exception& e) {
            EXPECT_EQ(primary(e), SQLITE_CONSTRAINT);
            ++refused;
        }
    }
    EXPECT_EQ(refused, 1);
    sql::Statement count(db, "SELECT count(*) FROM t");
    ASSERT_TRUE(count.executeStep());
    EXPECT_EQ(count.getColumn(0).getInt(), 2);
    EXPECT_THROW(count.getColumn(1), sql::Exception);
    EXPECT_FALSE(count.executeStep());
    EXPECT_THROW(count.getColumn(0), sql::Exception) << "no row after the end";
    EXPECT_THROW(count.executeStep(), sql::Exception) << "stepping past the end";
    count.reset();
    EXPECT_TRUE(count.executeStep());
    EXPECT_THROW(sql::Statement(db, "SELECT a FROM t").exec(), sql::Exception)
        << "exec on a statement that gives rows";
    EXPECT_THROW(insert.bind(2, 1), sql::Exception) << "a parameter that does not exist";
}

// Text keeps its bytes (Chinese, an embedded NUL); NULL reads as empty.
TEST(Sqlite, ValuesComeBackAsStored) {
    Scratch s;
    sql::Database db(s.path("v.db"), sql::OPEN_READWRITE | sql::OPEN_CREATE);
    db.exec("CREATE TABLE v(t, i, r, n)");
    const std::string withNul("衡岫\0工具", 13);
    sql::Statement put(db, "INSERT INTO v VALUES (?, ?, ?, ?)");
    put.bind(1, withNul);
    put.bind(2, int64_t(1) << 40);
    put.bind(3, 0.5);
    put.bind(4);
    put.exec();
    sql::Statement get(db, "SELECT t, i, r, n FROM v");
    ASSERT_TRUE(get.executeStep());
    EXPECT_EQ(get.getColumn(0).getString(), withNul);
    EXPECT_EQ(get.getColumn(0).getBytes(), 13);
    EXPECT_EQ(get.getColumn(1).getInt64(), int64_t(1) << 40);
    EXPECT_EQ(get.getColumn(2).getDouble(), 0.5);
    EXPECT_TRUE(get.getColumn(3).isNull());
    EXPECT_STREQ(get.getColumn(3).getText(), "");
    EXPECT_EQ(get.getColumn(3).getString(), "");
}

TEST(Sqlite, AnUncommittedTransactionIsRolledBack) {
    Scratch s;
    sql::Database db(s.path("t.db"), sql::OPEN_READWRITE | sql::OPEN_CREATE);
    db.exec("CREATE TABLE t(a)");
    {
        sql::Transaction kept(db);
        db.exec("INSERT INTO t VALUES (1)");
        kept.commit();
        EXPECT_THROW(kept.commit(), sql::Exception);
    }
    {
        sql::Transaction dropped(db);
        db.exec("INSERT INTO t VALUES (2)");
    }
    sql::Statement q(db, "SELECT group_concat(a) FROM t");
    ASSERT_TRUE(q.executeStep());
    EXPECT_STREQ(q.getColumn(0).getText(), "1");
}

// A copy that cannot take every page fails; it is never reported whole.
TEST(Sqlite, ABackupIntoALockedDatabaseFails) {
    Scratch s;
    sql::Database source(s.path("src.db"), sql::OPEN_READWRITE | sql::OPEN_CREATE);
    source.exec("CREATE TABLE t(a); INSERT INTO t VALUES ('条目')");
    {
        sql::Database dest(s.path("dest.db"), sql::OPEN_READWRITE | sql::OPEN_CREATE);
        sql::Database holder(s.path("dest.db"), sql::OPEN_READWRITE);
        holder.exec("BEGIN EXCLUSIVE");
        sql::Backup blocked(dest, source);
        try {
            blocked.copyAll();
            FAIL() << "a copy into a locked database was taken for whole";
        } catch (const sql::Exception& e) {
            EXPECT_EQ(primary(e), SQLITE_BUSY);
        }
    }
    sql::Database dest(s.path("dest.db"), sql::OPEN_READWRITE);
    {
        sql::Backup backup(dest, source);
        backup.copyAll();
    }
    sql::Statement q(dest, "SELECT a FROM t");
    ASSERT_TRUE(q.executeStep());
    EXPECT_STREQ(q.getColumn(0).getText(), "条目");
}
