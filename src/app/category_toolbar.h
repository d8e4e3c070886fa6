#pragma once

#include <QHash>
#include <QImage>
#include <QToolBar>
#include <QVector>

namespace hx::app {

// The vertical toolbar with one button per category. Its 16 x 16 image list
// starts with the design image and only grows: pictures are appended every
// time the toolbar is filled.
class CategoryToolbar : public QToolBar {
    Q_OBJECT
  public:
    explicit CategoryToolbar(QWidget* parent = nullptr);

    // Appends a category picture with its top-left colour made transparent;
    // -1 when the bytes are not a picture, or a bitmap cut short.
    int appendPicture(const QByteArray& bytes);
    // The bytes of a category picture file; empty when it is no regular file
    // or too large for a picture (a FIFO there must not stop the start-up).
    static QByteArray pictureFile(const QString& path);
    const QVector<QImage>& images() const { return images_; }

    void addButton(int imageIndex, const QString& name);
    void removeAllButtons();               // the image list stays
    int appendImage(const QImage& image);  // as given, scaled to 16 x 16; -1 when null
    void removeButton(int index);          // the buttons after it move up
    void setButtonName(int index, const QString& name);
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
    QVector<QImage> images_;
    // Category pictures at twice the button size, for high-density screens; by image index.
    QHash<int, QImage> sharp_;
    QVector<QAction*> buttons_;
};

}  // namespace hx::app
