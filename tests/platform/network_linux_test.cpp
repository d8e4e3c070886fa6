#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <memory>
#include <optional>

#include "platform/linux/linux_network.h"
#include "support/tiny_http.h"

namespace {

using hx::platform::LinuxNetwork;
using hx::platform::NetworkOptions;
using hx::test::TinyHttp;

NetworkOptions testOptions(const QUrl& probe = {}) {
    NetworkOptions options;
    options.probeUrl = probe;
    options.probeTimeoutMs = 400;
    options.getTimeoutMs = 600;
    options.useReachability = false;  // the test host's network state must not matter
    return options;
}

std::optional<bool> probe(LinuxNetwork& network) {
    std::optional<bool> result;
    int calls = 0;
    network.testConnectivity([&](bool online) {
        ++calls;
        result = online;
    });
    EXPECT_FALSE(result) << "answered before returning";
    (void)QTest::qWaitFor([&] { return result.has_value(); }, 10000);
    QTest::qWait(50);  // a second answer would come now
    EXPECT_LE(calls, 1);
    return result;
}

struct GetResult {
    bool ok = false;
    QByteArray body;
};

std::optional<GetResult> fetch(LinuxNetwork& network, const QUrl& url) {
    std::optional<GetResult> result;
    int calls = 0;
    network.get(url, [&](bool ok, QByteArray body) {
        ++calls;
        result = GetResult{ok, body};
    });
    EXPECT_FALSE(result) << "answered before returning";
    (void)QTest::qWaitFor([&] { return result.has_value(); }, 10000);
    QTest::qWait(50);
    EXPECT_LE(calls, 1);
    return result;
}

QUrl refusedUrl() {
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const quint16 port = closed.serverPort();
    closed.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1/ok").arg(port));
}

TEST(NetworkProbe, HeadersFromTheProbePageMeanOnline) {
    TinyHttp http;
    ASSERT_TRUE(http.listening());
    LinuxNetwork network(testOptions(http.url(QStringLiteral("/ok"))));
    EXPECT_EQ(probe(network), std::optional<bool>(true));
    EXPECT_EQ(http.methods, QStringList{QStringLiteral("HEAD /ok")});
}

TEST(NetworkProbe, AnyAnsweredPageCounts) {
    TinyHttp http;
    LinuxNetwork missing(testOptions(http.url(QStringLiteral("/missing"))));
    EXPECT_EQ(probe(missing), std::optional<bool>(true));
    LinuxNetwork redirect(testOptions(http.url(QStringLiteral("/redirect"))));
    EXPECT_EQ(probe(redirect), std::optional<bool>(true));
    // The redirect itself is the answer; it is not followed.
    EXPECT_EQ(http.methods,
              (QStringList{QStringLiteral("HEAD /missing"), QStringLiteral("HEAD /redirect")}));
}

TEST(NetworkProbe, RefusedSilentOrInvalidMeansOffline) {
    LinuxNetwork refused(testOptions(refusedUrl()));
    EXPECT_EQ(probe(refused), std::optional<bool>(false));

    TinyHttp http;
    LinuxNetwork silent(testOptions(http.url(QStringLiteral("/silent"))));
    EXPECT_EQ(probe(silent), std::optional<bool>(false));

    LinuxNetwork invalid(testOptions(QUrl()));
    EXPECT_EQ(probe(invalid), std::optional<bool>(false));
}

TEST(NetworkProbe, AddressComesFromTheEnvironment) {
    qputenv("HENGXIU_PROBE_URL", "http://127.0.0.1:1/probe");
    EXPECT_EQ(NetworkOptions::fromEnvironment().probeUrl,
              QUrl(QStringLiteral("http://127.0.0.1:1/probe")));
    qunsetenv("HENGXIU_PROBE_URL");
    const NetworkOptions defaults = NetworkOptions::fromEnvironment();
    EXPECT_TRUE(defaults.probeUrl.isValid());
    EXPECT_EQ(defaults.probeTimeoutMs, 5000);
}

TEST(NetworkGet, BodyArrivesUnchanged) {
    TinyHttp http;
    LinuxNetwork network(testOptions());
    auto ok = fetch(network, http.url(QStringLiteral("/ok")));
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ok->ok);
    EXPECT_EQ(ok->body, QByteArray("hello"));

