#include "items/launcher.h"

#include <utility>

#include "items/link.h"

namespace hx::items {

Launcher::Launcher(platform::Shell& shell, platform::SoundPlayer& sound,
                   CountdownOpener openCountdown)
    : shell_(shell), sound_(sound), openCountdown_(std::move(openCountdown)) {}

void Launcher::open(const QString& link) {
    const LinkPlan plan = classifyLink(link);
    switch (plan.kind) {
        case LinkKind::PowerOff:
        case LinkKind::Logoff:
        case LinkKind::Reboot:
            // The countdown window shows first, the click follows it.
            if (openCountdown_) openCountdown_(plan.countdownTitle);
            sound_.play(platform::Sound::Click);
            return;
        case LinkKind::Web:
            sound_.play(platform::Sound::Click);
            shell_.open(plan.text);
            return;
        case LinkKind::Command:
            sound_.play(platform::Sound::Click);
            if (!shell_.startProcess(plan.text)) shell_.open(plan.text);
            return;
        case LinkKind::Plain:
            sound_.play(platform::Sound::Click);
            shell_.open(plan.text);
            return;
    }
}

void Launcher::openFromSearch(const QString& link) {
    const SearchLaunchPlan plan = searchLaunchPlan(link);
    if (plan.action == SearchLaunch::StartProcess)
        shell_.startProcess(plan.text);
    else
        shell_.open(plan.text);
}

}  // namespace hx::items
