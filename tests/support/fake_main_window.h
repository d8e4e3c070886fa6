#pragma once

#include <QImage>
#include <QStringList>
#include <QVector>

#include "core/main_window_access.h"

namespace hx::test {

// The main window as plain lists: what a secondary window did to it can be
// read back, and every call that rebuilds or switches is counted.
class FakeMainWindow final : public core::MainWindowAccess {
  public:
    QStringList categories;                      // button tooltips, in order
    QVector<QImage> categoryPictures{QImage()};  // the toolbar's list starts with one image
    QStringList columns;                         // header captions
    int current = -1;                            // current header
    QStringList items;                           // grid entries
    int selected = -1;
    bool loading = false;  // a column load still adding entries
    QString status[2];
    QVector<int> selectedCategories;  // every selectCategory call
    QVector<int> switchedColumns;     // every switchColumn call
    int reinitialisations = 0;
    int left = 300;
    int top = 200;

    int categoryCount() const override { return categories.size(); }
    QString categoryName(int index) const override { return categories.value(index); }
    void removeAllCategoryButtons() override { categories.clear(); }
    QVector<QImage> categoryImages() const override { return categoryPictures; }
    void addCategoryButton(const QString& name, const QImage& picture) override {
        categories << name;
        if (!picture.isNull()) categoryPictures << picture;
    }
    void removeCategoryButton(int index) override {
        if (index >= 0 && index < categories.size()) categories.removeAt(index);
    }
    void setCategoryButtonText(int index, const QString& name) override {
        if (index >= 0 && index < categories.size()) categories[index] = name;
    }

    int columnCount() const override { return columns.size(); }
    QString columnName(int index) const override { return columns.value(index); }
    int currentColumn() const override { return current; }
    void removeAllColumns() override {
        columns.clear();
        current = -1;
    }
    void addColumnHeader(const QString& caption) override { columns << caption; }
    void setColumnHeaderText(int index, const QString& caption) override {
        if (index >= 0 && index < columns.size()) columns[index] = caption;
    }
    void setCurrentColumn(int index) override {
        if (index >= 0 && index < columns.size()) current = index;
    }
    void removeColumnHeader(int index) override {
        if (index < 0 || index >= columns.size()) return;
        columns.removeAt(index);
        if (index < current || current >= columns.size()) --current;
    }

    int itemCount() const override { return items.size(); }
    QString itemText(int index) const override { return items.value(index); }
    int selectedItem() const override { return selected; }
    void clearItems() override {
        items.clear();
        selected = -1;
    }
    void appendItem(const QString& name, const QImage&) override { items << name; }
    bool itemsLoading() const override { return loading; }
    void removeItem(int index) override {
        if (index < 0 || index >= items.size()) return;
        items.removeAt(index);
        selected = -1;
    }

    void setStatusText(int part, const QString& text) override {
        if (part == 0 || part == 1) status[part] = text;
    }
    void selectCategory(int index) override { selectedCategories << index; }
    void switchColumn(int index) override { switchedColumns << index; }
    void reinitialise() override { ++reinitialisations; }
    int windowLeft() const override { return left; }
    int windowTop() const override { return top; }
};

}  // namespace hx::test
