#include <gtest/gtest.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QRandomGenerator>
#include <algorithm>
#include <functional>

#include "support/sync_roots.h"

namespace hx::test {
namespace {

using storage::ItemDatabase;
using storage::ItemRow;
using Root = SyncRoots::Root;

void baseline(ItemDatabase& db) {
    ASSERT_TRUE(db.addCategory("常用", "Folder.bmp"));
    ASSERT_TRUE(db.addColumn("常用", "文件夹"));
    ASSERT_TRUE(db.addColumn("常用", "工具"));
    ASSERT_TRUE(db.addItem({"常用", "文件夹", "根目录", "/", "/"}));
    ASSERT_TRUE(db.addItem({"常用", "文件夹", "文档", "/home/test/文档", "/home/test/文档"}));
    ASSERT_TRUE(db.addItem({"常用", "工具", "终端", "&x-terminal-emulator", "$2"}));
}

// Two roots with the baseline catalogue, in step.
struct Pair {
    SyncRoots s;
    Root& a = s.add(QStringLiteral("a"), QStringLiteral("/home/test"));
    Root& b = s.add(QStringLiteral("b"), QStringLiteral("/home/al"));
    Pair() {
        baseline(a.db);
        a.sync();
        EXPECT_TRUE(s.settle());
        EXPECT_EQ(lines(a.dump()), lines(b.dump()));
    }
};

// Whether `lines` stand in `dump` in this order (others may come between).
bool inOrder(const QStringList& dump, const QStringList& lines) {
    qsizetype at = 0;
    for (const QString& line : lines) {
        at = dump.indexOf(line, at);
        if (at < 0) return false;
        ++at;
    }
    return true;
}

// An entry moved to the end of its column, keeping its sync id (as an older
// backup put back in another order would have it).
void moveToEnd(Root& r, const char* name) {
    SQLite::Database raw(r.root().databasePath().toStdString(), SQLite::OPEN_READWRITE);
    SQLite::Statement find(raw, "SELECT rowid FROM 表1 WHERE 名称文本 = ?");
    find.bind(1, name);
    ASSERT_TRUE(find.executeStep());
    const int64_t old = find.getColumn(0).getInt64();
    raw.exec("BEGIN");
    SQLite::Statement move(
        raw, "UPDATE 表1 SET rowid = (SELECT max(rowid) + 1 FROM 表1) WHERE rowid = ?");
    move.bind(1, old);
    move.exec();
    SQLite::Statement rename(
        raw, "UPDATE sync_ids SET row = (SELECT max(rowid) FROM 表1) WHERE tab = 1 AND row = ?");
    rename.bind(1, old);
    rename.exec();
    raw.exec("COMMIT");
}

// The merge rule: concurrent changes on two roots while apart, then every
// file reaches every root. Both end equal, and the losing version of a
// change made on both is in a safety copy of the root that made it.
TEST(SyncMerge, ConcurrentChangesConvergeAndNothingIsLost) {
    using Act = std::function<void(Root&)>;
    const Act nothing = [](Root&) {};
    const auto setLink = [](int index, const char* column, const char* link) {
        return [=](Root& r) {
            const auto row = r.db.itemAt("常用", column, index);
            ItemRow changed = *row.value;
            changed.link = QString::fromUtf8(link).replace(QStringLiteral("~"), r.home);
            ASSERT_TRUE(r.db.updateItemAt("常用", column, index, changed));
        };
    };
    const struct {
        const char* name;
        Act onA, onB;         // B's change comes later
        QStringList present;  // in this order
        QStringList absent;
        int copiesA, copiesB;
        const char* lostA;
        const char* lostB;
    } cases[] = {
        {"add/add",
         [](Root& r) {
             r.db.addItem({"常用", "文件夹", "新A", "/a", "/a"});
         },
         [](Root& r) {
             r.db.addItem({"常用", "文件夹", "新B", "/b", "/b"});
         },
         {"常用/文件夹/根目录|/|/", "常用/文件夹/新A|/a|/a", "常用/文件夹/新B|/b|/b"},
         {},
         0,
         0,
         "",
         ""},
        {"add/delete",
         [](Root& r) {
             r.db.addItem({"常用", "文件夹", "新A", "/a", "/a"});
         },
         [](Root& r) { r.db.deleteItemAt("常用", "文件夹", 1); },
         {"常用/文件夹/根目录|/|/", "常用/文件夹/新A|/a|/a"},
         {"常用/文件夹/文档|~/文档|~/文档"},
         0,
         0,
         "",
         ""},
        {"rename column/edit its entry",
         [](Root& r) { r.db.renameColumn("常用", "文件夹", "目录"); },
         setLink(0, "文件夹", "/srv"),
         {"常用/目录", "常用/目录/根目录|/srv|/"},
         {"常用/文件夹"},
         0,
         0,
         "",
         ""},
        {"rename category/add entry",
         [](Root& r) { r.db.renameCategory("常用", "日常"); },
         [](Root& r) {
             r.db.addItem({"常用", "文件夹", "新B", "/b", "/b"});
         },
         {"日常|Folder.bmp", "日常/文件夹/新B|/b|/b"},
         {"常用|Folder.bmp"},
         0,
         0,
         "",
         ""},
        {"rename/edit one entry",
         [](Root& r) {
             r.db.updateItemAt("常用", "文件夹", 0, {"常用", "文件夹", "树根", "/", "/"});
         },
         setLink(0, "文件夹", "/srv"),
         {"常用/文件夹/根目录|/srv|/"},
         {"常用/文件夹/树根|/|/"},
         1,
         0,
         "树根",
         ""},
        {"delete/edit",
         [](Root& r) { r.db.deleteItemAt("常用", "文件夹", 1); },
         setLink(1, "文件夹", "~/新文档"),
         {"常用/文件夹/文档|~/新文档|~/文档"},
         {},
         0,
         0,
         "",
         ""},
        {"edit/delete",
         setLink(1, "文件夹", "~/改过"),
         [](Root& r) { r.db.deleteItemAt("常用", "文件夹", 1); },
         {"常用/文件夹/根目录|/|/"},
         {"常用/文件夹/文档|~/改过|~/文档", "常用/文件夹/文档|~/文档|~/文档"},
         1,
         0,
         "改过",
         ""},
        {"edit/edit",
         setLink(0, "工具", "&xterm"),
         setLink(0, "工具", "&konsole"),
         {"常用/工具/终端|&konsole|$2"},
         {"常用/工具/终端|&xterm|$2"},
         1,
         0,
         "xterm",
         ""},
        {"delete column/add into it",
         [](Root& r) { r.db.deleteColumn("常用", "工具"); },
         [](Root& r) {
             r.db.addItem({"常用", "工具", "新B", "/b", "/b"});
         },
         {"常用/文件夹"},
         {"常用/工具", "常用/工具/新B|/b|/b", "常用/工具/终端|&x-terminal-emulator|$2"},
         0,
         1,
         "",
         "新B"},
        {"reorder/add",
         [](Root& r) { moveToEnd(r, "根目录"); },
         [](Root& r) {
             r.db.addItem({"常用", "文件夹", "新B", "/b", "/b"});
         },
         {"常用/文件夹/文档|~/文档|~/文档", "常用/文件夹/根目录|/|/", "常用/文件夹/新B|/b|/b"},
         {},
         0,
         0,
         "",
         ""},
        {"clear/nothing",
         [](Root& r) { r.db.clearAll(); },
         nothing,
         {},
         {"常用|Folder.bmp", "常用/文件夹", "常用/文件夹/根目录|/|/"},
         0,
         0,
         "",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Pair p;
        p.s.wall += 1000;
        c.onA(p.a);
        p.a.sync();
        p.s.wall += 1000;
        c.onB(p.b);
        p.b.sync();
        ASSERT_TRUE(p.s.settle());
        const QStringList a = p.a.dump();
        EXPECT_EQ(lines(a), lines(p.b.dump()));
        EXPECT_TRUE(inOrder(a, c.present)) << a.join(u'\n').toStdString();
        for (const QString& line : c.absent) EXPECT_FALSE(a.contains(line)) << line.toStdString();
        EXPECT_EQ(p.a.safetyCopies(), c.copiesA);
        EXPECT_EQ(p.b.safetyCopies(), c.copiesB);
        if (*c.lostA) {
            EXPECT_TRUE(p.a.keptInSafetyCopy(QString::fromUtf8(c.lostA)));
        }
        if (*c.lostB) {
            EXPECT_TRUE(p.b.keptInSafetyCopy(QString::fromUtf8(c.lostB)));
        }
    }
}

// Each root writes home-folder paths relative; each stores them under its own home.
TEST(SyncMerge, PathsUnderTheHomeFolderFollowTheUser) {
    Pair p;
    const auto row = p.b.db.itemAt("常用", "文件夹", 1);
    ASSERT_TRUE(row.value);
    EXPECT_EQ(row.value->link, "/home/al/文档");
    EXPECT_TRUE(SyncRoots::fileOf(p.a).contains("\"link\":\"~/文档\""));
}

TEST(SyncMerge, ColumnsBeyondTenWaitUntilThereIsRoom) {
    Pair p;
    for (int i = 3; i <= 9; ++i)
        ASSERT_TRUE(p.a.db.addColumn("常用", QStringLiteral("栏%1").arg(i)));
    p.a.sync();
    ASSERT_TRUE(p.s.settle());
    p.s.wall += 1000;
    ASSERT_TRUE(p.a.db.addColumn("常用", "甲"));
    p.a.sync();
    ASSERT_TRUE(p.b.db.addColumn("常用", "乙"));
    ASSERT_TRUE(p.b.db.addItem({"常用", "乙", "乙的项目", "/b", "/b"}));
    p.b.sync();
    ASSERT_TRUE(p.s.settle());
    EXPECT_EQ(lines(p.a.dump()), lines(p.b.dump()));
    const auto columns = p.a.db.columnsOf("常用");
    EXPECT_EQ(columns.value.size(), 10);
    EXPECT_TRUE(columns.value.contains("甲"));
    // The same column waits on both roots, and both say so.
    for (Root* r : {&p.a, &p.b}) {
        ASSERT_EQ(r->last.leftOut.size(), 1);
        EXPECT_EQ(r->last.leftOut.at(0).why, core::sync::LeftOut::TooManyColumns);
        EXPECT_EQ(r->last.leftOut.at(0).name, "乙");
        EXPECT_EQ(r->last.leftOut.at(0).entries, 1);
    }
    // Nothing of it was dropped: once a column goes, it shows.
    ASSERT_TRUE(p.a.db.deleteColumn("常用", "栏5"));
    p.a.sync();
    ASSERT_TRUE(p.s.settle());
    EXPECT_EQ(lines(p.a.dump()), lines(p.b.dump()));
    EXPECT_TRUE(p.b.dump().contains("常用/乙/乙的项目|/b|/b"));
    EXPECT_TRUE(p.b.last.leftOut.isEmpty());
}

TEST(SyncMerge, SameNamesAddedApartAreShownApart) {
    Pair p;
    ASSERT_TRUE(p.a.db.addCategory("游戏", "Folder.bmp"));
    ASSERT_TRUE(p.a.db.addColumn("游戏", "棋牌"));
    p.a.sync();
    ASSERT_TRUE(p.b.db.addCategory("游戏", "Folder.bmp"));
    ASSERT_TRUE(p.b.db.addColumn("游戏", "动作"));
    p.b.sync();
    ASSERT_TRUE(p.s.settle());
    const QStringList a = p.a.dump();
    EXPECT_EQ(lines(a), lines(p.b.dump()));
    // Items go by names: one name for two categories would mix their columns.
    EXPECT_TRUE(a.contains("游戏/棋牌")) << a.join(u'\n').toStdString();
    EXPECT_TRUE(a.contains("游戏2/动作")) << a.join(u'\n').toStdString();
    EXPECT_EQ(p.a.last.leftOut.size(), 1);
    EXPECT_EQ(p.a.last.leftOut.at(0).why, core::sync::LeftOut::Renamed);
}

// A third root joins late, and changes reach every root whatever way the
// files travel: the same catalogue at the end of every order.
TEST(SyncMerge, ThreeRootsEndAlikeWhateverOrderTheFilesTake) {
    QStringList first;
    for (int seed = 0; seed < 6; ++seed) {
        SCOPED_TRACE(seed);
        SyncRoots s;
        Root& a = s.add(QStringLiteral("a"));
        Root& b = s.add(QStringLiteral("b"), QStringLiteral("/home/al"));
        baseline(a.db);
        a.sync();
        ASSERT_TRUE(s.settle());
        Root& c = s.add(QStringLiteral("c"), QStringLiteral("/home/carol"));
        ASSERT_TRUE(s.settle());
        ASSERT_EQ(lines(c.dump()), lines(a.dump()));

        s.wall += 1000;
        a.db.updateItemAt("常用", "文件夹", 0, {"常用", "文件夹", "根", "/", "/"});
        a.db.addItem({"常用", "工具", "A加", "/a", "/a"});
        a.sync();
        s.wall += 1000;
        b.db.updateItemAt("常用", "文件夹", 0, {"常用", "文件夹", "根目录", "/root", "/"});
        b.db.renameColumn("常用", "工具", "程序");
        b.sync();
        s.wall += 1000;
        c.db.deleteColumn("常用", "文件夹");
        c.db.addCategory("影音", "Folder.bmp");
        c.sync();

        QVector<std::pair<Root*, Root*>> trips;
        for (Root* x : {&a, &b, &c})
            for (Root* y : {&a, &b, &c})
                if (x != y) trips.push_back({x, y});
        QRandomGenerator random(seed);
        std::shuffle(trips.begin(), trips.end(), random);
        for (const auto& [from, to] : trips) {
            SyncRoots::deliver(*from, *to);
            to->sync();
            s.wall += 10;
        }
        ASSERT_TRUE(s.settle());
        const QStringList end = a.dump();
        EXPECT_EQ(lines(end), lines(b.dump()));
        EXPECT_EQ(lines(end), lines(c.dump()));
        if (first.isEmpty()) first = end;
        EXPECT_EQ(lines(end), lines(first));
        EXPECT_TRUE(end.contains("常用/程序/A加|/a|/a")) << end.join(u'\n').toStdString();
        EXPECT_TRUE(end.contains("影音|Folder.bmp"));
        EXPECT_FALSE(end.contains("常用/文件夹"));
    }
}

// A clear and a restore are changes like others; a merge that removes more
// than ten entries keeps a safety copy first.
TEST(SyncMerge, ClearAndRestoreReachTheOtherRoot) {
    Pair p;
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(p.a.db.addItem({"常用", "工具", QStringLiteral("工具%1").arg(i), "/", "/"}));
    p.a.sync();
    ASSERT_TRUE(p.s.settle());
    const QStringList full = p.b.dump();
    const QString backup = p.a.temp.file(QStringLiteral("before.mdb"));
    ASSERT_TRUE(p.a.db.backupTo(backup));

    p.s.wall += 1000;
    ASSERT_TRUE(p.a.db.clearAll());
    p.a.sync();
    ASSERT_TRUE(p.s.settle());
    EXPECT_TRUE(p.b.dump().isEmpty()) << lines(p.b.dump());
    EXPECT_EQ(p.b.safetyCopies(), 1);
    EXPECT_TRUE(p.b.keptInSafetyCopy(QStringLiteral("工具9")));

    p.s.wall += 1000;
    ASSERT_TRUE(p.a.db.restoreFrom(backup, p.a.root().databasePath()));
    p.a.sync();
    ASSERT_TRUE(p.s.settle());
    EXPECT_EQ(lines(p.b.dump()), lines(full));
    EXPECT_EQ(lines(p.a.dump()), lines(full));
}

// Deletion marks are forgotten after a month; what a root had seen and no
// longer holds stays deleted, even from a stale file or a root long away.
TEST(SyncMerge, ForgottenDeletionsStayDeleted) {
    SyncRoots s;
    Root& a = s.add(QStringLiteral("a"));
    Root& b = s.add(QStringLiteral("b"));
    Root& away = s.add(QStringLiteral("c"));
    baseline(a.db);
    a.sync();
    ASSERT_TRUE(s.settle());
    const QByteArray stale = SyncRoots::fileOf(b);
    // Away from here on: it takes part in no exchange.
    const std::unique_ptr<Root> keep = std::move(s.roots.back());
    s.roots.pop_back();

    ASSERT_TRUE(a.db.deleteItemAt("常用", "文件夹", 1));
    a.sync();
    ASSERT_TRUE(s.settle());
    s.wall += core::sync::kForgetAfterMs + 1000;
    ASSERT_TRUE(s.settle());
    EXPECT_FALSE(SyncRoots::fileOf(a).contains("\"gone\"")) << "the mark was kept";

    // An old file of b's turns up again.
    QFile oldB(a.folder.filePath(QStringLiteral("b000000.sync-conflict-20240101-000000-X.hxsync")));
    ASSERT_TRUE(oldB.open(QIODevice::WriteOnly));
    oldB.write(stale);
    oldB.close();
    a.sync();
    EXPECT_FALSE(a.dump().contains("常用/文件夹/文档|~/文档|~/文档"));
    EXPECT_FALSE(oldB.exists()) << "a conflict copy is removed once merged";

    // The root that was away still has the entry; it goes there too.
    SyncRoots::deliver(a, away);
    away.sync();
    EXPECT_FALSE(away.dump().contains("常用/文件夹/文档|~/文档|~/文档"));
    EXPECT_EQ(lines(away.dump()), lines(a.dump()));
}

}  // namespace
}  // namespace hx::test
