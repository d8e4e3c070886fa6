#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QVector>
#include <functional>

namespace hx::platform {

// One application of the desktop's menu.
struct InstalledApp {
    QString path;   // its .desktop file: what a stored launcher links to
    QString name;   // Name[zh_CN], else Name; one line, at most a stored name's length
    QString group;  // its freedesktop main category ("AudioVideo", ...); empty for any other
    friend bool operator==(const InstalledApp&, const InstalledApp&) = default;
};

// The freedesktop main categories, in the order their groups are listed.
const QStringList& mainCategories();
// The first main category of a Categories= list (Audio and Video count as
// AudioVideo); empty when it names none.
QString mainCategoryOf(const QStringList& categories);

// Where desktop entries live, the one that wins first: $XDG_DATA_HOME/applications,
// then each $XDG_DATA_DIRS/applications (~/.local/share and /usr/local/share:/usr/share
// when unset, as freedesktop.org has it).
QStringList applicationFolders();

// Every application of `folders`, in name order (code points). A desktop file id found in an
// earlier folder hides the same id later on. Left out: Hidden, NoDisplay, not
// shown on this desktop (OnlyShowIn/NotShowIn), a TryExec or Exec program that
// is missing, any other type. A file that is not a regular file of launcher size
// or cannot be parsed is skipped with one line on stderr. Nothing is run.
// Safe on any thread.
QVector<InstalledApp> scanInstalledApps(const QStringList& folders);

// The installed programs, read on a worker when first asked to start (quick
// open's first opening, the window) and read again
// whenever the system's list of applications changes (GIO's GAppInfoMonitor).
class InstalledApps : public QObject {
    Q_OBJECT
  public:
    using Folders = std::function<QStringList()>;
    explicit InstalledApps(Folders folders = applicationFolders, QObject* parent = nullptr);
    ~InstalledApps() override;

    // Reads the list on a worker and watches for changes; later calls do nothing.
    void start();
    // Reads the list again (a read already running is followed by one more).
    void rescan();
    bool started() const { return started_; }
    bool ready() const { return ready_; }
    const QVector<InstalledApp>& apps() const { return apps_; }
    // Blocks until no read is running and its result is in apps() (tests, benchmarks).
    void waitForIdle();

  signals:
    void changed();

  private:
    void finished(QVector<InstalledApp> apps);
    void watch();

    Folders folders_;
    bool started_ = false;
    bool ready_ = false;
    bool again_ = false;
    QThread* worker_ = nullptr;
    QVector<InstalledApp> result_;
    QVector<InstalledApp> apps_;
    QTimer settle_;  // one read for a burst of changes
    void* monitor_ = nullptr;
    unsigned long handler_ = 0;
};

}  // namespace hx::platform
