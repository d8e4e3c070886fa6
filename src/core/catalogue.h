#pragma once

#include <QImage>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <QVector>
#include <functional>
#include <optional>

#include "core/catalogue_row.h"
#include "storage/item_database.h"

namespace hx::core {

class Session;
class ItemLoader;

// The stored row at a position of the open column, read again from 表1.
struct ItemLookup {
    std::optional<storage::ItemRow> row;  // none: no such position, or the read was refused
    bool refused = false;                 // the engine refused; its message has been shown
};

// Owns the catalogue as the panel shows it: the category names and pictures
// of 表3, the current category and its columns (表2), the open column and its
// rows (表1), in storage order. Every change is written to the database first
// (one transaction), then to this model, then announced by one signal; the
// toolbar, the roller-blind menu and the grid only render what it announces.
// It also loads the open column (on a worker, handed over a slice per turn of
// the event loop) and knows the selected entry.
class Catalogue : public QObject {
    Q_OBJECT
  public:
    // An icon text as a picture of `size` pixels; called on the loader's worker.
    using IconFunction = std::function<QImage(const QString& iconText, int size)>;
    // A category's picture from its stored 路径; never null.
    using PictureFunction = std::function<QImage(const QString& file)>;

    static constexpr int kMaxColumns = 10;
    static constexpr int kMaxCategories = 11;

    Catalogue(Session& session, IconFunction icons, PictureFunction pictures,
              QObject* parent = nullptr);
    ~Catalogue() override;

    // ---- Categories (表3) ----
    const QStringList& categories() const { return categories_; }
    int categoryCount() const { return int(categories_.size()); }
    QString categoryName(int index) const { return categories_.value(index); }  // empty outside
    QString categoryPictureFile(int index) const { return pictureFiles_.value(index); }
    QImage categoryPicture(int index) const { return pictures_.value(index); }
    int currentCategory() const { return current_; }
    QString currentCategoryName() const { return categoryName(current_); }

    // Reads 表3 again; false (message shown) when the database refused.
    bool reload();
    // Forgets everything shown (the database is being replaced).
    void reset();
    bool addCategory(const QString& name, const QString& pictureFile);
    bool renameCategory(int index, const QString& name);
    bool removeCategory(int index);
    // Every category, in one transaction, after a safety copy of the whole
    // catalogue that a restore can bring back. The copy's path; empty when
    // nothing was cleared (the message has been shown).
    QString clearCategories();
    bool setCategoryPicture(int index, const QString& pictureFile);
    // Makes `index` current, lists its columns and opens the one remembered
    // for it in Config.ini.
    void selectCategory(int index);

    // ---- Columns of the current category (表2) ----
    const QStringList& columns() const { return columns_; }
    int columnCount() const { return int(columns_.size()); }
    QString columnName(int index) const { return columns_.value(index); }  // empty outside
    int openColumn() const { return open_; }                               // -1 for none
    QString openColumnName() const { return columnName(open_); }

    // Appended at the end; the caller opens it when it should show.
    bool addColumn(const QString& name);
    bool renameColumn(int index, const QString& name);
    // By position: a second column of the same name keeps its row.
    bool removeColumn(int index);
    // Columns of any category (the column window); the current category's
    // show at once.
    bool addColumnTo(const QString& category, const QString& name);
    bool renameColumnOf(const QString& category, const QString& oldName, const QString& name);
    bool removeColumnOf(const QString& category, int index, const QString& name);

    // Opens column `index` (none when outside) and starts loading its rows;
    // remembers the choice in Config.ini.
    void openColumnAt(int index);
    // Loads the open column again (its rows changed).
    void reloadOpenColumn();

    // ---- Rows of the open column (表1) ----
    const QVector<CatalogueRow>& rows() const { return rows_; }
    int rowCount() const { return int(rows_.size()); }
    QImage rowPicture(int index) const { return listPictures_.value(index); }
    QImage rowSharpPicture(int index) const { return sharp_.value(index); }
    bool loading() const;
    // An icon text as a picture of `size` pixels, as the rows get theirs.
    QImage iconFor(const QString& iconText, int size) const {
        return icons_ ? icons_(iconText, size) : QImage();
    }
    // The size the rows' pictures are made at: 32 or 16, as the appearance says.
    int iconSize() const;
    // Pixel ratio of the screen the grid is on: rows also get pictures at that density.
    void setPixelRatio(qreal ratio) { pixelRatio_ = ratio; }
    // Blocks until the worker has read everything and hands over what is queued (tests).
    void finishLoading();

