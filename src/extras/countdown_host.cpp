#include "extras/countdown_host.h"

namespace hx::extras {

CountdownHost::CountdownHost(platform::PowerBackend& power, std::function<void()> endProgram)
    : power_(power), endProgram_(std::move(endProgram)) {}

// The window refers to the backend; it must not outlive the host.
CountdownHost::~CountdownHost() { delete window_.data(); }

CountdownWindow* CountdownHost::showFor(const QString& title) {
    if (!window_) window_ = new CountdownWindow(power_, endProgram_);
    window_->setAction(title);
    window_->show();
    window_->raise();
    window_->activateWindow();
    return window_.data();
}

}  // namespace hx::extras
