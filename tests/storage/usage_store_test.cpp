#include <gtest/gtest.h>

#include <SQLiteCpp/Database.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cmath>
#include <functional>

#include "storage/usage_store.h"
#include "support/temp_root.h"

namespace hx::storage {
namespace {

constexpr qint64 kDay = 24 * 3600;

class UsageStoreTest : public ::testing::Test {
  protected:
    test::TempRoot temp;
    QString path = temp.file("User/QuickOpen.db");
};

TEST_F(UsageStoreTest, WeightsDecayPicksFollowPrefixesAndBothSurviveARestart) {
    const qint64 t0 = 1'800'000'000;
    {
        UsageStore store(path);
        store.record("a", "kz", t0);
        store.record("a", QString(), t0);
        store.record("b", "kzmb", t0 + kDay);
        store.record("c", "k", t0 + 2 * kDay);
    }
    UsageStore store(path);
    const UsageStore::Snapshot s = store.snapshot(t0 + 14 * kDay);
    EXPECT_NEAR(s.weights.value("a"), 1.0, 1e-9);  // two openings, one half-life ago
    EXPECT_NEAR(s.weights.value("b"), std::exp2(-13.0 / 14), 1e-9);
    EXPECT_EQ(s.pickFor("k"), "c");     // the pick for exactly this text
    EXPECT_EQ(s.pickFor("kz"), "a");    // ... before a longer one's
    EXPECT_EQ(s.pickFor("kzm"), "b");   // the latest pick of a text it starts
    EXPECT_EQ(s.pickFor("kzmbx"), "");  // never a shorter one's
    EXPECT_EQ(s.pickFor(""), "");
}

TEST_F(UsageStoreTest, CappedForgottenAndCleared) {
    UsageStore store(path, {2, 2});
    const qint64 t = 1'800'000'000;
    const QString old = UsageStore::entryKey("甲", "栏", "旧", "/old");
    store.record(old, "j", t);
    for (int i = 0; i < 3; ++i) store.record(UsageStore::programKey("/p"), "p", t + 10 + i);
    store.record(UsageStore::entryKey("甲", "栏", "新", "/new"), "x", t + 20);
    UsageStore::Snapshot s = store.snapshot(t + 40);
    // Over the caps: the lightest entry and the oldest pick went.
    EXPECT_EQ(s.weights.size(), 2);
    EXPECT_FALSE(s.weights.contains(old));
    EXPECT_EQ(s.picks.size(), 2);
    EXPECT_FALSE(s.picks.contains("j"));

    // Catalogue entries not present go, picks of them too; programs stay.
    store.keepOnlyEntries({old});
    store.flush();
    s = UsageStore(path).snapshot(t + 40);  // as written
    EXPECT_EQ(s.weights.keys(), QStringList{UsageStore::programKey("/p")});
    EXPECT_EQ(s.picks.keys(), QStringList{"p"});

    store.clear();
    store.flush();
    EXPECT_TRUE(UsageStore(path).snapshot().weights.isEmpty());
}

// Bytes SQLite cannot read, and another program's database: both are set
// aside whole and the file started afresh.
TEST_F(UsageStoreTest, ADamagedOrForeignFileIsSetAsideAndStartedAfresh) {
    const QString scratch = temp.file("scratch.db");
    struct Case {
        const char* name;
        const char* sql;  // makes the file; none: 4 KB of garbage
    };
    const Case cases[] = {{"garbage", nullptr},
                          {"foreign columns", "CREATE TABLE usage(a, b); CREATE TABLE picks(x);"},
                          {"foreign table", "CREATE TABLE notes(text);"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(temp.file("User")).removeRecursively();
        QFile::remove(scratch);
        if (c.sql) {
            SQLite::Database(scratch.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE)
                .exec(c.sql);
            ASSERT_TRUE(temp.write("User/QuickOpen.db", temp.read("scratch.db")));
        } else {
            ASSERT_TRUE(temp.write("User/QuickOpen.db", QByteArray(4096, 'x')));
        }
        const QByteArray before = temp.read("User/QuickOpen.db");
        {
            UsageStore store(path);
            EXPECT_TRUE(store.snapshot().weights.isEmpty());
            store.record("a", "a");
        }
        const UsageStore::Snapshot s = UsageStore(path).snapshot();
        EXPECT_EQ(s.weights.size(), 1);
        EXPECT_EQ(s.pickFor("a"), "a");
        const QStringList aside = QDir(temp.file("User")).entryList({"QuickOpen.db.damaged-*"});
        ASSERT_EQ(aside.size(), 1);
        EXPECT_EQ(temp.read("User/" + aside.first()), before);
    }
}

// A usage file that is really the catalogue (a link, a second name) or no
// file at all is never opened: the catalogue is not written and nothing is
// made where a link points; learning goes on for this run.
TEST_F(UsageStoreTest, AUsageFileThatIsAnotherFileIsLeftAlone) {
    const QString catalogue = temp.file("Date/QVdata.mdb");
    SQLite::Database(catalogue.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE)
        .exec("PRAGMA journal_mode=WAL; CREATE TABLE 表3(分类, 路径);");
    const QByteArray stored = temp.read("Date/QVdata.mdb");
    const QString nowhere = temp.file("Date/nowhere.db");
    const std::pair<const char*, std::function<bool()>> cases[] = {
        {"link to the catalogue", [&] { return QFile::link("../Date/QVdata.mdb", path); }},
        {"second name of the catalogue",
         [&] {
             return ::link(QFile::encodeName(catalogue).constData(),
                           QFile::encodeName(path).constData()) == 0;
         }},
        {"link to nothing", [&] { return QFile::link(nowhere, path); }},
        {"folder", [&] { return QDir().mkpath(path); }},
    };
    for (const auto& [name, make] : cases) {
        SCOPED_TRACE(name);
        QDir(temp.file("User")).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(temp.file("User")));
        ASSERT_TRUE(make());
        {
            UsageStore store(path, {}, {catalogue});
            store.record("a", "a");
            EXPECT_GT(store.snapshot().weights.value("a"), 0.0);  // kept for this run
        }
        EXPECT_EQ(temp.read("Date/QVdata.mdb"), stored);
        EXPECT_EQ(QDir(temp.file("Date")).entryList(QDir::Files), QStringList{"QVdata.mdb"});
        EXPECT_TRUE(QDir(temp.file("User")).entryList({"*.damaged-*"}).isEmpty());
    }
}

TEST_F(UsageStoreTest, AFileThatCannotBeMadeCostsOnlyTheRecords) {
    ASSERT_TRUE(temp.write("User/plain", "not a folder"));
    UsageStore store(temp.file("User/plain/QuickOpen.db"));
    store.record("a", "a");  // neither throws nor blocks; kept for this run
    EXPECT_GT(store.snapshot().weights.value("a"), 0.0);
    EXPECT_EQ(temp.read("User/plain"), "not a folder");
}

}  // namespace
}  // namespace hx::storage