    // Adds rows to the end of `category`/`column` in one transaction; the open
    // column shows them. Per row whether it was stored; why not is said once.
    QVector<bool> addItems(const QVector<storage::ItemRow>& rows,
                           const QVector<QImage>& pictures = {});
    // A category, columns and rows in one transaction (nothing stored on
    // failure, the message shown); what is shown follows.
    bool addBatch(const storage::ItemBatch& batch);
    bool removeItem(int index);
    // Rewrites the stored row at `index` of the open column; false (nothing
    // written) when there is none.
    bool updateItem(int index, const std::function<void(storage::ItemRow&)>& change);

    // The selected entry of the open column (-1 for none), as the grid reports it.
    int selectedRow() const { return selected_; }
    void setSelectedRow(int index) { selected_ = index; }
    // The stored row at `index` of the open column, read again by category,
    // column and position.
    ItemLookup itemAt(int index);
    ItemLookup selectedItem() { return itemAt(selected_); }

    // ---- Reads of any category, for the windows that list them ----
    bool hasCategory(const QString& name);
    storage::Fetch<QStringList> columnsOf(const QString& category);
    storage::Fetch<QVector<storage::ItemRow>> itemsOf(const QString& category,
                                                      const QString& column);
    int countItems(const QString& category, const QString& column);
    // Entries whose name holds `needle`, `limit` at a time from `*cursor`.
    storage::Fetch<QVector<storage::ItemRow>> searchNames(const QString& needle, qint64* cursor,
                                                          int limit);
    // Stores a row without showing it: a window adding several at once shows
    // them together (reloadOpenColumn) when it is done. False: message shown.
    bool storeItem(const storage::ItemRow& row);
    // The database's message for the last write refused.
    QString lastError() const;
    // Says why the database refused the last change, in the user's language.
    void showRefusal();
    // The database changed behind the panel (a merge of another root's
    // changes): shows it again where it changed, keeping the current category
    // and the open column by name when they are still there. Keys are names
    // as the database compares them (ASCII case ignored); `itemsOf` holds
    // category + '\x1f' + column.
    void showStoredChange(bool categories, const QSet<QString>& columnsOf,
                          const QSet<QString>& itemsOf);
    // True while showStoredChange shows it: what follows is no switch of the user's.
    bool showingStoredChange() const { return showingStored_; }

    // Asks the main window to run the re-initialisation (after a restore or a clear).
    void requestReinitialisation() { emit reinitialisationRequested(); }

  signals:
    void reinitialisationRequested();
    void categoriesReset();
    void categoryAdded(int index);
    void categoryRenamed(int index);
    void categoryRemoved(int index);
    void categoryPictureChanged(int index);
    // The current category changed and its columns were listed.
    void columnsReset();
    void columnAdded(int index);
    void columnRenamed(int index);
    void columnRemoved(int index);
    // The open column changed (a switch): its rows were cleared, a load follows.
    void columnOpened(int index);
    // The open column's rows were cleared to be loaded again.
    void rowsCleared();
    void rowsAppended(int first, int count);
    void rowRemoved(int index);
    void rowChanged(int index);

  private:
    void startLoad();
    // Opens column `index` and starts loading it, without remembering it.
    void showColumn(int index);
    void cancelLoad();
    void drainPending();
    void showError(const QString& error);
    void clearRows();
    void readPictures(int index);

    Session& session_;
    IconFunction icons_;
    PictureFunction pictureOf_;
    ItemLoader* loader_ = nullptr;

    QStringList categories_;
    QStringList pictureFiles_;
    QVector<QImage> pictures_;
    int current_ = 0;
    QStringList columns_;
    int open_ = -1;
    QVector<CatalogueRow> rows_;
    QVector<QImage> listPictures_;
    QVector<QImage> sharp_;
    int selected_ = -1;
    qreal pixelRatio_ = 1.0;
    bool showingStored_ = false;

    bool loadRunning_ = false;
    // Entries handed over by the loader, shown a few milliseconds' worth per
    // turn of the event loop so that a long column never stalls the window.
    struct Pending {
        CatalogueRow row;
        QImage image;
        QImage sharp;
    };
    QVector<Pending> pending_;
    qsizetype pendingNext_ = 0;
    QTimer drainTimer_;
};

}  // namespace hx::core
