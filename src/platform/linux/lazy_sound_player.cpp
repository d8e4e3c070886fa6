#include "platform/linux/lazy_sound_player.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace hx::platform {

LazySoundPlayer::LazySoundPlayer(QStringList candidates) : candidates_(std::move(candidates)) {}

LazySoundPlayer::~LazySoundPlayer() = default;

QStringList LazySoundPlayer::defaultCandidates() {
    QStringList list{QCoreApplication::applicationDirPath() +
                     QStringLiteral("/libhengxiu-sound.so")};
#ifdef HX_SOUND_MODULE_INSTALLED
    list << QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                QStringLiteral(HX_SOUND_MODULE_INSTALLED "/libhengxiu-sound.so");
#endif
#ifdef HX_SOUND_MODULE
    list << QStringLiteral(HX_SOUND_MODULE);
#endif
    return list;
}

void LazySoundPlayer::play(Sound sound) {
    if (!tried_) {
        tried_ = true;
        for (const QString& path : candidates_) {
            if (!QFileInfo(path).isFile()) continue;
            // Never unloaded: the player's code lives in the module.
            auto* library = new QLibrary(path);
            using Make = SoundPlayer* (*)();
            if (auto make = reinterpret_cast<Make>(library->resolve("hx_make_sound_player"))) {
                player_.reset(make());
                break;
            }
            delete library;
        }
    }
    if (player_) player_->play(sound);
}

}  // namespace hx::platform
