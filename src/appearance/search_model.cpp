#include "appearance/search_model.h"

#include <QPixmap>

#include "platform/icon_loader.h"

namespace hx::appearance {

SearchModel::SearchModel(IconFor iconFor, int iconSize, qreal pixelRatio, QObject* parent)
    : QAbstractListModel(parent),
      iconFor_(std::move(iconFor)),
      iconSize_(iconSize),
      pixelRatio_(pixelRatio) {}

void SearchModel::setResults(QVector<storage::ItemRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    icons_.clear();
    endResetModel();
}

void SearchModel::appendResults(const QVector<storage::ItemRow>& rows) {
    if (rows.isEmpty()) return;
    const int first = int(rows_.size());
    beginInsertRows(QModelIndex(), first, first + int(rows.size()) - 1);
    rows_ += rows;
    endInsertRows();
}

QString SearchModel::linkAt(int row) const {
    return row >= 0 && row < rows_.size() ? rows_.at(row).link : QString();
}

int SearchModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant SearchModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size()) return {};
    const storage::ItemRow& row = rows_.at(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return row.name;
    if (role == Qt::DecorationRole) {
        auto it = icons_.constFind(index.row());
        if (it == icons_.constEnd()) {
            QIcon icon;
            if (iconFor_)
                icon = platform::listIcon([&](int size) { return iconFor_(row.icon, size); },
                                          iconSize_, pixelRatio_);
            if (icon.isNull()) {
                // A row without a picture keeps its place in the text column.
                QPixmap blank(iconSize_, iconSize_);
                blank.fill(Qt::transparent);
                icon = QIcon(blank);
            }
            it = icons_.insert(index.row(), icon);
        }
        return *it;
    }
    return {};
}

}  // namespace hx::appearance
