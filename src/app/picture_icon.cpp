#include "app/picture_icon.h"

#include <QImage>
#include <QPixmap>

namespace hx::app {

QIcon pictureIcon(const QString& path) {
    QImage image(path);
    if (image.isNull() || image.hasAlphaChannel()) return QIcon(path);
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
