#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <functional>
#include <optional>

#include "core/sync_merge.h"
#include "storage/data_root.h"
#include "storage/item_database.h"

namespace hx::core::sync {

// A file of the sync folder as last looked at, so an unchanged file is not
// read again.
struct FileMark {
    qint64 size = -1;
    qint64 modified = 0;  // nanoseconds
    quint64 inode = 0;
    bool operator==(const FileMark&) const = default;
};

// What a round changed in the database, by names as the database compares
// them, so the panel reloads only what shows a change.
struct Touched {
    bool categories = false;
    QSet<QString> columnsOf;  // name keys of categories
    QSet<QString> itemsOf;    // category key + '\x1f' + column key
    bool any() const { return categories || !columnsOf.isEmpty() || !itemsOf.isEmpty(); }
};

// One data root's side of the sync: its id (User/SyncId), its catalogue with
// stamps (User/SyncState.hxsync), and the round that takes the database's
// changes in, merges the other roots' files, stores the result and writes
// this root's own file. Runs off the interface thread, one round at a time.
class Replica {
  public:
    struct Setup {
        storage::DataRoot root;
        QString home;
        std::function<qint64()> wallMs;
        std::function<QString()> newId;
        QString host;
    };
    // The real clock, ids, home folder and host name.
    static Setup setupFor(const storage::DataRoot& root);

    struct Round {
        QString folder;      // the sync folder; empty: none
        QString importFile;  // merged as another root's file
        QString exportFile;  // written with this root's catalogue afterwards
    };
    struct Outcome {
        bool ok = true;
        QString error;    // why the round, the import or the export failed
        Touched touched;  // what the database now holds differently
        QVector<LeftOut> leftOut;
        int conflicts = 0;
        int removed = 0;
        QString safetyCopy;  // written before the merge, or empty
        bool folderMissing = false;
    };

    explicit Replica(Setup setup);

    // `show` hears what changed in the database as soon as it is stored,
    // before the files are written.
    Outcome run(storage::ItemDatabase& db, const Round& round,
                const std::function<void(const Touched&)>& show = {});
    // Whether a round would find anything new in `folder` (called between rounds).
    bool folderChanged(const QString& folder) const;

    QString id();
    const State& state() const { return state_; }
    QString ownFileName() { return id() + storage::sync::kSuffix; }

  private:
    void load();
    QVector<State> readFolder(const QString& folder, Outcome& outcome,
                              QHash<QString, FileMark>& read);
    bool writeFiles(const QString& folder, const QString& exportFile, Outcome& outcome);

    Setup setup_;
    QString id_;
    bool loaded_ = false;
    State state_;
    std::optional<Layout> placed_;  // how state_ is shown
    std::optional<Clock> clock_;
    QByteArray written_;  // the state file as last written
    // This root's file in the sync folder as last written.
    QString ownPath_;
    std::optional<FileMark> ownMark_;
    QByteArray ownBytes_;
    QHash<QString, FileMark> merged_;   // other roots' files taken in
    QHash<QString, FileMark> refused_;  // files refused, said once until they change
};

// Syncthing's "x.sync-conflict-…", Nextcloud's and Dropbox's "x (… conflicted copy …)",
// ownCloud's "x_conflict-…".
bool isConflictCopy(const QString& fileName);

}  // namespace hx::core::sync
