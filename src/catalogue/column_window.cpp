#include "catalogue/column_window.h"

#include <QHeaderView>

#include "catalogue/category_pictures.h"
#include "core/catalogue.h"
#include "core/fixed_window.h"
#include "core/session.h"
#include "text/display_name.h"

namespace hx::catalogue {

ColumnWindow::ColumnWindow(core::Session& session, core::Catalogue& catalogue, const QPoint& panel,
                           QWidget* parent)
    : QWidget(parent), session_(session), catalogue_(catalogue) {
    setWindowTitle(tr("项目管理"));
    setFixedSize(kClientWidth, kClientHeight);
    core::withoutMaximiseButton(*this);
    buildControls();
    move(panel + QPoint(-80, 85));
    fillTree();
}

void ColumnWindow::buildControls() {
    c_.label = new QLabel(tr("项目："), this);
    c_.label->setObjectName(QStringLiteral("nameLabel"));
    c_.label->setGeometry(8, 10, 32, 16);

    c_.nameField = new QLineEdit(this);
    c_.nameField->setObjectName(QStringLiteral("nameField"));
    c_.nameField->setGeometry(42, 8, 294, 20);

    auto button = [this](const QString& text, const QString& name, const QRect& rect) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setGeometry(rect);
        return b;
    };
    c_.addButton = button(tr("添加"), QStringLiteral("addButton"), {161, 34, 40, 20});
    c_.modifyButton = button(tr("修改"), QStringLiteral("modifyButton"), {227, 34, 40, 20});
    c_.deleteButton = button(tr("删除"), QStringLiteral("deleteButton"), {294, 34, 40, 20});

    c_.categoryTree = new QTreeWidget(this);
    c_.categoryTree->setObjectName(QStringLiteral("categoryTree"));
    c_.categoryTree->setGeometry(5, 59, 123, 240);
    c_.categoryTree->setHeaderHidden(true);
    c_.categoryTree->setIconSize(QSize(16, 16));
    c_.categoryTree->setSelectionMode(QAbstractItemView::SingleSelection);

    c_.columnTable = new QTreeWidget(this);
    c_.columnTable->setObjectName(QStringLiteral("columnTable"));
    c_.columnTable->setGeometry(128, 59, 216, 240);
    c_.columnTable->setColumnCount(2);
    c_.columnTable->setHeaderLabels({tr("项目名称"), tr("菜单数量")});
    c_.columnTable->header()->setStretchLastSection(false);
    c_.columnTable->header()->setSectionsMovable(false);
    c_.columnTable->setColumnWidth(0, 140);
    c_.columnTable->setColumnWidth(1, 60);
    c_.columnTable->setRootIsDecorated(false);
    c_.columnTable->setUniformRowHeights(true);
    c_.columnTable->setSelectionMode(QAbstractItemView::SingleSelection);
    c_.columnTable->setEditTriggers(QAbstractItemView::NoEditTriggers);

    connect(c_.addButton, &QPushButton::clicked, this, &ColumnWindow::addColumn);
    connect(c_.modifyButton, &QPushButton::clicked, this, &ColumnWindow::modifyColumn);
    connect(c_.deleteButton, &QPushButton::clicked, this, &ColumnWindow::deleteColumn);
    connect(c_.categoryTree, &QTreeWidget::itemSelectionChanged, this,
            &ColumnWindow::chooseCategory);
    connect(c_.columnTable, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item && item->isSelected())
            c_.nameField->setText(columns_.value(c_.columnTable->indexOfTopLevelItem(item)));
    });
}

void ColumnWindow::fillTree() {
    for (int i = 0; i < catalogue_.categoryCount(); ++i) {
        auto* node = new QTreeWidgetItem(c_.categoryTree);
        node->setText(0, text::displayName(catalogue_.categoryName(i)));
        node->setIcon(0, QIcon(QPixmap::fromImage(catalogue_.categoryPicture(i))));
    }
}

QString ColumnWindow::selectedCategory() const {
    const auto selected = c_.categoryTree->selectedItems();
    return selected.isEmpty()
               ? QString()
               : catalogue_.categoryName(c_.categoryTree->indexOfTopLevelItem(selected.first()));
}

int ColumnWindow::selectedRow() const {
    const auto selected = c_.columnTable->selectedItems();
    return selected.isEmpty() ? -1 : c_.columnTable->indexOfTopLevelItem(selected.first());
}

void ColumnWindow::chooseCategory() {
    c_.columnTable->clear();
    columns_.clear();
    if (c_.categoryTree->selectedItems().isEmpty()) return;
    const QString category = selectedCategory();
    const auto columns = catalogue_.columnsOf(category);
    if (!columns) {
        session_.dialogs().failure(columns.error);
        return;
    }
    columns_ = columns.value;
    for (const QString& column : columns_) {
        auto* row = new QTreeWidgetItem(c_.columnTable);
        row->setText(0, text::displayName(column));
        row->setText(1, QString::number(catalogue_.countItems(category, column)));
    }
}

void ColumnWindow::addColumn() {
    const QString name = c_.nameField->text();
    if (name.isEmpty()) return;
    // Without a chosen category the column would belong to no category.
    if (c_.categoryTree->selectedItems().isEmpty()) return;
    if (!catalogue_.addColumnTo(selectedCategory(), name)) return;
    columns_ << name;
    auto* row = new QTreeWidgetItem(c_.columnTable);
    row->setText(0, text::displayName(name));
}

void ColumnWindow::modifyColumn() {
    const QString name = c_.nameField->text();
    const int row = selectedRow();
    if (name.isEmpty() || row < 0) return;
    for (const QString& column : columns_) {
        if (column.compare(name, Qt::CaseInsensitive) == 0) {
            session_.dialogs().notice(tr("发现项目重复！"));
            return;
        }
    }
    if (!catalogue_.renameColumnOf(selectedCategory(), columns_.value(row), name)) return;
    columns_[row] = name;
    c_.columnTable->topLevelItem(row)->setText(0, text::displayName(name));
}

void ColumnWindow::deleteColumn() {
    const int row = selectedRow();
    // Nothing selected: nothing to delete, and 表2 and 表1 stay as they are.
    if (row < 0) return;
    if (!catalogue_.removeColumnOf(selectedCategory(), row, columns_.value(row))) {
        // The table changed behind this list (the column menu): show it as stored.
        chooseCategory();
        return;
    }
    columns_.removeAt(row);
    delete c_.columnTable->takeTopLevelItem(row);
}

}  // namespace hx::catalogue
