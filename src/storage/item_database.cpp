#include "storage/item_database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <SQLiteCpp/Backup.h>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <string>
#include <vector>

#include "storage/atomic_file.h"

namespace hx::storage {
namespace {

// Every column is text without case (as the designed engine compares) and
// carries its designed length, so the database itself refuses a longer name.
// The two indexes only speed up the lookups by name; they change no result.
QByteArray schema() {
    return QStringLiteral(R"(
BEGIN;
CREATE TABLE 表1 (
    分类文本 TEXT COLLATE NOCASE CHECK(length(分类文本) <= %1),
    栏目文本 TEXT COLLATE NOCASE CHECK(length(栏目文本) <= %3),
    名称文本 TEXT COLLATE NOCASE CHECK(length(名称文本) <= %3),
    路径文本 TEXT COLLATE NOCASE CHECK(length(路径文本) <= %3),
    图标文本 TEXT COLLATE NOCASE CHECK(length(图标文本) <= %3)
);
CREATE TABLE 表2 (
    分类 TEXT COLLATE NOCASE CHECK(length(分类) <= %1),
    栏目 TEXT COLLATE NOCASE CHECK(length(栏目) <= %2)
);
CREATE TABLE 表3 (
    分类 TEXT COLLATE NOCASE CHECK(length(分类) <= %1),
    路径 TEXT COLLATE NOCASE CHECK(length(路径) <= %3)
);
CREATE INDEX 表1_栏目 ON 表1 (分类文本, 栏目文本);
CREATE INDEX 表2_分类 ON 表2 (分类);
COMMIT;
)")
        .arg(ItemDatabase::kCategoryLength)
        .arg(ItemDatabase::kColumnLength)
        .arg(ItemDatabase::kTextLength)
        .toUtf8();
}

constexpr const char* kIndexes =
    "CREATE INDEX IF NOT EXISTS 表1_栏目 ON 表1 (分类文本, 栏目文本);"
    "CREATE INDEX IF NOT EXISTS 表2_分类 ON 表2 (分类);";

constexpr const char* kItemColumns = "分类文本, 栏目文本, 名称文本, 路径文本, 图标文本";

constexpr int kBusyTimeoutMs = 3000;

std::string bytes(const QString& s) { return s.toStdString(); }

QString text(const SQLite::Statement& q, int column) {
    const SQLite::Column c = q.getColumn(column);
    return QString::fromUtf8(c.getText(), c.getBytes());
}

ItemRow itemFrom(const SQLite::Statement& q) {
    return {text(q, 0), text(q, 1), text(q, 2), text(q, 3), text(q, 4)};
}

void bindItem(SQLite::Statement& q, const ItemRow& item) {
    q.bind(1, bytes(item.category));
    q.bind(2, bytes(item.column));
    q.bind(3, bytes(item.name));
    q.bind(4, bytes(item.link));
    q.bind(5, bytes(item.icon));
}

QString notOpenMessage() { return QString::fromUtf8(sqlite3_errstr(SQLITE_CANTOPEN)); }
QString notADatabaseMessage() { return QString::fromUtf8(sqlite3_errstr(SQLITE_NOTADB)); }

// Removes a file and the companions SQLite may have left beside it.
void removeWithCompanions(const QString& path) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

// A WAL file left from an earlier database must never be replayed onto a
// newly placed one.
void removeStaleCompanions(const QString& path) {
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
}

std::string uriOf(const QString& path, const char* query) {
    return "file:" +
           QUrl::toPercentEncoding(QFileInfo(path).absoluteFilePath(), "/").toStdString() + query;
}

constexpr const char* kReadOnly = "?mode=ro";
// Read as an unchanging file: SQLite creates no -wal or -shm companion and
// takes no locks beside it.
constexpr const char* kUnchanging = "?mode=ro&immutable=1";

// A file given to be read only, with nothing written beside it.
std::string untouchedUri(const QString& path) { return uriOf(path, kUnchanging); }

// Whether this process may change `path` and create its journal beside it.
// A read-only medium says no to root as well.
bool writable(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0 &&
           ::access(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), W_OK) == 0;
}

ItemDatabase::Refusal refusalOf(const std::exception& e) {
    const auto* engine = dynamic_cast<const SQLite::Exception*>(&e);
    if (!engine) return ItemDatabase::Refusal::Other;
    // The schema's checks are the designed lengths.
    if (engine->getExtendedErrorCode() == SQLITE_CONSTRAINT_CHECK)
        return ItemDatabase::Refusal::TooLong;
    switch (engine->getErrorCode() & 0xFF) {
        case SQLITE_READONLY:
            return ItemDatabase::Refusal::ReadOnly;
        case SQLITE_FULL:
            return ItemDatabase::Refusal::DiskFull;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return ItemDatabase::Refusal::Busy;
        default:
            return ItemDatabase::Refusal::Other;
    }
}

bool sameFile(const QString& a, const QString& b) {
    struct stat sa, sb;
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Empty when `db` holds the three tables with their designed columns and
// passes a quick check; otherwise why not.
QString verdictOn(SQLite::Database& db) {
    SQLite::Statement tables(db,
                             "SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                             "AND name IN ('表1', '表2', '表3')");
    if (!tables.executeStep() || tables.getColumn(0).getInt() != 3)
        return QStringLiteral("no such table: 表1, 表2 or 表3");
    // Preparing fails when a designed column is missing.
    SQLite::Statement t1(db, std::string("SELECT ") + kItemColumns + " FROM 表1 LIMIT 0");
    SQLite::Statement t2(db, "SELECT 分类, 栏目 FROM 表2 LIMIT 0");
    SQLite::Statement t3(db, "SELECT 分类, 路径 FROM 表3 LIMIT 0");
    SQLite::Statement check(db, "PRAGMA quick_check(1)");
    if (!check.executeStep()) return notADatabaseMessage();
    const QString result = text(check, 0);
    return result == QLatin1String("ok") ? QString() : result;
}

// What rules a file out before SQLite sees it; empty when nothing does.
QString plainFileProblem(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return notOpenMessage();
    if (info.isDir()) return QStringLiteral("%1: %2 is a directory").arg(notOpenMessage(), path);
    // SQLite takes an empty file for an empty database and would write to it.
    if (info.size() == 0) return notADatabaseMessage();
    return {};
}

// A catalogue that cannot be written, read as it stands. Changes not yet
// folded in from a -wal are read through SQLite's read-only WAL support,
// which needs the -shm beside it; without them the file is read as unchanging.
std::unique_ptr<SQLite::Database> openReadOnly(const QString& path, QString* why) {
    if (const QString problem = plainFileProblem(path); !problem.isEmpty()) {
        *why = problem;
        return nullptr;
    }
    const QFileInfo log(path + QStringLiteral("-wal"));
    std::vector<const char*> queries{kUnchanging};
    if (log.isFile() && log.size() > 0) queries.insert(queries.begin(), kReadOnly);
    for (const char* query : queries) {
        try {
            auto db = std::make_unique<SQLite::Database>(
                uriOf(path, query), SQLite::OPEN_READONLY | SQLite::OPEN_URI, kBusyTimeoutMs);
            *why = verdictOn(*db);
            return why->isEmpty() ? std::move(db) : nullptr;
        } catch (const std::exception& e) {
            *why = QString::fromUtf8(e.what());
        }
    }
    return nullptr;
}

// Copies `source` into a new file at `temp` through the online backup API.
void copyInto(SQLite::Database& source, const QString& temp) {
    {
        SQLite::Database dest(bytes(temp), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        SQLite::Backup backup(dest, source);
        backup.executeStep(-1);
    }
    atomic_file::syncFile(temp);
}

template <class T, class Fn>
Fetch<T> runFetch(SQLite::Database* db, QString& lastError, Fn&& fn) {
    Fetch<T> out;
    if (!db) {
        out.error = notOpenMessage();
        return out;
    }
    try {
        fn(*db, out.value);
        out.ok = true;
    } catch (const std::exception& e) {
        out.value = T{};
        out.error = QString::fromUtf8(e.what());
        lastError = out.error;
    }
    return out;
}

}  // namespace

template <class F>
auto ItemDatabase::locked(F&& f) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return f();
}

ItemDatabase::ItemDatabase() = default;
ItemDatabase::~ItemDatabase() = default;

bool ItemDatabase::createEmpty(const QString& path, QString* error) {
    if (atomic_file::somethingAt(path)) {
        if (error) *error = QStringLiteral("%1 already exists").arg(path);
        return false;
    }
    // Built under a temporary name, so a half-made database never carries the real one.
    const QString temp = atomic_file::temporarySibling(path);
    try {
        {
            SQLite::Database db(bytes(temp), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            db.exec(schema().constData());
            db.exec("PRAGMA journal_mode=WAL");
        }
        atomic_file::syncFile(temp);
    } catch (const std::exception& e) {
        if (error) *error = QString::fromUtf8(e.what());
        removeWithCompanions(temp);
        return false;
    }
    if (!atomic_file::publishNoReplace(temp, path, error)) {
        removeWithCompanions(temp);
        return false;
    }
    return true;
}

bool ItemDatabase::isItemDatabase(const QString& path, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (const QString problem = plainFileProblem(path); !problem.isEmpty()) return fail(problem);
    // Reading a file whose header says WAL makes SQLite create the companion
    // files; a refused file must be left as it was found, companions included.
    const QString companions[] = {path + QStringLiteral("-wal"), path + QStringLiteral("-shm")};
    const bool existed[] = {QFileInfo::exists(companions[0]), QFileInfo::exists(companions[1])};
    // The connection is closed when this returns.
    auto verdict = [&]() -> QString {
        try {
            // Read-only: a file that turns out not to be ours is never written.
            SQLite::Database db(bytes(path), SQLite::OPEN_READONLY, kBusyTimeoutMs);
            return verdictOn(db);
        } catch (const std::exception& e) {
            return QString::fromUtf8(e.what());
        }
    }();
    if (!verdict.isEmpty()) {
        for (int i = 0; i < 2; ++i)
            if (!existed[i]) QFile::remove(companions[i]);
        return fail(verdict);
    }
    return true;
}

bool ItemDatabase::canRestoreFrom(const QString& source, const QString& livePath, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (const QString problem = plainFileProblem(source); !problem.isEmpty()) return fail(problem);
    if (sameFile(source, livePath))
        return fail(QStringLiteral("%1 is the database in use").arg(source));
    try {
        SQLite::Database db(untouchedUri(source), SQLite::OPEN_READONLY | SQLite::OPEN_URI);
        const QString verdict = verdictOn(db);
        return verdict.isEmpty() || fail(verdict);
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()));
    }
}

bool ItemDatabase::open(const QString& path) {
    return locked([&] {
        close();
        QString why;
        if (alwaysReadOnly_ || (QFileInfo::exists(path) && !writable(path))) {
            auto db = openReadOnly(path, &why);
            if (!db) {
                lastError_ = why;
                return false;
            }
            db_ = std::move(db);
            path_ = path;
            readOnly_ = true;
            lastError_.clear();
            return true;
        }
        if (!isItemDatabase(path, &why)) {
            lastError_ = why;
            return false;
        }
        try {
            // No OPEN_CREATE: a file that vanished since the check is not made anew.
            auto db = std::make_unique<SQLite::Database>(bytes(path), SQLite::OPEN_READWRITE,
                                                         kBusyTimeoutMs);
            // A file system without shared memory keeps the rollback journal; still usable.
            db->tryExec("PRAGMA journal_mode=WAL");
            db->tryExec("PRAGMA synchronous=FULL");
            // Reads come straight from the mapped file instead of a copy per page.
            db->tryExec("PRAGMA mmap_size=268435456");
            db->tryExec(kIndexes);
            db_ = std::move(db);
            path_ = path;
            lastError_.clear();
            ++changes_;  // a read of another file never stands for this one
            return true;
        } catch (const std::exception& e) {
            lastError_ = QString::fromUtf8(e.what());
            return false;
        }
    });
}

void ItemDatabase::close() {
    locked([&] {
        db_.reset();
        path_.clear();
        readOnly_ = false;
    });
}

bool ItemDatabase::isOpen() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return db_ != nullptr;
}

