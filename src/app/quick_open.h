#pragma once

#include <QFutureWatcher>
#include <QHash>
#include <QImage>
#include <QUrl>
#include <QVector>
#include <QWidget>
#include <functional>
#include <optional>

#include "items/pinyin_index.h"
#include "storage/item_database.h"
#include "storage/usage_store.h"

class QLineEdit;
class QListWidget;

namespace hx::app {

// A search line laid over the item grid, opened by typing on the grid. It
// finds an entry of any category, or an installed program, by name or
// pinyin, ranked by how well it matches and then by how much it is used; the
// entry picked last for a text comes first when that text is typed again.
// Below the matches: the value of an arithmetic text, and a web search.
// Enter opens the chosen row, Esc closes the line and leaves the panel as it was.
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
        QString link;  // a .desktop file
    };
    enum class RowKind { Entry, Calculation, WebSearch };

    // Used when Config.ini names no search address of its own.
    static inline const QString kDefaultSearchAddress =
        QStringLiteral("https://www.bing.com/search?q=%s");

    // Watches `grid` for typing and covers it while open. `searchAddress`
    // gives the configured web search address ("" when none).
    QuickOpen(QWidget* grid, storage::ItemDatabase& database, storage::UsageStore& usage,
              Opener open, IconSource icons, std::function<QString()> searchAddress = {});
    ~QuickOpen() override;

    // Shown below the catalogue's matches of the same kind; one whose link
    // is already in the catalogue is not shown twice.
    void setInstalledPrograms(QVector<InstalledEntry> programs);

    // The address searching for `text`: `%s` in `address` takes the
    // percent-encoded text (else it is added at the end). Nothing unless
    // the address is http or https.
    static std::optional<QUrl> webSearchUrl(const QString& address, const QString& text);

    // Null until the first search.
    const Controls& controls() const { return c_; }
    // Starts the search with `text` already typed.
    void begin(const QString& text);
    void finish();
    bool indexReady() const { return !watcher_.isRunning(); }
    RowKind rowKind(int row) const;

  signals:
    // The line is opening: what it lists besides the catalogue is wanted now.
    void opening();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Loaded {
        QVector<storage::ItemRow> rows;  // the catalogue, then installed programs
        qsizetype catalogueCount = 0;
        std::vector<QString> keys;    // usage key by row
        std::vector<double> weights;  // usage by row
        QHash<QString, std::size_t> rowOfKey;
        storage::UsageStore::Snapshot usage;
        items::PinyinIndex index;
    };
    struct Shown {
        RowKind kind = RowKind::Entry;
        std::size_t row = 0;
        QString value;  // the calculation's value, or the search address
    };
    void buildControls();
    void reload();
    void refresh();
    void openCurrent();
    QWidget* grid_;
    storage::ItemDatabase& database_;
    storage::UsageStore& usage_;
    Opener open_;
    IconSource icons_;
    std::function<QString()> searchAddress_;
    QVector<InstalledEntry> programs_;
    Controls c_;
    Loaded loaded_;
    QFutureWatcher<Loaded> watcher_;
    bool reloadAgain_ = false;  // programs arrived during a read
    std::vector<Shown> shown_;
};

}  // namespace hx::app
