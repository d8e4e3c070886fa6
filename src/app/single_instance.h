#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QWidget;

namespace hx::app {

// What a later start asks of the running program.
enum class PanelRequest { Show, Toggle };

// One running program per data root. The first start holds a lock file and a
// local socket, both named from the data root under XDG_RUNTIME_DIR; a later
// start on the same root hands its request over that socket instead of
// opening the same database and Config.ini a second time.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    explicit SingleInstance(const QString& dataRoot, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Full path of the socket for `dataRoot` (the lock file adds ".lock").
    static QString socketPath(const QString& dataRoot);

    // Takes the lock and starts listening. False when another live program
    // holds the root. A lock or socket left by a killed program is taken over.
    bool claim();

    // Sends `request` to the program that holds the root and waits for its
    // answer. False when nobody answered within `timeoutMs`.
    bool handOver(PanelRequest request, int timeoutMs = 3000);

  signals:
    void requested(hx::app::PanelRequest request);

  private:
    void serve();

    QString socketPath_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
};

// Show: brings the panel back from hidden or minimised and raises it.
// Toggle: as Show, except that the active panel is minimised instead.
void applyPanelRequest(QWidget& panel, PanelRequest request);

}  // namespace hx::app
