#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTextDocument>
#include <QUrlQuery>

#include "extras/weather_codes.h"
#include "extras/weather_forecast.h"
#include "extras/weather_page.h"
#include "text/gbk.h"

namespace {

using namespace hx::extras;

const QByteArray kForecast = R"({
  "latitude": 22.5, "longitude": 114.0, "timezone": "Asia/Shanghai",
  "current": {"time": "2026-12-08T09:00", "temperature_2m": 18.4, "weather_code": 2},
  "daily": {"time": ["2026-12-08", "2026-12-09", "2026-12-10"],
            "weather_code": [3, 61, 0],
            "temperature_2m_max": [22.2, 19.0, 20.6],
            "temperature_2m_min": [15.1, 14.0, -0.4]}
})";

QString plain(const QString& html) {
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

TEST(WeatherGeocoding, PrefersAPlaceInChina) {
    const auto place = parseGeocoding(R"({"results": [
        {"name": "Shenzhen", "latitude": 1.5, "longitude": 2.5, "country_code": "US"},
        {"name": "深圳", "latitude": 22.54554, "longitude": 114.0683, "country_code": "CN"}]})");
    ASSERT_TRUE(place);
    EXPECT_DOUBLE_EQ(place->latitude, 22.54554);
    EXPECT_DOUBLE_EQ(place->longitude, 114.0683);

    const auto abroad = parseGeocoding(
        R"({"results": [{"latitude": 51.5, "longitude": -0.12, "country_code": "GB"}]})");
    ASSERT_TRUE(abroad);
    EXPECT_DOUBLE_EQ(abroad->longitude, -0.12);
}

TEST(WeatherGeocoding, UnusableRepliesNameNoPlace) {
    for (const QByteArray& reply :
         {QByteArray(), QByteArray("garbage \xff\xfe"), QByteArray(R"({"generationtime_ms": 0.5})"),
          QByteArray(R"({"results": []})"), QByteArray(R"({"results": {"latitude": 1}})"),
          QByteArray(R"([{"latitude": 1, "longitude": 2}])"),
          QByteArray(R"({"results": [{"latitude": 91, "longitude": 2}]})"),
          QByteArray(R"({"results": [{"latitude": "22", "longitude": "114"}]})"),
          QByteArray(R"({"results": [{"latitude": 22}]})"),
          QByteArray(R"({"results": [{"latitude": 1e999, "longitude": 3}]})")})
        EXPECT_FALSE(parseGeocoding(reply)) << reply.toStdString();
    // A bad entry is skipped, not taken.
    const auto next = parseGeocoding(R"({"results": [{"latitude": -200, "longitude": 0,
        "country_code": "CN"}, {"latitude": 30, "longitude": 120}]})");
    ASSERT_TRUE(next);
    EXPECT_DOUBLE_EQ(next->latitude, 30);
}

TEST(WeatherForecastReply, ReadsNowAndThreeDays) {
    const auto forecast = parseForecast(kForecast);
    ASSERT_TRUE(forecast);
    EXPECT_EQ(forecast->code, 2);
    ASSERT_TRUE(forecast->temperature);
    EXPECT_DOUBLE_EQ(*forecast->temperature, 18.4);
    ASSERT_EQ(forecast->days.size(), 3);
    EXPECT_EQ(forecast->days[1].code, 61);
    EXPECT_DOUBLE_EQ(forecast->days[0].high.value_or(0), 22.2);
    EXPECT_DOUBLE_EQ(forecast->days[2].low.value_or(0), -0.4);
}

TEST(WeatherForecastReply, DamagedValuesReadAsMissing) {
    const auto forecast = parseForecast(R"({
      "current": {"temperature_2m": 1e300, "weather_code": 2.5},
      "daily": {"weather_code": [null, "3", 200, 95],
                "temperature_2m_max": [10, null, 5, 7],
                "temperature_2m_min": [12, 3, 1]}})");
    ASSERT_TRUE(forecast);
    EXPECT_FALSE(forecast->temperature);
    EXPECT_EQ(forecast->code, -1);
    // The shortest column decides how many days there are.
    ASSERT_EQ(forecast->days.size(), 3);
    EXPECT_EQ(forecast->days[0].code, -1);
    // A maximum below the minimum is dropped with it.
    EXPECT_FALSE(forecast->days[0].high);
    EXPECT_FALSE(forecast->days[0].low);
    EXPECT_EQ(forecast->days[1].code, -1);
    EXPECT_FALSE(forecast->days[1].high);
    EXPECT_DOUBLE_EQ(forecast->days[1].low.value_or(0), 3);
    EXPECT_EQ(forecast->days[2].code, -1);

    for (const QByteArray& reply :
         {QByteArray(), QByteArray("<html>502</html>"), QByteArray("{}"), QByteArray("[1,2]"),
          QByteArray(R"({"current": {}, "daily": {"weather_code": [], "temperature_2m_max": []}})"),
          QByteArray(R"({"error": true, "reason": "Latitude must be in range"})"),
          QByteArray(R"({"daily": {"weather_code": [1], "temperature_2m_max": [2]}})")})
        EXPECT_FALSE(parseForecast(reply)) << reply.toStdString();
}