bool ItemDatabase::isReadOnly() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return db_ && readOnly_;
}

void ItemDatabase::setAlwaysReadOnly(bool always) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    alwaysReadOnly_ = always;
}

QString ItemDatabase::lastError() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return lastError_;
}

ItemDatabase::Refusal ItemDatabase::lastRefusal() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return lastRefusal_;
}

QString ItemDatabase::path() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return path_;
}

Fetch<QVector<CategoryRow>> ItemDatabase::categories() {
    return locked([&] {
        return runFetch<QVector<CategoryRow>>(
            db_.get(), lastError_, [](SQLite::Database& db, auto& rows) {
                SQLite::Statement q(db, "SELECT 分类, 路径 FROM 表3 ORDER BY rowid");
                while (q.executeStep()) rows.push_back({text(q, 0), text(q, 1)});
            });
    });
}

Fetch<QStringList> ItemDatabase::columnsOf(const QString& category) {
    return locked([&] {
        return runFetch<QStringList>(db_.get(), lastError_, [&](SQLite::Database& db, auto& rows) {
            SQLite::Statement q(db, "SELECT 栏目 FROM 表2 WHERE 分类 = ? ORDER BY rowid");
            q.bind(1, bytes(category));
            while (q.executeStep()) rows.push_back(text(q, 0));
        });
    });
}

