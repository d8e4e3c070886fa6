#pragma once

#include <QFileSystemWatcher>
#include <QFuture>
#include <QObject>
#include <QQueue>
#include <QStringList>
#include <QTimer>
#include <memory>

#include "core/sync_replica.h"

namespace hx::core {

class Session;
class Catalogue;

// Keeps the catalogue in step with the other data roots that write into the
// same sync folder (Config.ini [同步] 文件夹; none: no sync): about two
// seconds after a change this root's file is written again, and whenever
// another root's file changes it is merged. Rounds run on a worker, one at a
// time; the catalogue then shows what they stored. Export and import of the
// same format go through the same rounds.
class SyncEngine : public QObject {
    Q_OBJECT
  public:
    static constexpr int kWriteDelayMs = 2000;
    // Sync tools write a file in several steps: the merge waits for them to settle.
    static constexpr int kReadDelayMs = 300;

    SyncEngine(Session& session, Catalogue& catalogue, QObject* parent = nullptr);
    // Waits for a round under way.
    ~SyncEngine() override;

    // The folder as stored; setting it ("" turns the sync off) follows it at once.
    QString folder() const;
    void setFolder(const QString& folder);

    // Follows the stored folder and merges it; after every (re)connection.
    void start();
    // Before the database closes: the round under way ends, and a write still
    // due is made now.
    void finish();

    // A copy of the catalogue into `file`; the outcome comes as exportFinished.
    void exportTo(const QString& file);
    // `file` merged as another root's file; the outcome comes as importFinished.
    void importFrom(const QString& file);

    // A round as soon as none runs (otherwise the timers ask for one).
    void requestRound() { runRound(); }

    bool idle() const;
    // Runs every round due now, timers or not, until none is left (tests).
    void waitForIdle();

  signals:
    // For the status bar: a short text, and the details behind it.
    void notice(const QString& text, const QString& details);
    void exportFinished(bool ok, const QString& error);
    void importFinished(bool ok, const QString& error);
    void roundFinished();

  private:
    void changedHere();
    void runRound();
    void roundDone(const sync::Replica::Outcome& outcome, const sync::Replica::Round& round);
    void showStored(const sync::Touched& touched);
    void watchFolder();
    QString leftOutText(const sync::LeftOut& left) const;

    Session& session_;
    Catalogue& catalogue_;
    std::unique_ptr<sync::Replica> replica_;
    QString folder_;  // as a path; empty: off
    QTimer writeTimer_;
    QTimer readTimer_;
    QFileSystemWatcher watcher_;
    QFuture<void> future_;
    bool running_ = false;
    bool due_ = false;         // a round was asked for while one ran
    bool changedHere_ = true;  // the database changed since the last round
    bool missingSaid_ = false;
    QQueue<sync::Replica::Round> requests_;
    QStringList leftOutShown_;
};

}  // namespace hx::core
