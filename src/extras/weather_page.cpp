#include "extras/weather_page.h"

#include <QCoreApplication>
#include <QStringList>
#include <cmath>

#include "extras/weather_codes.h"
#include "text/gbk.h"

namespace hx::extras {

namespace {

QString degrees(double value) {
    // -0.4 rounds to "0", not "-0".
    const int rounded = int(std::lround(value));
    return QString::number(rounded == 0 ? 0 : rounded) + QStringLiteral("℃");
}

QString range(const DayWeather& day) {
    if (day.low && day.high)
        return degrees(*day.low).chopped(1) + QStringLiteral("～") + degrees(*day.high);
    if (day.high) return degrees(*day.high);
    if (day.low) return degrees(*day.low);
    return {};
}

const char* const kDayNames[kForecastDays] = {QT_TRANSLATE_NOOP("Weather", "今天"),
                                              QT_TRANSLATE_NOOP("Weather", "明天"),
                                              QT_TRANSLATE_NOOP("Weather", "后天")};

}  // namespace

QString weatherDateText(const QDate& date) {
    return QCoreApplication::translate("Weather", "%1年%2月%3日")
        .arg(date.year())
        .arg(date.month())
        .arg(date.day());
}

QString renderWeatherPage(const QString& city, const Forecast& forecast) {
    QString html = QStringLiteral(
                       "<html><body style=\"font-size:14px;\">"
                       "<p style=\"font-size:20px; font-weight:bold; margin:2px 0 0 4px;\">%1</p>")
                       .arg(city.toHtmlEscaped());
    QStringList now;
    if (const QString text = weatherCodeText(forecast.code); !text.isEmpty()) now << text;
    if (forecast.temperature) now << degrees(*forecast.temperature);
    html += QStringLiteral("<p style=\"font-size:16px; margin:6px 0 0 4px;\">%1</p>")
                .arg(now.isEmpty() ? QStringLiteral("&nbsp;")
                                   : now.join(QStringLiteral("&nbsp;&nbsp;")));

    html += QStringLiteral(
        "<table cellspacing=\"0\" cellpadding=\"3\" style=\"margin:10px 0 0 2px;\">");
    for (int i = 0; i < forecast.days.size() && i < kForecastDays; ++i) {
        const DayWeather& day = forecast.days.at(i);
        html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>")
                    .arg(QCoreApplication::translate("Weather", kDayNames[i]),
                         weatherCodeText(day.code), range(day));
    }
    html += QStringLiteral("</table></body></html>");
    return html;
}

QString renderNoticePage(const QString& line) {
    // The first block's top margin is not laid out; a tall blank line moves
    // the text to the middle, below the date.
    return QStringLiteral(
               "<html><body><p style=\"margin:0; font-size:64px;\">&nbsp;</p>"
               "<p align=\"center\" style=\"font-size:14px;\">%1</p></body></html>")
        .arg(QCoreApplication::translate("Weather", qUtf8Printable(line)).toHtmlEscaped());
}

QString hostPageText(const QByteArray& body) {
    if (body.size() > kMaxHostPageBytes) return {};
    return text::decodeUtf8OrGbk(body);
}

}  // namespace hx::extras
