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

QString refusalText(storage::ItemDatabase::Refusal refusal) {
    using Refusal = storage::ItemDatabase::Refusal;
    switch (refusal) {
        case Refusal::ReadOnly:
            return shown(kReadOnlyText);
        case Refusal::TooLong:
            return QCoreApplication::translate("Database",
                                               "文字太长，未能保存：分类和栏目名称最多 %1 "
                                               "个字，名称、链接和图标最多 %2 个字。")
                .arg(storage::ItemDatabase::kCategoryLength)
                .arg(storage::ItemDatabase::kTextLength);
        case Refusal::DiskFull:
            return QCoreApplication::translate("Database", "磁盘已满，更改未能保存。");
        case Refusal::Busy:
            return QCoreApplication::translate("Database",
                                               "数据库正被其他程序使用，更改未能保存。");
        case Refusal::None:
        case Refusal::Other:
            break;
    }
    return QCoreApplication::translate("Database", "数据库拒绝了这次更改，未能保存。");
}

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

    storage::ItemDatabase& db = session.database();
    if (db.open(path)) {
        if (!db.isReadOnly()) {
            window.setStatusText(shown(kConnectedText));
            return ConnectResult::Connected;
        }
        window.setStatusText(shown(kReadOnlyStatus));
        session.dialogs().show(shown(kReadOnlyText), {}, MessageIcon::Warning);
        return ConnectResult::Connected;
    }
    session.dialogs().failure(shown(kConnectFailedText));
    return ConnectResult::Failed;
}

}  // namespace hx::core