Fetch<QVector<ItemRow>> ItemDatabase::itemsOf(const QString& category, const QString& column) {
    return locked([&] {
        return runFetch<QVector<ItemRow>>(
            db_.get(), lastError_, [&](SQLite::Database& db, auto& rows) {
                SQLite::Statement q(
                    db, std::string("SELECT ") + kItemColumns +
                            " FROM 表1 WHERE 分类文本 = ? AND 栏目文本 = ? ORDER BY rowid");
                q.bind(1, bytes(category));
                q.bind(2, bytes(column));
                while (q.executeStep()) rows.push_back(itemFrom(q));
            });
    });
}

Fetch<std::optional<ItemRow>> ItemDatabase::itemAt(const QString& category, const QString& column,
                                                   int index) {
    return locked([&] {
        return runFetch<std::optional<ItemRow>>(
            db_.get(), lastError_, [&](SQLite::Database& db, auto& row) {
                if (index < 0) return;
                SQLite::Statement q(db, std::string("SELECT ") + kItemColumns +
                                            " FROM 表1 WHERE 分类文本 = ? AND 栏目文本 = ?"
                                            " ORDER BY rowid LIMIT 1 OFFSET ?");
                q.bind(1, bytes(category));
                q.bind(2, bytes(column));
                q.bind(3, index);
                if (q.executeStep()) row = itemFrom(q);
            });
    });
}

