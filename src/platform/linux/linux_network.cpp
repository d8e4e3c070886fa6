#include "platform/linux/linux_network.h"

#include <QNetworkInformation>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <memory>

namespace hx::platform {

namespace {

// The first answer wins: an abort after success must not report a failure.
struct Once {
    bool answered = false;
};

// Stops a transfer once its answer is known. Deferred: aborting inside the
// reply's own signal makes it report a second error.
void release(QNetworkReply* reply) {
    QTimer::singleShot(0, reply, [reply] {
        if (!reply->isFinished()) reply->abort();
        reply->deleteLater();
    });
}

bool isWebAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

}  // namespace

NetworkOptions NetworkOptions::fromEnvironment() {
    NetworkOptions options;
    const QString probe = qEnvironmentVariable("HENGXIU_PROBE_URL");
    options.probeUrl = QUrl(probe.isEmpty() ? QStringLiteral("http://www.baidu.com/") : probe);
    return options;
}

LinuxNetwork::LinuxNetwork(NetworkOptions options) : options_(std::move(options)) {}

LinuxNetwork::~LinuxNetwork() {
    // Replies die with the manager; their aborts must not call back into owners
    // that are being torn down too.
    for (QNetworkReply* reply : manager_.findChildren<QNetworkReply*>()) {
        reply->disconnect();
        reply->abort();
    }
}

void LinuxNetwork::later(std::function<void()> call) {
    QTimer::singleShot(0, &manager_, std::move(call));
}

bool LinuxNetwork::systemMayBeOnline() const {
    if (!options_.useReachability) return true;
    static const bool loaded = QNetworkInformation::loadDefaultBackend();
    QNetworkInformation* info = loaded ? QNetworkInformation::instance() : nullptr;
    if (!info || !info->supports(QNetworkInformation::Feature::Reachability)) return true;
    const auto state = info->reachability();
    return state == QNetworkInformation::Reachability::Unknown ||
           state == QNetworkInformation::Reachability::Online;
}

void LinuxNetwork::testConnectivity(std::function<void(bool online)> done) {
    if (!done) return;
    if (!systemMayBeOnline() || !options_.probeUrl.isValid()) {
        later([done] { done(false); });
        return;
    }
    QNetworkRequest request(options_.probeUrl);
    request.setTransferTimeout(options_.probeTimeoutMs);
    // A redirect already proves the page answered.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply = manager_.head(request);
    auto once = std::make_shared<Once>();
    auto answer = [done, once, reply](bool ok) {
        if (once->answered) return;
        once->answered = true;
        release(reply);
        done(ok);
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, answer] {
        // Headers are enough; nothing of the body is wanted.
        if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) answer(true);
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, answer] {
        answer(reply->error() == QNetworkReply::NoError ||
               reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid());
    });
    QTimer::singleShot(options_.probeTimeoutMs, reply, [answer] { answer(false); });
}

void LinuxNetwork::get(const QUrl& url, std::function<void(bool ok, QByteArray body)> done) {
    if (!done) return;
    if (!isWebAddress(url)) {
        later([done] { done(false, {}); });
        return;
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(options_.getTimeoutMs);
    // A reply must not steer us to file: or other local schemes, from https
    // down to http, or keep us bouncing: Qt refuses all three under this
    // policy, and every hop is checked again below.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    QNetworkReply* reply = manager_.get(request);
    auto once = std::make_shared<Once>();
    const qint64 cap = options_.sizeCap;
    auto answer = [done, once, reply](bool ok, QByteArray body) {
        if (once->answered) return;
        once->answered = true;
        release(reply);
        done(ok, ok ? std::move(body) : QByteArray());
    };
    QObject::connect(reply, &QNetworkReply::redirected, reply, [answer](const QUrl& to) {
        if (!isWebAddress(to)) answer(false, {});
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [answer, cap](qint64 received, qint64 total) {
                         if (received > cap || total > cap) answer(false, {});
                     });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, answer, cap] {
        if (reply->error() != QNetworkReply::NoError) {
            answer(false, {});
            return;
        }
        QByteArray body = reply->readAll();
        const bool fits = body.size() <= cap;
        answer(fits, std::move(body));
    });
    // The transfer time-out restarts with every byte; a server dribbling data
    // must still end within the same bound overall.
    QTimer::singleShot(options_.getTimeoutMs, reply, [answer] { answer(false, {}); });
}

}  // namespace hx::platform
