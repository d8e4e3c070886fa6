#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <functional>
#include <memory>

namespace SQLite {
class Database;
}

namespace hx::storage {

// What the panel has opened, for ranking quick open: a weight per entry that
// halves every two weeks (each opening adds one), so both frequent and recent
// entries rise; and the entry picked last for each typed text. Kept in a file
// of its own, read on first use and written in order on one worker thread;
// a write that fails loses the record, never the opening. A file that SQLite
// cannot read is set aside beside itself and started afresh.
class UsageStore {
  public:
    static constexpr double kHalfLifeSeconds = 14 * 24 * 3600.0;
    struct Limits {
        int entries = 10000;
        int picks = 1000;
    };

    struct Pick {
        QString key;
        qint64 stamp = 0;
    };
    struct Snapshot {
        QHash<QString, double> weights;  // by key, decayed to the time asked for
        QHash<QString, Pick> picks;      // by typed text
        // The key picked for `typed`, else the latest picked for a longer text
        // that starts with it; empty when none.
        QString pickFor(const QString& typed) const;
    };

    explicit UsageStore(QString path);
    UsageStore(QString path, Limits limits);
    // `keepOff`: files the usage file must never turn out to be, through a
    // link or under a second name (the catalogue). Such a file, and anything
    // but a regular file, is left alone: this run learns in memory only.
    UsageStore(QString path, Limits limits, QStringList keepOff);
    ~UsageStore();
    UsageStore(const UsageStore&) = delete;
    UsageStore& operator=(const UsageStore&) = delete;

    // Keys: an entry of the catalogue, and an installed program by its link.
    static QString entryKey(const QString& category, const QString& column, const QString& name,
                            const QString& link);
    static QString programKey(const QString& link);

    const QString& path() const { return path_; }
    // Waits for every change asked for before: call it off the interface thread.
    Snapshot snapshot(qint64 now = currentTime());
    // An opening of `key`, picked for `typed` when that is not empty.
    void record(const QString& key, const QString& typed = QString(), qint64 now = currentTime());
    // Forgets catalogue entries not in `present` (installed programs stay).
    void keepOnlyEntries(QSet<QString> present);
    void clear();
    // Waits until everything asked for is written (tests, shut-down).
    void flush() const;

    static qint64 currentTime();

  private:
    struct Usage {
        double weight = 0;
        qint64 stamp = 0;
    };
    void post(std::function<void()> task);
    void load();  // worker only
    void setAside();
    template <class Fn>
    void write(const char* what, Fn&& fn);

    QString path_;
    Limits limits_;
    QStringList keepOff_;
    mutable QThreadPool worker_;
    // Worker-thread state.
    std::unique_ptr<SQLite::Database> db_;
    bool loaded_ = false;
    QHash<QString, Usage> usage_;
    QHash<QString, Pick> picks_;
};

}  // namespace hx::storage
