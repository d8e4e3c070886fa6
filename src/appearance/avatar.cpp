#include "appearance/avatar.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <cstdio>

#include "storage/atomic_file.h"

namespace hx::appearance {

QImage loadAvatar(const QString& path, int limit) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) return {};
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > limit || size.height() > limit)) {
        if (!reader.supportsOption(QImageIOHandler::ScaledSize) &&
            qint64(size.width()) * size.height() * 4 > kAvatarFullDecodeBytes)
            return {};
        reader.setScaledSize(size.scaled(limit, limit, Qt::KeepAspectRatio));
    }
    QImage image = reader.read();
    // Formats that cannot scale while decoding announce no size; cap afterwards.
    if (!image.isNull() && (image.width() > limit || image.height() > limit))
        image = image.scaled(limit, limit, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

bool isPlainFileName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QChar(0));
}

QString copyAvatarInto(const QString& userDir, const QString& source, bool* copied) {
    if (copied) *copied = false;
    const QFileInfo from(source);
    const QString name = from.fileName();
    if (!from.isFile() || !isPlainFileName(name)) return {};
    const QString target = QDir(userDir).filePath(name);
    const QFileInfo to(target);
    if (to.exists() && to.canonicalFilePath() == from.canonicalFilePath()) return name;
    const QString temp = storage::atomic_file::temporarySibling(target);
    if (!QFile::copy(source, temp)) {
        QFile::remove(temp);
        return {};
    }
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) !=
        0) {
        QFile::remove(temp);
        return {};
    }
    if (copied) *copied = true;
    return name;
}

}  // namespace hx::appearance
