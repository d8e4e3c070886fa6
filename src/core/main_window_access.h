#pragma once

#include <QImage>
#include <QString>
#include <QVector>

namespace hx::core {

// What secondary windows may do to the main window, so that none of them
// needs to include it.
class MainWindowAccess {
  public:
    virtual ~MainWindowAccess() = default;

    // Category toolbar.
    virtual int categoryCount() const = 0;
    // Tooltip of button `index`; empty for a button that does not exist.
    virtual QString categoryName(int index) const = 0;
    virtual void removeAllCategoryButtons() = 0;
    // The toolbar's 16 x 16 image list (it only ever grows).
    virtual QVector<QImage> categoryImages() const = 0;
    // Appends a button at the end; `picture` null shows no image.
    virtual void addCategoryButton(const QString& name, const QImage& picture) = 0;
    virtual void removeCategoryButton(int index) = 0;
    virtual void setCategoryButtonText(int index, const QString& name) = 0;

    // Roller-blind menu.
    virtual int columnCount() const = 0;
    virtual QString columnName(int index) const = 0;
    virtual int currentColumn() const = 0;  // -1 for none
    virtual void removeAllColumns() = 0;
    virtual void addColumnHeader(const QString& caption) = 0;
    virtual void setColumnHeaderText(int index, const QString& caption) = 0;
    virtual void removeColumnHeader(int index) = 0;
    // Makes header `index` the open one (the grid moves under it).
    virtual void setCurrentColumn(int index) = 0;

    // Item grid.
    virtual int itemCount() const = 0;
    virtual QString itemText(int index) const = 0;
    virtual int selectedItem() const = 0;  // -1 for none
    virtual void clearItems() = 0;
    // Appends an entry at the end of the grid (its picture joins the grid's list).
    virtual void appendItem(const QString& name, const QImage& picture) = 0;
    virtual void removeItem(int index) = 0;
    // True while a column load is still adding entries to the grid.
    virtual bool itemsLoading() const { return false; }

    // Status bar part 0 (messages) or 1 (greeting).
    virtual void setStatusText(int part, const QString& text) = 0;

    virtual void selectCategory(int index) = 0;
    virtual void switchColumn(int index) = 0;
    virtual void reinitialise() = 0;

    // Screen position of the main window, for placing secondary windows.
    virtual int windowLeft() const = 0;
    virtual int windowTop() const = 0;

    // The open column's name (the current category's is the session's).
    QString currentColumnName() const { return columnName(currentColumn()); }
};

}  // namespace hx::core
