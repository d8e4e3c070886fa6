#include "platform/image_read.h"

#include <QFileInfo>
#include <QIODevice>
#include <QImageReader>

#include "platform/embedded_pictures.h"

namespace hx::platform {
namespace {

QImage readWith(QImageReader& reader) {
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (!image.isNull()) return image;
    // Misnamed: let the readers look at the bytes.
    QIODevice* device = reader.device();
    if (device && device->isSequential()) return image;
    if (device) device->seek(0);
    reader.setFormat(QByteArray());
    reader.setAutoDetectImageFormat(true);
    return reader.read();
}

}  // namespace

void chooseReader(QImageReader& reader, QIODevice* device, const QByteArray& format) {
    reader.setDevice(device);
    reader.setFormat(format);
    reader.setAutoDetectImageFormat(false);
    if (reader.canRead()) return;
    device->seek(0);
    reader.setDevice(device);
    reader.setFormat(QByteArray());
    reader.setAutoDetectImageFormat(true);
}

std::optional<QImage> embeddedPicture(QStringView resource) {
    if (!resource.startsWith(u":/")) return std::nullopt;
    for (const EmbeddedPicture& p : embeddedPictures())
        if (resource == QStringView(p.resource))
            return QImage(p.pixels, p.width, p.height, p.bytesPerLine, QImage::Format(p.format));
    return std::nullopt;
}

QImage readImage(const QString& path, const QByteArray& format) {
    if (auto picture = embeddedPicture(path)) return *picture;
    QImageReader reader(path,
                        format.isEmpty() ? QFileInfo(path).suffix().toLower().toLatin1() : format);
    return readWith(reader);
}

QImage readImage(QIODevice* device, const QByteArray& format) {
    QImageReader reader(device, format);
    return readWith(reader);
}

}  // namespace hx::platform
