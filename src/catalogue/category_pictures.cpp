#include "catalogue/category_pictures.h"
#include "storage/file_names.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <span>

#include "platform/ico_reader.h"
#include "platform/image_read.h"
#include "platform/regular_file.h"
#include "storage/atomic_file.h"

namespace hx::catalogue {
namespace {

const QString kFolderPicture = QStringLiteral("Folder.bmp");

// Icon files are limited by the icon reader itself; the largest entry is 256.
constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;

bool withinCap(const QSize& size) {
    return size.isValid() && qint64(size.width()) * size.height() <= kMaxPicturePixels;
}

QImage fromIconImage(const platform::ico::IconImage& icon) {
    if (!icon.png.empty()) {
        QByteArray bytes(reinterpret_cast<const char*>(icon.png.data()),
                         static_cast<qsizetype>(icon.png.size()));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader;
        platform::chooseReader(reader, &buffer, "png");
        if (!withinCap(reader.size())) return {};
        return reader.read();
    }
    if (icon.width <= 0 || icon.height <= 0 ||
        icon.argb.size() < size_t(icon.width) * size_t(icon.height))
        return {};
    QImage image(icon.width, icon.height, QImage::Format_ARGB32);
    for (int y = 0; y < icon.height; ++y)
        std::copy_n(icon.argb.data() + size_t(y) * icon.width, icon.width,
                    reinterpret_cast<QRgb*>(image.scanLine(y)));
    return image;
}

QImage readIcon(const QByteArray& bytes) {
    const std::span<const std::uint8_t> data(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()),
        static_cast<size_t>(bytes.size()));
    const auto entries = platform::ico::entries(data);
    if (entries.empty()) return {};
    const int best = platform::ico::bestEntry(entries, kIconSide);
    const auto icon = platform::ico::decodeEntry(data, best);
    return icon ? fromIconImage(*icon) : QImage();
}

quint32 littleEndian(const QByteArray& bytes, qsizetype at, int width) {
    quint32 value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<quint8>(bytes.at(at + i));
    return value;
}

}  // namespace

bool bitmapComplete(const QByteArray& bytes) {
    if (!bytes.startsWith("BM")) return true;  // not a bitmap: its own reader judges it
    constexpr qsizetype kFileHeader = 14;
    if (bytes.size() < kFileHeader + 12) return false;
    const qint64 pixelsAt = littleEndian(bytes, 10, 4);
    const quint32 infoSize = littleEndian(bytes, 14, 4);
    qint64 width = 0, height = 0, bitsPerPixel = 0, compression = 0, imageSize = 0;
    if (infoSize == 12) {  // the old OS/2 header
        width = littleEndian(bytes, 18, 2);
        height = littleEndian(bytes, 20, 2);
        bitsPerPixel = littleEndian(bytes, 24, 2);
    } else {
        if (bytes.size() < kFileHeader + 40) return false;
        width = static_cast<qint32>(littleEndian(bytes, 18, 4));
        height = static_cast<qint32>(littleEndian(bytes, 22, 4));
        bitsPerPixel = littleEndian(bytes, 28, 2);
        compression = littleEndian(bytes, 30, 4);
        imageSize = littleEndian(bytes, 34, 4);
    }
    if (width <= 0 || height == 0 || bitsPerPixel == 0) return false;
    // Run-length and embedded formats declare their byte count; plain rows
    // are padded to four bytes.
    constexpr qint64 kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
    const bool plainRows =
        compression == kRgb || compression == kBitFields || compression == kAlphaBitFields;
    const qint64 pixelBytes =
        plainRows ? (width * bitsPerPixel + 31) / 32 * 4 * qAbs(height) : imageSize;
    return pixelsAt + pixelBytes <= bytes.size();
}

