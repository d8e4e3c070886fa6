#include "appearance/data_commands.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "appearance/file_filter.h"
#include "core/catalogue.h"
#include "core/database_connection.h"
#include "core/session.h"
#include "storage/safety_copy.h"

namespace hx::appearance {
namespace {

// The constants stay the source texts, which tests compare; boxes show them translated.
QString shown(const QString& source) {
    return QCoreApplication::translate("DataCommands", qUtf8Printable(source));
}

// A catalogue that cannot be copied first is not replaced: the copy is what
// makes the step undoable. A database that is not open has nothing to keep.
// `source`, the file a restore reads, is never pruned to make room.
bool keepSafetyCopy(core::Session& session, const QString& source = QString()) {
    storage::ItemDatabase& db = session.database();
    if (!db.isOpen()) return true;
    return !storage::writeSafetyCopy(session.root(), db, QDateTime::currentDateTime(), source)
                .isEmpty();
}

// A catalogue that can only be read is neither replaced nor cleared.
bool refusedAsReadOnly(core::Session& session) {
    if (!session.database().isReadOnly()) return false;
    session.dialogs().failure(core::refusalText(storage::ItemDatabase::Refusal::ReadOnly));
    return true;
}

}  // namespace

bool backupDatabase(core::Session& session, const QDate& today) {
    const QString folder = session.root().backupDir();
    QDir().mkpath(folder);
    const QString target = folder + QLatin1Char('/') + storage::backupFileName(today);
    const bool ok = QFileInfo(folder).isDir() && session.database().backupTo(target);
    if (ok)
        session.dialogs().notice(shown(kBackupDone));
    else
        session.dialogs().failure(shown(kBackupFailed));
    return ok;
}

RestoreOutcome restoreDatabase(core::Session& session, core::Catalogue& catalogue) {
    if (refusedAsReadOnly(session)) return RestoreOutcome::Refused;
    const QString chosen =
        session.dialogs().openFile(QString(), storage::restoreStartFolder(session.root()),
                                   qtFileFilter(shown(kRestoreFilter)));
    if (chosen.isEmpty()) return RestoreOutcome::Cancelled;

    storage::ItemDatabase& db = session.database();
    const bool ok = storage::ItemDatabase::canRestoreFrom(chosen, session.root().databasePath()) &&
                    keepSafetyCopy(session, chosen) &&
                    db.restoreFrom(chosen, session.root().databasePath());
    if (!ok) {
        session.dialogs().failure(shown(kRestoreFailed));
        return RestoreOutcome::Refused;
    }
    session.dialogs().show(shown(kRestoreDone));
    catalogue.requestReinitialisation();
    return RestoreOutcome::Restored;
}

bool clearDatabase(core::Session& session, core::Catalogue& catalogue) {
    // Nothing is cleared, Config.ini included, when the catalogue cannot be.
    if (refusedAsReadOnly(session)) return false;
    if (!session.dialogs().askDestructive(shown(kClearQuestion))) return false;
    if (!keepSafetyCopy(session)) {
        session.dialogs().failure(shown(kClearFailed));
        return false;
    }
    // The sync folder stays: the clear reaches the other machines through it.
    const QString syncFolder = session.config().syncFolder();
    QFile::remove(session.root().configPath());
    if (!syncFolder.isEmpty()) session.config().setSyncFolder(syncFolder);
    catalogue.reset();
    session.database().clearAll();
    session.usage().clear();
    catalogue.requestReinitialisation();
    return true;
}

}  // namespace hx::appearance
