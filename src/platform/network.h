#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>

namespace hx::platform {

// Asynchronous: callbacks arrive later on the calling (user-interface) thread.
class Network {
public:
    virtual ~Network() = default;
    // Reachability plus a probe request; never delays the caller.
    virtual void testConnectivity(std::function<void(bool online)> done) = 0;
    // GET with a time-out and a size cap; ok false on any failure.
    virtual void get(const QUrl& url, std::function<void(bool ok, QByteArray body)> done) = 0;
};

}  // namespace hx::platform
