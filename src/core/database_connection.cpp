#include "core/database_connection.h"

#include <QDir>
#include <QFileInfo>

#include "core/session.h"

namespace hx::core {

ConnectResult connectAndInitialise(Session& session, ConnectingWindow& window) {
    const storage::DataRoot& root = session.root();
    const QString path = root.databasePath();

    if (!QFileInfo::exists(path)) {
        if (!session.dialogs().ask(kMissingDatabaseText, kMissingDatabaseTitle,
                                   MessageIcon::Error)) {
            window.removeTrayIcon();
            return ConnectResult::Declined;
        }
        QDir().mkpath(root.dateDir());
        root.ensureLayout(true);
        // Only reinitialise when the file really came into being; otherwise the
        // reinitialisation would ask the same question again, forever.
        if (storage::ItemDatabase::createEmpty(path)) window.requestReinitialisation();
    } else {
        root.ensureLayout(true);
    }

    if (session.database().open(path)) {
        window.setStatusText(kConnectedText);
        return ConnectResult::Connected;
    }
    session.dialogs().failure(kConnectFailedText);
    return ConnectResult::Failed;
}

}  // namespace hx::core
