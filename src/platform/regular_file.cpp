#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>

namespace hx::platform {

namespace {

bool isResource(const QString& path) {
    return path.startsWith(u':') || path.startsWith(QLatin1String("qrc:"));
}

// stat() first, so that a device is never even opened (opening some has
// effects); O_NONBLOCK in case a FIFO took the file's place in between;
// fstat() to know what was opened after all.
int openRegular(const QString& path, qint64* size) {
    const QByteArray native = QFile::encodeName(path);
    struct stat before {};
    if (native.isEmpty() || ::stat(native.constData(), &before) != 0 || !S_ISREG(before.st_mode))
        return -1;
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return -1;
    }
    *size = opened.st_size;
    return fd;
}

// Up to `limit` + 1 bytes, so the caller can tell a file that is too long.
// The descriptor stays non-blocking: a file that would make us wait (a few
// kernel files do) ends the read with an error instead.
std::optional<QByteArray> readAtMost(int fd, qint64 limit, qint64 sizeHint) {
    QByteArray out;
    qint64 got = 0;
    out.resize(std::min<qint64>(std::max<qint64>(sizeHint + 1, 4096), limit + 1));
    while (got <= limit) {
        if (got == out.size()) out.resize(std::min<qint64>(out.size() * 2, limit + 1));
        const ssize_t n = ::read(fd, out.data() + got, static_cast<size_t>(out.size() - got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        got += n;
    }
    out.truncate(got);
    return out;
}

std::optional<QByteArray> readResource(const QString& path, qint64 limit, bool whole) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    if (whole && file.size() > limit) return std::nullopt;
    return file.read(limit);
}

std::optional<QByteArray> read(const QString& path, qint64 limit, bool whole) {
    if (limit < 0) return std::nullopt;
    if (isResource(path)) return readResource(path, limit, whole);
    qint64 size = 0;
    const int fd = openRegular(path, &size);
    if (fd < 0) return std::nullopt;
    std::optional<QByteArray> bytes =
        whole && size > limit ? std::nullopt : readAtMost(fd, limit, std::min(size, limit));
    ::close(fd);
    if (bytes && bytes->size() > limit) {
        if (whole) return std::nullopt;
        bytes->truncate(limit);
    }
    return bytes;
}

}  // namespace

std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit) {
    return read(path, limit, true);
}

std::optional<QByteArray> readRegularFileHead(const QString& path, qint64 count) {
    return read(path, count, false);
}

RegularFileView::RegularFileView(const QString& path, qint64 limit) {
    if (isResource(path)) {
        copy_ = readResource(path, limit, true).value_or(QByteArray());
    } else {
        qint64 size = 0;
        const int fd = openRegular(path, &size);
        if (fd < 0) return;
        if (size > 0 && size <= limit) {
            void* p = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (p != MAP_FAILED) {
                map_ = p;
                mapSize_ = static_cast<size_t>(size);
            }
        }
        // Files that cannot be mapped, and those that report no size
        // (kernel files), are read up to the limit.
        if (!map_ && size <= limit) {
            if (auto bytes = readAtMost(fd, limit, size); bytes && bytes->size() <= limit)
                copy_ = std::move(*bytes);
        }
        ::close(fd);
    }
    if (map_)
        bytes_ = {static_cast<const std::uint8_t*>(map_), mapSize_};
    else
        bytes_ = {reinterpret_cast<const std::uint8_t*>(copy_.constData()),
                  static_cast<size_t>(copy_.size())};
}

RegularFileView::~RegularFileView() {
    if (map_) ::munmap(map_, mapSize_);
}

}  // namespace hx::platform
