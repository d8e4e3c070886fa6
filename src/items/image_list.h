#pragma once

#include <QImage>
#include <QList>

namespace hx::items {

// An ordered list of same-size square images addressed by 0-based index, as
// list controls show them. Not thread-safe: its owner serialises access.
class ImageList {
  public:
    explicit ImageList(int imageSize = 32);

    // Appends the image scaled smoothly to the list's size (kept in proportion,
    // centred on transparency) and returns its index; -1 for a null image.
    int append(const QImage& image);

    int size() const { return static_cast<int>(images_.size()); }
    // The image at `index`, a null image outside the list.
    QImage at(int index) const;
    int imageSize() const { return imageSize_; }
    void clear() { images_.clear(); }

  private:
    int imageSize_;
    QList<QImage> images_;
};

}  // namespace hx::items
