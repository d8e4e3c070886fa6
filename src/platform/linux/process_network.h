#pragma once

#include <QObject>
#include <QStringList>

#include "platform/network.h"

class QProcess;

namespace hx::platform {

// Every request runs in the helper program hengxiu-fetch, started for it and
// gone when it ends: the panel maps no network library and keeps no memory of
// one. Callbacks run on this object's thread, after the call has returned,
// exactly once, and never after the object is gone. Without the helper, or
// when it fails, hangs or says too much, the request fails as an unreachable
// network does.
class ProcessNetwork final : public QObject, public Network {
  public:
    struct Limits {
        int probeMs = 5000 + 3000;  // the helper's own bound, and a margin for its start
        int getMs = 15000 + 3000;
        qint64 sizeCap = 1 << 20;  // as the helper's; more output is a fault
    };

    explicit ProcessNetwork(QStringList candidates = defaultCandidates());
    ProcessNetwork(QStringList candidates, Limits limits);
    ~ProcessNetwork() override;

    void testConnectivity(std::function<void(bool online)> done) override;
    void get(const QUrl& url, std::function<void(bool ok, QByteArray body)> done) override;

    // Helpers still running.
    int running() const;

    static QStringList defaultCandidates();

  private:
    void run(const QStringList& arguments, int limitMs,
             std::function<void(bool ok, QByteArray output)> done);
    QString helper();

    QStringList candidates_;
    Limits limits_;
    QString helper_;
    bool searched_ = false;
};

}  // namespace hx::platform
