#pragma once

#include "core/services.h"
#include "platform/icon_loader.h"
#include "platform/linux/linux_desktop.h"
#include "platform/linux/linux_file_probe.h"
#include "platform/linux/linux_network.h"
#include "platform/linux/linux_power_backend.h"
#include "platform/linux/linux_shell.h"
#include "platform/linux/linux_sound_player.h"

namespace hx::app {

// The real desktop behind the platform interfaces, as the program and the
// benchmarks use it (tests put fakes in their place).
struct LinuxBackends {
    platform::LinuxShell shell;
    platform::LinuxSoundPlayer sound;
    platform::LinuxPowerBackend power;
    platform::LinuxNetwork network;
    platform::LinuxDesktop desktop;
    platform::LinuxFileProbe probe;
    platform::IconLoader icons;

    core::Services services() {
        core::Services s;
        s.shell = &shell;
        s.sound = &sound;
        s.power = &power;
        s.network = &network;
        s.desktop = &desktop;
        s.probe = &probe;
        s.icons = &icons;
        return s;
    }
};

}  // namespace hx::app
