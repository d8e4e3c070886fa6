#include "appearance/avatar_loader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtConcurrent/QtConcurrent>

#include "appearance/avatar.h"
#include "storage/atomic_file.h"
#include "storage/file_names.h"

namespace hx::appearance {

AvatarLoader::AvatarLoader(QObject* parent) : QObject(parent) { pool_.setMaxThreadCount(1); }

AvatarLoader::~AvatarLoader() {
    ++generation_;
    pool_.waitForDone();
}

QString AvatarLoader::scaledCopyPath(const QString& path) {
    const QFileInfo info(path);
    return info.dir().filePath(QLatin1Char('.') + info.fileName() + QStringLiteral(".256.png"));
}

void AvatarLoader::removeWithScaledCopy(const QString& path) {
    QFile::remove(path);
    QFile::remove(scaledCopyPath(path));
}

void AvatarLoader::removeOtherScaledCopies(const QString& userDir, const QString& avatar) {
    const QString suffix = QStringLiteral(".256.png");
    const QStringList copies =
        storage::fileNamesMatching(userDir, u".", suffix, QDir::Files | QDir::Hidden);
    for (const QString& copy : copies)
        if (copy.mid(1, copy.size() - 1 - suffix.size()) != avatar)
            QFile::remove(QDir(userDir).filePath(copy));
}

QImage AvatarLoader::readScaled(const QString& path) {
    const QFileInfo source(path);
    if (path.isEmpty() || !source.isFile()) return {};
    const QFileInfo copy(scaledCopyPath(path));
    // Current when written after the file last changed.
    if (copy.isFile() && copy.size() > 0 && copy.lastModified() >= source.lastModified()) {
        QImageReader reader(copy.filePath(), "png");
        const QSize size = reader.size();
        if (size.isValid() && size.width() <= kAvatarDecodeLimit &&
            size.height() <= kAvatarDecodeLimit) {
            const QImage image = reader.read();
            if (!image.isNull()) return image;
        }
    }
    const QImage image = loadAvatar(path);
    if (image.isNull()) return image;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // A copy that cannot be written only means the next start decodes again.
    if (image.save(&buffer, "PNG")) storage::atomic_file::replaceContents(copy.filePath(), bytes);
    return image;
}

void AvatarLoader::request(const QString& path) {
    const quint64 generation = ++generation_;
    if (path.isEmpty()) {
        emit ready(QImage());
        return;
    }
    (void)QtConcurrent::run(&pool_, [this, generation, path] {
        if (generation != generation_.load()) return;
        const QImage image = readScaled(path);
        QMetaObject::invokeMethod(
            this,
            [this, generation, image] {
                if (generation == generation_.load()) emit ready(image);
            },
            Qt::QueuedConnection);
    });
}

void AvatarLoader::finish() {
    pool_.waitForDone();
    QCoreApplication::sendPostedEvents(this);
}

}  // namespace hx::appearance
