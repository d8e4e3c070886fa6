#pragma once

#include <QFutureWatcher>
#include <QHash>
#include <QImage>
#include <QVector>
#include <QWidget>
#include <functional>

#include "items/pinyin_index.h"
#include "storage/item_database.h"

class QLineEdit;
class QListWidget;

namespace hx::app {

// A search line laid over the item grid, opened by typing on the grid. It
// finds an entry of any category by name or pinyin; Enter opens it, Esc
// closes the line and leaves the panel as it was.
class QuickOpen : public QWidget {
    Q_OBJECT
  public:
    struct Controls {
        QLineEdit* line = nullptr;       // "quickOpenLine"
        QListWidget* results = nullptr;  // "quickOpenResults"
    };
    using Opener = std::function<void(const QString& link)>;
    using IconSource = std::function<QImage(const QString& iconText, int size)>;
    struct InstalledEntry {
        QString name;
        QString link;  // the .desktop path
    };

    // Watches `grid` for typing and covers it while open.
    QuickOpen(QWidget* grid, storage::ItemDatabase& database, Opener open, IconSource icons);
    ~QuickOpen() override;

    // Null until the first search.
    const Controls& controls() const { return c_; }
    // Starts the search with `text` already typed.
    void begin(const QString& text);
    void finish();
    bool indexReady() const { return !watcher_.isRunning(); }
    // Programs of the desktop's menu, listed below the catalogue's matches
    // unless the catalogue already links to them.
    void setInstalledPrograms(QVector<InstalledEntry> programs);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Loaded {
        QVector<storage::ItemRow> rows;
        items::PinyinIndex index;
        QVector<InstalledEntry> installed;  // those the catalogue does not link to
        items::PinyinIndex installedIndex;
    };
    void buildControls();
    void reload();
    void refresh();
    void openCurrent();
    static QString keyOf(const storage::ItemRow& row);

    QWidget* grid_;
    storage::ItemDatabase& database_;
    Opener open_;
    IconSource icons_;
    Controls c_;
    Loaded loaded_;
    QFutureWatcher<Loaded> watcher_;
    QHash<QString, qint64> openedAt_;  // by entry, a counter that grows with each opening
    qint64 openings_ = 0;
    std::vector<std::size_t> shown_;
    QVector<InstalledEntry> installed_;
    std::vector<std::size_t> shownInstalled_;  // listed after shown_
};

}  // namespace hx::app