Fetch<QVector<ItemRow>> ItemDatabase::searchNames(const QString& needle) {
    return locked([&] {
        return runFetch<QVector<ItemRow>>(
            db_.get(), lastError_, [&](SQLite::Database& db, auto& rows) {
                // instr() compares bytes exactly, unlike LIKE (no case folding, no wildcards).
                SQLite::Statement q(db,
                                    std::string("SELECT ") + kItemColumns +
                                        " FROM 表1 WHERE instr(名称文本, ?) > 0 ORDER BY rowid");
                q.bind(1, bytes(needle));
                while (q.executeStep()) rows.push_back(itemFrom(q));
            });
    });
}

Fetch<QVector<ItemRow>> ItemDatabase::searchNamesPage(const QString& needle, qint64* cursor,
                                                      int limit) {
    return locked([&] {
        return runFetch<QVector<ItemRow>>(
            db_.get(), lastError_, [&](SQLite::Database& db, auto& rows) {
                SQLite::Statement q(db, std::string("SELECT ") + kItemColumns +
                                            ", rowid FROM 表1 WHERE rowid > ? AND "
                                            "instr(名称文本, ?) > 0 ORDER BY rowid LIMIT ?");
                q.bind(1, static_cast<int64_t>(*cursor));
                q.bind(2, bytes(needle));
                q.bind(3, limit);
                while (q.executeStep()) {
                    rows.push_back(itemFrom(q));
                    *cursor = q.getColumn(5).getInt64();
                }
            });
    });
}

int ItemDatabase::countItems(const QString& category, const QString& column) {
    return locked([&] {
        const auto count = runFetch<int>(db_.get(), lastError_, [&](SQLite::Database& db, int& n) {
            SQLite::Statement q(db, "SELECT count(*) FROM 表1 WHERE 分类文本 = ? AND 栏目文本 = ?");
            q.bind(1, bytes(category));
            q.bind(2, bytes(column));
            if (q.executeStep()) n = q.getColumn(0).getInt();
        });
        return count.ok ? count.value : 0;
    });
}

bool ItemDatabase::hasCategory(const QString& name) {
    return locked([&] {
        const auto found =
            runFetch<bool>(db_.get(), lastError_, [&](SQLite::Database& db, bool& f) {
                SQLite::Statement q(db, "SELECT 1 FROM 表3 WHERE 分类 = ? LIMIT 1");
                q.bind(1, bytes(name));
                f = q.executeStep();
            });
        return found.ok && found.value;
    });
}

bool ItemDatabase::changeInTransaction(const std::function<void(SQLite::Database&)>& work) {
    return locked([&] {
        lastRefusal_ = Refusal::None;
        if (!db_) {
            lastError_ = notOpenMessage();
            lastRefusal_ = Refusal::Other;
            return false;
        }
        if (readOnly_) return refuseReadOnly();
        bool begun = false;
        try {
            // IMMEDIATE takes the write lock up front, so the busy timeout applies
            // instead of a failure half-way.
            db_->exec("BEGIN IMMEDIATE");
            begun = true;
            work(*db_);
            db_->exec("COMMIT");
            changed();
            return true;
        } catch (const std::exception& e) {
            lastError_ = QString::fromUtf8(e.what());
            lastRefusal_ = refusalOf(e);
            if (begun) db_->tryExec("ROLLBACK");
            return false;
        }
    });
}

