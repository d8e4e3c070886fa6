#include "items/image_list.h"

#include <QPainter>

namespace hx::items {

ImageList::ImageList(int imageSize) : imageSize_(imageSize > 0 ? imageSize : 32) {}

int ImageList::append(const QImage& image) {
    if (image.isNull()) return -1;
    QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (source.width() != imageSize_ || source.height() != imageSize_) {
        const QImage scaled =
            source.scaled(imageSize_, imageSize_, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        source = QImage(imageSize_, imageSize_, QImage::Format_ARGB32_Premultiplied);
        source.fill(Qt::transparent);
        QPainter painter(&source);
        painter.drawImage((imageSize_ - scaled.width()) / 2, (imageSize_ - scaled.height()) / 2,
                          scaled);
    }
    images_.append(source);
    return static_cast<int>(images_.size()) - 1;
}

QImage ImageList::at(int index) const {
    if (index < 0 || index >= images_.size()) return {};
    return images_.at(index);
}

}  // namespace hx::items
