#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace hx::core {

// One entry of the open column, as the loader read it.
struct CatalogueRow {
    QString name;
    QString link;
    QString icon;
    bool operator==(const CatalogueRow&) const = default;
};

// What the panel shows, as a model: the category names of 表3 and the column
// names of the current category in storage order, the open column, and the
// rows of that column. The toolbar, the roller-blind menu and the grid render
// it; every operation takes its names from here, never from a widget. The
// current category itself is the shared `currentCategory` (GlobalState).
// Position n of a list is row n of its table; an action on an entry still
// reads its row again from the database by category, column and position.
class CatalogueState {
  public:
    // Categories (表3).
    const QStringList& categories() const { return categories_; }
    int categoryCount() const { return int(categories_.size()); }
    QString categoryName(int index) const { return categories_.value(index); }  // empty outside
    void setCategories(QStringList names) { categories_ = std::move(names); }
    void appendCategory(const QString& name) { categories_ << name; }
    void renameCategory(int index, const QString& name);
    void removeCategory(int index);

    // Columns of the current category (表2) and the open one (-1 for none).
    const QStringList& columns() const { return columns_; }
    int columnCount() const { return int(columns_.size()); }
    QString columnName(int index) const { return columns_.value(index); }  // empty outside
    void setColumns(QStringList names);
    void appendColumn(const QString& name) { columns_ << name; }
    void renameColumn(int index, const QString& name);
    void removeColumn(int index);
    int openColumn() const { return openColumn_; }
    void setOpenColumn(int index) { openColumn_ = index; }
    QString openColumnName() const { return columnName(openColumn_); }

    // Rows of the open column, in storage order (表1).
    const QVector<CatalogueRow>& openRows() const { return rows_; }
    void setOpenRows(QVector<CatalogueRow> rows) { rows_ = std::move(rows); }
    void appendOpenRow(const CatalogueRow& row) { rows_ << row; }
    void removeOpenRow(int index);
    void clearOpenRows() { rows_.clear(); }

  private:
    QStringList categories_;
    QStringList columns_;
    int openColumn_ = -1;
    QVector<CatalogueRow> rows_;
};

}  // namespace hx::core
