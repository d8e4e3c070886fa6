#include "extras/clock.h"

#include <QLabel>

#include "extras/greeting.h"
#include "extras/led_panel.h"

namespace hx::extras {

Clock::Clock(QLabel* weekdayLabel, LedPanel* digits, QObject* parent, Now now)
    : QObject(parent), weekday_(weekdayLabel), digits_(digits), now_(std::move(now)) {
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &Clock::tick);
    timer_.start();
}

LedSettings ledSettingsFrom(const core::GlobalState& state) {
    LedSettings s;
    s.setColours(static_cast<std::int32_t>(state.clockForeColour),
                 static_cast<std::int32_t>(state.clockBackColour));
    s.setSizes(state.clockDigitHeight, state.clockDigitWidth, state.clockDigitSpacing,
               state.clockSegmentWidth);
    return s;
}

void storeLedSettings(const LedSettings& s, core::GlobalState& state) {
    state.clockForeColour = static_cast<std::uint32_t>(s.foreColour());
    state.clockBackColour = static_cast<std::uint32_t>(s.backColour());
    state.clockDigitHeight = s.digitHeight();
    state.clockDigitWidth = s.digitWidth();
    state.clockDigitSpacing = s.spacing();
    state.clockSegmentWidth = s.segmentWidth();
}

void Clock::tick() {
    const QDateTime now = now_();
    const QString text = clockText(now.time());
    if (weekday_) weekday_->setText(weekdayName(now.date().dayOfWeek()));
    settings_ = LedSettings::clock();
    if (globals_) {
        storeLedSettings(settings_, *globals_);
        settings_ = ledSettingsFrom(*globals_);
    }
    if (digits_) digits_->drawText(text, settings_);
}

}  // namespace hx::extras
