#include "storage/safety_copy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "storage/item_database.h"

namespace hx::storage {
namespace {

const QString kSafetyPrefix = QStringLiteral("自动备份-");

void pruneSafetyCopies(const QString& folder) {
    // The names sort by time, so name order is age order.
    QStringList copies = QDir(folder).entryList({kSafetyPrefix + QStringLiteral("*.mdb")},
                                                QDir::Files, QDir::Name);
    while (copies.size() > kSafetyCopiesKept) QFile::remove(folder + QLatin1Char('/') + copies.takeFirst());
}

}  // namespace

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

QString writeSafetyCopy(const DataRoot& root, ItemDatabase& database, const QDateTime& when) {
    const QString folder = root.backupDir();
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir()) return {};
    const QString target = folder + QLatin1Char('/') + safetyCopyFileName(when);
    if (!database.backupTo(target)) return {};
    pruneSafetyCopies(folder);
    return target;
}

}  // namespace hx::storage