bool ItemDatabase::refuseReadOnly() {
    lastError_ = QString::fromUtf8(sqlite3_errstr(SQLITE_READONLY));
    lastRefusal_ = Refusal::ReadOnly;
    return false;
}

std::optional<qint64> ItemDatabase::rowidAt(const QString& category, const QString& column,
                                            int index) {
    if (!db_ || index < 0) return std::nullopt;
    SQLite::Statement q(*db_,
                        "SELECT rowid FROM 表1 WHERE 分类文本 = ? AND 栏目文本 = ?"
                        " ORDER BY rowid LIMIT 1 OFFSET ?");
    q.bind(1, bytes(category));
    q.bind(2, bytes(column));
    q.bind(3, index);
    if (!q.executeStep()) return std::nullopt;
    return q.getColumn(0).getInt64();
}

namespace {
// Runs one statement with the given text parameters.
void run(SQLite::Database& db, const char* sql, std::initializer_list<QString> values) {
    SQLite::Statement q(db, sql);
    int i = 1;
    for (const QString& v : values) q.bind(i++, bytes(v));
    q.exec();
}
}  // namespace

bool ItemDatabase::addItem(const ItemRow& item) {
    return changeInTransaction([&](SQLite::Database& db) {
        SQLite::Statement q(
            db, std::string("INSERT INTO 表1 (") + kItemColumns + ") VALUES (?, ?, ?, ?, ?)");
        bindItem(q, item);
        q.exec();
    });
}

QVector<bool> ItemDatabase::addItems(const QVector<ItemRow>& items) {
    QVector<bool> stored(items.size(), false);
    if (items.isEmpty()) return stored;
    QString refused;
    Refusal why = Refusal::None;
    const bool ok = changeInTransaction([&](SQLite::Database& db) {
        SQLite::Statement q(
            db, std::string("INSERT INTO 表1 (") + kItemColumns + ") VALUES (?, ?, ?, ?, ?)");
        for (qsizetype i = 0; i < items.size(); ++i) {
            // A refused step leaves its error in the statement: reset without throwing.
            q.tryReset();
            q.clearBindings();
            bindItem(q, items.at(i));
            try {
                q.exec();
                stored[i] = true;
            } catch (const SQLite::Exception& e) {
                // A refused row undoes only its own statement.
                if ((e.getErrorCode() & 0xFF) != SQLITE_CONSTRAINT) throw;
                refused = QString::fromUtf8(e.what());
                why = refusalOf(e);
            }
        }
    });
    if (!ok) stored.fill(false);
    if (ok && !refused.isEmpty()) {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        lastError_ = refused;
        lastRefusal_ = why;
    }
    return stored;
}

bool ItemDatabase::addBatch(const ItemBatch& batch) {
    return changeInTransaction([&](SQLite::Database& db) {
        if (batch.newCategory)
            run(db, "INSERT INTO 表3 (分类, 路径) VALUES (?, ?)", {batch.category, batch.picture});
        for (const QString& column : batch.newColumns)
            run(db, "INSERT INTO 表2 (分类, 栏目) VALUES (?, ?)", {batch.category, column});
        SQLite::Statement q(
            db, std::string("INSERT INTO 表1 (") + kItemColumns + ") VALUES (?, ?, ?, ?, ?)");
        for (const ItemRow& item : batch.rows) {
            q.reset();
            q.clearBindings();
            bindItem(q, item);
            q.exec();
        }
    });
}

bool ItemDatabase::addCategory(const QString& name, const QString& picture) {
    return changeInTransaction([&](SQLite::Database& db) {
        run(db, "INSERT INTO 表3 (分类, 路径) VALUES (?, ?)", {name, picture});
    });
}

bool ItemDatabase::addColumn(const QString& category, const QString& column) {
    return changeInTransaction([&](SQLite::Database& db) {
        run(db, "INSERT INTO 表2 (分类, 栏目) VALUES (?, ?)", {category, column});
    });
}

