#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

#include "extras/weather_forecast.h"

namespace hx::extras {

// "2026年12月8日": no leading zeros.
QString weatherDateText(const QDate& date);

// The small page for the browser area: the city, today's conditions, today's
// high and low and the next two days. Every text from a reply is escaped.
QString renderWeatherPage(const QString& city, const Forecast& forecast);

// A single centred line: while waiting and whenever there is nothing to show;
// `line` is one of the two below, translated here.
QString renderNoticePage(const QString& line);
inline const QString kWaitingLine = QStringLiteral(QT_TRANSLATE_NOOP("Weather", "正在获取天气…"));
inline const QString kNoWeatherLine = QStringLiteral(QT_TRANSLATE_NOOP("Weather", "暂无天气信息"));

// A configured weather host's page as text: UTF-8 when it is valid UTF-8, else
// GBK. Empty for a page too large to lay out without stalling the panel.
QString hostPageText(const QByteArray& body);
inline constexpr qsizetype kMaxHostPageBytes = 256 * 1024;

}  // namespace hx::extras
