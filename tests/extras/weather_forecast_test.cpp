#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTextDocument>

#include "extras/weather_codes.h"
#include "extras/weather_forecast.h"
#include "extras/weather_page.h"

namespace {

using namespace hx::extras;

const QByteArray kForecast = R"({
  "current": {"temperature_2m": 18.4, "weather_code": 2},
  "daily": {"weather_code": [3, 61, 0], "temperature_2m_max": [22.2, 19.0, 20.6],
            "temperature_2m_min": [15.1, 14.0, -0.4]}})";

QString plain(const QString& html) {
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

TEST(WeatherReplies, GeocodingTakesAValidPlaceInChinaFirst) {
    const auto place = parseGeocoding(R"({"results": [
        {"latitude": -200, "longitude": 0, "country_code": "CN"},
        {"latitude": 1.5, "longitude": 2.5, "country_code": "US"},
        {"latitude": 22.5, "longitude": 114.1, "country_code": "CN"}]})");
    ASSERT_TRUE(place);
    EXPECT_DOUBLE_EQ(place->latitude, 22.5);
    const auto abroad = parseGeocoding(R"({"results": [{"latitude": 51.5, "longitude": -0.1}]})");
    ASSERT_TRUE(abroad);
    EXPECT_DOUBLE_EQ(abroad->longitude, -0.1);
    for (const char* reply : {"", "garbage", R"({"results": []})", R"([{"latitude": 1}])",
                              R"({"results": [{"latitude": "22", "longitude": "114"}]})",
                              R"({"results": [{"latitude": 22}]})"})
        EXPECT_FALSE(parseGeocoding(reply)) << reply;
}

TEST(WeatherReplies, ForecastValuesAreCheckedOneByOne) {
    const auto good = parseForecast(kForecast);
    ASSERT_TRUE(good);
    EXPECT_EQ(good->code, 2);
    ASSERT_EQ(good->days.size(), 3);
    EXPECT_EQ(good->days[1].code, 61);
    EXPECT_DOUBLE_EQ(good->days[2].low.value_or(0), -0.4);

    const auto damaged = parseForecast(R"({
      "current": {"temperature_2m": 1e300, "weather_code": 2.5},
      "daily": {"weather_code": [null, "3", 200, 95], "temperature_2m_max": [10, null, 5, 7],
                "temperature_2m_min": [12, 3, 1]}})");
    ASSERT_TRUE(damaged);
    EXPECT_FALSE(damaged->temperature);
    EXPECT_EQ(damaged->code, -1);
    ASSERT_EQ(damaged->days.size(), 3);  // the shortest column decides
    for (const DayWeather& day : damaged->days) EXPECT_EQ(day.code, -1);
    EXPECT_FALSE(damaged->days[0].high) << "a maximum below the minimum is no reading";
    EXPECT_DOUBLE_EQ(damaged->days[1].low.value_or(0), 3);

    for (const char* reply : {"", "<html>502</html>", "{}", R"({"error": true, "reason": "x"})",
                              R"({"daily": {"weather_code": [1], "temperature_2m_max": [2]}})"})
        EXPECT_FALSE(parseForecast(reply)) << reply;
}

TEST(WeatherReplies, CodeNamesFollowTheWeatherGroups) {
    for (int code : {51, 55, 57, 61, 65, 67, 80, 82})
        EXPECT_TRUE(weatherCodeText(code).contains(QStringLiteral("雨"))) << code;
    for (int code : {71, 75, 77, 85, 86})
        EXPECT_TRUE(weatherCodeText(code).contains(QStringLiteral("雪"))) << code;
    for (int code : {95, 96, 99})
        EXPECT_TRUE(weatherCodeText(code).contains(QStringLiteral("雷"))) << code;
    for (int code : {-1, 4, 60, 100}) EXPECT_TRUE(weatherCodeText(code).isEmpty()) << code;
}

TEST(WeatherPageText, CityNowDaysAndEscaping) {
    const QString text =
        plain(renderWeatherPage(QStringLiteral("深圳"), *parseForecast(kForecast)));
    EXPECT_TRUE(text.startsWith(QStringLiteral("深圳")));
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("多云\\s+18℃"))));
    for (const char* part : {"今天", "15～22℃", "明天", "小雨", "14～19℃", "后天", "0～21℃"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part << "\n" << text.toStdString();

    const QString hostile = renderWeatherPage(QStringLiteral("<a href=\"file:///\">x</a>"), {});
    EXPECT_FALSE(hostile.contains(QStringLiteral("<a href")));
    EXPECT_EQ(weatherDateText(QDate(2026, 1, 5)), QStringLiteral("2026年1月5日"));
    EXPECT_TRUE(hostPageText(QByteArray(kMaxHostPageBytes + 1, 'a')).isEmpty());
}

}  // namespace
