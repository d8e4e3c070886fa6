#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>
#include <functional>

#include "storage/item_database.h"
#include "storage/sync_file.h"

// The rules by which every data root merges the catalogue the same way: pure
// functions of states and stored rows, so that all roots that have read the
// same files end with the same catalogue.
namespace hx::core::sync {

using storage::sync::Kind;
using storage::sync::Record;
using storage::sync::Stamp;
using storage::sync::State;

// Deletion marks older than this are forgotten; a root's `seen` clock then
// tells a record it deleted from one it never had.
inline constexpr qint64 kForgetAfterMs = 30LL * 24 * 3600 * 1000;
// Space left between the order keys of entries added at the end.
inline constexpr qint64 kOrderStep = 1 << 20;

// The hybrid clock of one root: never goes back, and moves past every stamp
// it is shown, so a change made after reading another root's change is later.
class Clock {
  public:
    Clock(QString root, std::function<qint64()> wallMs);
    Stamp tick();
    void observe(const Stamp& stamp);
    Stamp now() const { return {time_, seq_, root_}; }
    const QString& root() const { return root_; }
    void setRoot(const QString& root) { root_ = root; }
    qint64 wallMs() const { return wall_(); }

  private:
    QString root_;
    std::function<qint64()> wall_;
    qint64 time_ = 0;
    quint32 seq_ = 0;
};

// A stored row with the id and parent the sync knows it by. Rows of a column
// or an entry whose category or column is not stored belong to no catalogue
// and are left alone.
struct StoredEntry {
    storage::Table table;
    qint64 rowid = 0;
    QString id;
    QString parent;
    QString name, link, icon;  // a category's picture is its link
    QStringList values;        // the row as stored, in the table's column order
};

struct Resolved {
    QVector<StoredEntry> entries;  // categories, then columns, then items, each in rowid order
    QVector<storage::CatalogueChange::NewId> newIds;
};
// Names every stored row that has no id yet (`newId` makes one).
Resolved resolve(const storage::StoredCatalogue& stored, const std::function<QString()>& newId);

// Something of the merged catalogue that the panel does not show, and why.
struct LeftOut {
    enum Why { TooManyCategories, TooManyColumns, TooLong, NoName, NoParent, Renamed };
    Why why;
    Kind kind;
    QString name;
    QString where;    // the category (of a column) or column (of an entry)
    QString shownAs;  // Renamed: the name it is shown by
    int entries = 0;  // entries left out with it
};

// The catalogue as the database is to hold it: the design's limits and
// unique names applied, paths made absolute again.
struct Layout {
    struct Entry {
        QString id, name, link, icon;
    };
    struct Column {
        QString id, name;
        QVector<Entry> entries;
    };
    struct Category {
        QString id, name, picture;
        QVector<Column> columns;
    };
    // Where a record stands: its table, its group (the parent's id) and its
    // position, pointing into `categories`.
    struct Place {
        storage::Table table;
        const QString* group;
        const Category* category;
        const Column* column;
        const Entry* entry;
        int position;
        // The row as the database is to hold it, and whether `stored` is that row.
        QStringList values() const;
        bool holds(const QStringList& stored) const;
    };
    QVector<Category> categories;
    QHash<QString, QString> shownNames;  // by id, names shown other than their records'
    QHash<QString, Place> placed;
    QVector<LeftOut> leftOut;

    Layout() = default;
    // Moved, never copied: `placed` points into `categories`.
    Layout(Layout&&) = default;
    Layout& operator=(Layout&&) = default;
    Layout(const Layout&) = delete;
    Layout& operator=(const Layout&) = delete;
};
Layout layout(const State& state, const QString& home);

// The stored rows taken into the state: what differs from the state is a
// change made here (a new stamp), a placed record no longer stored is a
// deletion, and order keys follow the stored order.
State capture(const State& state, const Resolved& stored, const Layout& placed, Clock& clock,
              const QString& home);

struct Merged {
    State state;
    // Records changed here that another root's concurrent change replaced:
    // their versions before the merge go into a safety copy.
    int conflicts = 0;
};
// Takes in every other state: for each record the latest version; a record
// absent from a state whose root had already seen it was deleted there; a
// column or entry whose category or column was deleted goes with it.
Merged merge(const State& local, const QVector<State>& others, Clock& clock);

// What the database must do to hold `target`, given what it holds; `removed`
// counts the rows it removes for good (not moved or rewritten in order).
storage::CatalogueChange changeFor(const Resolved& stored, const Layout& target,
                                   int* removed = nullptr);

// Case is ignored as the database ignores it: ASCII only.
QString nameKey(const QString& name);

}  // namespace hx::core::sync
