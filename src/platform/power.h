#pragma once

namespace hx::platform {

enum class PowerAction { PowerOff, Logoff, Reboot };

// Shut-down, log-off and restart requests; asynchronous, result not reported.
class PowerBackend {
  public:
    virtual ~PowerBackend() = default;
    virtual void request(PowerAction action) = 0;
};

}  // namespace hx::platform
