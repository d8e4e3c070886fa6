#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "extras/led_renderer.h"

class QLabel;

namespace hx::extras {

class LedPanel;

// The main window's clock: a 1,000 ms timer, running from construction, that
// writes the weekday label and draws hour:minute on the LED panel. The first
// drawing comes with the first tick, one interval after construction.
class Clock : public QObject {
    Q_OBJECT
  public:
    using Now = std::function<QDateTime()>;

    Clock(QLabel* weekdayLabel, LedPanel* panel, QObject* parent = nullptr,
          Now now = &QDateTime::currentDateTime);

    // One timer tick.
    void tick();

    const QTimer& timer() const { return timer_; }
    // The renderer settings, set again to the clock's values on every tick.
    const LedSettings& settings() const { return settings_; }

  private:
    QPointer<QLabel> weekday_;
    QPointer<LedPanel> panel_;
    Now now_;
    LedSettings settings_;
    QTimer timer_;
};

}  // namespace hx::extras
