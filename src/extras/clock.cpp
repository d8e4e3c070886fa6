#include "extras/clock.h"

#include <QLabel>

#include "extras/greeting.h"
#include "extras/led_panel.h"

namespace hx::extras {

Clock::Clock(QLabel* weekdayLabel, LedPanel* panel, QObject* parent, Now now)
    : QObject(parent), weekday_(weekdayLabel), panel_(panel), now_(std::move(now)) {
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &Clock::tick);
    timer_.start();
}

void Clock::tick() {
    const QDateTime now = now_();
    const QString text = clockText(now.time());
    if (weekday_) weekday_->setText(weekdayName(now.date().dayOfWeek()));
    settings_ = LedSettings::clock();
    if (panel_) panel_->drawText(text, settings_);
}

}  // namespace hx::extras
