#pragma once

#include <QPointer>
#include <QString>
#include <functional>

#include "extras/countdown_window.h"
#include "platform/power.h"

namespace hx::extras {

// Opens the countdown for a power item. While a countdown window is open it
// is reused: only its title and headline change, the count goes on.
class CountdownHost {
  public:
    CountdownHost(platform::PowerBackend& power, std::function<void()> endProgram);
    ~CountdownHost();

    // `title` is one of the action names ("关闭计算机", "注销计算机", "重启计算机").
    CountdownWindow* showFor(const QString& title);

    // The open window, or nullptr once it was closed.
    CountdownWindow* window() const { return window_.data(); }

  private:
    platform::PowerBackend& power_;
    std::function<void()> endProgram_;
    QPointer<CountdownWindow> window_;
};

}  // namespace hx::extras
