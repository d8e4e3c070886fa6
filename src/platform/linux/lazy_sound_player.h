#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "platform/sound_player.h"

namespace hx::platform {

// Loads the sound module on the first play and hands every play to it.
// Without the module (or an audio device) the program simply stays silent.
class LazySoundPlayer final : public SoundPlayer {
  public:
    // Where the module is looked for, first match wins.
    explicit LazySoundPlayer(QStringList candidates = defaultCandidates());
    ~LazySoundPlayer() override;

    void play(Sound sound) override;
    bool moduleLoaded() const { return player_ != nullptr; }

    static QStringList defaultCandidates();

  private:
    QStringList candidates_;
    bool tried_ = false;
    std::unique_ptr<SoundPlayer> player_;
};

}  // namespace hx::platform
