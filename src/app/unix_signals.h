#pragma once

#include <QObject>
#include <QSocketNotifier>

namespace hx::app {

// Turns SIGTERM and SIGINT into a Qt signal on the user-interface thread, so
// an ending by signal still runs the orderly shut-down.
class UnixSignals : public QObject {
    Q_OBJECT
  public:
    explicit UnixSignals(QObject* parent = nullptr);
    ~UnixSignals() override;

  signals:
    void terminationRequested(int signalNumber);

  private:
    static void handle(int signalNumber);
    static int fds_[2];
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace hx::app