bool ItemDatabase::updateItemAt(const QString& category, const QString& column, int index,
                                const ItemRow& replacement) {
    return changeInTransaction([&](SQLite::Database& db) {
        const auto rowid = rowidAt(category, column, index);
        if (!rowid) throw std::runtime_error("no item at that position");
        SQLite::Statement q(db,
                            "UPDATE 表1 SET 分类文本 = ?, 栏目文本 = ?, 名称文本 = ?, 路径文本 = ?,"
                            " 图标文本 = ? WHERE rowid = ?");
        bindItem(q, replacement);
        q.bind(6, static_cast<int64_t>(*rowid));
        q.exec();
    });
}

bool ItemDatabase::deleteItemAt(const QString& category, const QString& column, int index) {
    return changeInTransaction([&](SQLite::Database& db) {
        const auto rowid = rowidAt(category, column, index);
        if (!rowid) throw std::runtime_error("no item at that position");
        SQLite::Statement q(db, "DELETE FROM 表1 WHERE rowid = ?");
        q.bind(1, static_cast<int64_t>(*rowid));
        q.exec();
    });
}

bool ItemDatabase::setCategoryPicture(const QString& category, const QString& picture) {
    return changeInTransaction([&](SQLite::Database& db) {
        run(db, "UPDATE 表3 SET 路径 = ? WHERE 分类 = ?", {picture, category});
    });
}

bool ItemDatabase::renameCategory(const QString& oldName, const QString& newName) {
    return changeInTransaction([&](SQLite::Database& db) {
        run(db, "UPDATE 表1 SET 分类文本 = ? WHERE 分类文本 = ?", {newName, oldName});
        run(db, "UPDATE 表2 SET 分类 = ? WHERE 分类 = ?", {newName, oldName});
        run(db, "UPDATE 表3 SET 分类 = ? WHERE 分类 = ?", {newName, oldName});
    });
}

bool ItemDatabase::renameColumn(const QString& category, const QString& oldName,
                                const QString& newName) {
    return changeInTransaction([&](SQLite::Database& db) {
        run(db, "UPDATE 表1 SET 栏目文本 = ? WHERE 分类文本 = ? AND 栏目文本 = ?",
            {newName, category, oldName});
        run(db, "UPDATE 表2 SET 栏目 = ? WHERE 分类 = ? AND 栏目 = ?",
            {newName, category, oldName});
    });
}

bool ItemDatabase::deleteCategory(const QString& name) {
    return changeInTransaction([&](SQLite::Database& db) {
        run(db, "DELETE FROM 表3 WHERE 分类 = ?", {name});
        run(db, "DELETE FROM 表2 WHERE 分类 = ?", {name});
        run(db, "DELETE FROM 表1 WHERE 分类文本 = ?", {name});
    });
}

bool ItemDatabase::deleteColumn(const QString& category, const QString& column) {
    return changeInTransaction([&](SQLite::Database& db) {
        run(db, "DELETE FROM 表1 WHERE 分类文本 = ? AND 栏目文本 = ?", {category, column});
        run(db, "DELETE FROM 表2 WHERE 分类 = ? AND 栏目 = ?", {category, column});
    });
}

bool ItemDatabase::clearAll() {
    return changeInTransaction([&](SQLite::Database& db) {
        db.exec("DELETE FROM 表1");
        db.exec("DELETE FROM 表2");
        db.exec("DELETE FROM 表3");
    });
}

bool ItemDatabase::clearCategories(const QStringList& names) {
    return changeInTransaction([&](SQLite::Database& db) {
        for (const QString& name : names) {
            run(db, "DELETE FROM 表3 WHERE 分类 = ?", {name});
            run(db, "DELETE FROM 表2 WHERE 分类 = ?", {name});
            run(db, "DELETE FROM 表1 WHERE 分类文本 = ?", {name});
        }
        db.exec("DELETE FROM 表3");
    });
}

bool ItemDatabase::deleteColumnAt(const QString& category, int index, const QString& column) {
    return changeInTransaction([&](SQLite::Database& db) {
        if (index < 0) throw std::runtime_error("no column at that position");
        SQLite::Statement find(db,
                               "SELECT rowid, 栏目 = ? FROM 表2 WHERE 分类 = ?"
                               " ORDER BY rowid LIMIT 1 OFFSET ?");
        find.bind(1, bytes(column));
        find.bind(2, bytes(category));
        find.bind(3, index);
        // A list out of step with the table must not delete another column.
        if (!find.executeStep() || find.getColumn(1).getInt() != 1)
            throw std::runtime_error("no column of that name at that position");
        const int64_t rowid = find.getColumn(0).getInt64();
        find.reset();
        SQLite::Statement drop(db, "DELETE FROM 表2 WHERE rowid = ?");
        drop.bind(1, rowid);
        drop.exec();
        run(db, "DELETE FROM 表1 WHERE 分类文本 = ? AND 栏目文本 = ?", {category, column});
    });
}

