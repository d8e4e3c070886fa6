#include "platform/linux/linux_sound_player.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>

namespace hx::platform {

namespace {
std::size_t slotOf(Sound sound) {
    switch (sound) {
        case Sound::SwitchFirst:
            return 0;
        case Sound::SwitchSecond:
            return 1;
        case Sound::Click:
            return 2;
    }
    return 2;
}
}  // namespace

LinuxSoundPlayer::LinuxSoundPlayer() = default;
LinuxSoundPlayer::~LinuxSoundPlayer() = default;

QUrl LinuxSoundPlayer::sourceOf(Sound sound) {
    switch (sound) {
        case Sound::SwitchFirst:
            return QUrl(QStringLiteral("qrc:/sounds/switch1.wav"));
        case Sound::SwitchSecond:
            return QUrl(QStringLiteral("qrc:/sounds/switch2.wav"));
        case Sound::Click:
            return QUrl(QStringLiteral("qrc:/sounds/click.wav"));
    }
    return {};
}

int LinuxSoundPlayer::loadedCount() const {
    int n = 0;
    for (const auto& effect : effects_) n += effect ? 1 : 0;
    return n;
}

void LinuxSoundPlayer::play(Sound sound) {
    // Asked each time: headphones plugged in later should be heard.
    if (QMediaDevices::audioOutputs().isEmpty()) return;
    auto& effect = effects_[slotOf(sound)];
    if (!effect) {
        effect = std::make_unique<QSoundEffect>();
        effect->setSource(sourceOf(sound));
    }
    // A click while the previous one still sounds starts it again.
    if (effect->isPlaying()) effect->stop();
    // Plays once loading has finished when called while still loading.
    effect->play();
}

}  // namespace hx::platform
