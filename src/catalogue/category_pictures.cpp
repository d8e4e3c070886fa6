#include "catalogue/category_pictures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <span>

#include "platform/ico_reader.h"
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
        QImageReader reader(&buffer, "png");
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

QImage readIcon(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) return {};
    const QByteArray bytes = file.readAll();
    const std::span<const std::uint8_t> data(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()),
        static_cast<size_t>(bytes.size()));
    const auto entries = platform::ico::entries(data);
    if (entries.empty()) return {};
    const int best = platform::ico::bestEntry(entries, kIconSide);
    const auto icon = platform::ico::decodeEntry(data, best);
    return icon ? fromIconImage(*icon) : QImage();
}

}  // namespace

QImage readPicture(const QString& path) {
    if (path.endsWith(QLatin1String(".ico"), Qt::CaseInsensitive)) {
        const QImage icon = readIcon(path);
        if (!icon.isNull()) return icon;
    }
    // The name's extension is tried first, the content after it.
    QImageReader reader(path);
    // The declared size comes from the header; nothing is decoded yet.
    if (!withinCap(reader.size())) return {};
    return reader.read();
}

QImage categoryPicture(const storage::DataRoot& root, const QString& file) {
    const QString folder = root.bmpnsDir() + QLatin1Char('/');
    // A 路径 never leaves the Bmpns folder.
    if (!file.isEmpty() && !file.contains(QLatin1Char('/'))) {
        const QImage own = readPicture(folder + file);
        if (!own.isNull()) return own;
    }
    QImage folderPicture = readPicture(folder + kFolderPicture);
    if (folderPicture.isNull()) folderPicture.load(QStringLiteral(":/bmpns/") + kFolderPicture);
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
    QStringList names =
        QDir(folder).entryList({QStringLiteral("*.bmp")}, QDir::Files | QDir::Hidden, QDir::NoSort);
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
