#include "storage/ini_file.h"
#include "storage/file_names.h"

#ifndef SI_NO_CONVERSION
#define SI_NO_CONVERSION
#endif
#include <SimpleIni.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "storage/atomic_file.h"
#include "text/gbk.h"
#include "text/printable.h"

namespace hx::storage {
namespace {

// Serialises the cache and every read-modify-write cycle of this process;
// without it two threads writing different keys could each drop the other's
// change.
std::mutex& stateMutex() {
    static std::mutex m;
    return m;
}

QString skipLeading(const QString& s) {
    qsizetype i = 0;
    while (i < s.size() && s[i].unicode() <= 32) ++i;
    return s.mid(i);
}

void configure(CSimpleIniA& ini) {
    ini.SetUnicode(true);
    // Values holding line breaks are written as multi-line blocks, so a value
    // can never start a section or key of its own.
    ini.SetMultiLine(true);
    ini.SetSpaces(false);
}

QByteArray cutAtCharacter(const QByteArray& value, qsizetype limit) {
    if (value.size() <= limit) return value;
    qsizetype n = limit;
    while (n > 0 && (static_cast<unsigned char>(value[n]) & 0xC0) == 0x80) --n;
    return value.left(n);
}

enum class Kind { Missing, Whole, Damaged, NotRegular, TooLarge, Unreadable };

// What tells one state of a file on disk from another.
struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    explicit Identity(const struct stat& st)
        : device(st.st_dev),
          inode(st.st_ino),
          size(st.st_size),
          modified(st.st_mtim),
          changed(st.st_ctim) {}
    Identity() = default;
    bool operator==(const Identity& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

struct Snapshot {
    Kind kind = Kind::Missing;
    Identity id;
    QByteArray raw;                    // the bytes on disk
    QByteArray text;                   // the UTF-8 text that was understood
    std::shared_ptr<CSimpleIniA> ini;  // null when the file was refused
    // File times move in clock ticks: a change within the tick of the last one
    // may leave every time as it was, so a file that changed this recently is
    // read again next time.
    bool recent = false;
};

using SnapshotPtr = std::shared_ptr<const Snapshot>;

std::map<QString, SnapshotPtr>& cache() {
    static std::map<QString, SnapshotPtr> entries;
    return entries;
}

QStringList& pendingNotices() {
    static QStringList notices;
    return notices;
}

int& loads() {
    static int count = 0;
    return count;
}

// What was told of each file since it was last found whole or missing: a file
// that stays refused is told of once, one that breaks again is told of again.
std::map<QString, std::set<std::string>>& reported() {
    static std::map<QString, std::set<std::string>> findings;
    return findings;
}

void reportOnce(const QString& path, const char* finding, const QString& message) {
    if (!reported()[path].insert(finding).second) return;
    qWarning("hengxiu-toolbox: %s: %s", text::printable(path).constData(), finding);
    pendingNotices().push_back(message);
}

bool changedRecently(const timespec& modified) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const qint64 age = (qint64(now.tv_sec) - modified.tv_sec) * 1000000000LL +
                       (qint64(now.tv_nsec) - modified.tv_nsec);
    return age < 1000000000LL;
}

// Turns the bytes into text: a NUL would end the text for the parser and
// drop everything after it, so NULs are left out. Bytes that are not UTF-8 are
// GBK when they convert both ways; otherwise the reading that loses fewer
// characters wins. Either way the file was not read whole.
void decode(Snapshot& s) {
    QByteArray cleaned = s.raw;
    cleaned.replace(QByteArray(1, '\0'), QByteArray());
    bool whole = cleaned.size() == s.raw.size();
    if (text::isValidUtf8(cleaned)) {
        s.text = cleaned;
    } else {
        const QString gbk = text::fromGbk(cleaned);
        if (text::toGbk(gbk) == cleaned) {
            s.text = gbk.toUtf8();
        } else {
            whole = false;
            const QString utf8 = QString::fromUtf8(cleaned);
            s.text =
                (utf8.count(QChar::ReplacementCharacter) <= gbk.count(QChar::ReplacementCharacter)
                     ? utf8
                     : gbk)
                    .toUtf8();
        }
    }
    auto ini = std::make_shared<CSimpleIniA>();
    configure(*ini);
    if (!s.text.isEmpty() &&
        ini->LoadData(s.text.constData(), static_cast<size_t>(s.text.size())) < 0) {
        s.kind = Kind::Unreadable;
        return;
    }
    s.ini = std::move(ini);
    s.kind = whole ? Kind::Whole : Kind::Damaged;
}

// Reads a regular file of at most kSizeLimit bytes without ever blocking: the
// open does not wait for a FIFO's writer, and what was opened is checked again.
std::shared_ptr<Snapshot> readFile(const QString& path) {
    auto s = std::make_shared<Snapshot>();
    ++loads();
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        s->kind = errno == ENOENT || errno == ENOTDIR ? Kind::Missing : Kind::Unreadable;
        return s;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        s->kind = Kind::Unreadable;
        return s;
    }
    s->id = Identity(st);
    s->recent = changedRecently(st.st_mtim);
    if (!S_ISREG(st.st_mode)) {
        s->kind = Kind::NotRegular;
    } else if (st.st_size > IniFile::kSizeLimit) {
        s->kind = Kind::TooLarge;
    } else {
        QByteArray bytes;
        bool complete = true;
        char chunk[65536];
        while (complete) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n == 0) break;
            if (n < 0) {
                s->kind = Kind::Unreadable;
                complete = false;
            } else if (bytes.append(chunk, n).size() > IniFile::kSizeLimit) {
                s->kind = Kind::TooLarge;  // it grew while being read
                complete = false;
            }
        }
        if (complete) {
            s->raw = bytes;
            decode(*s);
        }
    }
    ::close(fd);
    return s;
}

