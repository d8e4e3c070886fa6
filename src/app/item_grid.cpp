#include "app/item_grid.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

#include "core/catalogue.h"
#include "text/display_name.h"

namespace hx::app {

ItemGrid::ItemGrid(QWidget* parent) : QListWidget(parent) {
    setViewMode(QListView::ListMode);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMouseTracking(true);
    setUniformItemSizes(true);
    setFrameShape(QFrame::NoFrame);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, QColor(236, 236, 236));
    pal.setColor(QPalette::Window, QColor(236, 236, 236));
    setPalette(pal);
    setAutoFillBackground(true);
    setIconSize(QSize(32, 32));
    hoverTimer_.setSingleShot(true);
    hoverTimer_.setInterval(kHoverDelayMs);
    connect(&hoverTimer_, &QTimer::timeout, this, [this] {
        if (hot_ >= 0 && hot_ < count()) setCurrentRow(hot_);
    });
}

void ItemGrid::follow(core::Catalogue& catalogue) {
    core::Catalogue* c = &catalogue;
    catalogue_ = c;
    const auto clearAll = [this] {
        clearEntries();
        resetImages();
    };
    connect(c, &core::Catalogue::columnsReset, this, clearAll);
    connect(c, &core::Catalogue::columnOpened, this, clearAll);
    connect(c, &core::Catalogue::rowsCleared, this, clearAll);
    connect(c, &core::Catalogue::columnRemoved, this, [this, c] {
        if (c->rowCount() == 0) clearEntries();
    });
    connect(c, &core::Catalogue::rowsAppended, this, [this, c](int first, int n) {
        for (int i = first; i < first + n; ++i)
            appendEntry(c->rows().at(i).name, appendImage(c->rowPicture(i), c->rowSharpPicture(i)));
        // An entry selected before a reload is selected again when it is back.
        const int selected = c->selectedRow();
        if (selected >= first && selected < first + n && selectedIndex() != selected)
            setCurrentRow(selected);
    });
    connect(c, &core::Catalogue::rowRemoved, this, [this, c](int i) {
        // Mid-removal the view reports positions of the old list.
        clearing_ = true;
        removeEntry(i);
        clearing_ = false;
        c->setSelectedRow(selectedIndex());
    });
    connect(c, &core::Catalogue::rowChanged, this, [this, c](int i) {
        if (QListWidgetItem* entry = item(i)) {
            entry->setText(text::displayName(c->rows().at(i).name));
            const int image = appendImage(c->rowPicture(i));
            entry->setIcon(image >= 0 ? iconFor(image) : QIcon());
        }
    });
    connect(this, &QListWidget::itemSelectionChanged, c, [this, c] {
        // Clearing for a reload keeps the catalogue's selection.
        if (!clearing_) c->setSelectedRow(selectedIndex());
    });
}

void ItemGrid::acceptFileDrops() {
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

namespace {

// Only the paths are kept, so the drop is a link (or a copy): a source told
// "moved" could delete its files.
bool acceptWithoutMove(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) return false;
    const Qt::DropActions offered = event->possibleActions();
    if (offered & Qt::LinkAction)
        event->setDropAction(Qt::LinkAction);
    else if (offered & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else
        return false;
    event->accept();
    return true;
}

}  // namespace

void ItemGrid::dragEnterEvent(QDragEnterEvent* event) { acceptWithoutMove(event); }

void ItemGrid::dragMoveEvent(QDragMoveEvent* event) { acceptWithoutMove(event); }

void ItemGrid::dropEvent(QDropEvent* event) {
    if (!acceptWithoutMove(event)) return;
    const QList<QUrl> urls = event->mimeData()->urls();
    // Handled after the drag has ended, so the file manager is not held up by
    // message boxes.
    QMetaObject::invokeMethod(
        this, [this, urls] { emit filesDropped(urls); }, Qt::QueuedConnection);
}

void ItemGrid::setBaseImages(const QVector<QImage>& images, int size) {
    icons_.clear();
    sharp_.clear();
    baseImages_ = items::ImageList(size);
    for (const QImage& image : images) baseImages_.append(image);
    images_ = baseImages_;
    setIconSize(QSize(size, size));
}

int ItemGrid::appendImage(const QImage& image, const QImage& sharp) {
    const int index = images_.append(image);
    if (index >= 0 && !sharp.isNull() && sharp.devicePixelRatio() > 1.0) {
        if (sharp_.size() > 4096) sharp_.clear();
        sharp_.insert(images_.at(index).cacheKey(), sharp);
    }
    return index;
}

void ItemGrid::appendEntry(const QString& name, int imageIndex) {
    auto* item = new QListWidgetItem(text::displayName(name));
    if (imageIndex >= 0 && imageIndex < images_.size()) item->setIcon(iconFor(imageIndex));
    item->setSizeHint(QSize(kColumnWidth, images_.imageSize() + 4));
    addItem(item);
}

QIcon ItemGrid::iconFor(int imageIndex) {
    const QImage image = images_.at(imageIndex);
    auto it = icons_.find(image.cacheKey());
    if (it == icons_.end()) {
        if (icons_.size() > 4096) icons_.clear();
        QIcon icon(QPixmap::fromImage(image));
        // A copy drawn at the larger size wins on a high-density screen.
        const QImage sharp = sharp_.value(image.cacheKey());
        if (!sharp.isNull()) icon.addPixmap(QPixmap::fromImage(sharp));
        it = icons_.insert(image.cacheKey(), icon);
    }
    return *it;
}

void ItemGrid::removeEntry(int index) {
    if (index < 0 || index >= count()) return;
    delete takeItem(index);
    hot_ = -1;
}

void ItemGrid::clearEntries() {
    hoverTimer_.stop();
    clearing_ = true;
    clear();
    clearing_ = false;
    hot_ = -1;
}

int ItemGrid::selectedIndex() const {
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? -1 : row(items.first());
}

QString ItemGrid::entryText(int index) const {
    const QListWidgetItem* it = item(index);
    return it ? it->text() : QString();
}

void ItemGrid::setHot(int index) {
    if (index == hot_) return;
    hot_ = index;
    if (index >= 0)
        hoverTimer_.start();
    else
        hoverTimer_.stop();
    emit hotChanged(index);
}

void ItemGrid::mouseMoveEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    setHot(at.isValid() ? at.row() : -1);
    QListWidget::mouseMoveEvent(event);
}

void ItemGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        emit rightPressed(event->globalPosition().toPoint());
        return;
    }
    QListWidget::mousePressEvent(event);
}

// Only once the open column has loaded: a column still loading is not empty.
bool ItemGrid::showsEmptyLine() const {
    return count() == 0 && catalogue_ && !catalogue_->loading();
}

void ItemGrid::paintEvent(QPaintEvent* event) {
    QListWidget::paintEvent(event);
    if (count() != 0 || !catalogue_) return;
    if (catalogue_->loading()) {
        QTimer::singleShot(50, viewport(), qOverload<>(&QWidget::update));
        return;
    }
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                     tr("这里还是空的：可把文件拖到这里，或单击这里添加已安装程序"));
}

void ItemGrid::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && showsEmptyLine() &&
        rect().contains(event->position().toPoint())) {
        emit emptyClicked();
        return;
    }
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit leftClicked();
}

void ItemGrid::leaveEvent(QEvent* event) {
    setHot(-1);
    QListWidget::leaveEvent(event);
}

}  // namespace hx::app
