#pragma once

namespace hx::platform {
class Shell;
class SoundPlayer;
class PowerBackend;
class Network;
class Desktop;
class FileProbe;
class IconLoader;
}  // namespace hx::platform

namespace hx::core {

// The platform services one run uses; owned by whoever built them (the real
// backend in main(), fakes in tests).
struct Services {
    platform::Shell* shell = nullptr;
    platform::SoundPlayer* sound = nullptr;
    platform::PowerBackend* power = nullptr;
    platform::Network* network = nullptr;
    platform::Desktop* desktop = nullptr;
    platform::FileProbe* probe = nullptr;
    platform::IconLoader* icons = nullptr;
};

}  // namespace hx::core
