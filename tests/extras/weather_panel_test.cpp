#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

#include "extras/weather_page.h"
#include "extras/weather_panel.h"
#include "storage/config.h"
#include "support/fake_network.h"
#include "support/scoped_env.h"
#include "support/temp_root.h"
#include "support/url_recorder.h"
#include "text/gbk.h"

namespace {

using namespace hx::extras;
using hx::test::FakeNetwork;

const QByteArray kGeocoding =
    R"({"results": [{"name": "深圳", "latitude": 22.5, "longitude": 114.1, "country_code": "CN"}]})";
const QByteArray kForecast = R"({"current": {"temperature_2m": 18.4, "weather_code": 2},
  "daily": {"weather_code": [3, 61, 0], "temperature_2m_max": [22, 19, 20],
            "temperature_2m_min": [15, 14, 13]}})";

QByteArray lookupReply(const QString& place) {
    return "var returnCitySN = {\"cip\": \"203.0.113.7\", \"cname\": \"" + hx::text::toGbk(place) +
           "\"};";
}

WeatherSources testSources() {
    WeatherSources sources;
    sources.cityLookup = QUrl(QStringLiteral("http://city.test/cityjson?ie=gb2312"));
    sources.geocoding = QUrl(QStringLiteral("http://geo.test/v1/search"));
    sources.forecast = QUrl(QStringLiteral("http://forecast.test/v1/forecast"));
    return sources;
}

QString pageText(const WeatherPanel& panel) {
    return panel.window()->controls().browser->toPlainText();
}

// Answers every held request, including those the answers start, in turn.
void deliverAll(FakeNetwork& network) {
    for (int round = 0; round < 10 && network.deliver() > 0; ++round) {
    }
}

TEST(WeatherWindowShape, DesignRectanglesAndLook) {
    WeatherWindow window;
    EXPECT_EQ(window.size(), QSize(284, 230));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(qRound(window.windowOpacity() * 255), 220);
    const auto& c = window.controls();
    EXPECT_EQ(c.frame->geometry(), QRect(1, 1, 281, 225));
    EXPECT_EQ(c.browser->parentWidget(), c.frame);
    EXPECT_EQ(c.browser->geometry(), QRect(8, 16, 264, 200));
    EXPECT_EQ(c.date->parentWidget(), c.frame);
    EXPECT_EQ(c.date->geometry(), QRect(179, 45, 88, 25));
    EXPECT_FALSE(c.frame->isEnabled());
    EXPECT_FALSE(c.browser->isEnabled());
    EXPECT_EQ(window.findChild<QTextBrowser*>(QStringLiteral("weatherBrowser")), c.browser);
    // The label is drawn over the page, not under it.
    EXPECT_GT(c.frame->children().indexOf(c.date), c.frame->children().indexOf(c.browser));
    // Disabled, yet drawn in the normal colours.
    EXPECT_EQ(c.browser->palette().color(QPalette::Disabled, QPalette::Text),
              c.browser->palette().color(QPalette::Active, QPalette::Text));
}

TEST(WeatherWindowShape, PagesLoadNothingAndLinksLeadNowhere) {
    QTemporaryDir dir;
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString file = dir.filePath(QStringLiteral("p.png"));
    ASSERT_TRUE(picture.save(file));

    WeatherWindow window;
    WeatherBrowser* browser = window.controls().browser;
    EXPECT_FALSE(
        browser->loadResource(QTextDocument::ImageResource, QUrl::fromLocalFile(file)).isValid());
    EXPECT_FALSE(
        browser->loadResource(QTextDocument::HtmlResource, QUrl::fromLocalFile(file)).isValid());

    hx::test::UrlRecorder recorder;
    window.setPage(
        QStringLiteral("<a href=\"file:///etc/passwd\">链接链接链接链接</a>"
                       "<a href=\"http://203.0.113.9/\">再一个链接</a>"));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QString before = browser->toHtml();
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, QPoint(20, 8));
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, QPoint(20, 30));
    QCoreApplication::processEvents();
    EXPECT_TRUE(browser->source().isEmpty());
    EXPECT_EQ(browser->toHtml(), before);
    EXPECT_TRUE(recorder.opened.isEmpty());
}

