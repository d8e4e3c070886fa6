#pragma once

#include <QNetworkAccessManager>
#include <QUrl>

#include "platform/network.h"

namespace hx::platform {

struct NetworkOptions {
    QUrl probeUrl;                // page whose headers prove the way out is open
    int probeTimeoutMs = 5000;    // headers must arrive within this
    int getTimeoutMs = 15000;     // whole GET, and the longest silence within it
    qint64 sizeCap = 1 << 20;     // a larger body fails the GET
    bool useReachability = true;  // consult the system's network state first

    // Probe address from HENGXIU_PROBE_URL, else a well-known page in China.
    static NetworkOptions fromEnvironment();
};

// Connectivity test and GET over QNetworkAccessManager. Callbacks run on the
// thread that created the object, always after the call has returned, exactly
// once, and never after the object is gone.
class LinuxNetwork final : public Network {
  public:
    // Hops a GET may take; each one must stay on http or https.
    static constexpr int kMaxRedirects = 5;

    explicit LinuxNetwork(NetworkOptions options = NetworkOptions::fromEnvironment());
    ~LinuxNetwork() override;

    void testConnectivity(std::function<void(bool online)> done) override;
    void get(const QUrl& url, std::function<void(bool ok, QByteArray body)> done) override;

    const NetworkOptions& options() const { return options_; }

  private:
    // False only when the system knows it is not online.
    bool systemMayBeOnline() const;
    void later(std::function<void()> call);

    NetworkOptions options_;
    QNetworkAccessManager manager_;
};

}  // namespace hx::platform
