#include "extras/greeting.h"

#include <QCoreApplication>
#include <array>

namespace hx::extras {
namespace {

QString twoDigits(int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }

}  // namespace

QString weekdayName(int qtDayOfWeek) {
    static const std::array<const char*, 7> names = {
        QT_TRANSLATE_NOOP("Clock", "星期一"), QT_TRANSLATE_NOOP("Clock", "星期二"),
        QT_TRANSLATE_NOOP("Clock", "星期三"), QT_TRANSLATE_NOOP("Clock", "星期四"),
        QT_TRANSLATE_NOOP("Clock", "星期五"), QT_TRANSLATE_NOOP("Clock", "星期六"),
        QT_TRANSLATE_NOOP("Clock", "星期日")};
    if (qtDayOfWeek < 1 || qtDayOfWeek > 7) return {};
    return QCoreApplication::translate("Clock", names[static_cast<std::size_t>(qtDayOfWeek - 1)]);
}

QString clockText(QTime time) {
    return twoDigits(time.hour()) + QLatin1Char(':') + twoDigits(time.minute());
}

QString composeGreeting(QTime time) {
    const int hour = time.hour();
    // Tested in this order, a later match replacing an earlier one: hour 17
    // ends up "晚上" and hour 5 "凌晨".
    QString part;
    if (hour >= 5 && hour <= 7) part = QCoreApplication::translate("Clock", "早上");
    if (hour >= 8 && hour <= 11) part = QCoreApplication::translate("Clock", "上午");
    if (hour >= 12 && hour <= 13) part = QCoreApplication::translate("Clock", "中午");
    if (hour >= 14 && hour <= 17) part = QCoreApplication::translate("Clock", "下午");
    if (hour >= 17 && hour <= 23) part = QCoreApplication::translate("Clock", "晚上");
    if (hour >= 0 && hour <= 5) part = QCoreApplication::translate("Clock", "凌晨");
    // Not arg(): a translation may leave out the time, which the clock shows anyway.
    return QCoreApplication::translate("Clock", "%1%2：%3")
        .replace(QLatin1String("%1"), part)
        .replace(QLatin1String("%2"), twoDigits(hour))
        .replace(QLatin1String("%3"), twoDigits(time.minute()));
}

QString composeGreeting() { return composeGreeting(QTime::currentTime()); }

}  // namespace hx::extras
