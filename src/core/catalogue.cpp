#include "core/catalogue.h"

#include <QHash>

#include <algorithm>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "core/database_connection.h"
#include "core/item_loader.h"
#include "core/session.h"
#include "storage/safety_copy.h"
#include "core/sync_merge.h"

namespace hx::core {

Catalogue::Catalogue(Session& session, IconFunction icons, PictureFunction pictures,
                     QObject* parent)
    : QObject(parent),
      session_(session),
      icons_(std::move(icons)),
      pictureOf_(std::move(pictures)) {
    loader_ = new ItemLoader(session_.database(), icons_, this);
    connect(loader_, &ItemLoader::entryReady, this,
            [this](quint64 generation, int, const CatalogueRow& row, const QImage& image,
                   const QImage& sharp) {
                if (!loader_->isCurrent(generation)) return;
                pending_.push_back({row, image, sharp});
                if (!drainTimer_.isActive()) drainTimer_.start();
            });
    connect(loader_, &ItemLoader::loadFinished, this,
            [this](quint64 generation, bool ok, const QString& error) {
                if (!loader_->isCurrent(generation)) return;
                loadRunning_ = false;
                if (!ok) showError(error);
                if (!drainTimer_.isActive()) drainTimer_.start();
            });
    drainTimer_.setSingleShot(true);
    drainTimer_.setInterval(0);
    connect(&drainTimer_, &QTimer::timeout, this, &Catalogue::drainPending);
}

Catalogue::~Catalogue() { cancelLoad(); }

void Catalogue::showError(const QString& error) { session_.dialogs().failure(error); }

// The engine's own words go to stderr; the user reads why in their language.
void Catalogue::showRefusal() {
    const storage::ItemDatabase& db = session_.database();
    if (db.lastRefusal() != storage::ItemDatabase::Refusal::ReadOnly)
        qWarning("hengxiu-toolbox: change refused: %s", qPrintable(db.lastError()));
    session_.dialogs().failure(refusalText(db.lastRefusal()));
}

// ---- Categories -------------------------------------------------------------

void Catalogue::readPictures(int index) {
    pictures_[index] = pictureOf_ ? pictureOf_(pictureFiles_.at(index)) : QImage();
}

bool Catalogue::reload() {
    const auto rows = session_.database().categories();
    categories_.clear();
    pictureFiles_.clear();
    pictures_.clear();
    if (rows) {
        // Categories mostly share a few pictures: each file is read once.
        QHash<QString, QImage> read;
        for (const storage::CategoryRow& row : rows.value) {
            categories_ << row.name;
            pictureFiles_ << row.picture;
            const auto known = read.constFind(row.picture);
            if (known != read.cend()) {
                pictures_ << *known;
                continue;
            }
            pictures_ << QImage();
            readPictures(int(categories_.size()) - 1);
            read.insert(row.picture, pictures_.constLast());
        }
    }
    emit categoriesReset();
    if (!rows) showError(rows.error);
    return rows.ok;
}

void Catalogue::reset() {
    cancelLoad();
    categories_.clear();
    pictureFiles_.clear();
    pictures_.clear();
    columns_.clear();
    open_ = -1;
    clearRows();
    emit categoriesReset();
    emit columnsReset();
}

bool Catalogue::addCategory(const QString& name, const QString& pictureFile) {
    if (!session_.database().addCategory(name, pictureFile)) {
        showRefusal();
        return false;
    }
    categories_ << name;
    pictureFiles_ << pictureFile;
    pictures_ << QImage();
    readPictures(int(categories_.size()) - 1);
    emit categoryAdded(int(categories_.size()) - 1);
    return true;
}

bool Catalogue::renameCategory(int index, const QString& name) {
    if (index < 0 || index >= categoryCount()) return false;
    if (!session_.database().renameCategory(categories_.at(index), name)) {
        showRefusal();
        return false;
    }
    categories_[index] = name;
    emit categoryRenamed(index);
    return true;
}

bool Catalogue::removeCategory(int index) {
    if (index < 0 || index >= categoryCount()) return false;
    if (!session_.database().deleteCategory(categories_.at(index))) {
        showRefusal();
        return false;
    }
    const int before = categoryCount();
    categories_.removeAt(index);
    pictureFiles_.removeAt(index);
    pictures_.removeAt(index);
    // The remembered columns belong to positions: those after it move up.
    session_.config().shiftLastColumnsDown(index, before);
    if (index < current_) --current_;
    emit categoryRemoved(index);
    return true;
}

QString Catalogue::clearCategories() {
    // Not even a safety copy is written for a catalogue that can only be read.
    if (session_.database().isReadOnly()) {
        showError(refusalText(storage::ItemDatabase::Refusal::ReadOnly));
        return {};
    }
    const QString copy = storage::writeSafetyCopy(session_.root(), session_.database());
    if (copy.isEmpty()) {
        showError(tr("无法写入自动备份，分类未清空。"));
        return {};
    }
    if (!session_.database().clearCategories(categories_)) {
        showRefusal();
        return {};
    }
    // The columns and rows shown belonged to the categories just removed.
    reset();
    return copy;
}

bool Catalogue::setCategoryPicture(int index, const QString& pictureFile) {
    if (index < 0 || index >= categoryCount()) return false;
    storage::ItemDatabase& db = session_.database();
    if (!db.setCategoryPicture(categories_.at(index), pictureFile)) {
        showRefusal();
        return false;
    }
    pictureFiles_[index] = pictureFile;
    readPictures(index);
    emit categoryPictureChanged(index);
    return true;
}

void Catalogue::selectCategory(int index) {
    current_ = index;
    cancelLoad();
    clearRows();
    columns_.clear();
    open_ = -1;
    const auto columns = session_.database().columnsOf(currentCategoryName());
    if (columns) {
        columns_ = columns.value;
        // The last header ends up open, as each one is made current in turn.
        open_ = int(columns_.size()) - 1;
    }
    emit columnsReset();
    if (!columns) showError(columns.error);
    openColumnAt(session_.config().lastColumn(current_));
}

// ---- Columns ----------------------------------------------------------------

bool Catalogue::addColumn(const QString& name) {
    if (!session_.database().addColumn(currentCategoryName(), name)) {
        showRefusal();
        return false;
    }
    columns_ << name;
    emit columnAdded(int(columns_.size()) - 1);
    return true;
}

bool Catalogue::renameColumn(int index, const QString& name) {
    if (index < 0 || index >= columnCount()) return false;
    return renameColumnOf(currentCategoryName(), columns_.at(index), name);
}

bool Catalogue::removeColumn(int index) {
    if (index < 0 || index >= columnCount()) return false;
    return removeColumnOf(currentCategoryName(), index, columns_.at(index));
}

bool Catalogue::addColumnTo(const QString& category, const QString& name) {
    if (category == currentCategoryName() && categoryCount() > 0) return addColumn(name);
    if (!session_.database().addColumn(category, name)) {
        showRefusal();
        return false;
    }
    return true;
}

bool Catalogue::renameColumnOf(const QString& category, const QString& oldName,
                               const QString& name) {
    storage::ItemDatabase& db = session_.database();
    if (!db.renameColumn(category, oldName, name)) {
        showRefusal();
        return false;
    }
    if (category != currentCategoryName() || categoryCount() == 0) return true;
    // The statement renames every header it matches: show what is stored.
    const auto stored = db.columnsOf(category);
    if (!stored || stored.value.size() != columns_.size()) {
        selectCategory(current_);
        return true;
    }
    for (int i = 0; i < columnCount(); ++i) {
        if (columns_.at(i) == stored.value.at(i)) continue;
        columns_[i] = stored.value.at(i);
        emit columnRenamed(i);
    }
    return true;
}

bool Catalogue::removeColumnOf(const QString& category, int index, const QString& name) {
    storage::ItemDatabase& db = session_.database();
    if (!db.deleteColumnAt(category, index, name)) {
        // Refused by the engine: said. Otherwise the list no longer matches
        // the table (changed elsewhere): show what is stored.
        if (db.lastRefusal() != storage::ItemDatabase::Refusal::Other) {
            showRefusal();
            return false;
        }
        if (category == currentCategoryName()) selectCategory(current_);
        return false;
    }
    if (category != currentCategoryName() || categoryCount() == 0 || index >= columnCount())
        return true;
    const bool wasOpen = index == open_;
    columns_.removeAt(index);
    // The open column follows its own header; the last one when it was removed itself.
    if (index < open_ || open_ >= columnCount()) --open_;
    emit columnRemoved(index);
    if (wasOpen) {
        cancelLoad();
        clearRows();
        emit rowsCleared();
    }
    return true;
}

void Catalogue::openColumnAt(int index) {
    showColumn(index);
    session_.config().setLastColumn(current_, index);
    session_.config().setLastCategory(current_);
}

void Catalogue::showColumn(int index) {
    cancelLoad();
    clearRows();
    if (index >= 0 && index < columnCount()) open_ = index;
    emit columnOpened(index);
    // A position outside the headers loads the rows of no column.
    loadRunning_ = true;
    loader_->load(currentCategoryName(), columnName(index), iconSize(), pixelRatio_);
}

void Catalogue::reloadOpenColumn() {
    cancelLoad();
    // The selection stays: the grid selects the entry again when it arrives.
    const int selected = selected_;
    clearRows();
    selected_ = selected;
    emit rowsCleared();
    if (open_ < 0) return;
    loadRunning_ = true;
    loader_->load(currentCategoryName(), openColumnName(), iconSize(), pixelRatio_);
}

// ---- Rows -------------------------------------------------------------------

int Catalogue::iconSize() const { return session_.appearance().iconSize(); }

bool Catalogue::loading() const { return loadRunning_ || pendingNext_ < pending_.size(); }

void Catalogue::cancelLoad() {
    loader_->cancel();
    loadRunning_ = false;
    pending_.clear();
    pendingNext_ = 0;
    drainTimer_.stop();
}

void Catalogue::clearRows() {
    rows_.clear();
    listPictures_.clear();
    sharp_.clear();
    selected_ = -1;
}

void Catalogue::finishLoading() {
    for (int i = 0; i < 100000 && loading(); ++i) {
        loader_->waitForIdle();
        QCoreApplication::processEvents();
    }
}

void Catalogue::drainPending() {
    constexpr qint64 kBudgetNs = 6'000'000;
    QElapsedTimer budget;
    budget.start();
    const int first = rowCount();
    while (pendingNext_ < pending_.size()) {
        const Pending& entry = pending_.at(pendingNext_++);
        rows_ << entry.row;
        listPictures_ << entry.image;
        sharp_ << entry.sharp;
        if (budget.nsecsElapsed() > kBudgetNs) break;
    }
    if (pendingNext_ < pending_.size()) {
        drainTimer_.start();
    } else {
        pending_.clear();
        pendingNext_ = 0;
    }
    if (rowCount() > first) emit rowsAppended(first, rowCount() - first);
}

QVector<bool> Catalogue::addItems(const QVector<storage::ItemRow>& rows,
                                  const QVector<QImage>& pictures) {
    const QVector<bool> stored = session_.database().addItems(rows);
    if (stored.contains(false)) showRefusal();
    const int first = rowCount();
    bool reload = false;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const storage::ItemRow& row = rows.at(i);
        if (!stored.value(i) || open_ < 0 || row.category != currentCategoryName() ||
            row.column != openColumnName())
            continue;
        // A load in progress may or may not have read this row: load again.
        if (loading()) {
            reload = true;
            continue;
        }
        rows_ << CatalogueRow{row.name, row.link, row.icon};
        const int size = iconSize();
        QImage picture = pictures.value(i);
        if (picture.isNull() && i >= pictures.size() && icons_) picture = icons_(row.icon, size);
        listPictures_ << picture;
        sharp_ << QImage();
    }
    if (reload) reloadOpenColumn();
    if (rowCount() > first) emit rowsAppended(first, rowCount() - first);
    return stored;
}

