#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QVector>
#include <optional>

namespace hx::extras {

// Open-Meteo's geocoding and forecast services, the weather source when no
// weather host is configured. Replies are untrusted: every value is checked
// and anything unusable reads as missing.

struct GeoPlace {
    double latitude = 0;
    double longitude = 0;
};

struct DayWeather {
    int code = -1;  // WMO code, -1 when missing
    std::optional<double> high;
    std::optional<double> low;
};

struct Forecast {
    std::optional<double> temperature;  // now
    int code = -1;                      // now
    QVector<DayWeather> days;           // today first, at most kForecastDays
};
inline constexpr int kForecastDays = 3;

QUrl geocodingUrl(const QUrl& base, const QString& city);
QUrl forecastUrl(const QUrl& base, const GeoPlace& place);

// The first place in China among the results, else the first place; nothing
// when the reply names no place with valid coordinates.
std::optional<GeoPlace> parseGeocoding(const QByteArray& json);

// Nothing when the reply carries no usable value at all.
std::optional<Forecast> parseForecast(const QByteArray& json);

}  // namespace hx::extras
