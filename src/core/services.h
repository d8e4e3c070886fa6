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
// backend in main(), fakes in tests). Every one is always there.
struct Services {
    platform::Shell* shell = nullptr;
    platform::SoundPlayer* sound = nullptr;
    platform::PowerBackend* power = nullptr;
    platform::Network* network = nullptr;
    platform::Desktop* desktop = nullptr;
    platform::FileProbe* probe = nullptr;
    platform::IconLoader* icons = nullptr;

    bool complete() const {
        return shell && sound && power && network && desktop && probe && icons;
    }
};

}  // namespace hx::core
