#pragma once

#include <QString>
#include <QStringList>

#include "platform/power.h"

namespace hx::platform {

// Power actions through systemd-logind on the system bus. With the
// environment variable HENGXIU_POWER=dry-run nothing is sent: each request is
// only recorded in memory and, when HENGXIU_POWER_LOG names a file, appended
// to it as one line ("poweroff", "logoff" or "reboot").
class LinuxPowerBackend final : public PowerBackend {
  public:
    void request(PowerAction action) override;

    // Read at every request, so a test environment can never reach logind.
    static bool isDryRun();
    static QString actionName(PowerAction action);

    // Requests recorded in dry-run mode, oldest first.
    const QStringList& recorded() const { return recorded_; }

  private:
    void record(PowerAction action);
    static void send(PowerAction action);

    QStringList recorded_;
};

}  // namespace hx::platform
