#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

#include "platform/network.h"

namespace hx::platform {

// Loads the network module (Qt Network and the libraries behind it) on the
// first request and hands every request to it. Without the module every
// request fails, later, as an unreachable network does.
class LazyNetwork final : public QObject, public Network {
  public:
    explicit LazyNetwork(QStringList candidates = defaultCandidates());
    ~LazyNetwork() override;

    void testConnectivity(std::function<void(bool online)> done) override;
    void get(const QUrl& url, std::function<void(bool ok, QByteArray body)> done) override;
    bool moduleLoaded() const { return network_ != nullptr; }

    static QStringList defaultCandidates();

  private:
    Network* load();

    QStringList candidates_;
    bool tried_ = false;
    std::unique_ptr<Network> network_;
};

}  // namespace hx::platform
