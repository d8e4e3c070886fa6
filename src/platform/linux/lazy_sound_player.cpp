#include "platform/linux/lazy_sound_player.h"

#include "platform/linux/modules.h"

namespace hx::platform {

LazySoundPlayer::LazySoundPlayer(QStringList candidates) : candidates_(std::move(candidates)) {}

LazySoundPlayer::~LazySoundPlayer() = default;

QStringList LazySoundPlayer::defaultCandidates() {
#ifdef HX_SOUND_MODULE
    return moduleCandidates(QStringLiteral("libhengxiu-sound.so"), QStringLiteral(HX_SOUND_MODULE));
#else
    return moduleCandidates(QStringLiteral("libhengxiu-sound.so"), QString());
#endif
}

void LazySoundPlayer::play(Sound sound) {
    if (!tried_) {
        tried_ = true;
        using Make = SoundPlayer* (*)();
        if (auto make = reinterpret_cast<Make>(resolveInModules(candidates_, "hx_make_sound_player")))
            player_.reset(make());
    }
    if (player_) player_->play(sound);
}

}  // namespace hx::platform
