#include "extras/greeting.h"

#include <array>

namespace hx::extras {
namespace {

QString twoDigits(int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }

}  // namespace

QString weekdayName(int qtDayOfWeek) {
    static const std::array<QString, 7> names = {QStringLiteral("星期一"), QStringLiteral("星期二"),
                                                 QStringLiteral("星期三"), QStringLiteral("星期四"),
                                                 QStringLiteral("星期五"), QStringLiteral("星期六"),
                                                 QStringLiteral("星期日")};
    if (qtDayOfWeek < 1 || qtDayOfWeek > 7) return {};
    return names[static_cast<std::size_t>(qtDayOfWeek - 1)];
}

QString clockText(QTime time) {
    return twoDigits(time.hour()) + QLatin1Char(':') + twoDigits(time.minute());
}

QString composeGreeting(QTime time) {
    const int hour = time.hour();
    // Tested in this order, a later match replacing an earlier one: hour 17
    // ends up "晚上" and hour 5 "凌晨".
    QString part;
    if (hour >= 5 && hour <= 7) part = QStringLiteral("早上");
    if (hour >= 8 && hour <= 11) part = QStringLiteral("上午");
    if (hour >= 12 && hour <= 13) part = QStringLiteral("中午");
    if (hour >= 14 && hour <= 17) part = QStringLiteral("下午");
    if (hour >= 17 && hour <= 23) part = QStringLiteral("晚上");
    if (hour >= 0 && hour <= 5) part = QStringLiteral("凌晨");
    return part + twoDigits(hour) + QStringLiteral("：") + twoDigits(time.minute());
}

QString composeGreeting() { return composeGreeting(QTime::currentTime()); }

}  // namespace hx::extras
