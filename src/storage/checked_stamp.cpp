#include "storage/checked_stamp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "storage/atomic_file.h"

namespace hx::storage::checked_stamp {
namespace {

// The part of SQLite's header that any committed change to the file moves
// (change counter, page count, schema cookie, ...).
constexpr int kHeaderBytes = 100;
// The stamp's line and what is kept with it (storage/item_database.cpp keeps
// at most 4 MiB).
constexpr qint64 kMostKeptBytes = 5 << 20;

}  // namespace

QByteArray of(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat file {};
    if (::stat(name.constData(), &file) != 0 || !S_ISREG(file.st_mode)) return {};
    // A log with content holds commits the main file does not show yet (a
    // run that ended without closing, or another connection still open).
    struct stat log {};
    if (::stat((name + "-wal").constData(), &log) == 0 &&
        (!S_ISREG(log.st_mode) || log.st_size > 0))
        return {};
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return {};
    char header[kHeaderBytes];
    const ssize_t got = ::pread(fd, header, sizeof header, 0);
    ::close(fd);
    if (got != kHeaderBytes) return {};
    return QByteArray::number(quint64(file.st_dev)) + ' ' +
           QByteArray::number(quint64(file.st_ino)) + ' ' +
           QByteArray::number(qint64(file.st_size)) + ' ' +
           QByteArray::number(qint64(file.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qint64(file.st_mtim.tv_nsec)) + ' ' +
           QByteArray::number(qint64(file.st_ctim.tv_sec)) + '.' +
           QByteArray::number(qint64(file.st_ctim.tv_nsec)) + ' ' +
           QByteArray(header, kHeaderBytes).toHex() + '\n';
}

QString fileFor(const QString& path) {
    const QByteArray key = QCryptographicHash::hash(
        QFile::encodeName(QFileInfo(path).absoluteFilePath()), QCryptographicHash::Sha1);
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/hengxiu-toolbox/checked/") + QString::fromLatin1(key.toHex());
}

std::optional<QByteArray> keptFor(const QString& path) {
    const QByteArray now = of(path);
    if (now.isEmpty()) return std::nullopt;
    // Read as a plain file only: a FIFO or a device in its place must not
    // hold the start up.
    const int fd = ::open(QFile::encodeName(fileFor(path)).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat kept {};
    QByteArray bytes;
    if (::fstat(fd, &kept) == 0 && S_ISREG(kept.st_mode) && kept.st_size <= kMostKeptBytes) {
        bytes.resize(qsizetype(kept.st_size));
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (got <= 0) break;
            done += got;
        }
        bytes.truncate(done);
    }
    ::close(fd);
    if (!bytes.startsWith(now)) return std::nullopt;
    return bytes.mid(now.size());
}

void record(const QString& path, const QByteArray& payload) {
    const QByteArray now = of(path);
    const QString where = fileFor(path);
    if (now.isEmpty() || !QDir().mkpath(QFileInfo(where).path())) {
        QFile::remove(where);
        return;
    }
    atomic_file::replaceContents(where, now + payload);
}

void forget(const QString& path) { QFile::remove(fileFor(path)); }

}  // namespace hx::storage::checked_stamp