QImage readPicture(const QString& path) {
    // Never a FIFO or a device: those would stop the window for good.
    auto bytes = platform::readRegularFile(path, kMaxFileBytes);
    if (!bytes) return {};
    if (path.endsWith(QLatin1String(".ico"), Qt::CaseInsensitive)) {
        const QImage icon = readIcon(*bytes);
        if (!icon.isNull()) return icon;
    }
    // Qt draws whatever rows a cut-off bitmap still has, over garbage.
    if (!bitmapComplete(*bytes)) return {};
    QBuffer buffer(&*bytes);
    buffer.open(QIODevice::ReadOnly);
    // The name's extension is tried first, the content after it.
    QImageReader reader;
    platform::chooseReader(reader, &buffer, QFileInfo(path).suffix().toLower().toLatin1());
    // The declared size comes from the header; nothing is decoded yet.
    if (!withinCap(reader.size())) return {};
    return reader.read();
}

QImage categoryPicture(const storage::DataRoot& root, const QString& file) {
    const QString folder = root.bmpnsDir() + QLatin1Char('/');
    // A 路径 never leaves the Bmpns folder, by name or through a link.
    auto inBmpns = [&](const QString& name) {
        return storage::liesIn(folder + name, root.bmpnsDir()) ? readPicture(folder + name)
                                                               : QImage();
    };
    if (!file.isEmpty() && !file.contains(QLatin1Char('/'))) {
        const QImage own = inBmpns(file);
        if (!own.isNull()) return own;
    }
    QImage folderPicture = inBmpns(kFolderPicture);
    if (folderPicture.isNull())
        folderPicture = platform::readImage(QStringLiteral(":/bmpns/") + kFolderPicture, "bmp");
    if (folderPicture.isNull()) {
        folderPicture = QImage(16, 16, QImage::Format_ARGB32);
        folderPicture.fill(Qt::transparent);
    }
    return folderPicture;
}

QImage withKeyColourClear(const QImage& picture) {
    if (picture.isNull()) return picture;
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, 0) & 0x00FFFFFF;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0x00FFFFFF) == key) line[x] = 0;
    }
    return image;
}

QStringList bitmapNames(const QString& folder) {
    QStringList names = storage::fileNamesMatching(folder, {}, u".bmp", QDir::Files | QDir::Hidden);
    names.removeIf([&](const QString& name) {
        return !storage::liesIn(folder + QLatin1Char('/') + name, folder);
    });
    // *.bmp matches without case, as the designed file system does.
    std::stable_sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        const int byCase = a.compare(b, Qt::CaseInsensitive);
        return byCase != 0 ? byCase < 0 : a < b;
    });
    return names;
}

QString beforeFirstDot(const QString& name) {
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.left(dot);
}

QImage iconCanvas(const QImage& source, const QColor& background) {
    QImage canvas(kIconSide, kIconSide, QImage::Format_RGB32);
    canvas.fill(background);
    if (source.isNull()) return canvas;
    QSize size = source.size();
    if (size.width() > kIconSide || size.height() > kIconSide)
        size = size.scaled(kIconSide, kIconSide, Qt::KeepAspectRatio);
    size = size.expandedTo(QSize(1, 1));
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect target((kIconSide - size.width()) / 2, (kIconSide - size.height()) / 2,
                       size.width(), size.height());
    painter.drawImage(target, source);
    return canvas;
}

QString importPicture(const QString& source, const QString& bmpnsDir, const QColor& background,
                      QImage* canvas) {
    const QString fileName = QFileInfo(source).fileName();
    QString base = beforeFirstDot(fileName);
    // A name starting with "." would give a hidden ".bmp": keep what stands before the extension.
    if (base.isEmpty()) base = QFileInfo(source).completeBaseName();
    if (base.isEmpty()) return {};
    const QImage picture = readPicture(source);
    if (picture.isNull()) return {};
    const QImage result = iconCanvas(picture, background);
    if (canvas) *canvas = result;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!result.save(&buffer, "BMP")) return {};
    const QString target = bmpnsDir + QLatin1Char('/') + base + QStringLiteral(".bmp");
    return storage::atomic_file::replaceContents(target, bytes) ? target : QString();
}

}  // namespace hx::catalogue
