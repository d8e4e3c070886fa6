#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "core/global_state.h"
#include "extras/led_renderer.h"

class QLabel;

namespace hx::extras {

class LedPanel;

// The renderer settings held in the program-wide clock values, and back. Values
// below 1 read as the initial values, as the renderer's setters have it.
LedSettings ledSettingsFrom(const core::GlobalState& state);
void storeLedSettings(const LedSettings& settings, core::GlobalState& state);

// The main window's clock: a 1,000 ms timer, running from construction, that
// writes the weekday label and draws hour:minute on the LED digits. The first
// drawing comes with the first tick, one interval after construction.
class Clock : public QObject {
    Q_OBJECT
  public:
    using Now = std::function<QDateTime()>;

    Clock(QLabel* weekdayLabel, LedPanel* digits, QObject* parent = nullptr,
          Now now = &QDateTime::currentDateTime);

    // One timer tick.
    void tick();

    // Keeps the program-wide clock values in `state` current: every tick
    // writes the clock's values there and draws with what it holds.
    void bindGlobals(core::GlobalState* state) { globals_ = state; }

    const QTimer& timer() const { return timer_; }
    // The renderer settings, set again to the clock's values on every tick.
    const LedSettings& settings() const { return settings_; }

  private:
    QPointer<QLabel> weekday_;
    QPointer<LedPanel> digits_;
    Now now_;
    LedSettings settings_;
    core::GlobalState* globals_ = nullptr;
    QTimer timer_;
};

}  // namespace hx::extras
