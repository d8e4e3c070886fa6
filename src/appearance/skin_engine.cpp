#include "appearance/skin_engine.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "text/gbk.h"

namespace hx::appearance {
namespace {

const QByteArray kMagic = QByteArrayLiteral(".SHE");

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
        // Rewritten only when it differs, which also repairs a damaged copy.
        if (!current.open(QIODevice::ReadOnly) || current.readAll() != shipped) {
            current.close();
            QSaveFile out(defaultSkin);
            if (out.open(QIODevice::WriteOnly)) {
                out.write(shipped);
                out.commit();
            }
        }
    }
    // The skins we ship join the user's Shens folder once; theirs are never replaced.
    if (QFileInfo(root_.shensDir()).isDir()) {
        const QDir shipped(QStringLiteral(":/skins"));
        for (const QString& name : shipped.entryList({QStringLiteral("*.she")}, QDir::Files)) {
            const QString target = root_.shensDir() + QLatin1Char('/') + name;
            if (name != QLatin1String("QVSkin.she") && !QFileInfo::exists(target))
                QFile::copy(shipped.filePath(name), target);
        }
    }
    // No skin chosen (an empty name hands over the Shens folder itself): the
    // default skin, so a first start already looks finished.
    const QString path = skinPath.isEmpty() || QFileInfo(skinPath).isDir() ? defaultSkin : skinPath;
    QString sheet;
    if (!readSkin(path, &sheet)) sheet.clear();
    attached_ = sheet.isEmpty() ? QString() : path;
    // Setting the same sheet again would re-polish every widget for nothing.
    if (qApp && qApp->styleSheet() != sheet) qApp->setStyleSheet(sheet);
}

}  // namespace hx::appearance
