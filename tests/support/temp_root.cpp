#include "support/temp_root.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace hx::test {

TempRoot::TempRoot(bool layout, bool withDate)
    : dir_(QDir::tempPath() + QStringLiteral("/hengxiu-test-XXXXXX")), root_(dir_.path()) {
    if (layout && dir_.isValid()) root_.ensureLayout(withDate);
}

bool TempRoot::write(const QString& relative, const QByteArray& bytes) const {
    const QString target = root_.file(relative);
    if (!QDir().mkpath(QFileInfo(target).absolutePath())) return false;
    QFile file(target);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray TempRoot::read(const QString& relative) const {
    QFile file(root_.file(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace hx::test
