#include "app/picture_icon.h"

#include <QFileInfo>
#include <QImage>
#include <QPixmap>

#include "platform/image_read.h"

namespace hx::app {

QIcon pictureIcon(const QString& path) {
    // The format named, so that no image plugin is loaded to guess it.
    QImage image = platform::readImage(path);
    if (image.isNull()) return QIcon();
    if (image.hasAlphaChannel()) return QIcon(QPixmap::fromImage(image));
    const QRgb key = image.pixel(0, 0);
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == key) line[x] = qRgba(0, 0, 0, 0);
    }
    return QIcon(QPixmap::fromImage(image));
}

}  // namespace hx::app