TEST(WeatherPanelFlow, LookupGeocodingForecastThenPage) {
    FakeNetwork network;
    network.pages.insert(testSources().cityLookup, lookupReply(QStringLiteral("广东省深圳市")));
    network.respond = [](const QUrl& url) -> std::optional<QByteArray> {
        if (url.host() == QLatin1String("geo.test")) {
            EXPECT_EQ(QUrlQuery(url).queryItemValue(QStringLiteral("name"), QUrl::FullyDecoded),
                      QStringLiteral("深圳"));
            return kGeocoding;
        }
        if (url.host() == QLatin1String("forecast.test")) {
            EXPECT_EQ(QUrlQuery(url).queryItemValue(QStringLiteral("latitude")),
                      QStringLiteral("22.5000"));
            return kForecast;
        }
        return std::nullopt;
    };
    WeatherPanel panel(network, testSources(), [] { return QDate(2026, 3, 7); });
    panel.load();
    ASSERT_NE(panel.window(), nullptr);
    EXPECT_FALSE(panel.window()->isVisible());
    EXPECT_EQ(panel.window()->controls().date->text(), QStringLiteral("2026年3月7日"));
    EXPECT_TRUE(network.requested.isEmpty()) << "building the window asks nothing";
    EXPECT_EQ(pageText(panel).trimmed(), kWaitingLine);

    panel.start();
    panel.start();
    EXPECT_EQ(network.requested.size(), 1);
    deliverAll(network);
    EXPECT_EQ(network.requested.size(), 3);
    EXPECT_TRUE(panel.settled());
    EXPECT_EQ(panel.city(), QStringLiteral("深圳"));
    const QString text = pageText(panel);
    EXPECT_TRUE(text.startsWith(QStringLiteral("深圳"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("多云\\s+18℃"))))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("明天"))) << text.toStdString();
}

TEST(WeatherPanelFlow, AChineseCityUnknownByItselfIsAskedWithItsSuffix) {
    for (const QString& city : {QStringLiteral("深圳"), QStringLiteral("Shenzhen")}) {
        FakeNetwork network;
        QStringList asked;
        network.respond = [&asked](const QUrl& url) -> std::optional<QByteArray> {
            if (url.host() == QLatin1String("forecast.test")) return kForecast;
            asked << QUrlQuery(url).queryItemValue(QStringLiteral("name"), QUrl::FullyDecoded);
            return asked.last() == QStringLiteral("深圳市") ? kGeocoding : QByteArray("{}");
        };
        WeatherSources sources = testSources();
        sources.city = city;
        WeatherPanel panel(network, sources);
        panel.start();
        deliverAll(network);
        if (city == QStringLiteral("深圳")) {
            EXPECT_EQ(asked, (QStringList{QStringLiteral("深圳"), QStringLiteral("深圳市")}));
            EXPECT_TRUE(pageText(panel).startsWith(QStringLiteral("深圳")));
        } else {
            EXPECT_EQ(asked, QStringList{city}) << "only a Chinese name gets the suffix";
            EXPECT_EQ(pageText(panel).trimmed(), kNoWeatherLine);
        }
    }
}

TEST(WeatherPanelFlow, ConfiguredCityAndHost) {
    FakeNetwork network;
    WeatherSources sources = testSources();
    sources.city = QStringLiteral("深圳");
    sources.weatherHost = QUrl(QStringLiteral("http://weather.test/pages"));
    const QUrl page =
        QUrl::fromEncoded("http://weather.test/pages/tb.q?cid=tb.tq&cin=&city=%C9%EE%DB%DA");
    EXPECT_EQ(weatherPageUrl(sources.weatherHost, sources.city), page);
    EXPECT_EQ(weatherPageUrl(QUrl(QStringLiteral("http://weather.test/")), QStringLiteral("北京"))
                  .toEncoded(),
              QByteArray("http://weather.test/tb.q?cid=tb.tq&cin=&city=%B1%B1%BE%A9"));
    network.pages.insert(
        page, hx::text::toGbk(QStringLiteral("<p>深圳 小雨 <a href=\"file:///\">详情</a></p>")));

    WeatherPanel panel(network, sources);
    panel.start();
    deliverAll(network);
    ASSERT_EQ(network.requested.size(), 1) << "the user's city needs no lookup";
    EXPECT_EQ(network.requested.front().toEncoded(), page.toEncoded());
    EXPECT_TRUE(panel.settled());
    EXPECT_EQ(pageText(panel).trimmed(), QStringLiteral("深圳 小雨 详情"));
}

