#include "storage/safety_copy.h"
#include "storage/file_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "storage/item_database.h"

namespace hx::storage {
namespace {

const QString kSafetyPrefix = QStringLiteral("自动备份-");

// Age order: the time in the name, then the counter of same-second copies.
std::pair<QString, int> ageKey(const QString& name) {
    QString stem = name.chopped(4);  // ".mdb"
    const QStringList parts = stem.split(u'-');
    const int counter = parts.size() > 3 ? parts.at(3).toInt() : 1;
    return {parts.mid(1, 2).join(u'-'), counter};
}

void pruneSafetyCopies(const QString& folder, const QString& keep) {
    QStringList copies = fileNamesMatching(folder, kSafetyPrefix, u".mdb", QDir::Files, QDir::Name);
    std::stable_sort(copies.begin(), copies.end(),
                     [](const QString& a, const QString& b) { return ageKey(a) < ageKey(b); });
    const QString kept = keep.isEmpty() ? QString() : QFileInfo(keep).canonicalFilePath();
    for (qsizetype i = 0; i < copies.size() && copies.size() > kSafetyCopiesKept;) {
        const QString path = folder + QLatin1Char('/') + copies.at(i);
        if (!kept.isEmpty() && QFileInfo(path).canonicalFilePath() == kept) {
            ++i;
            continue;
        }
        QFile::remove(path);
        copies.removeAt(i);
    }
}

}  // namespace

QString restoreStartFolder(const DataRoot& root) {
    return QFileInfo(root.backupDir()).isDir() ? root.backupDir() : root.dateDir();
}

QString backupFileName(const QDate& date) {
    return QStringLiteral("%1年%2月%3日.mdb").arg(date.year()).arg(date.month()).arg(date.day());
}

QString safetyCopyFileName(const QDateTime& when) {
    // Fixed digits, not the locale's: the names must sort by time.
    const QDate d = when.date();
    const QTime t = when.time();
    return kSafetyPrefix + QStringLiteral("%1%2%3-%4%5%6.mdb")
                               .arg(d.year(), 4, 10, QLatin1Char('0'))
                               .arg(d.month(), 2, 10, QLatin1Char('0'))
                               .arg(d.day(), 2, 10, QLatin1Char('0'))
                               .arg(t.hour(), 2, 10, QLatin1Char('0'))
                               .arg(t.minute(), 2, 10, QLatin1Char('0'))
                               .arg(t.second(), 2, 10, QLatin1Char('0'));
}

QString writeSafetyCopy(const DataRoot& root, ItemDatabase& database, const QDateTime& when,
                        const QString& keep) {
    const QString folder = root.backupDir();
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir()) return {};
    // Replacing an earlier copy would lose the catalogue it holds, and that
    // copy may be the very file a restore is reading.
    const QString name = safetyCopyFileName(when);
    QString target = folder + QLatin1Char('/') + name;
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = folder + QLatin1Char('/') + name.chopped(4) + QStringLiteral("-%1.mdb").arg(n);
    if (!database.backupTo(target)) return {};
    pruneSafetyCopies(folder, keep);
    return target;
}

}  // namespace hx::storage
