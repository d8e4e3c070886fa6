#include "platform/linux/lazy_network.h"

#include <QTimer>

#include "platform/linux/modules.h"

namespace hx::platform {

LazyNetwork::LazyNetwork(QStringList candidates) : candidates_(std::move(candidates)) {}

LazyNetwork::~LazyNetwork() = default;

QStringList LazyNetwork::defaultCandidates() {
#ifdef HX_NETWORK_MODULE
    return moduleCandidates(QStringLiteral("libhengxiu-network.so"),
                            QStringLiteral(HX_NETWORK_MODULE));
#else
    return moduleCandidates(QStringLiteral("libhengxiu-network.so"), QString());
#endif
}

Network* LazyNetwork::load() {
    if (!tried_) {
        tried_ = true;
        using Make = Network* (*)();
        if (auto make = reinterpret_cast<Make>(resolveInModules(candidates_, "hx_make_network")))
            network_.reset(make());
    }
    return network_.get();
}

void LazyNetwork::testConnectivity(std::function<void(bool online)> done) {
    if (Network* network = load()) return network->testConnectivity(std::move(done));
    // As the real one: the answer comes after the call has returned.
    QTimer::singleShot(0, this, [done = std::move(done)] { done(false); });
}

void LazyNetwork::get(const QUrl& url, std::function<void(bool ok, QByteArray body)> done) {
    if (Network* network = load()) return network->get(url, std::move(done));
    QTimer::singleShot(0, this, [done = std::move(done)] { done(false, {}); });
}

}  // namespace hx::platform
