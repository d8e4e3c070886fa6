#pragma once

#include <QString>
#include <functional>

#include "platform/shell.h"
#include "platform/sound_player.h"

namespace hx::items {

// Opens an item's link: power words open the countdown window, "@" links go to
// the shell, "&" links start a process (falling back to the shell), anything
// else is opened by the shell as it stands. Results are not reported.
class Launcher {
  public:
    using CountdownOpener = std::function<void(const QString& title)>;

    Launcher(platform::Shell& shell, platform::SoundPlayer& sound, CountdownOpener openCountdown);

    // Opening from the item grid, with the click sound.
    void open(const QString& link);
    // Opening from the settings window's search list: no sound, no power words,
    // no shell fall-back for command lines.
    void openFromSearch(const QString& link);

  private:
    platform::Shell& shell_;
    platform::SoundPlayer& sound_;
    CountdownOpener openCountdown_;
};

}  // namespace hx::items
