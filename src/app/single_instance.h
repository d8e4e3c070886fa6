#pragma once

#include <QElapsedTimer>
#include <QLockFile>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <memory>

class QLocalSocket;
class QWidget;

namespace hx::app {

// What a later start asks of the running program.
enum class PanelRequest { Show, Toggle };

// One running program per data root. The first start holds a lock file and a
// local socket, both named from the data root in a private folder of the user
// (XDG_RUNTIME_DIR, else <temp>/hengxiu-toolbox-UID); a later start on the
// same root hands its request over that socket instead of opening the same
// database and Config.ini a second time.
//
// Every client gets one short request, answered, then the connection ends;
// few connections are served at once and none for long, so that no local
// process can keep the socket from the next start.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    enum class Claim {
        Held,   // ours: serve requests
        Taken,  // another live program holds the root
        Failed  // no safe place for the lock: running would risk a second panel
    };

    struct Limits {
        int maxConnections = 32;
        int connectionMs = 2000;  // a connection is closed this long after it came
        int toggleSpanMs = 300;   // toggles closer together than this count once
    };

    explicit SingleInstance(const QString& dataRoot, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Full path of the socket for `dataRoot` (the lock file adds ".lock");
    // empty when the user has no private folder to keep it in.
    static QString socketPath(const QString& dataRoot);

    // For tests: set before claim().
    void setLimits(const Limits& limits) { limits_ = limits; }

    // Takes the lock and starts listening. A lock or socket left by a killed
    // program is taken over.
    Claim claim();

    // Why claim() failed, for the user.
    QString errorString() const { return error_; }

    // Sends `request` to the program that holds the root and waits for its
    // answer. False when nobody answered within `timeoutMs`.
    bool handOver(PanelRequest request, int timeoutMs = 3000);

  signals:
    void requested(hx::app::PanelRequest request);

  private:
    bool listen();
    void acceptPending();
    void serve(QLocalSocket* socket);
    void deliver(PanelRequest request);

    QString socketPath_;
    QString error_;
    std::unique_ptr<QLockFile> lock_;
    Limits limits_;
    int listener_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    int connections_ = 0;
    PanelRequest lastRequest_ = PanelRequest::Show;
    QElapsedTimer lastRequestClock_;
};

// Show: brings the panel back from hidden or minimised and raises it.
// Toggle: as Show, except that the active panel is minimised instead.
void applyPanelRequest(QWidget& panel, PanelRequest request);

}  // namespace hx::app
