// The sound player lives in a module of its own: the sound server's client and the audio
// libraries behind it are only loaded when the first sound plays, not at
// every start of the program.
#include "platform/sound/linux_sound_player.h"

extern "C" __attribute__((visibility("default"))) hx::platform::SoundPlayer*
hx_make_sound_player() {
    return new hx::platform::LinuxSoundPlayer();
}
