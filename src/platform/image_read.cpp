#include "platform/image_read.h"

#include <QFileInfo>
#include <QIODevice>
#include <QImageReader>

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

QImage readImage(const QString& path, const QByteArray& format) {
    QImageReader reader(path,
                        format.isEmpty() ? QFileInfo(path).suffix().toLower().toLatin1() : format);
    return readWith(reader);
}

QImage readImage(QIODevice* device, const QByteArray& format) {
    QImageReader reader(device, format);
    return readWith(reader);
}

}  // namespace hx::platform
