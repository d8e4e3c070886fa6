#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/linux/lazy_sound_player.h"

namespace hx::platform {
namespace {

TEST(LazySoundPlayer, LoadsTheModuleOnTheFirstSoundOnly) {
    LazySoundPlayer player;
    EXPECT_FALSE(player.moduleLoaded());
    player.play(Sound::Click);  // silent offscreen, but the module is there
    EXPECT_TRUE(player.moduleLoaded());
    player.play(Sound::SwitchFirst);
    EXPECT_TRUE(player.moduleLoaded());
}

TEST(LazySoundPlayer, StaysSilentWithoutAUsableModule) {
    QTemporaryDir dir;
    const QString notAModule = dir.filePath("libhengxiu-sound.so");
    QFile f(notAModule);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a library");
    f.close();
    LazySoundPlayer player({dir.filePath("missing.so"), notAModule});
    player.play(Sound::SwitchSecond);
    player.play(Sound::Click);
    EXPECT_FALSE(player.moduleLoaded());
}

}  // namespace
}  // namespace hx::platform
