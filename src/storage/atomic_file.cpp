#include "storage/atomic_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>

namespace hx::storage::atomic_file {
namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

// Taken when the program loads: files of this run are never older.
const std::time_t kProcessStart = std::time(nullptr);
// File times may lag the clock by a tick; a leftover is older by far.
constexpr std::time_t kStartMargin = 2;

void setError(QString* error, const QString& what, const QString& path, int code) {
    if (error)
        *error =
            QStringLiteral("%1 %2: %3").arg(what, path, QString::fromLocal8Bit(strerror(code)));
}

bool writeAll(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// Writes a new temporary sibling of `path` and returns its name, or "" on failure.
QString writeTemporary(const QString& path, const QByteArray& bytes, QString* error,
                       bool durable = true) {
    const QString temp = temporarySibling(path);
    const int fd = ::open(native(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        setError(error, QStringLiteral("cannot create"), temp, errno);
        return {};
    }
    const bool ok = writeAll(fd, bytes) && (!durable || ::fsync(fd) == 0);
    const int code = errno;
    ::close(fd);
    if (!ok) {
        ::unlink(native(temp).constData());
        setError(error, QStringLiteral("cannot write"), temp, code);
        return {};
    }
    return temp;
}

}  // namespace

QString temporarySibling(const QString& path) {
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("%1.tmp-%2-%3").arg(path).arg(::getpid()).arg(counter.fetch_add(1));
}

bool somethingAt(const QString& path) {
    struct stat st;
    return ::lstat(native(path).constData(), &st) == 0;
}

void syncFolderOf(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

void syncFile(const QString& path) {
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool publishReplacing(const QString& from, const QString& to, QString* error) {
    if (::rename(native(from).constData(), native(to).constData()) != 0) {
        setError(error, QStringLiteral("cannot rename onto"), to, errno);
        ::unlink(native(from).constData());
        return false;
    }
    syncFolderOf(to);
    return true;
}

bool replaceContents(const QString& path, const QByteArray& bytes, QString* error) {
    const QString temp = writeTemporary(path, bytes, error);
    return !temp.isEmpty() && publishReplacing(temp, path, error);
}

bool publishNoReplace(const QString& from, const QString& to, QString* error, bool durable) {
    const QByteArray src = native(from);
    const QByteArray dst = native(to);
    if (::renameat2(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), RENAME_NOREPLACE) == 0) {
        if (durable) syncFolderOf(to);
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        setError(error, QStringLiteral("cannot create"), to, errno);
        return false;
    }
    // File systems without RENAME_NOREPLACE: a hard link fails just as atomically
    // when the name is taken.
    if (::link(src.constData(), dst.constData()) != 0) {
        setError(error, QStringLiteral("cannot create"), to, errno);
        return false;
    }
    ::unlink(src.constData());
    if (durable) syncFolderOf(to);
    return true;
}

bool createNew(const QString& path, const QByteArray& bytes, QString* error, bool durable) {
    if (somethingAt(path)) {
        setError(error, QStringLiteral("cannot create"), path, EEXIST);
        return false;
    }
    const QString temp = writeTemporary(path, bytes, error, durable);
    if (temp.isEmpty()) return false;
    if (!publishNoReplace(temp, path, error, durable)) {
        ::unlink(native(temp).constData());
        return false;
    }
    return true;
}

namespace {

// The writer's process number in a temporary name, NAME.tmp-PID-N with an
// optional -journal, -wal or -shm; empty for any other name.
QStringView leftoverWriter(QStringView name) {
    const qsizetype tmp = name.lastIndexOf(u".tmp-");
    if (tmp <= 0) return {};
    QStringView rest = name.sliced(tmp + 5);
    for (const auto tail : {u"-journal", u"-wal", u"-shm"}) {
        if (rest.endsWith(QStringView(tail))) {
            rest.chop(QStringView(tail).size());
            break;
        }
    }
    const qsizetype dash = rest.indexOf(u'-');
    const auto digits = [](QStringView s) {
        return !s.isEmpty() &&
               std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    if (dash < 0 || !digits(rest.first(dash)) || !digits(rest.sliced(dash + 1))) return {};
    return rest.first(dash);
}

}  // namespace

int removeLeftovers(const QString& folder) {
    const QDir dir(folder);
    int removed = 0;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QStringView pid = leftoverWriter(name);
        if (pid.isEmpty()) continue;
        const QByteArray path = native(dir.filePath(name));
        struct stat st;
        if (::lstat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (st.st_mtime + kStartMargin >= kProcessStart) continue;
        bool isNumber = false;
        const qlonglong writer = pid.toLongLong(&isNumber);
        if (!isNumber || writer <= 0 || writer > INT_MAX) continue;
        // A process of that number may be a writer still at work; our own number
        // on an older file is a reused one.
        const bool writerGone =
            writer == ::getpid() || (::kill(static_cast<pid_t>(writer), 0) != 0 && errno == ESRCH);
        if (writerGone && ::unlink(path.constData()) == 0) ++removed;
    }
    return removed;
}

}  // namespace hx::storage::atomic_file
