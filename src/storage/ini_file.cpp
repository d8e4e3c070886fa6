#include "storage/ini_file.h"

#ifndef SI_NO_CONVERSION
#define SI_NO_CONVERSION
#endif
#include <SimpleIni.h>

#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <mutex>
#include <string>

#include "storage/atomic_file.h"
#include "text/gbk.h"

namespace hx::storage {
namespace {

// Serialises read-modify-write cycles of this process; without it two threads
// writing different keys could each drop the other's change.
std::mutex& writeMutex() {
    static std::mutex m;
    return m;
}

QString skipLeading(const QString& s) {
    qsizetype i = 0;
    while (i < s.size() && s[i].unicode() <= 32) ++i;
    return s.mid(i);
}

// The file's text as UTF-8 bytes (a legacy GBK file is converted); nullopt
// when it exists but cannot be read.
std::optional<QByteArray> loadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!QFileInfo::exists(path)) return QByteArray();
        return std::nullopt;
    }
    const QByteArray raw = file.readAll();
    if (text::isValidUtf8(raw)) return raw;
    return text::fromGbk(raw).toUtf8();
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

// A writer killed between creating its temporary file and the rename leaves
// the file behind; remove those of processes that no longer exist.
void removeOrphans(const QString& path) {
    const QFileInfo info(path);
    const QString prefix = info.fileName() + QStringLiteral(".tmp-");
    QDir folder = info.absoluteDir();
    for (const QString& name : folder.entryList({prefix + u'*'}, QDir::Files | QDir::Hidden)) {
        const QString rest = name.mid(prefix.size());
        bool isNumber = false;
        const pid_t pid = static_cast<pid_t>(rest.section(u'-', 0, 0).toLong(&isNumber));
        if (!isNumber || pid <= 0 || pid == ::getpid()) continue;
        if (::kill(pid, 0) != 0 && errno == ESRCH) folder.remove(name);
    }
}

}  // namespace

QString IniFile::read(const QString& path, const QString& section, const QString& key) {
    return find(path, section, key).value_or(QString());
}

std::optional<QString> IniFile::find(const QString& rawPath, const QString& rawSection,
                                     const QString& rawKey) {
    const QString path = skipLeading(rawPath);
    const QString section = skipLeading(rawSection);
    const QString key = skipLeading(rawKey);
    if (path.isEmpty() || section.isEmpty() || key.isEmpty()) return std::nullopt;
    const auto data = loadText(path);
    if (!data || data->isEmpty()) return std::nullopt;
    CSimpleIniA ini;
    configure(ini);
    if (ini.LoadData(data->constData(), static_cast<size_t>(data->size())) < 0) return std::nullopt;
    const char* value =
        ini.GetValue(section.toUtf8().constData(), key.toUtf8().constData(), nullptr);
    if (!value) return std::nullopt;
    // The designed read buffer holds 10,240 bytes including its terminator.
    return QString::fromUtf8(cutAtCharacter(QByteArray(value), kValueLimit - 1));
}

bool IniFile::write(const QString& rawPath, const QString& rawSection,
                    const std::optional<QString>& rawKey, const std::optional<QString>& value) {
    QString path = skipLeading(rawPath);
    const QString section = skipLeading(rawSection);
    const std::optional<QString> key = rawKey ? std::optional(skipLeading(*rawKey)) : std::nullopt;
    if (path.isEmpty() || section.isEmpty() || (key && key->isEmpty())) return false;

    std::lock_guard<std::mutex> lock(writeMutex());
    const QFileInfo info(path);
    // Write through a link to the file it names instead of replacing the link.
    if (info.isSymLink() && !info.symLinkTarget().isEmpty()) path = info.symLinkTarget();
    if (!QFileInfo(QFileInfo(path).absolutePath()).isDir()) return false;

    const auto original = loadText(path);
    if (!original) return false;
    CSimpleIniA ini;
    configure(ini);
    if (!original->isEmpty() &&
        ini.LoadData(original->constData(), static_cast<size_t>(original->size())) < 0)
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
    if (QFile::exists(path)) {
        QFile current(path);
        if (current.open(QIODevice::ReadOnly) && current.readAll() == bytes) return true;
    }
    if (!atomic_file::replaceContents(path, bytes)) return false;
    removeOrphans(path);
    return true;
}

}  // namespace hx::storage
