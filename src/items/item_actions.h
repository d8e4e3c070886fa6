#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <functional>
#include <optional>
#include <utility>

#include "platform/desktop.h"
#include "platform/path_facts.h"
#include "storage/item_database.h"

namespace hx::core {
class Session;
class Catalogue;
}  // namespace hx::core

namespace hx::items {

class Launcher;

// The launcher "生成桌面快捷方式" writes for an entry named `name` whose
// stored link is `link`; `facts` describe the link as a path.
platform::LauncherFile desktopLauncherFor(const QString& name, const QString& link,
                                          const platform::PathFacts& facts);

// The launcher's path in `desktopDir`, or none when the entry text cannot be
// a file name there (empty, ".", "..", holding "/" or NUL, or too long).
std::optional<QString> desktopShortcutPath(const QString& desktopDir, const QString& name);

// What the item menu does with the catalogue's selected entry, and files
// dropped on the grid. Each action reads the selected row afresh and does
// nothing without a selection. Owns the queue of running drops.
class ItemActions : public QObject {
    Q_OBJECT
  public:
    using Inspect = std::function<platform::PathFacts(const QString& path)>;
    // Puts text on the clipboard; true when it arrived there.
    using CopyText = std::function<bool(const QString& text)>;

    // Paths handled per turn of the event loop before the drop yields.
    static constexpr qint64 kDropSliceNs = 8'000'000;

    ItemActions(core::Session& session, core::Catalogue& catalogue, Launcher& launcher,
                QObject* parent = nullptr);
    ~ItemActions() override;

    void setInspect(Inspect inspect) { inspect_ = std::move(inspect); }
    void setCopyText(CopyText copy) { copyText_ = std::move(copy); }

    // A left click or Enter on the grid: opens the selected entry's link.
    void openCurrent();
    // "查看路径": the stored link in a box titled with the entry's name.
    void viewLink();
    void deleteCurrent();
    void copyLink();
    void showProperties();
    void browseFolder();
    void createDesktopShortcut();

    // Files dropped on the grid, in the order the file manager gave them.
    // Large drops are stored and shown a slice at a time; a drop that comes
    // while another runs waits for it.
    void filesDropped(const QList<QUrl>& urls);
    void dropPaths(const QStringList& paths);
    bool dropRunning() const { return !drops_.empty(); }

  signals:
    void dropFinished();

  private:
    struct Drop {
        QString category;
        QString column;
        QStringList paths;
        qsizetype next = 0;
        // Name (folded as the database compares names) and link of every row.
        QSet<std::pair<QString, QString>> known;
        bool loaded = false;
    };

    // The selected entry's stored name and link; false when no action should follow.
    bool readCurrentLink(QString* name, QString* link);
    void runDropSlice();
    void finishDrop();
    void storeBatch(Drop& drop, QVector<storage::ItemRow>& rows, QVector<QImage>& pictures);

    core::Session& session_;
    core::Catalogue& catalogue_;
    Launcher& launcher_;
    Inspect inspect_;
    CopyText copyText_;
    std::deque<Drop> drops_;
    QTimer dropTimer_;
    bool busy_ = false;  // a slice is running (its message box may spin the loop)
};

}  // namespace hx::items
