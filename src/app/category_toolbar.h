#pragma once

#include <QHash>
#include <QImage>
#include <QToolBar>
#include <QVector>

namespace hx::core {
class Catalogue;
}

namespace hx::app {

// The vertical toolbar: one button per category of the catalogue, which it
// follows. Owns its 16 x 16 image list, which starts with the design image
// and only grows: pictures are appended every time a button gets one.
class CategoryToolbar : public QToolBar {
    Q_OBJECT
  public:
    explicit CategoryToolbar(QWidget* parent = nullptr);

    // Shows the catalogue's categories and keeps showing them as they change.
    void follow(const core::Catalogue& catalogue);

    // Appends a category picture (its key colour already clear) at 16 x 16,
    // and at 32 x 32 for dense screens; -1 when null.
    int appendPicture(const QImage& picture);
    const QVector<QImage>& images() const { return images_; }

    void addButton(int imageIndex, const QString& name);
    void removeAllButtons();       // the image list stays
    void removeButton(int index);  // the buttons after it move up
    void setButtonName(int index, const QString& name);
    void setButtonImage(int index, int imageIndex);
    int buttonCount() const { return buttons_.size(); }
    QString buttonName(int index) const;  // empty when there is no such button
    // A button index that does not exist is ignored.
    void setPressed(int index, bool pressed);
    bool isPressed(int index) const;
    QAction* buttonAction(int index) const;

    static QImage designImage();

  signals:
    void buttonClicked(int index);

  private:
    void fill(const core::Catalogue& catalogue);
    void pressCurrent(int index);

    QVector<QImage> images_;
    // Category pictures at twice the button size, for high-density screens; by image index.
    QHash<int, QImage> sharp_;
    QVector<QAction*> buttons_;
    int pressed_ = 0;  // the button drawn pressed
};

}  // namespace hx::app