bool ItemDatabase::backupTo(const QString& target) {
    return locked([&] {
        if (!db_) {
            lastError_ = notOpenMessage();
            return false;
        }
        const QString live = QFileInfo(path_).canonicalFilePath();
        if (!live.isEmpty() && QFileInfo(target).canonicalFilePath() == live) {
            lastError_ = QStringLiteral("cannot back up %1 onto itself").arg(path_);
            return false;
        }
        const QString temp = atomic_file::temporarySibling(target);
        try {
            copyInto(*db_, temp);
        } catch (const std::exception& e) {
            lastError_ = QString::fromUtf8(e.what());
            removeWithCompanions(temp);
            return false;
        }
        removeStaleCompanions(target);
        if (!atomic_file::publishReplacing(temp, target, &lastError_)) {
            removeWithCompanions(temp);
            return false;
        }
        return true;
    });
}

bool ItemDatabase::restoreFrom(const QString& source, const QString& livePath) {
    return locked([&] {
        QString why;
        lastRefusal_ = Refusal::None;
        // The live file could not be replaced.
        if (readOnly_ && db_) return refuseReadOnly();
        if (!canRestoreFrom(source, livePath, &why)) {
            lastError_ = why;
            return false;  // the live file and the open connection stay as they were
        }
        const QString temp = atomic_file::temporarySibling(livePath);
        try {
            // The chosen file is only read: nothing may appear beside it.
            SQLite::Database from(untouchedUri(source), SQLite::OPEN_READONLY | SQLite::OPEN_URI);
            copyInto(from, temp);
        } catch (const std::exception& e) {
            lastError_ = QString::fromUtf8(e.what());
            removeWithCompanions(temp);
            return false;
        }
        // Closing checkpoints the live WAL; the copy then takes the name in one step.
        const bool wasOpen = db_ != nullptr;
        db_.reset();
        path_.clear();
        removeStaleCompanions(livePath);
        if (!atomic_file::publishReplacing(temp, livePath, &lastError_)) {
            removeWithCompanions(temp);
            if (wasOpen) open(livePath);
            return false;
        }
        if (!open(livePath)) return false;
        changed();
        return true;
    });
}

// ---- Sync ---------------------------------------------------------------------

namespace {

// Which rows the sync ids name. A deleted row takes its id along, so a later
// row given the same rowid is never taken for it.
constexpr const char* kSyncTables =
    "CREATE TABLE IF NOT EXISTS sync_ids (tab INTEGER NOT NULL, row INTEGER NOT NULL,"
    " id TEXT NOT NULL, PRIMARY KEY (tab, row)) WITHOUT ROWID;"
    "CREATE TRIGGER IF NOT EXISTS sync_ids_gone_1 AFTER DELETE ON 表1"
    " BEGIN DELETE FROM sync_ids WHERE tab = 1 AND row = old.rowid; END;"
    "CREATE TRIGGER IF NOT EXISTS sync_ids_gone_2 AFTER DELETE ON 表2"
    " BEGIN DELETE FROM sync_ids WHERE tab = 2 AND row = old.rowid; END;"
    "CREATE TRIGGER IF NOT EXISTS sync_ids_gone_3 AFTER DELETE ON 表3"
    " BEGIN DELETE FROM sync_ids WHERE tab = 3 AND row = old.rowid; END;";

const char* tableName(Table t) {
    switch (t) {
        case Table::Items:
            return "表1";
        case Table::Columns:
            return "表2";
        case Table::Categories:
            return "表3";
    }
    return "";
}

const char* tableColumns(Table t) {
    switch (t) {
        case Table::Items:
            return kItemColumns;
        case Table::Columns:
            return "分类, 栏目";
        case Table::Categories:
            return "分类, 路径";
    }
    return "";
}

int columnCount(Table t) { return t == Table::Items ? 5 : 2; }

bool hasSyncTable(SQLite::Database& db) {
    SQLite::Statement q(db,
                        "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'sync_ids'");
    return q.executeStep();
}

std::string syncSelect(Table t, bool withIds) {
    const std::string table = tableName(t);
    const std::string columns = tableColumns(t);
    if (!withIds) return "SELECT rowid, " + columns + ", '' FROM " + table + " ORDER BY rowid";
    return "SELECT t.rowid, " + columns + ", s.id FROM " + table +
           " t LEFT JOIN sync_ids s ON s.tab = " + std::to_string(int(t)) +
           " AND s.row = t.rowid ORDER BY t.rowid";
}

}  // namespace

