#include "storage/usage_store.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <future>

#include "text/printable.h"

namespace hx::storage {
namespace {

std::string bytes(const QString& text) { return text.toStdString(); }
QString text(const SQLite::Column& column) { return QString::fromStdString(column.getString()); }

double decayed(double weight, qint64 stamp, qint64 now) {
    const double age = double(std::max<qint64>(0, now - stamp));
    return weight * std::exp2(-age / UsageStore::kHalfLifeSeconds);
}

const QString kEntryPrefix = QStringLiteral("entry\n");

// Why the file at `path` must not be opened; empty when it may (nothing there
// yet counts, and is made). Links are followed for the comparison.
QString unusable(const QString& path, const QStringList& keepOff) {
    const QByteArray name = QFile::encodeName(path);
    struct stat file {};
    if (::stat(name.constData(), &file) != 0) {
        struct stat link {};
        return ::lstat(name.constData(), &link) == 0 ? QStringLiteral("a link to nothing")
                                                     : QString();
    }
    if (!S_ISREG(file.st_mode)) return QStringLiteral("not a regular file");
    for (const QString& other : keepOff) {
        struct stat kept {};
        if (::stat(QFile::encodeName(other).constData(), &kept) == 0 &&
            kept.st_dev == file.st_dev && kept.st_ino == file.st_ino)
            return QStringLiteral("the same file as %1").arg(other);
    }
    return {};
}

// Empty when `db` holds nothing but our two tables, each with our columns,
// or nothing yet; otherwise what it holds instead.
std::string foreignContent(SQLite::Database& db) {
    static const QHash<QString, QString> ours = {
        {QStringLiteral("usage"), QStringLiteral("key,weight,stamp")},
        {QStringLiteral("picks"), QStringLiteral("typed,key,stamp")}};
    SQLite::Statement tables(
        db,
        "SELECT name, (SELECT group_concat(name) FROM pragma_table_info(m.name))"
        " FROM sqlite_master AS m WHERE name NOT LIKE 'sqlite_%'"
        " AND type IN ('table', 'view')");
    while (tables.executeStep()) {
        const QString name = text(tables.getColumn(0));
        const QString columns = text(tables.getColumn(1));
        const auto known = ours.constFind(name);
        if (known == ours.cend() || *known != columns)
            return "a table that is not ours: " + bytes(name) + "(" + bytes(columns) + ")";
    }
    return {};
}

}  // namespace

QString UsageStore::Snapshot::pickFor(const QString& typed) const {
    if (typed.isEmpty()) return {};
    if (const auto it = picks.constFind(typed); it != picks.cend()) return it->key;
    const Pick* latest = nullptr;
    for (auto it = picks.cbegin(); it != picks.cend(); ++it)
        if (it.key().startsWith(typed) && (!latest || it->stamp > latest->stamp)) latest = &*it;
    return latest ? latest->key : QString();
}

UsageStore::UsageStore(QString path) : UsageStore(std::move(path), Limits{}) {}

UsageStore::UsageStore(QString path, Limits limits) : UsageStore(std::move(path), limits, {}) {}

UsageStore::UsageStore(QString path, Limits limits, QStringList keepOff)
    : path_(std::move(path)), limits_(limits), keepOff_(std::move(keepOff)) {
    worker_.setMaxThreadCount(1);
}

UsageStore::~UsageStore() {
    worker_.waitForDone();
    db_.reset();
}

QString UsageStore::entryKey(const QString& category, const QString& column, const QString& name,
                             const QString& link) {
    return kEntryPrefix + category + u'\n' + column + u'\n' + name + u'\n' + link;
}

QString UsageStore::programKey(const QString& link) { return QStringLiteral("program\n") + link; }

qint64 UsageStore::currentTime() { return QDateTime::currentSecsSinceEpoch(); }

// One worker thread runs the tasks in the order they were asked for.
void UsageStore::post(std::function<void()> task) {
    worker_.start([this, task = std::move(task)] {
        if (!loaded_) load();
        task();
    });
}

void UsageStore::flush() const { worker_.waitForDone(); }

void UsageStore::setAside() {
    db_.reset();
    const QString aside = path_ + QStringLiteral(".damaged-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QFile::remove(aside);
    QFile::rename(path_, aside);
    // A journal left beside would be taken for the new file's.
    for (const char* journal : {"-journal", "-wal", "-shm"})
        QFile::remove(path_ + QLatin1String(journal));
    qWarning("hengxiu-toolbox: %s could not be read; set aside as %s, started afresh.",
             text::printable(path_).constData(), text::printable(aside).constData());
}

void UsageStore::load() {
    loaded_ = true;
    QDir().mkpath(QFileInfo(path_).absolutePath());
    if (const QString why = unusable(path_, keepOff_); !why.isEmpty()) {
        qWarning(
            "hengxiu-toolbox: usage file %s is %s; left as it is; what this run learns is not "
            "stored.",
            text::printable(path_).constData(), text::printable(why).constData());
        return;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        usage_.clear();
        picks_.clear();
        try {
            db_ = std::make_unique<SQLite::Database>(
                bytes(path_), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE, 1000);
            // Checked before anything is written to it: another program's
            // database is set aside whole, as a damaged file is.
            SQLite::Statement check(*db_, "PRAGMA quick_check");
            if (!check.executeStep() || check.getColumn(0).getString() != "ok")
                throw SQLite::Exception("the file fails its check", SQLITE_CORRUPT);
            check.reset();
            if (const std::string foreign = foreignContent(*db_); !foreign.empty())
                throw SQLite::Exception("the file holds " + foreign, SQLITE_NOTADB);
            // A commit waits for no disk flush; a power cut may lose the
            // last openings, never the file.
            db_->exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL");
            db_->exec(
                "CREATE TABLE IF NOT EXISTS usage(key TEXT PRIMARY KEY, weight REAL NOT NULL, "
                "stamp INTEGER NOT NULL);"
                "CREATE TABLE IF NOT EXISTS picks(typed TEXT PRIMARY KEY, key TEXT NOT NULL, "
                "stamp INTEGER NOT NULL);");
            SQLite::Statement u(*db_, "SELECT key, weight, stamp FROM usage");
            while (u.executeStep())
                usage_.insert(text(u.getColumn(0)),
                              {u.getColumn(1).getDouble(), u.getColumn(2).getInt64()});
            SQLite::Statement p(*db_, "SELECT typed, key, stamp FROM picks");
            while (p.executeStep())
                picks_.insert(text(p.getColumn(0)),
                              {text(p.getColumn(1)), p.getColumn(2).getInt64()});
            return;
        } catch (const SQLite::Exception& e) {
            qWarning("hengxiu-toolbox: usage file %s: %s", text::printable(path_).constData(),
                     text::printable(QByteArray(e.what())).constData());
            // Only a damaged file is set aside; one that is busy or cannot be
            // written is left as it is, and this run keeps what it learns in memory.
            const int code = e.getErrorCode() & 0xff;
            const bool damaged = code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
            if (attempt > 0 || !damaged || !QFileInfo::exists(path_)) break;
            setAside();
        }
    }
    db_.reset();  // kept in memory only for this run
}

template <class Fn>
void UsageStore::write(const char* what, Fn&& fn) {
    if (!db_) return;
    try {
        SQLite::Transaction transaction(*db_);
        fn(*db_);
        transaction.commit();
    } catch (const std::exception& e) {
        qWarning("hengxiu-toolbox: usage file %s: %s not stored: %s",
                 text::printable(path_).constData(), what,
                 text::printable(QByteArray(e.what())).constData());
    }
}

UsageStore::Snapshot UsageStore::snapshot(qint64 now) {
    std::promise<Snapshot> promise;
    std::future<Snapshot> future = promise.get_future();
    post([this, now, &promise] {
        Snapshot s;
        s.weights.reserve(usage_.size());
        for (auto it = usage_.cbegin(); it != usage_.cend(); ++it)
            s.weights.insert(it.key(), decayed(it->weight, it->stamp, now));
        s.picks = picks_;
        promise.set_value(std::move(s));
    });
    return future.get();
}

void UsageStore::record(const QString& key, const QString& typed, qint64 now) {
    if (key.isEmpty()) return;
    post([this, key, typed, now] {
        Usage& u = usage_[key];
        u.weight = decayed(u.weight, u.stamp, now) + 1.0;
        u.stamp = now;
        // Over the cap: the entry that weighs least goes (never the one just opened).
        QString dropped;
        if (usage_.size() > limits_.entries) {
            double least = 0;
            for (auto it = usage_.cbegin(); it != usage_.cend(); ++it) {
                const double w = decayed(it->weight, it->stamp, now);
                if (it.key() != key && (dropped.isEmpty() || w < least)) {
                    dropped = it.key();
                    least = w;
                }
            }
            usage_.remove(dropped);
        }
        QString oldestPick;
        if (!typed.isEmpty()) {
            picks_.insert(typed, {key, now});
            if (picks_.size() > limits_.picks) {
                qint64 oldest = 0;
                for (auto it = picks_.cbegin(); it != picks_.cend(); ++it)
                    if (it.key() != typed && (oldestPick.isEmpty() || it->stamp < oldest)) {
                        oldestPick = it.key();
                        oldest = it->stamp;
                    }
                picks_.remove(oldestPick);
            }
        }
        const Usage stored = u;
        write("an opening", [&](SQLite::Database& db) {
            SQLite::Statement put(db, "INSERT OR REPLACE INTO usage VALUES(?, ?, ?)");
            put.bind(1, bytes(key));
            put.bind(2, stored.weight);
            put.bind(3, static_cast<int64_t>(stored.stamp));
            put.exec();
            if (!dropped.isEmpty()) {
                SQLite::Statement drop(db, "DELETE FROM usage WHERE key = ?");
                drop.bind(1, bytes(dropped));
                drop.exec();
            }
            if (typed.isEmpty()) return;
            SQLite::Statement pick(db, "INSERT OR REPLACE INTO picks VALUES(?, ?, ?)");
            pick.bind(1, bytes(typed));
            pick.bind(2, bytes(key));
            pick.bind(3, static_cast<int64_t>(now));
            pick.exec();
            if (!oldestPick.isEmpty()) {
                SQLite::Statement drop(db, "DELETE FROM picks WHERE typed = ?");
                drop.bind(1, bytes(oldestPick));
                drop.exec();
            }
        });
    });
}

void UsageStore::keepOnlyEntries(QSet<QString> present) {
    post([this, present = std::move(present)] {
        QStringList gone;
        for (auto it = usage_.cbegin(); it != usage_.cend(); ++it)
            if (it.key().startsWith(kEntryPrefix) && !present.contains(it.key())) gone << it.key();
        QStringList picksGone;
        for (auto it = picks_.cbegin(); it != picks_.cend(); ++it)
            if (it->key.startsWith(kEntryPrefix) && !present.contains(it->key))
                picksGone << it.key();
        if (gone.isEmpty() && picksGone.isEmpty()) return;
        for (const QString& key : gone) usage_.remove(key);
        for (const QString& typed : picksGone) picks_.remove(typed);
        write("forgetting removed entries", [&](SQLite::Database& db) {
            SQLite::Statement drop(db, "DELETE FROM usage WHERE key = ?");
            for (const QString& key : gone) {
                drop.bind(1, bytes(key));
                drop.exec();
                drop.reset();
            }
            SQLite::Statement dropPick(db, "DELETE FROM picks WHERE typed = ?");
            for (const QString& typed : picksGone) {
                dropPick.bind(1, bytes(typed));
                dropPick.exec();
                dropPick.reset();
            }
        });
    });
}

void UsageStore::clear() {
    post([this] {
        usage_.clear();
        picks_.clear();
        write("clearing",
              [](SQLite::Database& db) { db.exec("DELETE FROM usage; DELETE FROM picks"); });
    });
}

}  // namespace hx::storage
