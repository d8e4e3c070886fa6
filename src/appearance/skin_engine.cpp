#include "appearance/skin_engine.h"
#include "storage/file_names.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <iterator>

#include "storage/atomic_file.h"
#include "text/gbk.h"

namespace hx::appearance {
namespace {

const QByteArray kMagic = QByteArrayLiteral(".SHE");

// SHA-256 of every earlier version of the skins we ship: a copy in Shens that
// still holds one was never edited and takes the version shipped now.
constexpr const char* kEarlierShipped[] = {
    "7002cee22163abfca3fadabcbbafb50028f2be152f6ddec432895a36e56661b1",
    "a9515f6acd99d96f7955f37d8a673670a057c1384afd151022a8a95a5d58fab6",
    "6eb59f2bd8056a2d4f607256ee7ee82d508b34fc422751950602c99a345ec131",
    "8532352103af29edfe8970d89debf660c94a6f2a020b4c3ae7b4dc6f76f92c2b",
    "1ff9da7cff6e3c74c2b49ca54475253c9cbcb93f46b4e3ae453a4848eb71b0db",
    "68fbf146c7e1e77225dbc9fc300d93aae92db1644b52442e234bfc73de296675",
};

bool isEarlierShipped(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile() || info.size() > 64 * 1024) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray digest =
        QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
    return std::any_of(std::begin(kEarlierShipped), std::end(kEarlierShipped),
                       [&](const char* earlier) { return digest == earlier; });
}

// True when the plain file at `path` holds exactly `bytes`.
bool holds(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile() || info.size() != bytes.size()) return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll() == bytes;
}

// Widget properties a skin may set with "qproperty-".
constexpr const char* kSkinProperties[] = {"skinBackground"};

// A skin name from shepf.ini is a file name in Shens: "../", a folder in it
// or a link in it to elsewhere would reach any file on the system. The
// shipped skins in the resources are ours.
bool allowedSkinPath(const storage::DataRoot& root, const QString& path,
                     const QString& defaultSkin) {
    if (path.startsWith(QLatin1String(":/"))) return true;
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    return clean == QDir::cleanPath(defaultSkin) ||
           (QFileInfo(clean).absolutePath() ==
                QDir::cleanPath(QFileInfo(root.shensDir()).absoluteFilePath()) &&
            (!QFileInfo::exists(clean) || storage::liesIn(clean, root.shensDir())));
}

}  // namespace

SkinEngine::SkinEngine(storage::DataRoot root) : root_(std::move(root)) {}

bool SkinEngine::readSkin(const QString& path, QString* styleSheet) {
    if (!QFileInfo(path).isFile()) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.read(1 << 20);  // a skin is a small text file
    if (!bytes.startsWith(kMagic)) return false;
    const qsizetype lineEnd = bytes.indexOf('\n');
    const QByteArray sheet = lineEnd < 0 ? QByteArray() : bytes.mid(lineEnd + 1);
    if (styleSheet) *styleSheet = text::decodeUtf8OrGbk(sheet);
    return true;
}

void SkinEngine::apply(const QString& skinPath) {
    // The default skin is written afresh each time, as the program ships it.
    const QString defaultSkin = root_.file(QStringLiteral("QVSkin.she"));
    QFile resource(QStringLiteral(":/skins/QVSkin.she"));
    if (resource.open(QIODevice::ReadOnly)) {
        const QByteArray shipped = resource.readAll();
        QFile current(defaultSkin);
        // Rewritten only when it differs, which also repairs a damaged copy;
        // anything but a regular file there (a FIFO would block) is replaced.
        if (!QFileInfo(defaultSkin).isFile() || !current.open(QIODevice::ReadOnly) ||
            current.readAll() != shipped) {
            current.close();
            QSaveFile out(defaultSkin);
            if (out.open(QIODevice::WriteOnly)) {
                out.write(shipped);
                out.commit();
            }
        }
    }
    // The skins we ship join the user's Shens folder once; theirs are never
    // replaced, only untouched copies of an earlier version are brought up to date.
    if (QFileInfo(root_.shensDir()).isDir()) {
        const QDir shipped(QStringLiteral(":/skins"));
        for (const QString& name : storage::fileNamesMatching(shipped.path(), {}, u".she")) {
            const QString target = root_.shensDir() + QLatin1Char('/') + name;
            if (name == QLatin1String("QVSkin.she")) continue;
            if (!storage::atomic_file::somethingAt(target)) {
                QFile::copy(shipped.filePath(name), target);
                continue;
            }
            QFile source(shipped.filePath(name));
            if (!source.open(QIODevice::ReadOnly)) continue;
            const QByteArray current = source.readAll();
            // Already this version, as after every start but the first: no
            // digest to take.
            if (holds(target, current)) continue;
            if (isEarlierShipped(target)) storage::atomic_file::replaceContents(target, current);
        }
    }
    // No skin chosen (an empty name hands over the Shens folder itself): the
    // default skin, so a first start already looks finished.
    const QString path = skinPath.isEmpty() || QFileInfo(skinPath).isDir() ||
                                 !allowedSkinPath(root_, skinPath, defaultSkin)
                             ? defaultSkin
                             : skinPath;
    QString sheet;
    if (!readSkin(path, &sheet)) sheet.clear();
    attached_ = sheet.isEmpty() ? QString() : path;
    // Setting the same sheet again would re-polish every widget for nothing.
    if (!qApp || qApp->styleSheet() == sheet) return;
    // A sheet sets the properties it names and never unsets them: a colour of
    // the skin before must not outlive it in a skin that leaves it out.
    for (QWidget* widget : QApplication::allWidgets())
        for (const char* name : kSkinProperties)
            if (widget->metaObject()->indexOfProperty(name) >= 0)
                widget->setProperty(name, QVariant());
    qApp->setStyleSheet(sheet);
}

}  // namespace hx::appearance
