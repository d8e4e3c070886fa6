#pragma once

#include <QDateTime>
#include <QString>
#include <QTime>

namespace hx::extras {

// Weekday name from Qt's numbering (1 = Monday … 7 = Sunday): "星期一" … "星期日".
// Any other number gives an empty text.
QString weekdayName(int qtDayOfWeek);

// Hour and minute with leading zeros, joined by an ASCII colon: "09:05".
QString clockText(QTime time);

// Part of the day followed by hour, full-width colon and minute: "上午09：05".
QString composeGreeting(QTime time);
QString composeGreeting();  // for the current local time

}  // namespace hx::extras
