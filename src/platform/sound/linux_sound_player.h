#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <thread>

#include "platform/sound_player.h"

namespace hx::platform {

// Plays the switch and click sounds from the program's resources through the
// sound server (PulseAudio, or PipeWire's PulseAudio service), on a worker
// thread of its own: a play never waits for the server. Each sound has its
// own stream, so a click does not cut a switch sound short, and a sound asked
// for again while it still sounds starts again from the beginning. Without a
// server nothing is heard; every play tries again, so a server started later
// is used.
class LinuxSoundPlayer final : public SoundPlayer {
  public:
    // Samples as the server takes them: 8-bit unsigned or 16-bit signed
    // little-endian, interleaved, whole frames only.
    struct Pcm {
        int bits = 0;
        int channels = 0;
        int rate = 0;
        QByteArray samples;
    };

    LinuxSoundPlayer();
    ~LinuxSoundPlayer() override;

    void play(Sound sound) override;

    static QString resourceOf(Sound sound);
    // The PCM of a RIFF/WAVE file; none for anything else (another encoding,
    // a chunk past the end, more than two channels, an absurd rate).
    static std::optional<Pcm> decodeWav(const QByteArray& bytes);
    // How many sounds have been decoded so far.
    int loadedCount() const;

    struct Shared;

  private:
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
};

}  // namespace hx::platform