void ItemDatabase::changed() {
    ++changes_;
    if (listener_) listener_();
}

quint64 ItemDatabase::changeCount() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return changes_;
}

void ItemDatabase::setChangeListener(std::function<void()> listener) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    listener_ = std::move(listener);
}

Fetch<StoredCatalogue> ItemDatabase::readCatalogue() {
    return locked([&] {
        return runFetch<StoredCatalogue>(
            db_.get(), lastError_, [&](SQLite::Database& db, StoredCatalogue& out) {
                out.version = changes_;
                const bool ids = hasSyncTable(db);
                SQLite::Statement cats(db, syncSelect(Table::Categories, ids));
                while (cats.executeStep())
                    out.categories.push_back({cats.getColumn(0).getInt64(), text(cats, 3),
                                              text(cats, 1), text(cats, 2)});
                SQLite::Statement cols(db, syncSelect(Table::Columns, ids));
                while (cols.executeStep())
                    out.columns.push_back({cols.getColumn(0).getInt64(), text(cols, 3),
                                           text(cols, 1), text(cols, 2)});
                SQLite::Statement items(db, syncSelect(Table::Items, ids));
                while (items.executeStep())
                    out.items.push_back({items.getColumn(0).getInt64(),
                                         text(items, 6),
                                         {text(items, 1), text(items, 2), text(items, 3),
                                          text(items, 4), text(items, 5)}});
            });
    });
}

ItemDatabase::ChangeResult ItemDatabase::applyCatalogueChange(const CatalogueChange& change,
                                                              quint64 readAt) {
    return locked([&] {
        if (!db_) {
            lastError_ = notOpenMessage();
            return ChangeResult::Failed;
        }
        if (changes_ != readAt) return ChangeResult::Stale;
        bool begun = false;
        try {
            db_->exec("BEGIN IMMEDIATE");
            begun = true;
            db_->exec(kSyncTables);
            SQLite::Statement name(*db_, "INSERT OR REPLACE INTO sync_ids VALUES (?, ?, ?)");
            const auto nameRow = [&](Table t, int64_t rowid, const QString& id) {
                name.reset();
                name.bind(1, int(t));
                name.bind(2, rowid);
                name.bind(3, bytes(id));
                name.exec();
            };
            for (const auto& n : change.ids) nameRow(n.table, n.rowid, n.id);
            for (const auto& r : change.removals) {
                SQLite::Statement q(
                    *db_, std::string("DELETE FROM ") + tableName(r.table) + " WHERE rowid = ?");
                q.bind(1, static_cast<int64_t>(r.rowid));
                q.exec();
            }
            for (const auto& u : change.updates) {
                const QStringList columns =
                    QString::fromUtf8(tableColumns(u.table)).split(QStringLiteral(", "));
                std::string sql = std::string("UPDATE ") + tableName(u.table) + " SET ";
                for (qsizetype i = 0; i < columns.size(); ++i)
                    sql += (i ? ", " : "") + columns.at(i).toStdString() + " = ?";
                SQLite::Statement q(*db_, sql + " WHERE rowid = ?");
                for (int i = 0; i < columnCount(u.table); ++i)
                    q.bind(i + 1, bytes(u.values.value(i)));
                q.bind(columnCount(u.table) + 1, static_cast<int64_t>(u.rowid));
                q.exec();
            }
            for (const Table t : {Table::Categories, Table::Columns, Table::Items}) {
                const std::string marks = t == Table::Items ? "?, ?, ?, ?, ?" : "?, ?";
                SQLite::Statement q(*db_, std::string("INSERT INTO ") + tableName(t) + " (" +
                                              tableColumns(t) + ") VALUES (" + marks + ")");
                for (const auto& ins : change.inserts) {
                    if (ins.table != t) continue;
                    q.reset();
                    for (int i = 0; i < columnCount(t); ++i)
                        q.bind(i + 1, bytes(ins.values.value(i)));
                    q.exec();
                    nameRow(t, db_->getLastInsertRowid(), ins.id);
                }
            }
            db_->exec("COMMIT");
            ++changes_;
            return ChangeResult::Applied;
        } catch (const std::exception& e) {
            lastError_ = QString::fromUtf8(e.what());
            if (begun) db_->tryExec("ROLLBACK");
            return ChangeResult::Failed;
        }
    });
}

}  // namespace hx::storage
