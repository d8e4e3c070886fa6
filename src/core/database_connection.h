#pragma once

#include <QString>

#include "storage/item_database.h"

namespace hx::core {

class Catalogue;
class Session;

// The parts of the main window that connecting to the database touches.
class ConnectingWindow {
  public:
    virtual ~ConnectingWindow() = default;
    virtual void setStatusText(const QString& text) = 0;  // status bar part 0
    virtual void removeTrayIcon() = 0;
};

enum class ConnectResult { Connected, Failed, Declined };

inline const QString kMissingDatabaseText = QStringLiteral(
    QT_TRANSLATE_NOOP("Database",
                      "系统检测不到数据库，可能数据库文件已经丢失或者损坏。\r\n"
                      "系统暂时无法复原以前数据，点击【是】后将自动初始化数据库..."));
inline const QString kMissingDatabaseTitle =
    QStringLiteral(QT_TRANSLATE_NOOP("Database", "出错啦！！！"));
inline const QString kConnectedText =
    QStringLiteral(QT_TRANSLATE_NOOP("Database", "连接数据库成功！"));
inline const QString kConnectFailedText =
    QStringLiteral(QT_TRANSLATE_NOOP("Database", "数据库连接失败！"));

// Said once at start and for every change refused, when the catalogue can
// only be read (a read-only medium).
inline const QString kReadOnlyText =
    QStringLiteral(QT_TRANSLATE_NOOP("Database", "数据库文件是只读的，所做的更改无法保存。"));
inline const QString kReadOnlyStatus = QStringLiteral(QT_TRANSLATE_NOOP("Database", "数据库只读"));

// Why the database refused a change, in the user's language.
QString refusalText(storage::ItemDatabase::Refusal refusal);

// Connects to Date/QVdata.mdb, offering to create an empty database when none
// exists; a database created asks the catalogue for a re-initialisation.
// Declined means the user refused: the caller ends the process with exit
// code 0 and writes nothing.
ConnectResult connectAndInitialise(Session& session, ConnectingWindow& window,
                                   Catalogue& catalogue);

}  // namespace hx::core
