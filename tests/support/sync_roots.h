#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "core/sync_replica.h"
#include "storage/item_database.h"
#include "support/temp_root.h"

namespace hx::test {

// A catalogue dump as text, readable when a comparison fails.
inline std::string lines(const QStringList& l) { return l.join(u'\n').toStdString(); }

// Data roots that sync through folders of their own, between which the test
// carries files as a sync tool would: so it decides who sees what, and when.
// All share one wall clock that moves only when the test moves it.
class SyncRoots {
  public:
    qint64 wall = 1'700'000'000'000;

    struct Root {
        TempRoot temp;
        QTemporaryDir folder;
        storage::ItemDatabase db;
        std::unique_ptr<core::sync::Replica> replica;
        QString home;
        core::sync::Replica::Outcome last;

        storage::DataRoot root() const { return temp.root(); }
        // Takes its changes in, merges what its folder holds, writes its file.
        void sync() {
            last = replica->run(db, {folder.path(), {}, {}});
            ASSERT_TRUE(last.ok) << last.error.toStdString();
        }
        QString ownFile() { return folder.filePath(replica->ownFileName()); }
        // The catalogue as the panel shows it, line by line, home folder as "~".
        QStringList dump() {
            QStringList lines;
            for (const auto& c : db.categories().value) {
                lines << c.name + u'|' + c.picture;
                for (const QString& col : db.columnsOf(c.name).value) {
                    lines << c.name + u'/' + col;
                    for (const auto& i : db.itemsOf(c.name, col).value)
                        lines << QStringLiteral("%1/%2/%3|%4|%5")
                                     .arg(c.name, col, i.name,
                                          QString(i.link).replace(home, QStringLiteral("~")),
                                          QString(i.icon).replace(home, QStringLiteral("~")));
                }
            }
            return lines;
        }
        int safetyCopies() const {
            return QDir(temp.root().backupDir())
                .entryList({QStringLiteral("自动备份-*.mdb")}, QDir::Files)
                .size();
        }
        // Whether any safety copy holds an entry or column whose texts contain `text`.
        bool keptInSafetyCopy(const QString& text) {
            for (const QString& name :
                 QDir(temp.root().backupDir())
                     .entryList({QStringLiteral("自动备份-*.mdb")}, QDir::Files)) {
                storage::ItemDatabase copy;
                if (!copy.open(temp.root().backupDir() + u'/' + name)) continue;
                const auto all = copy.readCatalogue();
                for (const auto& i : all.value.items)
                    if ((i.row.name + i.row.link + i.row.icon).contains(text)) return true;
                for (const auto& c : all.value.columns)
                    if (c.name.contains(text)) return true;
            }
            return false;
        }
    };

    // A root with an empty catalogue; ids it makes start with `tag`.
    Root& add(const QString& tag, const QString& home = QStringLiteral("/home/test")) {
        auto r = std::make_unique<Root>();
        r->home = home;
        EXPECT_TRUE(storage::ItemDatabase::createEmpty(r->temp.root().databasePath()));
        EXPECT_TRUE(r->db.open(r->temp.root().databasePath()));
        auto counter = std::make_shared<int>(0);
        r->replica = std::make_unique<core::sync::Replica>(core::sync::Replica::Setup{
            r->temp.root(), home, [this] { return wall; },
            [tag, counter] { return tag + QString::number(++*counter).rightJustified(6, u'0'); },
            QStringLiteral("host-") + tag});
        roots.push_back(std::move(r));
        return *roots.back();
    }

    // Carries `from`'s file into `to`'s folder, replacing what was there.
    static void deliver(Root& from, Root& to) {
        if (!QFile::exists(from.ownFile())) return;  // nothing written yet
        const QString target = to.folder.filePath(from.replica->ownFileName());
        QFile::remove(target);
        ASSERT_TRUE(QFile::copy(from.ownFile(), target));
    }
    // Every root's file to every other root, then each syncs.
    void exchange() {
        for (auto& a : roots)
            for (auto& b : roots)
                if (a != b) deliver(*a, *b);
        for (auto& r : roots) r->sync();
    }
    // Exchanges until no file changes any more; false if that never happens.
    bool settle(int rounds = 6) {
        for (int i = 0; i < rounds; ++i) {
            QList<QByteArray> before;
            for (auto& r : roots) before << fileOf(*r);
            exchange();
            QList<QByteArray> after;
            for (auto& r : roots) after << fileOf(*r);
            if (before == after) return true;
        }
        return false;
    }
    static QByteArray fileOf(Root& r) {
        QFile f(r.ownFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    std::vector<std::unique_ptr<Root>> roots;
};

}  // namespace hx::test
