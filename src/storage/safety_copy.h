#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include "storage/data_root.h"

namespace hx::storage {

class ItemDatabase;

// The name of a dated backup: "YYYY年M月D日.mdb", no leading zeros, whatever
// the locale.
QString backupFileName(const QDate& date);

// The name of an automatic safety copy: "自动备份-YYYYMMDD-HHMMSS.mdb".
QString safetyCopyFileName(const QDateTime& when);

// Where the restore dialog opens: Date/Backup when it is a folder, else Date.
// A folder that is not there would open its parent with the missing name
// typed in the file-name box.
QString restoreStartFolder(const DataRoot& root);

// How many safety copies are kept; older ones are removed after each new one.
inline constexpr int kSafetyCopiesKept = 10;

// Writes Date/Backup/自动备份-<now>.mdb from the open database through the
// backup API, then keeps only the newest kSafetyCopiesKept copies. Called
// before a whole-catalogue change the user cannot take back (restore, clear),
// so that a restore can undo it. An existing copy is never replaced: a second
// copy within the same second is named "...-HHMMSS-2.mdb". `keep` (the file a
// restore is about to read) is never pruned. The path written, or empty on
// failure.
QString writeSafetyCopy(const DataRoot& root, ItemDatabase& database,
                        const QDateTime& when = QDateTime::currentDateTime(),
                        const QString& keep = QString());

}  // namespace hx::storage
