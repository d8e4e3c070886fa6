#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include "extras/weather_page.h"
#include "extras/weather_host.h"
#include "platform/linux/linux_network.h"
#include "support/tiny_http.h"
#include "support/url_recorder.h"
#include "text/gbk.h"

namespace {

using namespace hx::extras;

struct Outcome {
    QString text;
    qint64 elapsedMs = 0;
    qint64 longestStallMs = 0;  // longest time the event loop did not turn
};

// One start of the panel with its city lookup at `cityPath` of the local server.
Outcome run(hx::test::TinyHttp& http, const QString& cityPath) {
    hx::platform::NetworkOptions options;
    options.getTimeoutMs = 800;
    options.useReachability = false;
    hx::platform::LinuxNetwork network(options);
    WeatherSources sources;
    sources.cityLookup = http.url(cityPath);
    sources.geocoding = http.url(QStringLiteral("/v1/search"));
    sources.forecast = http.url(QStringLiteral("/v1/forecast"));
    WeatherHost panel(network, sources);
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
    outcome.text = panel.window()->controls().browser->toPlainText().trimmed();
    return outcome;
}

TEST(WeatherOverTheNetwork, OnlyGoodRepliesMakeAPageAndNoneBlocksOrOpens) {
    hx::test::TinyHttp http;
    http.dribbleMs = 1000;  // a byte a second
    const QByteArray place = hx::text::toGbk(QStringLiteral("广东省深圳市"));
    const QByteArray reply = "var returnCitySN = {\"cname\": \"" + place + "\"};";
    http.pages.insert(QStringLiteral("/cityjson"), reply);
    http.pages.insert(QStringLiteral("/v1/search"),
                      R"({"results": [{"latitude": 22.5, "longitude": 114.1}]})");
    http.pages.insert(QStringLiteral("/v1/forecast"), R"({"current": {"weather_code": 95}})");
    const Outcome good = run(http, QStringLiteral("/cityjson?ie=gb2312"));
    EXPECT_TRUE(good.text.startsWith(QStringLiteral("深圳"))) << good.text.toStdString();
    EXPECT_TRUE(good.text.contains(QStringLiteral("雷阵雨"))) << good.text.toStdString();

    http.pages.insert(QStringLiteral("/empty"), {});
    http.pages.insert(QStringLiteral("/garbage"), QByteArray("\x00\xff\xfe\x81<html>\"};", 11));
    http.pages.insert(QStringLiteral("/truncated"),
                      reply.left(reply.indexOf(place) + place.size() - 1) + "\"};");
    http.pages.insert(QStringLiteral("/no-markers"), place);
    http.raw.insert(QStringLiteral("/bad-header"), "HTTP/1.1 2OO OK\r\n\xff\xfe\r\n\r\n" + reply);
    hx::test::UrlRecorder recorder;
    for (const char* path :
         {"/empty", "/huge", "/garbage", "/truncated", "/no-markers", "/bad-header", "/silent",
          "/dribble", "/redirect-file", "/hop/6", "/missing"}) {
        const Outcome outcome = run(http, QString::fromLatin1(path));
        EXPECT_EQ(outcome.text, kNoWeatherLine) << path;
        EXPECT_LT(outcome.elapsedMs, 4000) << path;
        // A blocking wait would stall the loop for the whole time-out (800 ms).
        EXPECT_LT(outcome.longestStallMs, 400) << path;
    }
    EXPECT_TRUE(recorder.opened.isEmpty());
}

}  // namespace