bool Catalogue::addBatch(const storage::ItemBatch& batch) {
    if (!session_.database().addBatch(batch)) {
        showRefusal();
        return false;
    }
    if (batch.newCategory) {
        categories_ << batch.category;
        pictureFiles_ << batch.picture;
        pictures_ << QImage();
        readPictures(int(categories_.size()) - 1);
        emit categoryAdded(int(categories_.size()) - 1);
    }
    if (batch.category != currentCategoryName()) return true;
    for (const QString& column : batch.newColumns) {
        columns_ << column;
        emit columnAdded(int(columns_.size()) - 1);
    }
    const bool intoOpen = std::any_of(batch.rows.begin(), batch.rows.end(), [&](const auto& row) {
        return open_ >= 0 && row.column == openColumnName();
    });
    if (intoOpen) reloadOpenColumn();
    return true;
}

bool Catalogue::removeItem(int index) {
    if (index < 0 || open_ < 0) return false;
    if (!session_.database().deleteItemAt(currentCategoryName(), openColumnName(), index)) {
        showRefusal();
        return false;
    }
    if (loading()) {
        reloadOpenColumn();
        return true;
    }
    if (index >= rowCount()) return true;
    rows_.removeAt(index);
    listPictures_.removeAt(index);
    sharp_.removeAt(index);
    if (selected_ == index)
        selected_ = -1;
    else if (selected_ > index)
        --selected_;
    emit rowRemoved(index);
    return true;
}

