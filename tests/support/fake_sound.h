#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include "platform/sound_player.h"

namespace hx::test {

// Records the sounds played; "sound:<n>" also goes to a shared journal when set.
class FakeSound final : public platform::SoundPlayer {
  public:
    QVector<platform::Sound> played;
    QStringList* journal = nullptr;

    void play(platform::Sound sound) override {
        played.push_back(sound);
        if (journal) *journal << QStringLiteral("sound:") + name(sound);
    }

    static QString name(platform::Sound sound) {
        switch (sound) {
            case platform::Sound::SwitchFirst:
                return QStringLiteral("switch1");
            case platform::Sound::SwitchSecond:
                return QStringLiteral("switch2");
            case platform::Sound::Click:
                return QStringLiteral("click");
        }
        return {};
    }
};

}  // namespace hx::test