QString writeTarget(const QString& path) {
    const QFileInfo info(path);
    // Write through a link to the file it names instead of replacing the link.
    if (info.isSymLink() && !info.symLinkTarget().isEmpty()) return info.symLinkTarget();
    return path;
}

// Keeps the damaged bytes as they are under a name of their own, then lets
// the file hold what could be read, so no later write can cut it further.
std::shared_ptr<Snapshot> setAside(const QString& path, std::shared_ptr<Snapshot> damaged) {
    const QString target = writeTarget(path);
    const QString stem = target + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString copy = stem;
    for (int n = 2; atomic_file::somethingAt(copy); ++n) copy = stem + QStringLiteral("-%1").arg(n);
    if (!atomic_file::createNew(copy, damaged->raw) ||
        !atomic_file::replaceContents(target, damaged->text)) {
        reportOnce(path,
                   "not readable whole and no copy could be kept; changes are not saved to it",
                   QCoreApplication::translate("ConfigFile",
                                               "配置文件“%1”含有无法读取的内容，且无法另存副本；"
                                               "设置的改动不会写入该文件。")
                       .arg(QDir::toNativeSeparators(path)));
        return damaged;
    }
    reportOnce(path, "not readable whole; the original is kept beside it",
               QCoreApplication::translate("ConfigFile",
                                           "配置文件“%1”含有无法读取的内容，原文件已另存为“%2”；"
                                           "程序继续使用其中能读取的设置。")
                   .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(copy)));
    return readFile(path);
}

void reportRefusal(const QString& path, const Snapshot& s) {
    const QString shown = QDir::toNativeSeparators(path);
    switch (s.kind) {
        case Kind::NotRegular:
            reportOnce(path, "not a regular file; ignored, defaults are used",
                       QCoreApplication::translate(
                           "ConfigFile", "配置文件“%1”不是普通文件，已拒绝读取；程序使用默认设置。")
                           .arg(shown));
            break;
        case Kind::TooLarge:
            reportOnce(
                path, "larger than 1 MB; ignored and left as it is",
                QCoreApplication::translate("ConfigFile",
                                            "配置文件“%1”超过 1 MB，已拒绝读取，文件保持原样；"
                                            "程序使用默认设置，设置的改动不会保存。")
                    .arg(shown));
            break;
        case Kind::Unreadable:
            reportOnce(path, "cannot be read; defaults are used",
                       QCoreApplication::translate("ConfigFile",
                                                   "无法读取配置文件“%1”；程序使用默认设置。")
                           .arg(shown));
            break;
        default:
            break;
    }
}

// The file as it is on disk now: from the cache while nothing about it
// changed, else read again. Refused files are never opened for reading.
SnapshotPtr current(const QString& path) {
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        cache().erase(path);
        auto s = std::make_shared<Snapshot>();
        s->kind = errno == ENOENT || errno == ENOTDIR ? Kind::Missing : Kind::Unreadable;
        if (s->kind == Kind::Missing) reported().erase(path);
        reportRefusal(path, *s);
        return s;
    }
    const auto cached = cache().find(path);
    if (cached != cache().end() && cached->second->id == Identity(st) && !cached->second->recent)
        return cached->second;

    std::shared_ptr<Snapshot> s;
    if (!S_ISREG(st.st_mode) || st.st_size > IniFile::kSizeLimit) {
        s = std::make_shared<Snapshot>();
        s->id = Identity(st);
        s->kind = S_ISREG(st.st_mode) ? Kind::TooLarge : Kind::NotRegular;
    } else {
        s = readFile(path);
        if (s->kind == Kind::Damaged) s = setAside(path, s);
    }
    reportRefusal(path, *s);
    if (s->kind == Kind::Whole) reported().erase(path);
    if (s->kind == Kind::Missing)
        cache().erase(path);
    else
        cache()[path] = s;
    return s;
}