bool Catalogue::updateItem(int index, const std::function<void(storage::ItemRow&)>& change) {
    const ItemLookup found = itemAt(index);
    if (!found.row) return false;
    storage::ItemRow changed = *found.row;
    change(changed);
    if (!session_.database().updateItemAt(currentCategoryName(), openColumnName(), index,
                                          changed)) {
        showRefusal();
        return false;
    }
    // A row still on its way is read with its new texts anyway.
    if (index >= rowCount() || loading()) {
        if (loading()) reloadOpenColumn();
        return true;
    }
    rows_[index] = {changed.name, changed.link, changed.icon};
    const int size = iconSize();
    listPictures_[index] = icons_ ? icons_(changed.icon, size) : QImage();
    sharp_[index] = QImage();
    emit rowChanged(index);
    return true;
}

ItemLookup Catalogue::itemAt(int index) {
    ItemLookup found;
    if (index < 0 || open_ < 0) return found;
    const auto row = session_.database().itemAt(currentCategoryName(), openColumnName(), index);
    if (!row) {
        found.refused = true;
        showError(row.error);
        return found;
    }
    // Grid and table out of step: no record.
    found.row = row.value;
    return found;
}

// ---- Reads of any category ----------------------------------------------------

bool Catalogue::hasCategory(const QString& name) { return session_.database().hasCategory(name); }

