#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QIcon>
#include <QVector>
#include <functional>

#include "storage/item_database.h"

namespace hx::appearance {

// The search page's result list: the matching rows, with each row's icon
// resolved only when the view asks for it (rows on screen), so a search that
// matches the whole catalogue builds a screenful of pictures, not all of them.
class SearchModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using IconFor = std::function<QImage(const QString& iconText, int size)>;

    // `pixelRatio`: the view's screen density; above 1 the pictures are drawn
    // at that density too.
    SearchModel(IconFor iconFor, int iconSize, qreal pixelRatio = 1.0, QObject* parent = nullptr);

    // Replaces the results; the links stay row for row with the names.
    void setResults(QVector<storage::ItemRow> rows);
    void clear() { setResults({}); }
    // Adds rows at the end (a search that arrives a page at a time).
    void appendResults(const QVector<storage::ItemRow>& rows);

    // The link of result `row`, empty outside the list.
    QString linkAt(int row) const;
    // How many pictures have been built so far.
    int iconsResolved() const { return int(icons_.size()); }
    int iconSize() const { return iconSize_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    IconFor iconFor_;
    int iconSize_;
    qreal pixelRatio_;
    QVector<storage::ItemRow> rows_;
    mutable QHash<int, QIcon> icons_;
};

}  // namespace hx::appearance