// A writer killed between creating its temporary file and the rename leaves
// the file behind; remove those of processes that no longer exist.
void removeOrphans(const QString& path) {
    const QFileInfo info(path);
    const QString prefix = info.fileName() + QStringLiteral(".tmp-");
    QDir folder = info.absoluteDir();
    for (const QString& name :
         fileNamesMatching(folder.path(), prefix, {}, QDir::Files | QDir::Hidden)) {
        const QString rest = name.mid(prefix.size());
        bool isNumber = false;
        const pid_t pid = static_cast<pid_t>(rest.section(u'-', 0, 0).toLong(&isNumber));
        if (!isNumber || pid <= 0 || pid == ::getpid()) continue;
        if (::kill(pid, 0) != 0 && errno == ESRCH) folder.remove(name);
    }
}

}  // namespace

QStringList IniFile::takeNotices() {
    std::lock_guard<std::mutex> lock(stateMutex());
    return std::exchange(pendingNotices(), QStringList());
}

int IniFile::loadCount() {
    std::lock_guard<std::mutex> lock(stateMutex());
    return loads();
}

QString IniFile::read(const QString& path, const QString& section, const QString& key) {
    return find(path, section, key).value_or(QString());
}

std::optional<QString> IniFile::find(const QString& rawPath, const QString& rawSection,
                                     const QString& rawKey) {
    const QString path = skipLeading(rawPath);
    const QString section = skipLeading(rawSection);
    const QString key = skipLeading(rawKey);
    if (path.isEmpty() || section.isEmpty() || key.isEmpty()) return std::nullopt;
    std::lock_guard<std::mutex> lock(stateMutex());
    const SnapshotPtr file = current(path);
    if (!file->ini) return std::nullopt;
    const char* value =
        file->ini->GetValue(section.toUtf8().constData(), key.toUtf8().constData(), nullptr);
    if (!value) return std::nullopt;
    // The designed read buffer holds 10,240 bytes including its terminator.
    return QString::fromUtf8(cutAtCharacter(QByteArray(value), kValueLimit - 1));
}

bool IniFile::write(const QString& rawPath, const QString& rawSection,
                    const std::optional<QString>& rawKey, const std::optional<QString>& value) {
    const QString path = skipLeading(rawPath);
    const QString section = skipLeading(rawSection);
    const std::optional<QString> key = rawKey ? std::optional(skipLeading(*rawKey)) : std::nullopt;
    if (path.isEmpty() || section.isEmpty() || (key && key->isEmpty())) return false;

    std::lock_guard<std::mutex> lock(stateMutex());
    const QString target = writeTarget(path);
    if (!QFileInfo(QFileInfo(target).absolutePath()).isDir()) return false;

    // Only a file read whole is written back: anything else would lose what
    // could not be read, or replace what is not ours to replace.
    const SnapshotPtr original = current(path);
    if (original->kind != Kind::Whole && original->kind != Kind::Missing) return false;
    CSimpleIniA ini;
    configure(ini);
    if (!original->text.isEmpty() &&
        ini.LoadData(original->text.constData(), static_cast<size_t>(original->text.size())) < 0)
        return false;

    const QByteArray sectionBytes = section.toUtf8();
    if (!key) {
        if (!ini.Delete(sectionBytes.constData(), nullptr)) return true;  // nothing to delete
    } else if (!value) {
        if (!ini.Delete(sectionBytes.constData(), key->toUtf8().constData(), false)) return true;
    } else if (ini.SetValue(sectionBytes.constData(), key->toUtf8().constData(),
                            value->toUtf8().constData()) < 0) {
        return false;
    }

    std::string out;
    if (ini.Save(out) < 0) return false;
    const QByteArray bytes(out.data(), static_cast<qsizetype>(out.size()));
    if (original->kind == Kind::Whole && original->raw == bytes) return true;
    if (!atomic_file::replaceContents(target, bytes)) return false;
    cache().erase(path);
    removeOrphans(target);
    return true;
}

}  // namespace hx::storage
