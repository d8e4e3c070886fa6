#pragma once

#include <QDate>
#include <QString>

namespace hx::core {
class Session;
class Catalogue;
}  // namespace hx::core

namespace hx::appearance {

inline const QString kBackupDone = QStringLiteral(QT_TRANSLATE_NOOP("DataCommands", "备份成功！"));
inline const QString kBackupFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("DataCommands", "备份失败！"));
inline const QString kRestoreDone =
    QStringLiteral(QT_TRANSLATE_NOOP("DataCommands", "数据库恢复成功！程序即将重启！"));
inline const QString kRestoreFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("DataCommands", "数据库恢复失败！"));
inline const QString kClearQuestion =
    QStringLiteral(QT_TRANSLATE_NOOP("DataCommands", "是否清空所有的数据？"));
inline const QString kClearFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("DataCommands", "清空数据失败！"));
inline const QString kRestoreFilter =
    QStringLiteral(QT_TRANSLATE_NOOP("DataCommands", "数据库文件（*.mdb）|*.mdb"));

// "数据备份": an online copy of the live database to Date/Backup/<date>.mdb,
// replacing that day's earlier backup; reports the outcome in a box.
bool backupDatabase(core::Session& session, const QDate& today = QDate::currentDate());

enum class RestoreOutcome { Cancelled, Refused, Restored };

// "数据恢复": asks for a file, refuses anything that is not an item database
// before touching the live one, writes a safety copy, replaces the live file
// in one rename and asks for the re-initialisation.
RestoreOutcome restoreDatabase(core::Session& session, core::Catalogue& catalogue);

// "清空数据": after the question, a safety copy, Config.ini removed (but for
// the sync folder), the three
// tables emptied in one transaction, what quick open learnt forgotten, and the
// re-initialisation asked for.
// False when nothing was cleared.
bool clearDatabase(core::Session& session, core::Catalogue& catalogue);

}  // namespace hx::appearance