storage::Fetch<QStringList> Catalogue::columnsOf(const QString& category) {
    return session_.database().columnsOf(category);
}

storage::Fetch<QVector<storage::ItemRow>> Catalogue::itemsOf(const QString& category,
                                                             const QString& column) {
    return session_.database().itemsOf(category, column);
}

int Catalogue::countItems(const QString& category, const QString& column) {
    return session_.database().countItems(category, column);
}

storage::Fetch<QVector<storage::ItemRow>> Catalogue::searchNames(const QString& needle,
                                                                 qint64* cursor, int limit) {
    return session_.database().searchNamesPage(needle, cursor, limit);
}

QString Catalogue::lastError() const { return session_.database().lastError(); }

bool Catalogue::storeItem(const storage::ItemRow& row) {
    if (session_.database().addItem(row)) return true;
    showRefusal();
    return false;
}

void Catalogue::showStoredChange(bool categories, const QSet<QString>& columnsOf,
                                 const QSet<QString>& itemsOf) {
    using sync::nameKey;
    const QString category = currentCategoryName();
    const QString column = openColumnName();
    if (!categories && !columnsOf.contains(nameKey(category))) {
        if (open_ >= 0 && itemsOf.contains(nameKey(category) + u'\x1f' + nameKey(column)))
            reloadOpenColumn();
        return;
    }
    showingStored_ = true;
    const int before = current_, openBefore = open_;
    cancelLoad();
    reload();
    int index = int(categories_.indexOf(category));
    for (int i = 0; index < 0 && i < categoryCount(); ++i)
        if (nameKey(categories_.at(i)) == nameKey(category)) index = i;
    if (index < 0) index = qMin(current_, categoryCount() - 1);
    if (index < 0) {
        // Nothing left to show.
        columns_.clear();
        open_ = -1;
        clearRows();
        emit columnsReset();
        emit rowsCleared();
    } else if (index != before) {
        selectCategory(index);
        const int open = int(columns_.indexOf(column));
        if (open >= 0 && open != open_) openColumnAt(open);
    } else {
        // Where the user was: the choice stored in Config.ini stands.
        clearRows();
        const auto columns = session_.database().columnsOf(currentCategoryName());
        columns_ = columns ? columns.value : QStringList();
        open_ = int(columns_.size()) - 1;
        emit columnsReset();
        if (!columns) showError(columns.error);
        const int open = int(columns_.indexOf(column));
        if (open >= 0 && open == openBefore)
            showColumn(open);
        else
            openColumnAt(open >= 0 ? open : session_.config().lastColumn(current_));
    }
    showingStored_ = false;
}

}  // namespace hx::core
