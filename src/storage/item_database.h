#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace SQLite {
class Database;
}

namespace hx::storage {

struct CategoryRow {
    QString name;     // 分类
    QString picture;  // 路径
    bool operator==(const CategoryRow&) const = default;
};

struct ItemRow {
    QString category;  // 分类文本
    QString column;    // 栏目文本
    QString name;      // 名称文本
    QString link;      // 路径文本
    QString icon;      // 图标文本
    bool operator==(const ItemRow&) const = default;
};

// Entries added together: into `category` (created first when `newCategory`,
// with `picture`), after creating `newColumns` in it.
struct ItemBatch {
    QString category;
    bool newCategory = false;
    QString picture;
    QStringList newColumns;
    QVector<ItemRow> rows;
};

// The three tables as they are stored, each row with its rowid and its sync
// id (empty until a sync first names it), for the catalogue's sync.
enum class Table { Items = 1, Columns = 2, Categories = 3 };
struct StoredCategory {
    qint64 rowid = 0;
    QString syncId;
    QString name, picture;
};
struct StoredColumn {
    qint64 rowid = 0;
    QString syncId;
    QString category, name;
};
struct StoredItem {
    qint64 rowid = 0;
    QString syncId;
    ItemRow row;
};
struct StoredCatalogue {
    QVector<StoredCategory> categories;  // rowid order, as every listing
    QVector<StoredColumn> columns;
    QVector<StoredItem> items;
    quint64 version = 0;  // changeCount() when read
};

// What a merge changes, in one transaction: sync ids given to rows, rows
// removed, rows rewritten, rows appended (in this order, each with its id).
// Values are the table's columns in their designed order.
struct CatalogueChange {
    struct NewId {
        Table table;
        qint64 rowid;
        QString id;
    };
    struct Removal {
        Table table;
        qint64 rowid;
    };
    struct Update {
        Table table;
        qint64 rowid;
        QStringList values;
    };
    struct Insert {
        Table table;
        QString id;
        QStringList values;
    };
    QVector<NewId> ids;
    QVector<Removal> removals;
    QVector<Update> updates;
    QVector<Insert> inserts;
    bool isEmpty() const {
        return ids.isEmpty() && removals.isEmpty() && updates.isEmpty() && inserts.isEmpty();
    }
    bool touchesCatalogue() const {
        return !removals.isEmpty() || !updates.isEmpty() || !inserts.isEmpty();
    }
};

// Result of a listing: `ok` false means the open was refused and `error`
// holds the engine's description, which callers show to the user.
template <class T>
struct Fetch {
    bool ok = false;
    T value{};  // the rows, the one row, or the count asked for
    QString error;
    explicit operator bool() const { return ok; }
};

// The item database: tables 表1 (items), 表2 (columns) and 表3 (categories),
// rows in storage (rowid) order, names always bound as values. One object is
// shared by every window and the item-loading worker; each operation holds a
// mutex for its whole duration, so operations never interleave.
class ItemDatabase {
  public:
    // The designed text lengths: the schema's checks, and the windows' limits.
    static constexpr int kCategoryLength = 50;
    static constexpr int kColumnLength = 50;
    static constexpr int kTextLength = 255;

    ItemDatabase();
    ~ItemDatabase();
    ItemDatabase(const ItemDatabase&) = delete;
    ItemDatabase& operator=(const ItemDatabase&) = delete;

    // Creates a new database file with the three empty tables. Fails when
    // anything already exists at `path`.
    static bool createEmpty(const QString& path, QString* error = nullptr);
    // True when `path` is an SQLite database that holds the three tables.
    static bool isItemDatabase(const QString& path, QString* error = nullptr);
    // True when `source` may replace the database at `livePath`: an item
    // database that is not the live file itself. `source` is read as an
    // unchanging file, so nothing (no -wal, no -shm) is written beside it.
    static bool canRestoreFrom(const QString& source, const QString& livePath,
                               QString* error = nullptr);

    // Why the last change was refused, for a message in the user's language.
    enum class Refusal { None, ReadOnly, TooLong, DiskFull, Busy, Other };

    // Opens an existing file (closing any open one first). A file that is not
    // a database with the three tables is refused and left untouched. A file
    // or folder that cannot be written (a read-only medium) is opened read
    // only: every listing works, every change is refused.
    bool open(const QString& path);
    void close();
    bool isOpen() const;
    // Open, and every change refused with Refusal::ReadOnly.
    bool isReadOnly() const;
    // Opens every later file read only, writable or not (tests).
    void setAlwaysReadOnly(bool always);
    QString lastError() const;
    Refusal lastRefusal() const;
    QString path() const;

