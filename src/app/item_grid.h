#pragma once

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QListWidget>
#include <QTimer>
#include <QUrl>
#include <QVector>

#include "items/image_list.h"

namespace hx::core {
class Catalogue;
}

namespace hx::app {

// The list of the open column's items, as the catalogue hands them over, one per row, icon beside
// name. The entry under the mouse is hot-tracked and, after the hover delay, selected; one left
// click activates.
class ItemGrid : public QListWidget {
    Q_OBJECT
  public:
    static constexpr int kColumnWidth = 127;
    static constexpr int kHoverDelayMs = 400;

    explicit ItemGrid(QWidget* parent = nullptr);

    // Shows the catalogue's open column and keeps showing it; reports the
    // selected entry back to it. Entry texts are for display only.
    void follow(core::Catalogue& catalogue);

    // The image list every load starts from (32 x 32 design list, or the
    // toolbar's 16 x 16 list in small-icon mode).
    void setBaseImages(const QVector<QImage>& images, int size);
    int imageSize() const { return images_.imageSize(); }
    // The working list: base images followed by those of the loaded items.
    const items::ImageList& images() const { return images_; }
    void resetImages() { images_ = baseImages_; }
    // Index of the new image, or -1 for a null image. `sharp` (optional) is the same
    // picture drawn for the screen's pixel ratio; only the display uses it.
    int appendImage(const QImage& image, const QImage& sharp = {});

    void appendEntry(const QString& name, int imageIndex);
    void clearEntries();
    void removeEntry(int index);  // ignored outside the entries
    int selectedIndex() const;
    QString entryText(int index) const;
    int hotIndex() const { return hot_; }
    // Takes file lists (text/uri-list) dropped from file managers.
    void acceptFileDrops();

  signals:
    void hotChanged(int index);  // -1 when the pointer is over no entry
    void leftClicked();
    // A left click on a column without entries (its line offers installed programs).
    void emptyClicked();
    void rightPressed(const QPoint& globalPos);
    void filesDropped(const QList<QUrl>& urls);

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void setHot(int index);

    QIcon iconFor(int imageIndex);

    bool showsEmptyLine() const;

    core::Catalogue* catalogue_ = nullptr;
    items::ImageList baseImages_;
    // Many entries share one picture (the loader's cache hands out the same
    // image): one icon per distinct picture keeps filling the grid cheap.
    QHash<qint64, QIcon> icons_;
    QHash<qint64, QImage> sharp_;  // by the list image's cache key
    items::ImageList images_{32};
    int hot_ = -1;
    bool clearing_ = false;
    QTimer hoverTimer_;
};

}  // namespace hx::app
