#include "extras/weather_forecast.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>
#include <cmath>

namespace hx::extras {

namespace {

// Outside this no reading on Earth is real.
constexpr double kLowestTemperature = -95;
constexpr double kHighestTemperature = 65;

std::optional<double> temperature(const QJsonValue& value) {
    if (!value.isDouble()) return std::nullopt;
    const double t = value.toDouble();
    if (!std::isfinite(t) || t < kLowestTemperature || t > kHighestTemperature) return std::nullopt;
    return t;
}

int weatherCode(const QJsonValue& value) {
    if (!value.isDouble()) return -1;
    const double c = value.toDouble();
    if (!std::isfinite(c) || c < 0 || c > 99 || c != std::floor(c)) return -1;
    return int(c);
}

bool inRange(const QJsonValue& value, double limit) {
    return value.isDouble() && std::isfinite(value.toDouble()) &&
           std::fabs(value.toDouble()) <= limit;
}

QJsonObject rootObject(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    return error.error == QJsonParseError::NoError ? document.object() : QJsonObject();
}

}  // namespace

QUrl geocodingUrl(const QUrl& base, const QString& city) {
    QUrl url(base);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("name"), city);
    query.addQueryItem(QStringLiteral("count"), QStringLiteral("10"));
    query.addQueryItem(QStringLiteral("language"), QStringLiteral("zh"));
    query.addQueryItem(QStringLiteral("format"), QStringLiteral("json"));
    url.setQuery(query);
    return url;
}

QUrl forecastUrl(const QUrl& base, const GeoPlace& place) {
    QUrl url(base);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("latitude"), QString::number(place.latitude, 'f', 4));
    query.addQueryItem(QStringLiteral("longitude"), QString::number(place.longitude, 'f', 4));
    query.addQueryItem(QStringLiteral("current"), QStringLiteral("temperature_2m,weather_code"));
    query.addQueryItem(QStringLiteral("daily"),
                       QStringLiteral("weather_code,temperature_2m_max,temperature_2m_min"));
    query.addQueryItem(QStringLiteral("timezone"), QStringLiteral("auto"));
    query.addQueryItem(QStringLiteral("forecast_days"), QString::number(kForecastDays));
    url.setQuery(query);
    return url;
}

std::optional<GeoPlace> parseGeocoding(const QByteArray& json) {
    const QJsonArray results = rootObject(json).value(QStringLiteral("results")).toArray();
    std::optional<GeoPlace> first;
    for (const QJsonValue& entry : results) {
        const QJsonObject place = entry.toObject();
        const QJsonValue latitude = place.value(QStringLiteral("latitude"));
        const QJsonValue longitude = place.value(QStringLiteral("longitude"));
        if (!inRange(latitude, 90) || !inRange(longitude, 180)) continue;
        const GeoPlace found{latitude.toDouble(), longitude.toDouble()};
        // The city comes from a Chinese lookup; a namesake abroad is a worse guess.
        if (place.value(QStringLiteral("country_code")).toString() == QLatin1String("CN"))
            return found;
        if (!first) first = found;
    }
    return first;
}

std::optional<Forecast> parseForecast(const QByteArray& json) {
    const QJsonObject root = rootObject(json);
    Forecast forecast;
    bool usable = false;

    const QJsonObject current = root.value(QStringLiteral("current")).toObject();
    forecast.temperature = temperature(current.value(QStringLiteral("temperature_2m")));
    forecast.code = weatherCode(current.value(QStringLiteral("weather_code")));
    usable = forecast.temperature.has_value() || forecast.code >= 0;

    const QJsonObject daily = root.value(QStringLiteral("daily")).toObject();
    const QJsonArray codes = daily.value(QStringLiteral("weather_code")).toArray();
    const QJsonArray highs = daily.value(QStringLiteral("temperature_2m_max")).toArray();
    const QJsonArray lows = daily.value(QStringLiteral("temperature_2m_min")).toArray();
    const qsizetype count =
        std::min<qsizetype>({codes.size(), highs.size(), lows.size(), kForecastDays});
    for (qsizetype i = 0; i < count; ++i) {
        DayWeather day;
        day.code = weatherCode(codes.at(i));
        day.high = temperature(highs.at(i));
        day.low = temperature(lows.at(i));
        // A maximum below the minimum means the columns are not what they claim.
        if (day.high && day.low && *day.high < *day.low) day.high = day.low = std::nullopt;
        usable = usable || day.code >= 0 || day.high || day.low;
        forecast.days.push_back(day);
    }
    if (!usable) return std::nullopt;
    return forecast;
}

}  // namespace hx::extras