    // Listings.
    Fetch<QVector<CategoryRow>> categories();
    Fetch<QStringList> columnsOf(const QString& category);
    Fetch<QVector<ItemRow>> itemsOf(const QString& category, const QString& column);
    // The index-th row (0-based) of itemsOf(category, column).
    Fetch<std::optional<ItemRow>> itemAt(const QString& category, const QString& column, int index);
    // Rows of 表1 whose 名称文本 holds `needle` (exact, case-sensitive).
    Fetch<QVector<ItemRow>> searchNames(const QString& needle);
    // The same rows a page at a time: up to `limit` matches stored after the
    // row `*cursor` (0 to start); `*cursor` moves to the last row returned.
    // Fewer than `limit` rows means the search has reached the end.
    Fetch<QVector<ItemRow>> searchNamesPage(const QString& needle, qint64* cursor, int limit);
    int countItems(const QString& category, const QString& column);
    // Whether 表3 holds `name` by the database's own comparison (ASCII case ignored).
    bool hasCategory(const QString& name);

    // Changes; false when the engine refused (for example an over-long name).
    bool addItem(const ItemRow& item);
    // Appends rows in one transaction; a row the engine refuses (an over-long
    // text) is left out and the others stay. Per row whether it was stored;
    // all false when the transaction failed.
    QVector<bool> addItems(const QVector<ItemRow>& items);
    // The whole batch in one transaction: anything refused stores nothing.
    bool addBatch(const ItemBatch& batch);
    bool addCategory(const QString& name, const QString& picture);
    bool addColumn(const QString& category, const QString& column);
    bool updateItemAt(const QString& category, const QString& column, int index,
                      const ItemRow& replacement);
    bool deleteItemAt(const QString& category, const QString& column, int index);
    bool setCategoryPicture(const QString& category, const QString& picture);
    bool renameCategory(const QString& oldName, const QString& newName);  // three tables
    bool renameColumn(const QString& category, const QString& oldName, const QString& newName);
    bool deleteCategory(const QString& name);  // three tables
    bool deleteColumn(const QString& category, const QString& column);
    bool clearAll();  // three tables, one transaction
    // The rows of every named category in the three tables, then all of 表3;
    // one transaction.
    bool clearCategories(const QStringList& names);
    // The index-th 表2 row of `category` and the items of that column. Refused,
    // with nothing changed, when that row is not named `column`.
    bool deleteColumnAt(const QString& category, int index, const QString& column);

    // ---- For the catalogue's sync ----
    // Grows with every change stored (and every database opened or restored).
    quint64 changeCount() const;
    // Called after every change stored other than a sync's own, from the
    // thread that made it, with the database locked: it may only post.
    void setChangeListener(std::function<void()> listener);
    // The whole catalogue in one read.
    Fetch<StoredCatalogue> readCatalogue();
    enum class ChangeResult { Applied, Stale, Failed };
    // Applies `change` in one transaction, unless anything was stored since
    // the read that gave `readAt` (Stale: nothing written). The first use
    // adds the table of sync ids to a database that has none.
    ChangeResult applyCatalogueChange(const CatalogueChange& change, quint64 readAt);

    // Online copy of the open database to `target` (replaced when present,
    // in one rename, so a failed copy leaves the old target whole).
    bool backupTo(const QString& target);
    // Replaces the database at `livePath` with a copy of `source` and opens it.
    // A source canRestoreFrom refuses is refused before anything is touched;
    // the open connection then stays as it was.
    bool restoreFrom(const QString& source, const QString& livePath);

  private:
    template <class F>
    auto locked(F&& f);
    bool changeInTransaction(const std::function<void(SQLite::Database&)>& work);
    bool refuseReadOnly();
    std::optional<qint64> rowidAt(const QString& category, const QString& column, int index);

    void changed();

    mutable std::recursive_mutex mutex_;
    quint64 changes_ = 0;
    std::function<void()> listener_;
    std::unique_ptr<SQLite::Database> db_;
    QString path_;
    QString lastError_;
    Refusal lastRefusal_ = Refusal::None;
    bool readOnly_ = false;
    bool alwaysReadOnly_ = false;
};

}  // namespace hx::storage