TEST(WeatherForecastReply, Addresses) {
    const QUrl geocoding = geocodingUrl(QUrl(QStringLiteral("http://127.0.0.1:8/v1/search")),
                                        QStringLiteral("深圳 市&x"));
    EXPECT_EQ(geocoding.path(), QStringLiteral("/v1/search"));
    const QUrlQuery asked(geocoding);
    EXPECT_EQ(asked.queryItemValue(QStringLiteral("name"), QUrl::FullyDecoded),
              QStringLiteral("深圳 市&x"));
    EXPECT_EQ(asked.queryItemValue(QStringLiteral("language")), QStringLiteral("zh"));

    const QUrlQuery forecast(
        forecastUrl(QUrl(QStringLiteral("https://h/v1/forecast")), {-33.8688, 151.2093}));
    EXPECT_EQ(forecast.queryItemValue(QStringLiteral("latitude")), QStringLiteral("-33.8688"));
    EXPECT_EQ(forecast.queryItemValue(QStringLiteral("longitude")), QStringLiteral("151.2093"));
    EXPECT_EQ(forecast.queryItemValue(QStringLiteral("forecast_days")), QStringLiteral("3"));
}

TEST(WeatherCodes, NamesFollowTheWeatherGroups) {
    for (int code : {0, 1, 2, 3, 45, 48}) EXPECT_FALSE(weatherCodeText(code).isEmpty()) << code;
    for (int code : {51, 53, 55, 56, 57, 61, 63, 65, 66, 67, 80, 81, 82})
        EXPECT_TRUE(weatherCodeText(code).contains(QStringLiteral("雨"))) << code;
    for (int code : {71, 73, 75, 77, 85, 86})
        EXPECT_TRUE(weatherCodeText(code).contains(QStringLiteral("雪"))) << code;
    for (int code : {95, 96, 99})
        EXPECT_TRUE(weatherCodeText(code).contains(QStringLiteral("雷"))) << code;
    EXPECT_EQ(weatherCodeText(0), QStringLiteral("晴"));
    EXPECT_EQ(weatherCodeText(3), QStringLiteral("阴"));
    // Intensity grows with the code inside a group.
    EXPECT_EQ(weatherCodeText(61), QStringLiteral("小雨"));
    EXPECT_EQ(weatherCodeText(65), QStringLiteral("大雨"));
    for (int code : {-1, 4, 50, 60, 100, 1000})
        EXPECT_TRUE(weatherCodeText(code).isEmpty()) << code;
}

TEST(WeatherPage, ShowsCityNowAndTheNextDays) {
    const QString text =
        plain(renderWeatherPage(QStringLiteral("深圳"), *parseForecast(kForecast)));
    EXPECT_TRUE(text.startsWith(QStringLiteral("深圳"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("多云\\s+18℃"))))
        << text.toStdString();
    for (const char* part :
         {"今天", "阴", "15～22℃", "明天", "小雨", "14～19℃", "后天", "晴", "0～21℃"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("-0")));
}

TEST(WeatherPage, RepliedTextIsNeverMarkup) {
    Forecast forecast;
    forecast.days.push_back({});
    const QString html =
        renderWeatherPage(QStringLiteral("<a href=\"file:///etc\">x</a><script>"), forecast);
    EXPECT_FALSE(html.contains(QStringLiteral("<a href")));
    EXPECT_FALSE(html.contains(QStringLiteral("<script")));
    EXPECT_TRUE(plain(html).contains(QStringLiteral("<script>")));
    EXPECT_EQ(plain(renderNoticePage(kNoWeatherLine)).trimmed(), kNoWeatherLine);
}

TEST(WeatherPage, DateAndHostPages) {
    EXPECT_EQ(weatherDateText(QDate(2026, 1, 5)), QStringLiteral("2026年1月5日"));
    EXPECT_EQ(weatherDateText(QDate(2026, 12, 31)), QStringLiteral("2026年12月31日"));

    const QString page = QStringLiteral("<p>深圳 晴</p>");
    EXPECT_EQ(hostPageText(hx::text::toGbk(page)), page);
    EXPECT_EQ(hostPageText(page.toUtf8()), page);
    EXPECT_TRUE(hostPageText(QByteArray(kMaxHostPageBytes + 1, 'a')).isEmpty());
    EXPECT_EQ(hostPageText(QByteArray(kMaxHostPageBytes, 'a')).size(), kMaxHostPageBytes);
}

}  // namespace
