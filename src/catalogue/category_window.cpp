#include "catalogue/category_window.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QMouseEvent>

#include "catalogue/category_pictures.h"
#include "core/catalogue.h"
#include "core/database_connection.h"
#include "core/fixed_window.h"
#include "core/session.h"
#include "storage/safety_copy.h"
#include "text/display_name.h"

namespace hx::catalogue {
namespace {

const QString kDefaultPicture = QStringLiteral("Folder.bmp");
const char* const kDuplicate =
    QT_TRANSLATE_NOOP("hx::catalogue::CategoryWindow", "发现分类名称重复，请返回修改！");
const char* const kDuplicateTitle = QT_TRANSLATE_NOOP("hx::catalogue::CategoryWindow", "重复");
constexpr int kImageRole = Qt::UserRole;

// Keeps a window above all others for the span of one operation.
class StayAbove {
  public:
    explicit StayAbove(QWidget* window)
        : window_(window), was_(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        set(true);
    }
    ~StayAbove() { set(was_); }
    StayAbove(const StayAbove&) = delete;
    StayAbove& operator=(const StayAbove&) = delete;

  private:
    void set(bool on) {
        if (window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return;
        // Changing the flag hides a shown window; bring it back where it was.
        const bool visible = window_->isVisible();
        const QPoint at = window_->pos();
        window_->setWindowFlag(Qt::WindowStaysOnTopHint, on);
        if (visible) {
            window_->move(at);
            window_->show();
        }
    }
    QWidget* window_;
    bool was_;
};

QPixmap previewPixmap(const QImage& image) {
    if (image.width() > kIconSide || image.height() > kIconSide)
        return QPixmap::fromImage(
            image.scaled(kIconSide, kIconSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return QPixmap::fromImage(image);
}

}  // namespace

CategoryWindow::CategoryWindow(core::Session& session, core::Catalogue& catalogue,
                               const QPoint& panel, QWidget* parent)
    : QWidget(parent), session_(session), catalogue_(catalogue) {
    setWindowTitle(tr("添加分类"));
    setFixedSize(kClientWidth, kClientHeight);
    core::withoutMaximiseButton(*this);
    buildControls();
    chooserTimer_.setSingleShot(true);
    chooserTimer_.setInterval(0);
    connect(&chooserTimer_, &QTimer::timeout, this, &CategoryWindow::fillChooserBatch);
    move(panel + QPoint(-10, 85));
    fillList();
}

void CategoryWindow::buildControls() {
    auto button = [this](const QString& text, const QString& name, const QRect& rect) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setGeometry(rect);
        return b;
    };
    c_.newButton = button(tr("新  建"), QStringLiteral("newButton"), {8, 8, 48, 24});
    c_.renameButton = button(tr("改 名"), QStringLiteral("renameButton"), {56, 8, 48, 24});
    c_.deleteButton = button(tr("删 除"), QStringLiteral("deleteButton"), {104, 8, 56, 24});
    c_.clearButton = button(tr("清 空"), QStringLiteral("clearButton"), {160, 8, 56, 24});

    c_.categoryList = new QTreeWidget(this);
    c_.categoryList->setObjectName(QStringLiteral("categoryList"));
    c_.categoryList->setGeometry(8, 40, 216, 152);
    c_.categoryList->setColumnCount(2);
    c_.categoryList->setHeaderLabels({QString(), QString()});
    c_.categoryList->header()->setSectionsMovable(false);
    c_.categoryList->header()->setStretchLastSection(false);
    c_.categoryList->setColumnWidth(0, 129);
    c_.categoryList->setColumnWidth(1, 66);
    c_.categoryList->setRootIsDecorated(false);
    c_.categoryList->setUniformRowHeights(true);
    c_.categoryList->setIconSize(QSize(16, 16));
    c_.categoryList->setSelectionMode(QAbstractItemView::SingleSelection);
    c_.categoryList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    c_.categoryList->viewport()->installEventFilter(this);

    c_.iconChooser = new QListWidget(this);
    c_.iconChooser->setObjectName(QStringLiteral("iconChooser"));
    c_.iconChooser->setGeometry(8, 32, 216, 0);
    c_.iconChooser->setViewMode(QListView::IconMode);
    c_.iconChooser->setIconSize(QSize(16, 16));
    c_.iconChooser->setGridSize(QSize(64, 40));
    c_.iconChooser->setResizeMode(QListView::Adjust);
    c_.iconChooser->setMovement(QListView::Static);
    c_.iconChooser->setWordWrap(true);
    c_.iconChooser->setUniformItemSizes(true);
    // Laid out a slice at a time, like the filling, so no turn of the loop runs long.
    c_.iconChooser->setLayoutMode(QListView::Batched);
    c_.iconChooser->setBatchSize(40);
    c_.iconChooser->setSelectionMode(QAbstractItemView::SingleSelection);
    c_.iconChooser->hide();
    c_.iconChooser->installEventFilter(this);

    c_.label = new QLabel(tr("更换图标："), this);
    c_.label->setObjectName(QStringLiteral("iconLabel"));
    c_.label->setGeometry(8, 200, 56, 16);

    c_.iconPreview = new QLabel(this);
    c_.iconPreview->setObjectName(QStringLiteral("iconPreview"));
    c_.iconPreview->setGeometry(64, 200, kIconSide, kIconSide);
    c_.iconPreview->setAlignment(Qt::AlignCenter);
    c_.iconPreview->setCursor(Qt::PointingHandCursor);
    c_.iconPreview->installEventFilter(this);

    c_.importLink = new QLabel(tr("添加图标"), this);
    c_.importLink->setObjectName(QStringLiteral("importLink"));
    c_.importLink->setGeometry(110, 200, 56, 16);
    QFont linkFont(QStringLiteral("宋体"));
    linkFont.setPixelSize(12);
    linkFont.setUnderline(true);
    c_.importLink->setFont(linkFont);
    c_.importLink->setCursor(Qt::PointingHandCursor);
    c_.importLink->installEventFilter(this);

    c_.closeButton = button(tr("关闭"), QStringLiteral("closeButton"), {168, 200, 56, 19});

    // The chooser lies over the list and is opened last.
    c_.iconChooser->raise();

    connect(c_.newButton, &QPushButton::clicked, this, &CategoryWindow::addCategory);
    connect(c_.renameButton, &QPushButton::clicked, this, &CategoryWindow::renameCategory);
    connect(c_.deleteButton, &QPushButton::clicked, this, &CategoryWindow::deleteCategory);
    connect(c_.clearButton, &QPushButton::clicked, this, &CategoryWindow::clearCategories);
    connect(c_.closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(c_.categoryList, &QTreeWidget::itemSelectionChanged, this,
            &CategoryWindow::showSelectedIcon);
    connect(c_.iconChooser, &QListWidget::clicked, this, &CategoryWindow::chooseIcon);
}

void CategoryWindow::fillList() {
    for (int i = 0; i < catalogue_.categoryCount(); ++i)
        appendRow(catalogue_.categoryName(i), catalogue_.categoryPictureFile(i),
                  appendImage(catalogue_.categoryPicture(i)));
    if (c_.categoryList->topLevelItemCount() > 0) selectRow(0);
}

int CategoryWindow::appendImage(const QImage& image) {
    categoryImageList_.append(image);
    return categoryImageList_.size() - 1;
}

void CategoryWindow::appendRow(const QString& name, const QString& picture, int image) {
    auto* item = new QTreeWidgetItem(c_.categoryList);
    item->setText(0, text::displayName(name));
    item->setText(1, text::displayName(beforeFirstDot(picture)));
    item->setData(0, kImageRole, image);
    item->setIcon(0, QIcon(QPixmap::fromImage(categoryImageList_.value(image))));
}

int CategoryWindow::selectedRow() const {
    const auto selected = c_.categoryList->selectedItems();
    return selected.isEmpty() ? -1 : c_.categoryList->indexOfTopLevelItem(selected.first());
}

int CategoryWindow::rowImage(int row) const {
    const QTreeWidgetItem* item = c_.categoryList->topLevelItem(row);
    return item ? item->data(0, kImageRole).toInt() : -1;
}

void CategoryWindow::selectRow(int row) {
    QTreeWidgetItem* item = c_.categoryList->topLevelItem(row);
    if (!item) return;
    c_.categoryList->setCurrentItem(item);
    item->setSelected(true);
    showSelectedIcon();
}

void CategoryWindow::showSelectedIcon() {
    const int row = selectedRow();
    if (row < 0) return;
    c_.iconPreview->setPixmap(previewPixmap(categoryImageList_.value(rowImage(row))));
}

void CategoryWindow::addCategory() {
    core::Dialogs& dialogs = session_.dialogs();
    const QString suggested = tr("分类") + QString::number(catalogue_.categoryCount() + 1);
    const auto name = dialogs.input(tr("添加分类"), tr("添加分类"), suggested,
                                    storage::ItemDatabase::kCategoryLength);
    // Tested after the dialog, whatever was entered.
    if (c_.categoryList->topLevelItemCount() >= kMaxCategories) {
        dialogs.notice(tr("不能再添加了！"));
        return;
    }
    if (!name || name->isEmpty()) return;
    if (catalogue_.hasCategory(*name)) {
        dialogs.notice(tr(kDuplicate), tr(kDuplicateTitle));
        return;
    }
    StayAbove above(this);
    if (!catalogue_.addCategory(*name, kDefaultPicture)) return;
    const int added = catalogue_.categoryCount() - 1;
    appendRow(*name, kDefaultPicture, appendImage(catalogue_.categoryPicture(added)));
    catalogue_.selectCategory(added);
}

void CategoryWindow::renameCategory() {
    const int row = selectedRow();
    if (row < 0) return;
    const QString old = catalogue_.categoryName(row);
    core::Dialogs& dialogs = session_.dialogs();
    const auto input =
        dialogs.input(tr("修改栏目"), tr("修改栏目"), old, storage::ItemDatabase::kCategoryLength);
    if (!input || input->isEmpty()) return;
    const QString& name = *input;
    const int rows = c_.categoryList->topLevelItemCount();
    for (int r = 0; r < rows; ++r) {
        const QString text = catalogue_.categoryName(r);
        // The statements match names without letter case: a name equal that
        // way to another category would carry that category's rows along.
        if (text == name || (r != row && text.compare(name, Qt::CaseInsensitive) == 0)) {
            dialogs.notice(tr(kDuplicate), tr(kDuplicateTitle));
            return;
        }
    }
    if (!catalogue_.renameCategory(row, name)) return;
    c_.categoryList->topLevelItem(row)->setText(0, text::displayName(name));
}

void CategoryWindow::deleteCategory() {
    const int row = selectedRow();
    // Without a selection there is nothing the user meant to delete.
    if (row < 0) return;
    const QString name = catalogue_.categoryName(row);
    if (!session_.dialogs().askDestructive(tr("是否删除 %1 ?").arg(name))) return;
    if (!catalogue_.removeCategory(row)) return;
    delete c_.categoryList->takeTopLevelItem(row);
    const int left = c_.categoryList->topLevelItemCount();
    if (left > 0) selectRow(left - 1);
    catalogue_.selectCategory(catalogue_.categoryCount() - 1);
}

void CategoryWindow::clearCategories() {
    // No question, as designed; a safety copy lets a restore undo a mis-click.
    if (catalogue_.clearCategories().isEmpty()) return;
    c_.categoryList->clear();
    c_.iconPreview->clear();
    if (catalogue_.currentCategory() != -1) catalogue_.selectCategory(catalogue_.currentCategory());
}

void CategoryWindow::openChooser() {
    c_.iconChooser->setGeometry(8, 32, 216, kChooserHeight);
    if (selectedRow() < 0) return;
    c_.iconChooser->clear();
    chooserNames_ = bitmapNames(session_.root().bmpnsDir());
    chooserNext_ = 0;
    c_.iconChooser->show();
    c_.iconChooser->raise();
    c_.iconChooser->setFocus(Qt::PopupFocusReason);
    fillChooserBatch();
}

void CategoryWindow::fillChooserBatch() {
    constexpr qint64 kBudgetNs = 4'000'000;
    QElapsedTimer budget;
    budget.start();
    while (chooserNext_ < chooserNames_.size()) {
        const QString& name = chooserNames_.at(chooserNext_++);
        auto* entry = new QListWidgetItem(chooserIcon(name), name, c_.iconChooser);
        entry->setToolTip(name);
        if (budget.nsecsElapsed() > kBudgetNs) break;
    }
    if (chooserFilling()) chooserTimer_.start();
}

QIcon CategoryWindow::chooserIcon(const QString& name) {
    const QFileInfo info(session_.root().bmpnsDir() + QLatin1Char('/') + name);
    const QDateTime modified = info.lastModified();
    auto found = chooserPictures_.constFind(name);
    if (found != chooserPictures_.cend() && found->modified == modified &&
        found->size == info.size())
        return found->icon;
    QImage picture = readPicture(info.filePath());
    if (picture.isNull()) picture = categoryPicture(session_.root(), QString());
    const QIcon icon(QPixmap::fromImage(withKeyColourClear(picture)));
    chooserPictures_.insert(name, {modified, info.size(), icon});
    return icon;
}

void CategoryWindow::hideChooser() {
    chooserTimer_.stop();
    chooserNames_.clear();
    chooserNext_ = 0;
    c_.iconChooser->hide();
}

void CategoryWindow::chooseIcon() {
    const QListWidgetItem* entry = c_.iconChooser->currentItem();
    const int row = selectedRow();
    if (!entry || !entry->isSelected() || row < 0) return;
    const QString file = entry->text();
    if (!catalogue_.hasCategory(catalogue_.categoryName(row))) return;
    if (!catalogue_.setCategoryPicture(row, file)) return;
    const int k = appendImage(catalogue_.categoryPicture(row));
    QTreeWidgetItem* item = c_.categoryList->topLevelItem(row);
    item->setData(0, kImageRole, k);
    item->setIcon(0, QIcon(QPixmap::fromImage(categoryImageList_.at(k))));
    item->setText(1, beforeFirstDot(file));
    hideChooser();
    showSelectedIcon();
}

void CategoryWindow::importIcons() {
    const QStringList paths = session_.dialogs().openFiles(
        QString(), QString(), tr("图标ICO文件 (*.ico);;图标BMP文件 (*.bmp)"));
    const QColor background = palette().color(QPalette::Window);
    for (const QString& path : paths) {
        QImage canvas;
        if (importPicture(path, session_.root().bmpnsDir(), background, &canvas).isEmpty())
            continue;
        c_.iconPreview->setPixmap(QPixmap::fromImage(canvas));
        c_.iconPreview->repaint();
    }
}

bool CategoryWindow::eventFilter(QObject* watched, QEvent* event) {
    const auto leftButton = [event] {
        return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    };
    if (watched == c_.iconPreview && event->type() == QEvent::MouseButtonRelease && leftButton()) {
        openChooser();
        return true;
    }
    if (watched == c_.importLink && event->type() == QEvent::MouseButtonRelease && leftButton()) {
        importIcons();
        return true;
    }
    if (watched == c_.categoryList->viewport() && event->type() == QEvent::MouseButtonPress &&
        leftButton())
        hideChooser();
    if (watched == c_.iconChooser && event->type() == QEvent::FocusOut) hideChooser();
    return QWidget::eventFilter(watched, event);
}

void CategoryWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) hideChooser();
    QWidget::mousePressEvent(event);
}

}  // namespace hx::catalogue
