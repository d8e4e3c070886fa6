#include "storage/data_root.h"
#include "storage/file_names.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "storage/atomic_file.h"

namespace hx::storage {
namespace {

QString absoluteClean(const QString& dir) { return QDir::cleanPath(QDir(dir).absolutePath()); }

bool writable(const QString& dir) {
    return !dir.isEmpty() && QFileInfo(dir).isDir() &&
           ::access(QFile::encodeName(dir).constData(), W_OK) == 0;
}

QString rootArgument(const QStringList& arguments) {
    // Argument 0 is the program itself.
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--root") && i + 1 < arguments.size()) return arguments[i + 1];
        if (a.startsWith(QLatin1String("--root="))) return a.mid(7);
    }
    return {};
}

// A program installed beside its menu entry is never portable, even for root, who
// could otherwise fill /usr/bin with a catalogue.
bool installed(const QString& executableDir) {
    return QFileInfo::exists(executableDir +
                             QStringLiteral("/../share/applications/hengxiu-toolbox.desktop"));
}

}  // namespace

DataRoot::DataRoot(const QString& dir) : dir_(dir) {}

DataRoot DataRoot::resolve(const QStringList& arguments, const QString& executableDir) {
    const QString argument = rootArgument(arguments);
    if (!argument.isEmpty()) return DataRoot(absoluteClean(argument));
    const QString fromEnvironment = qEnvironmentVariable("HENGXIU_ROOT");
    if (!fromEnvironment.isEmpty()) return DataRoot(absoluteClean(fromEnvironment));
    if (writable(executableDir) && !installed(executableDir))
        return DataRoot(absoluteClean(executableDir));
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return DataRoot(absoluteClean(dataHome + QStringLiteral("/hengxiu-toolbox")));
}

QString DataRoot::file(const QString& relative) const {
    qsizetype skip = 0;
    while (skip < relative.size() && (relative[skip] == u'/' || relative[skip] == u'\\')) ++skip;
    return dir_ + u'/' + relative.mid(skip);
}

QStringList DataRoot::shippedPictures() {
    QStringList names = fileNamesMatching(QStringLiteral(":/bmpns"), {}, u".bmp", QDir::Files,
                                          QDir::Name | QDir::IgnoreCase);
    const QString folder = QStringLiteral("Folder.bmp");
    if (names.removeAll(folder) > 0) names.prepend(folder);
    return names;
}

bool DataRoot::ensureLayout(bool includeDate) const {
    QDir root(dir_);
    bool ok = root.mkpath(QStringLiteral("."));
    QStringList folders{QStringLiteral("User"), QStringLiteral("Shens"), QStringLiteral("Bmpns")};
    if (includeDate) folders << QStringLiteral("Date");
    for (const QString& folder : folders) ok = root.mkpath(folder) && ok;
    if (!ok) return false;
    // A write killed before its rename (a restore, a saved setting) left its
    // temporary copy; nothing of an earlier run finishes it now.
    for (const QString& folder : {userDir(), shensDir(), bmpnsDir(), dateDir(), backupDir()})
        atomic_file::removeLeftovers(folder);

    for (const QString& name : shippedPictures()) {
        const QString target = bmpnsDir() + u'/' + name;
        if (atomic_file::somethingAt(target)) continue;  // the user's file wins
        QFile source(QStringLiteral(":/bmpns/") + name);
        if (!source.open(QIODevice::ReadOnly)) {
            ok = false;
            continue;
        }
        // Pictures can be laid again, so no fsync; losing a race with another
        // instance is fine: the picture is there.
        if (!atomic_file::createNew(target, source.readAll(), nullptr, false) &&
            !atomic_file::somethingAt(target))
            ok = false;
    }
    return ok;
}

}  // namespace hx::storage
