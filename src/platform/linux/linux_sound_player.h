#pragma once

#include <QUrl>
#include <array>
#include <memory>

#include "platform/sound_player.h"

class QSoundEffect;

namespace hx::platform {

// Plays the switch and click sounds from the program's resources. Each sound is
// loaded on first use; nothing plays (and nothing is loaded) without an audio
// output device.
class LinuxSoundPlayer final : public SoundPlayer {
  public:
    LinuxSoundPlayer();
    ~LinuxSoundPlayer() override;

    void play(Sound sound) override;

    static QUrl sourceOf(Sound sound);
    // How many sounds have been loaded so far (0 while there is no output).
    int loadedCount() const;

  private:
    std::array<std::unique_ptr<QSoundEffect>, 3> effects_;
};

}  // namespace hx::platform
