#pragma once

namespace hx::platform {

enum class Sound { SwitchFirst, SwitchSecond, Click };

// Asynchronous, not looped; silent where there is no audio device.
class SoundPlayer {
  public:
    virtual ~SoundPlayer() = default;
    virtual void play(Sound sound) = 0;
};

}  // namespace hx::platform
