#pragma once

#include <QColor>
#include <QStringList>
#include <QWidget>

namespace hx::core {
class Catalogue;
}

namespace hx::app {

// An outlook-style bar: one header per column of the current category, which
// it follows from the catalogue. Headers up to the current one
// are stacked at the top, the rest at the bottom; the open area between them
// is where the item grid sits.
class RollerBlindMenu : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kHeaderHeight = 22;

    explicit RollerBlindMenu(QWidget* parent = nullptr);

    // Shows the catalogue's columns and open column, and keeps showing them.
    void follow(const core::Catalogue& catalogue);

    void addHeader(const QString& caption);
    void clear();  // removes every header and makes the current header -1
    void setHeaderText(int index, const QString& caption);  // ignored outside the headers
    // The current header follows its own header; it becomes the last one when
    // it was removed itself, -1 when none is left.
    void removeHeader(int index);
    int headerCount() const { return headers_.size(); }
    QString headerText(int index) const;  // empty outside the headers
    int currentHeader() const { return current_; }
    // An index outside the headers is ignored.
    void setCurrentHeader(int index);
    int headerHeight() const { return kHeaderHeight; }
    // Top edge of header `index` inside the menu as it is drawn now; -1 for a
    // header that does not fit (more columns than the menu has room for).
    int headerTop(int index) const;
    int headerAt(int y) const;  // -1 over the open area
    // Where the open column's items go: between the headers above and below.
    QRect openArea() const;
    // Headers drawn: all of them, or as many around the current one as leave
    // the open area its room.
    int firstShown() const;
    int lastShown() const;

    void setColours(const QColor& background, const QColor& highlight, const QColor& hot,
                    const QColor& border);
    QColor backgroundColour() const { return background_; }
    QColor highlightColour() const { return highlight_; }
    QColor hotColour() const { return hot_; }
    QColor borderColour() const { return border_; }
    int hotHeader() const { return hotHeader_; }
    // A caption that stays readable on the hot header's fill, whatever colour
    // the user chose for it.
    static QColor captionColourOn(const QColor& fill);

  signals:
    // A click first reports the header, then, when it was not current yet,
    // the change of the current header.
    void headerClicked(int index);
    void currentHeaderChanged(int index);
    void headerRightClicked(int index, const QPoint& globalPos);

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent*) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void setHot(int index);

    QStringList headers_;
    int current_ = -1;
    int hotHeader_ = -1;
    // Invalid until the stored appearance is applied (it is not when the
    // database cannot be opened): the palette's colours stand in meanwhile.
    QColor background_;
    QColor highlight_;
    QColor hot_;
    QColor border_;
};

}  // namespace hx::app
