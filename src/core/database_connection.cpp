#include "core/database_connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "core/catalogue.h"
#include "core/session.h"

namespace hx::core {
namespace {

QString shown(const QString& source) {
    return QCoreApplication::translate("Database", qUtf8Printable(source));
}

}  // namespace

ConnectResult connectAndInitialise(Session& session, ConnectingWindow& window,
                                   Catalogue& catalogue) {
    const storage::DataRoot& root = session.root();
    const QString path = root.databasePath();

    if (!QFileInfo::exists(path)) {
        if (!session.dialogs().ask(shown(kMissingDatabaseText), shown(kMissingDatabaseTitle),
                                   MessageIcon::Error)) {
            window.removeTrayIcon();
            return ConnectResult::Declined;
        }
        QDir().mkpath(root.dateDir());
        root.ensureLayout(true);
        // Only reinitialise when the file really came into being; otherwise the
        // reinitialisation would ask the same question again, forever.
        if (storage::ItemDatabase::createEmpty(path)) catalogue.requestReinitialisation();
    } else {
        root.ensureLayout(true);
    }

    if (session.database().open(path)) {
        window.setStatusText(shown(kConnectedText));
        return ConnectResult::Connected;
    }
    session.dialogs().failure(shown(kConnectFailedText));
    return ConnectResult::Failed;
}

}  // namespace hx::core
