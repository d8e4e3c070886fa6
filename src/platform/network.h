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
    // GET of an http or https address. One time-out bounds the whole transfer,
    // a size cap bounds the body, and at most five redirects are followed, each
    // only to http or https. The body is handed over as received bytes (a GBK
    // page stays GBK). ok false, with no body, on any failure.
    virtual void get(const QUrl& url, std::function<void(bool ok, QByteArray body)> done) = 0;
};

}  // namespace hx::platform