    auto gbk = fetch(network, http.url(QStringLiteral("/gbk")));
    ASSERT_TRUE(gbk);
    EXPECT_TRUE(gbk->ok);
    EXPECT_EQ(gbk->body, QByteArray("\xc4\xe3\xba\xc3\x00\xff", 6));

    auto redirected = fetch(network, http.url(QStringLiteral("/redirect")));
    ASSERT_TRUE(redirected);
    EXPECT_TRUE(redirected->ok);
    EXPECT_EQ(redirected->body, QByteArray("hello"));

    auto exact = fetch(network, http.url(QStringLiteral("/exact")));
    ASSERT_TRUE(exact);
    EXPECT_TRUE(exact->ok) << "a body of exactly the cap is allowed";
    EXPECT_EQ(exact->body.size(), 1024 * 1024);
}

TEST(NetworkGet, FailuresGiveNoBody) {
    TinyHttp http;
    LinuxNetwork network(testOptions());
    for (const QUrl& url :
         {http.url(QStringLiteral("/missing")), http.url(QStringLiteral("/silent")),
          http.url(QStringLiteral("/big")), http.url(QStringLiteral("/big-unannounced")),
          http.url(QStringLiteral("/huge")), refusedUrl(), QUrl(),
          QUrl(QStringLiteral("relative/page"))}) {
        auto result = fetch(network, url);
        ASSERT_TRUE(result) << url.toString().toStdString();
        EXPECT_FALSE(result->ok) << url.toString().toStdString();
        EXPECT_TRUE(result->body.isEmpty());
    }
}

TEST(NetworkGet, RedirectsStopAtFiveAndStayOnTheWeb) {
    TinyHttp http;
    LinuxNetwork network(testOptions());
    auto five = fetch(network, http.url(QStringLiteral("/hop/5")));
    ASSERT_TRUE(five);
    EXPECT_TRUE(five->ok);
    EXPECT_EQ(five->body, QByteArray("hello"));

    http.methods.clear();
    auto six = fetch(network, http.url(QStringLiteral("/hop/6")));
    ASSERT_TRUE(six);
    EXPECT_FALSE(six->ok);
    EXPECT_FALSE(http.methods.contains(QStringLiteral("GET /ok"))) << "the sixth hop was taken";

    for (const QUrl& url :
         {http.url(QStringLiteral("/redirect-file")), QUrl(QStringLiteral("file:///etc/passwd")),
          QUrl(QStringLiteral("data:text/plain,hello"))}) {
        auto result = fetch(network, url);
        ASSERT_TRUE(result) << url.toString().toStdString();
        EXPECT_FALSE(result->ok) << url.toString().toStdString();
        EXPECT_TRUE(result->body.isEmpty());
    }
}

TEST(NetworkGet, ADribblingServerStillEndsWithinTheTimeOut) {
    TinyHttp http;
    // Faster than the time-out between bytes, far slower overall.
    http.dribbleMs = 150;
    LinuxNetwork network(testOptions());
    QElapsedTimer clock;
    clock.start();
    auto result = fetch(network, http.url(QStringLiteral("/dribble")));
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->ok);
    EXPECT_LT(clock.elapsed(), 3000);
}

TEST(NetworkGet, NoCallbackAfterTheNetworkIsGone) {
    TinyHttp http;
    bool called = false;
    {
        LinuxNetwork network(testOptions(http.url(QStringLiteral("/silent"))));
        network.get(http.url(QStringLiteral("/silent")), [&](bool, QByteArray) { called = true; });
        network.testConnectivity([&](bool) { called = true; });
        QTest::qWait(50);
        network.get(QUrl(), [&](bool, QByteArray) { called = true; });  // answer still queued
    }
    QTest::qWait(800);
    EXPECT_FALSE(called);
}

}  // namespace
