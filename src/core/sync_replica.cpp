#include "core/sync_replica.h"

#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>

#include "storage/atomic_file.h"
#include "storage/safety_copy.h"

namespace hx::core::sync {
namespace {

using storage::sync::fromText;
using storage::sync::kMaxFileSize;
using storage::sync::toText;

const QString kIdFile = QStringLiteral("User/SyncId");
const QString kStateFile = QStringLiteral("User/SyncState.hxsync");

std::optional<FileMark> markOf(const QString& path) {
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileMark{st.st_size, st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec,
                    static_cast<quint64>(st.st_ino)};
}

// At most `limit` bytes and one more, so that a larger file shows as larger.
QByteArray readAtMost(const QString& path, qint64 limit) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(limit + 1);
}

QString rootPath(const storage::DataRoot& root) {
    const QString canonical = QFileInfo(root.path()).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(root.path()).absoluteFilePath() : canonical;
}

void addKeys(const storage::Table table, const QStringList& values, Touched& t) {
    switch (table) {
        case storage::Table::Categories:
            t.categories = true;
            break;
        case storage::Table::Columns:
            t.columnsOf.insert(nameKey(values.value(0)));
            break;
        case storage::Table::Items:
            t.itemsOf.insert(nameKey(values.value(0)) + u'\x1f' + nameKey(values.value(1)));
            break;
    }
}

Touched touchedBy(const storage::CatalogueChange& change, const Resolved& stored) {
    QHash<std::pair<int, qint64>, const StoredEntry*> rows;
    for (const StoredEntry& e : stored.entries) rows.insert({int(e.table), e.rowid}, &e);
    Touched t;
    const auto before = [&](storage::Table table, qint64 rowid) {
        if (const StoredEntry* e = rows.value({int(table), rowid})) addKeys(table, e->values, t);
    };
    for (const auto& r : change.removals) before(r.table, r.rowid);
    for (const auto& u : change.updates) {
        before(u.table, u.rowid);
        addKeys(u.table, u.values, t);
    }
    for (const auto& i : change.inserts) addKeys(i.table, i.values, t);
    return t;
}

}  // namespace

bool isConflictCopy(const QString& fileName) {
    const QString name = fileName.toLower();
    return name.contains(QLatin1String(".sync-conflict-")) ||
           name.contains(QLatin1String("conflicted copy")) ||
           name.contains(QLatin1String("_conflict-"));
}

Replica::Setup Replica::setupFor(const storage::DataRoot& root) {
    return {root, QDir::homePath(), [] { return QDateTime::currentMSecsSinceEpoch(); },
            [] {
                return QString::number(QRandomGenerator::system()->generate64(), 16)
                    .rightJustified(16, u'0');
            },
            QSysInfo::machineHostName()};
}

Replica::Replica(Setup setup) : setup_(std::move(setup)) {}

// The id belongs to the root where it was made: a root found on another
// machine or in another folder is a copy (or was moved) and takes a new one,
// so two copies never write one file.
QString Replica::id() {
    if (!id_.isEmpty()) return id_;
    const QString path = setup_.root.file(kIdFile);
    const QStringList lines = QString::fromUtf8(readAtMost(path, 4096)).split(u'\n');
    const QString stored = lines.value(0).trimmed();
    const QString where = rootPath(setup_.root);
    if (storage::sync::isValidId(stored) && lines.value(1) == setup_.host &&
        lines.value(2) == where) {
        id_ = stored;
        return id_;
    }
    id_ = setup_.newId();
    if (storage::sync::isValidId(stored))
        qWarning("hengxiu-toolbox: sync: %s was copied or moved; it syncs as %s from now on",
                 qPrintable(setup_.root.path()), qPrintable(id_));
    QString error;
    if (!storage::atomic_file::replaceContents(
            path, (id_ + u'\n' + setup_.host + u'\n' + where + u'\n').toUtf8(), &error))
        qWarning("hengxiu-toolbox: sync: %s", qPrintable(error));
    return id_;
}

void Replica::load() {
    loaded_ = true;
    const QString self = id();
    const QString path = setup_.root.file(kStateFile);
    if (QFileInfo::exists(path)) {
        const QByteArray bytes = readAtMost(path, kMaxFileSize);
        storage::sync::Parsed parsed = fromText(bytes);
        if (parsed.state) {
            state_ = std::move(*parsed.state);
            written_ = bytes;
        } else {
            qWarning("hengxiu-toolbox: sync: %s refused, starting afresh: %s", qPrintable(path),
                     qPrintable(parsed.error));
        }
    }
    if (!state_.root.isEmpty() && state_.root != self) {
        // Made under the old id: what that id had seen, this root has seen.
        state_.seen.insert(state_.root, state_.written);
    }
    state_.root = self;
    clock_.emplace(self, setup_.wallMs);
    clock_->observe(state_.written);
    for (const Record& r : state_.records) clock_->observe(r.stamp);
}

QVector<State> Replica::readFolder(const QString& folder, Outcome& outcome,
                                   QHash<QString, FileMark>& read) {
    QVector<State> states;
    if (folder.isEmpty()) return states;
    if (!QFileInfo(folder).isDir()) {
        outcome.folderMissing = true;
        return states;
    }
    const QString own = ownFileName();
    const QStringList names = QDir(folder).entryList({u'*' + storage::sync::kSuffix}, QDir::Files);
    for (const QString& name : names) {
        if (name == own) continue;
        const QString path = folder + u'/' + name;
        const auto mark = markOf(path);
        if (!mark || merged_.value(name) == *mark || refused_.value(name) == *mark) continue;
        storage::sync::Parsed parsed = fromText(readAtMost(path, kMaxFileSize));
        if (!parsed.state) {
            // Said once; the file is read again when it changes (a sync tool
            // still writing it, another root mid-way).
            qWarning("hengxiu-toolbox: sync: %s refused: %s", qPrintable(path),
                     qPrintable(parsed.error));
            refused_.insert(name, *mark);
            continue;
        }
        refused_.remove(name);
        read.insert(name, *mark);
        states.push_back(std::move(*parsed.state));
    }
    return states;
}

