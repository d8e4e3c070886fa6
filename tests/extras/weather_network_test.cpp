#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include "extras/weather_page.h"
#include "extras/weather_panel.h"
#include "platform/linux/linux_network.h"
#include "support/tiny_http.h"
#include "support/url_recorder.h"
#include "text/gbk.h"

namespace {

using namespace hx::extras;
using hx::platform::LinuxNetwork;
using hx::platform::NetworkOptions;
using hx::test::TinyHttp;

const QByteArray kGeocoding =
    R"({"results": [{"name": "深圳", "latitude": 22.5, "longitude": 114.1, "country_code": "CN"}]})";
const QByteArray kForecast = R"({"current": {"temperature_2m": 18.4, "weather_code": 2},
  "daily": {"weather_code": [3, 61, 0], "temperature_2m_max": [22, 19, 20],
            "temperature_2m_min": [15, 14, 13]}})";

QByteArray lookupReply(const QByteArray& place) {
    return "var returnCitySN = {\"cip\": \"203.0.113.7\", \"cname\": \"" + place + "\"};";
}

NetworkOptions quick() {
    NetworkOptions options;
    options.getTimeoutMs = 800;
    options.useReachability = false;
    return options;
}

struct Outcome {
    bool settled = false;
    QString text;
    qint64 elapsedMs = 0;
    qint64 longestStallMs = 0;  // longest time the event loop did not turn
};

// One start of the panel against the local server, city lookup at `cityPath`.
Outcome run(TinyHttp& http, const QString& cityPath) {
    LinuxNetwork network(quick());
    WeatherSources sources;
    sources.cityLookup = http.url(cityPath);
    sources.geocoding = http.url(QStringLiteral("/v1/search"));
    sources.forecast = http.url(QStringLiteral("/v1/forecast"));
    WeatherPanel panel(network, sources);
    panel.load();

    Outcome outcome;
    QElapsedTimer clock;
    qint64 lastTurn = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        outcome.longestStallMs = std::max(outcome.longestStallMs, clock.elapsed() - lastTurn);
        lastTurn = clock.elapsed();
    });
    ticker.start(20);
    clock.start();
    panel.start();
    (void)QTest::qWaitFor([&] { return panel.settled(); }, 8000);
    outcome.elapsedMs = clock.elapsed();
    outcome.longestStallMs = std::max(outcome.longestStallMs, outcome.elapsedMs - lastTurn);
    outcome.settled = panel.settled();
    outcome.text = panel.window()->controls().browser->toPlainText().trimmed();
    return outcome;
}

TEST(WeatherOverTheNetwork, LocalServerRepliesBecomeThePage) {
    TinyHttp http;
    http.pages.insert(QStringLiteral("/cityjson"),
                      lookupReply(hx::text::toGbk(QStringLiteral("广东省深圳市"))));
    http.pages.insert(QStringLiteral("/v1/search"), kGeocoding);
    http.pages.insert(QStringLiteral("/v1/forecast"), kForecast);
    const Outcome outcome = run(http, QStringLiteral("/cityjson?ie=gb2312"));
    ASSERT_TRUE(outcome.settled);
    EXPECT_TRUE(outcome.text.startsWith(QStringLiteral("深圳"))) << outcome.text.toStdString();
    EXPECT_TRUE(outcome.text.contains(QStringLiteral("后天"))) << outcome.text.toStdString();
    EXPECT_EQ(http.methods.value(0), QStringLiteral("GET /cityjson?ie=gb2312"));
}

TEST(WeatherOverTheNetwork, HostileCityRepliesLeaveTheNeutralLine) {
    TinyHttp http;
    http.dribbleMs = 1000;  // a byte a second
    http.pages.insert(QStringLiteral("/v1/search"), kGeocoding);
    http.pages.insert(QStringLiteral("/v1/forecast"), kForecast);
    const QByteArray shenzhen = hx::text::toGbk(QStringLiteral("广东省深圳市"));
    http.pages.insert(QStringLiteral("/empty"), {});
    http.pages.insert(QStringLiteral("/garbage"), QByteArray("\x00\xff\xfe\x81\x7f<html>\"};", 13));
    http.pages.insert(QStringLiteral("/truncated"),
                      lookupReply(shenzhen.left(shenzhen.size() - 1)));
    http.pages.insert(QStringLiteral("/half-char"), lookupReply(shenzhen.left(7) + "\xCA"));
    http.pages.insert(QStringLiteral("/no-markers"), shenzhen);
    http.pages.insert(QStringLiteral("/no-close"), "cname\": \"" + shenzhen);
    http.raw.insert(QStringLiteral("/bad-header"),
                    "HTTP/1.1 2OO OK\r\n\xff\xfe\r\n\r\n" + shenzhen);

    hx::test::UrlRecorder recorder;
    for (const char* path :
         {"/empty", "/huge", "/garbage", "/truncated", "/half-char", "/no-markers", "/no-close",
          "/bad-header", "/silent", "/dribble", "/redirect-file", "/hop/6", "/missing"}) {
        const Outcome outcome = run(http, QString::fromLatin1(path));
        EXPECT_TRUE(outcome.settled) << path;
        EXPECT_EQ(outcome.text, kNoWeatherLine) << path;
        EXPECT_LT(outcome.elapsedMs, 4000) << path;
        // Waiting never held up the event loop; a blocking wait would stall it
        // for the whole time-out (800 ms).
        EXPECT_LT(outcome.longestStallMs, 400) << path;
    }
    EXPECT_TRUE(recorder.opened.isEmpty());
}

TEST(WeatherOverTheNetwork, HostileWeatherRepliesLeaveTheNeutralLine) {
    TinyHttp http;
    http.pages.insert(QStringLiteral("/cityjson"),
                      lookupReply(hx::text::toGbk(QStringLiteral("北京市"))));
    hx::test::UrlRecorder recorder;
    const QVector<std::pair<QByteArray, QByteArray>> cases = {
        {QByteArray(1 << 21, '{'), kForecast},
        {kGeocoding, QByteArray(1 << 21, '[')},
        {QByteArray("\xff\xfe{\"results\"", 12), kForecast},
        {kGeocoding, R"({"current": {"weather_code": "<a href='file:///'>x</a>"}})"},
    };
    for (const auto& [geocoding, forecast] : cases) {
        http.pages.insert(QStringLiteral("/v1/search"), geocoding);
        http.pages.insert(QStringLiteral("/v1/forecast"), forecast);
        const Outcome outcome = run(http, QStringLiteral("/cityjson"));
        EXPECT_TRUE(outcome.settled);
        EXPECT_EQ(outcome.text, kNoWeatherLine);
    }
    EXPECT_TRUE(recorder.opened.isEmpty());
}

}  // namespace
