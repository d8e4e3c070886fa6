#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTest>
#include <QtEndian>
#include <cstdlib>

#include "platform/linux/linux_sound_player.h"

namespace {

using hx::platform::LinuxSoundPlayer;
using hx::platform::Sound;

struct Wav {
    int format = 0, channels = 0, rate = 0, bits = 0;
    QVector<qint16> samples;  // interleaved
    double seconds() const {
        return channels && rate ? double(samples.size()) / channels / rate : 0;
    }
};

// Reads a RIFF/WAVE image chunk by chunk, as a player would.
bool parseWav(const QByteArray& bytes, Wav& wav) {
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") return false;
    if (qFromLittleEndian<quint32>(bytes.constData() + 4) != quint32(bytes.size() - 8))
        return false;
    qsizetype pos = 12;
    bool haveFormat = false, haveData = false;
    while (pos + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(pos, 4);
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + pos + 4);
        const char* body = bytes.constData() + pos + 8;
        if (pos + 8 + qsizetype(size) > bytes.size()) return false;
        if (id == "fmt ") {
            wav.format = qFromLittleEndian<quint16>(body);
            wav.channels = qFromLittleEndian<quint16>(body + 2);
            wav.rate = int(qFromLittleEndian<quint32>(body + 4));
            wav.bits = qFromLittleEndian<quint16>(body + 14);
            haveFormat = true;
        } else if (id == "data") {
            for (quint32 i = 0; i + 1 < size; i += 2)
                wav.samples << qFromLittleEndian<qint16>(body + i);
            haveData = true;
        }
        pos += 8 + size + (size & 1);
    }
    return haveFormat && haveData;
}

struct Expected {
    Sound sound;
    int channels;
    int rate;
    double minSeconds, maxSeconds;
};

TEST(SoundResources, OwnSoundsArePlayablePcmWithCleanEdges) {
    const Expected all[] = {{Sound::SwitchFirst, 1, 22050, 0.7, 0.9},
                            {Sound::SwitchSecond, 2, 44100, 0.1, 0.16},
                            {Sound::Click, 2, 22050, 0.05, 0.1}};
    for (const Expected& e : all) {
        const QUrl url = LinuxSoundPlayer::sourceOf(e.sound);
        ASSERT_EQ(url.scheme(), QStringLiteral("qrc"));
        QFile file(u':' + url.path());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << url.toString().toStdString();
        Wav wav;
        ASSERT_TRUE(parseWav(file.readAll(), wav)) << url.toString().toStdString();
        SCOPED_TRACE(url.toString().toStdString());
        EXPECT_EQ(wav.format, 1);  // PCM
        EXPECT_EQ(wav.bits, 16);
        EXPECT_EQ(wav.channels, e.channels);
        EXPECT_EQ(wav.rate, e.rate);
        EXPECT_GE(wav.seconds(), e.minSeconds);
        EXPECT_LE(wav.seconds(), e.maxSeconds);

        int peak = 0;
        for (qint16 s : wav.samples) peak = std::max(peak, std::abs(int(s)));
        EXPECT_LT(peak, 32000) << "clipped";
        EXPECT_GT(peak, 3000) << "inaudible";
        // No pop: the first and last frames are (nearly) silent.
        const int frame = e.channels;
        for (int c = 0; c < frame; ++c) {
            EXPECT_LT(std::abs(int(wav.samples[c])), 400);
            EXPECT_LT(std::abs(int(wav.samples[wav.samples.size() - frame + c])), 400);
        }
    }
}

// The player's own decoder must accept every sound (it needs no audio device).
TEST(SoundResources, SoundEffectLoadsEachSound) {
    for (Sound s : {Sound::SwitchFirst, Sound::SwitchSecond, Sound::Click}) {
        QSoundEffect effect;
        effect.setSource(LinuxSoundPlayer::sourceOf(s));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return effect.status() == QSoundEffect::Ready ||
                       effect.status() == QSoundEffect::Error;
            },
            10000));
        EXPECT_EQ(effect.status(), QSoundEffect::Ready) << effect.source().toString().toStdString();
    }
}

TEST(SoundPlayer, PlaysEverySoundRepeatedlyWithoutBlockingOrCrashing) {
    LinuxSoundPlayer player;
    for (int round = 0; round < 3; ++round)
        for (Sound s : {Sound::SwitchFirst, Sound::SwitchSecond, Sound::Click}) player.play(s);
    QTest::qWait(50);
    // Without an audio device nothing is even loaded; with one, each sound once.
    EXPECT_EQ(player.loadedCount(), QMediaDevices::audioOutputs().isEmpty() ? 0 : 3);
}

}  // namespace
