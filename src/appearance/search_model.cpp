#include "appearance/search_model.h"

#include <QPixmap>

namespace hx::appearance {

SearchModel::SearchModel(IconFor iconFor, int iconSize, QObject* parent)
    : QAbstractListModel(parent), iconFor_(std::move(iconFor)), iconSize_(iconSize) {}

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
            const QImage image = iconFor_ ? iconFor_(row.icon, iconSize_) : QImage();
            // A row without a picture keeps its place in the text column.
            QPixmap pixmap(iconSize_, iconSize_);
            pixmap.fill(Qt::transparent);
            if (!image.isNull()) pixmap = QPixmap::fromImage(image);
            it = icons_.insert(index.row(), QIcon(pixmap));
        }
        return *it;
    }
    return {};
}

}  // namespace hx::appearance