bool Replica::folderChanged(const QString& folder) const {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return false;
    const QString own = id_ + storage::sync::kSuffix;
    if (ownMark_ && markOf(folder + u'/' + own) != ownMark_) return true;
    const QStringList names = QDir(folder).entryList({u'*' + storage::sync::kSuffix}, QDir::Files);
    for (const QString& name : names) {
        if (name == own) continue;
        const auto mark = markOf(folder + u'/' + name);
        if (mark && merged_.value(name) != *mark && refused_.value(name) != *mark) return true;
    }
    return false;
}

bool Replica::writeFiles(const QString& folder, const QString& exportFile, Outcome& outcome) {
    const QByteArray bytes = toText(state_);
    QString error;
    if (bytes != written_) {
        if (storage::atomic_file::replaceContents(setup_.root.file(kStateFile), bytes, &error))
            written_ = bytes;
        else
            qWarning("hengxiu-toolbox: sync: %s", qPrintable(error));
    }
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
        const QString path = folder + u'/' + ownFileName();
        // Written again when it changed, and when anything else touched it.
        if (!ownMark_ || markOf(path) != ownMark_ || ownBytes_ != bytes) {
            if (storage::atomic_file::replaceContents(path, bytes, &error)) {
                ownMark_ = markOf(path);
                ownBytes_ = bytes;
            } else {
                qWarning("hengxiu-toolbox: sync: %s", qPrintable(error));
                ownMark_.reset();
            }
        }
    }
    if (!exportFile.isEmpty() &&
        !storage::atomic_file::replaceContents(exportFile, bytes, &error)) {
        outcome.ok = false;
        outcome.error = error;
        return false;
    }
    return true;
}

Replica::Outcome Replica::run(storage::ItemDatabase& db, const Round& round,
                              const std::function<void(const Touched&)>& show) {
    Outcome out;
    if (!loaded_) {
        load();
        // A state file lost with the folder still holding this root's file:
        // that file is the same state.
        if (written_.isEmpty() && !round.folder.isEmpty()) {
            storage::sync::Parsed own =
                fromText(readAtMost(round.folder + u'/' + ownFileName(), kMaxFileSize));
            if (own.state && own.state->root == id_) {
                state_ = std::move(*own.state);
                placed_.reset();
                for (const Record& r : state_.records) clock_->observe(r.stamp);
                clock_->observe(state_.written);
            }
        }
    }
    if (ownPath_ != round.folder) {
        // Another folder: this root's file there is written at the end of the round.
        ownPath_ = round.folder;
        ownMark_.reset();
        merged_.clear();
        refused_.clear();
    }
    std::optional<State> imported;
    if (!round.importFile.isEmpty()) {
        storage::sync::Parsed parsed = fromText(readAtMost(round.importFile, kMaxFileSize));
        if (!parsed.state) {
            out.ok = false;
            out.error = parsed.error;
            return out;
        }
        imported = std::move(parsed.state);
    }
    const QString& home = setup_.home;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const auto stored = db.readCatalogue();
        if (!stored) {
            out.ok = false;
            out.error = stored.error;
            return out;
        }
        const Resolved resolved = resolve(stored.value, setup_.newId);
        if (!placed_) placed_ = layout(state_, home);
        State captured = capture(state_, resolved, *placed_, *clock_, home);
        QHash<QString, FileMark> read;
        QVector<State> others = readFolder(round.folder, out, read);
        if (imported) others.push_back(*imported);
        Merged merged = merge(captured, others, *clock_);
        Layout placed = layout(merged.state, home);
        int removed = 0;
        const storage::CatalogueChange change = changeFor(resolved, placed, &removed);
        if (!change.isEmpty()) {
            if (change.touchesCatalogue() && (merged.conflicts > 0 || removed > 10)) {
                out.safetyCopy = storage::writeSafetyCopy(setup_.root, db);
                if (out.safetyCopy.isEmpty()) {
                    out.ok = false;
                    out.error = QStringLiteral("no safety copy could be written in %1")
                                    .arg(setup_.root.backupDir());
                    return out;
                }
            }
            const auto result = db.applyCatalogueChange(change, stored.value.version);
            if (result == storage::ItemDatabase::ChangeResult::Stale)
                continue;  // changed meanwhile
            if (result == storage::ItemDatabase::ChangeResult::Failed) {
                out.ok = false;
                out.error = db.lastError();
                return out;
            }
            out.touched = touchedBy(change, resolved);
            if (show && out.touched.any()) show(out.touched);
        }
        state_ = std::move(merged.state);
        out.leftOut = placed.leftOut;
        placed_ = std::move(placed);
        out.conflicts = merged.conflicts;
        out.removed = removed;
        for (auto it = read.cbegin(); it != read.cend(); ++it) {
            if (isConflictCopy(it.key()) && QFile::remove(round.folder + u'/' + it.key())) {
                merged_.remove(it.key());
                continue;
            }
            merged_.insert(it.key(), it.value());
        }
        writeFiles(round.folder, round.exportFile, out);
        return out;
    }
    out.ok = false;
    out.error = QStringLiteral("the catalogue kept changing while it was merged");
    return out;
}

}  // namespace hx::core::sync
