#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

#include "extras/weather_page.h"
#include "extras/weather_host.h"
#include "support/fake_network.h"
#include "support/url_recorder.h"
#include "text/gbk.h"

namespace {

using namespace hx::extras;
using hx::test::FakeNetwork;

const QByteArray kGeocoding = R"({"results": [{"latitude": 22.5, "longitude": 114.1}]})";
const QByteArray kForecast = R"({"current": {"temperature_2m": 18.4, "weather_code": 2},
  "daily": {"weather_code": [3], "temperature_2m_max": [22], "temperature_2m_min": [15]}})";

QByteArray lookupReply(const char* place) {
    return "var returnCitySN = {\"cname\": \"" + hx::text::toGbk(QString::fromUtf8(place)) + "\"};";
}

WeatherSources testSources() {
    WeatherSources sources;
    sources.cityLookup = QUrl(QStringLiteral("http://city.test/cityjson?ie=gb2312"));
    sources.geocoding = QUrl(QStringLiteral("http://geo.test/v1/search"));
    sources.forecast = QUrl(QStringLiteral("http://forecast.test/v1/forecast"));
    return sources;
}

// Serves the lookup, then geocoding and forecast by host; nullopt fails.
struct Replies {
    std::optional<QByteArray> lookup, geocoding = kGeocoding, forecast = kForecast;
};

struct Outcome {
    QString text;
    QStringList asked;  // geocoding names
    bool settled = false;
};

Outcome run(const Replies& replies, WeatherSources sources = testSources()) {
    FakeNetwork network;
    Outcome result;
    network.respond = [&](const QUrl& url) -> std::optional<QByteArray> {
        if (url.host() == QLatin1String("city.test")) return replies.lookup;
        if (url.host() == QLatin1String("forecast.test")) return replies.forecast;
        if (url.host() == QLatin1String("geo.test")) {
            result.asked << QUrlQuery(url).queryItemValue(QStringLiteral("name"),
                                                          QUrl::FullyDecoded);
            return replies.geocoding;
        }
        return std::nullopt;
    };
    WeatherHost host(network, std::move(sources));
    host.start();
    for (int round = 0; round < 10 && network.deliver() > 0; ++round) {
    }
    result.settled = host.settled();
    result.text = host.window()->controls().browser->toPlainText().trimmed();
    return result;
}

TEST(WeatherWindowPage, ReadsNothingLocalAndItsLinksLeadNowhere) {
    WeatherWindow window;
    const auto& c = window.controls();
    QTemporaryDir dir;
    QImage(4, 4, QImage::Format_RGB32).save(dir.filePath(QStringLiteral("p.png")));
    EXPECT_FALSE(c.browser
                     ->loadResource(QTextDocument::ImageResource,
                                    QUrl::fromLocalFile(dir.filePath(QStringLiteral("p.png"))))
                     .isValid());
    hx::test::UrlRecorder recorder;
    window.setPage(
        QStringLiteral("<a href=\"file:///etc/passwd\">链接链接链接</a><br>"
                       "<a href=\"http://203.0.113.9/\">再一个链接</a>"));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QString before = c.browser->toHtml();
    QTest::mouseClick(c.browser->viewport(), Qt::LeftButton, {}, QPoint(20, 8));
    QTest::mouseClick(c.browser->viewport(), Qt::LeftButton, {}, QPoint(20, 28));
    EXPECT_EQ(c.browser->toHtml(), before);
    EXPECT_TRUE(recorder.opened.isEmpty());
}

TEST(WeatherHostFlow, LookupGeocodingForecastThenPage) {
    FakeNetwork network;
    network.respond = [](const QUrl& url) -> std::optional<QByteArray> {
        if (url.host() == QLatin1String("city.test")) return lookupReply("广东省深圳市");
        return url.host() == QLatin1String("geo.test") ? kGeocoding : kForecast;
    };
    WeatherHost host(network, testSources(), [] { return QDate(2026, 3, 7); });
    host.load();
    EXPECT_FALSE(host.window()->isVisible());
    EXPECT_EQ(host.window()->controls().date->text(), QStringLiteral("2026年3月7日"));
    EXPECT_TRUE(network.requested.isEmpty()) << "building the window asks nothing";
    host.start();
    host.start();
    for (int round = 0; round < 10 && network.deliver() > 0; ++round) {
    }
    EXPECT_EQ(network.requested.size(), 3);
    EXPECT_EQ(host.city(), QStringLiteral("深圳"));
    const QString text = host.window()->controls().browser->toPlainText();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("^深圳\\s+多云\\s+18℃"))))
        << text.toStdString();
}

TEST(WeatherHostFlow, OnlyAChineseCityIsAskedAgainWithItsSuffix) {
    Replies replies{lookupReply("广东省深圳市"), QByteArray("{}")};
    EXPECT_EQ(run(replies).asked, (QStringList{QStringLiteral("深圳"), QStringLiteral("深圳市")}));
    WeatherSources latin = testSources();
    latin.city = QStringLiteral("Shenzhen");
    EXPECT_EQ(run(replies, latin).asked, QStringList{QStringLiteral("Shenzhen")});
}

TEST(WeatherHostFlow, ConfiguredCityGoesToTheConfiguredHostAsGbk) {
    WeatherSources sources = testSources();
    sources.city = QStringLiteral("深圳");
    sources.weatherHost = QUrl(QStringLiteral("http://weather.test/pages"));
    const QByteArray page = "http://weather.test/pages/tb.q?cid=tb.tq&cin=&city=%C9%EE%DB%DA";
    FakeNetwork network;
    network.pages.insert(QUrl::fromEncoded(page),
                         hx::text::toGbk(QStringLiteral("<p>深圳 小雨</p>")));
    WeatherHost host(network, sources);
    host.start();
    network.deliver();
    ASSERT_EQ(network.requested.size(), 1) << "the user's own city needs no lookup";
    EXPECT_EQ(network.requested.front().toEncoded(), page);
    EXPECT_EQ(host.window()->controls().browser->toPlainText(), QStringLiteral("深圳 小雨"));
}

TEST(WeatherHostFlow, EveryFailureEndsInTheNeutralLine) {
    const QByteArray city = lookupReply("广东省深圳市");
    const Replies cases[] = {{std::nullopt},
                             {lookupReply("美国")},
                             {QByteArray("\xff\x00\xfe cname\": \"\x81\"};", 17)},
                             {city, QByteArray("{}")},
                             {city, std::nullopt},
                             {city, kGeocoding, std::nullopt},
                             {city, kGeocoding, QByteArray("<html>")}};
    for (const Replies& replies : cases) {
        const Outcome result = run(replies);
        EXPECT_TRUE(result.settled);
        EXPECT_EQ(result.text, kNoWeatherLine) << replies.lookup.value_or("-").toStdString();
    }
    WeatherSources host = testSources();
    host.city = QStringLiteral("北京");
    host.weatherHost = QUrl(QStringLiteral("http://weather.test/"));
    EXPECT_EQ(run({}, host).text, kNoWeatherLine);
}

TEST(WeatherHostFlow, AnswersAfterThePanelIsGoneAreDropped) {
    FakeNetwork network;
    network.pages.insert(testSources().cityLookup, lookupReply("北京市"));
    auto host = std::make_unique<WeatherHost>(network, testSources());
    host->start();
    host.reset();
    EXPECT_EQ(network.deliver(), 1);
    EXPECT_EQ(network.requested.size(), 1) << "a dead host asked for more";
}

}  // namespace
