#include <gtest/gtest.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QDir>
#include <QProcess>

#include "support/sync_roots.h"

namespace hx::test {
namespace {

using Root = SyncRoots::Root;

// Lines the program writes to stderr while alive.
class StderrLines {
  public:
    StderrLines() {
        lines().clear();
        previous_ = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString& m) { lines() << m; });
    }
    ~StderrLines() { qInstallMessageHandler(previous_); }
    static QStringList& lines() {
        static QStringList l;
        return l;
    }

  private:
    QtMessageHandler previous_;
};

void fill(Root& r, const char* category, int items) {
    ASSERT_TRUE(r.db.addCategory(category, "Folder.bmp"));
    ASSERT_TRUE(r.db.addColumn(category, "栏"));
    for (int i = 0; i < items; ++i)
        ASSERT_TRUE(r.db.addItem({category, "栏", QStringLiteral("项%1").arg(i), "/", "/"}));
}

void write(const QString& path, const QByteArray& bytes) {
    QFile::remove(path);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A file of another root cut anywhere, garbage or of a newer format is
// refused with one line on stderr each, and the catalogue stays as it was;
// the whole file, once there, is merged.
TEST(SyncReplica, TornFilesAreRefusedAndMergedWhenWhole) {
    SyncRoots s;
    Root& a = s.add(QStringLiteral("a"));
    Root& b = s.add(QStringLiteral("b"));
    fill(a, "甲", 3);
    a.sync();
    fill(b, "乙", 2);
    b.sync();
    const QStringList before = b.dump();
    const QByteArray whole = SyncRoots::fileOf(a);
    const QString target = b.folder.filePath(a.replica->ownFileName());

    QList<QByteArray> broken;
    for (qsizetype cut = 0; cut < whole.size(); cut += 10) broken << whole.left(cut);
    broken << QByteArray("\0\1\2garbage\n", 11)
           << QByteArray(whole).replace("sync 1\n", "sync 7\n");
    StderrLines stderrLines;
    for (const QByteArray& bytes : broken) {
        write(target, bytes);
        b.sync();
        ASSERT_EQ(lines(b.dump()), lines(before)) << bytes.size() << " bytes";
    }
    EXPECT_EQ(stderrLines.lines().filter(QStringLiteral("refused")).size(), broken.size());
    EXPECT_TRUE(stderrLines.lines().last().contains(QStringLiteral("format 7 is newer")));
    // Unchanged, it is not read (nor said) again.
    b.sync();
    EXPECT_EQ(stderrLines.lines().filter(QStringLiteral("refused")).size(), broken.size());

    write(target, whole);
    b.sync();
    EXPECT_TRUE(b.dump().contains("甲/栏/项2|/|/"));
    EXPECT_TRUE(b.dump().contains("乙/栏/项1|/|/"));
}

TEST(SyncReplica, AnOldDatabaseGainsSyncIdsAtItsFirstRound) {
    SyncRoots s;
    Root& a = s.add(QStringLiteral("a"));
    fill(a, "甲", 2);
    const auto hasTable = [&] {
        SQLite::Database raw(a.root().databasePath().toStdString(), SQLite::OPEN_READONLY);
        return raw.tableExists("sync_ids");
    };
    EXPECT_FALSE(hasTable()) << "a catalogue never synced keeps its designed tables";
    a.sync();
    ASSERT_TRUE(hasTable());
    const auto stored = a.db.readCatalogue();
    ASSERT_TRUE(stored);
    for (const auto& i : stored.value.items) EXPECT_FALSE(i.syncId.isEmpty());
    // A deleted row's id goes with it: a new row in its place is a new entry.
    const QString first = stored.value.items.at(1).syncId;
    ASSERT_TRUE(a.db.deleteItemAt("甲", "栏", 1));
    ASSERT_TRUE(a.db.addItem({"甲", "栏", "新", "/", "/"}));
    a.sync();
    const auto again = a.db.readCatalogue();
    EXPECT_NE(again.value.items.at(1).syncId, first);
    EXPECT_TRUE(a.replica->state().records.value(first).gone);
}

TEST(SyncReplica, ConflictCopiesAreMergedThenRemoved) {
    const char* names[] = {"%1.sync-conflict-20240501-101010-ABCDEFG.hxsync",
                           "%1 (conflicted copy 2024-05-01 101010).hxsync",
                           "%1 (Alice's conflicted copy 2024-05-01).hxsync"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        SyncRoots s;
        Root& a = s.add(QStringLiteral("a"));
        Root& b = s.add(QStringLiteral("b"));
        fill(a, "甲", 1);
        a.sync();
        const QString copy = b.folder.filePath(QString::fromLatin1(name).arg(a.replica->id()));
        ASSERT_TRUE(QFile::copy(a.ownFile(), copy));
        b.sync();
        EXPECT_TRUE(b.dump().contains("甲/栏/项0|/|/"));
        EXPECT_FALSE(QFile::exists(copy));
    }
}

// A data root copied elsewhere is another root: it never writes the file of
// the one it was copied from.
TEST(SyncReplica, ACopiedRootSyncsUnderItsOwnId) {
    SyncRoots s;
    Root& a = s.add(QStringLiteral("a"));
    fill(a, "甲", 1);
    a.sync();
    TempRoot copy(false);
    ASSERT_EQ(QProcess::execute(
                  QStringLiteral("cp"),
                  {QStringLiteral("-a"), a.temp.path() + QStringLiteral("/."), copy.path()}),
              0);
    core::sync::Replica moved({copy.root(), QStringLiteral("/home/test"), [&] { return s.wall; },
                               [] { return QStringLiteral("fresh1"); }, QStringLiteral("host-a")});
    EXPECT_EQ(moved.id(), "fresh1");
    core::sync::Replica again({a.root(), QStringLiteral("/home/test"), [&] { return s.wall; },
                               [] { return QStringLiteral("never"); }, QStringLiteral("host-a")});
    EXPECT_EQ(again.id(), a.replica->id());
}

}  // namespace
}  // namespace hx::test