TEST(WeatherPanelFlow, EveryFailureEndsInTheNeutralLine) {
    struct Case {
        const char* name;
        QByteArray lookup;
        std::optional<QByteArray> geocoding;
        std::optional<QByteArray> forecast;
    };
    const QVector<Case> cases = {
        {"lookup fails", {}, kGeocoding, kForecast},
        {"no city", lookupReply(QStringLiteral("美国")), kGeocoding, kForecast},
        {"garbage lookup", QByteArray("\xff\x00\xfe cname\": \"\x81\"};", 17), kGeocoding,
         kForecast},
        {"unknown city", lookupReply(QStringLiteral("广东省深圳市")), QByteArray("{}"), kForecast},
        {"geocoding fails", lookupReply(QStringLiteral("广东省深圳市")), std::nullopt, kForecast},
        {"forecast fails", lookupReply(QStringLiteral("广东省深圳市")), kGeocoding, std::nullopt},
        {"forecast garbage", lookupReply(QStringLiteral("广东省深圳市")), kGeocoding,
         QByteArray("<html>")},
    };
    for (const Case& c : cases) {
        FakeNetwork network;
        if (!c.lookup.isEmpty()) network.pages.insert(testSources().cityLookup, c.lookup);
        network.respond = [&c](const QUrl& url) -> std::optional<QByteArray> {
            if (url.host() == QLatin1String("geo.test")) return c.geocoding;
            if (url.host() == QLatin1String("forecast.test")) return c.forecast;
            return std::nullopt;
        };
        WeatherPanel panel(network, testSources());
        panel.start();
        deliverAll(network);
        EXPECT_TRUE(panel.settled()) << c.name;
        EXPECT_EQ(pageText(panel).trimmed(), kNoWeatherLine) << c.name;
    }

    // A configured host that fails or answers nothing.
    for (const QByteArray& body : {QByteArray(), QByteArray("   ")}) {
        FakeNetwork network;
        WeatherSources sources = testSources();
        sources.city = QStringLiteral("北京");
        sources.weatherHost = QUrl(QStringLiteral("http://weather.test/"));
        network.respond = [&body](const QUrl&) -> std::optional<QByteArray> {
            if (body.isEmpty()) return std::nullopt;
            return body;
        };
        WeatherPanel panel(network, sources);
        panel.start();
        deliverAll(network);
        EXPECT_EQ(pageText(panel).trimmed(), kNoWeatherLine);
    }
}

TEST(WeatherPanelFlow, AnswersAfterThePanelIsGoneAreDropped) {
    FakeNetwork network;
    network.pages.insert(testSources().cityLookup, lookupReply(QStringLiteral("北京市")));
    auto panel = std::make_unique<WeatherPanel>(network, testSources());
    panel->start();
    panel.reset();
    EXPECT_EQ(network.deliver(), 1);
    EXPECT_EQ(network.requested.size(), 1) << "a dead panel asked for more";
}

TEST(WeatherPanelFlow, ShowPlacesTheWindowEachTime) {
    FakeNetwork network;
    WeatherPanel panel(network, testSources());
    panel.load();
    panel.show(QPoint(117, 225));
    EXPECT_TRUE(panel.window()->isVisible());
    EXPECT_EQ(panel.window()->pos(), QPoint(117, 225));
    panel.hide();
    EXPECT_FALSE(panel.window()->isVisible());
    panel.show(QPoint(517, 45));
    EXPECT_EQ(panel.window()->pos(), QPoint(517, 45));
    panel.hide();
}

TEST(WeatherPanelFlow, SourcesFromEnvironmentThenConfig) {
    hx::test::TempRoot temp;
    const hx::storage::Config config(temp.root());
    hx::test::ScopedEnv a("HENGXIU_CITY_URL", std::nullopt), b("HENGXIU_WEATHER_URL", std::nullopt),
        c("HENGXIU_GEOCODING_URL", std::nullopt), d("HENGXIU_FORECAST_URL", std::nullopt);
    {
        const WeatherSources defaults = WeatherSources::from(config);
        EXPECT_TRUE(defaults.city.isEmpty());
        EXPECT_EQ(defaults.cityLookup.path(), QStringLiteral("/cityjson"));
        EXPECT_EQ(defaults.cityLookup.query(), QStringLiteral("ie=gb2312"));
        EXPECT_TRUE(defaults.weatherHost.isEmpty());
        EXPECT_EQ(defaults.geocoding.scheme(), QStringLiteral("https"));
        EXPECT_EQ(defaults.forecast.scheme(), QStringLiteral("https"));
    }
    config.writeConfig(QStringLiteral("天气"), QStringLiteral("城市"), QStringLiteral(" 杭州 "));
    config.writeConfig(QStringLiteral("天气"), QStringLiteral("天气地址"),
                       QStringLiteral("http://ini.test/"));
    config.writeConfig(QStringLiteral("天气"), QStringLiteral("城市地址"),
                       QStringLiteral("http://ini.test/c"));
    hx::test::ScopedEnv env("HENGXIU_WEATHER_URL", "http://env.test/");
    const WeatherSources configured = WeatherSources::from(config);
    EXPECT_EQ(configured.city, QStringLiteral("杭州"));
    EXPECT_EQ(configured.weatherHost, QUrl(QStringLiteral("http://env.test/")));
    EXPECT_EQ(configured.cityLookup, QUrl(QStringLiteral("http://ini.test/c")));
}

}  // namespace
