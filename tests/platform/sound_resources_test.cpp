#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <QtEndian>
#include <cstdlib>

#include "platform/sound/linux_sound_player.h"

namespace {

using hx::platform::LinuxSoundPlayer;
using hx::platform::Sound;

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
        const QString path = LinuxSoundPlayer::resourceOf(e.sound);
        SCOPED_TRACE(path.toStdString());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const auto pcm = LinuxSoundPlayer::decodeWav(file.readAll());
        ASSERT_TRUE(pcm);
        EXPECT_EQ(pcm->bits, 16);
        EXPECT_EQ(pcm->channels, e.channels);
        EXPECT_EQ(pcm->rate, e.rate);
        QVector<qint16> samples;
        for (qsizetype i = 0; i + 1 < pcm->samples.size(); i += 2)
            samples << qFromLittleEndian<qint16>(pcm->samples.constData() + i);
        const double seconds = double(samples.size()) / e.channels / e.rate;
        EXPECT_GE(seconds, e.minSeconds);
        EXPECT_LE(seconds, e.maxSeconds);

        int peak = 0;
        for (qint16 s : samples) peak = std::max(peak, std::abs(int(s)));
        EXPECT_LT(peak, 32000) << "clipped";
        EXPECT_GT(peak, 3000) << "inaudible";
        // No pop: the first and last frames are (nearly) silent.
        const int frame = e.channels;
        for (int c = 0; c < frame; ++c) {
            EXPECT_LT(std::abs(int(samples[c])), 400);
            EXPECT_LT(std::abs(int(samples[samples.size() - frame + c])), 400);
        }
    }
}

QByteArray wav(quint16 encoding, quint16 channels, quint32 rate, quint16 bits, QByteArray data,
               qint64 dataSize = -1) {
    QByteArray fmt(16, '\0');
    qToLittleEndian<quint16>(encoding, fmt.data());
    qToLittleEndian<quint16>(channels, fmt.data() + 2);
    qToLittleEndian<quint32>(rate, fmt.data() + 4);
    qToLittleEndian<quint16>(bits, fmt.data() + 14);
    const auto chunk = [](const char* id, const QByteArray& body, qint64 size) {
        QByteArray out(id, 4);
        out.resize(8);
        qToLittleEndian<quint32>(quint32(size < 0 ? body.size() : size), out.data() + 4);
        return out + body + (body.size() % 2 ? QByteArray(1, '\0') : QByteArray());
    };
    const QByteArray body = "WAVE" + chunk("fmt ", fmt, -1) + chunk("data", data, dataSize);
    QByteArray riff("RIFF____");
    qToLittleEndian<quint32>(quint32(body.size()), riff.data() + 4);
    return riff + body;
}

// Whatever a sound file holds, decoding stops inside it and hands the server
// only whole frames of a format it takes.
TEST(SoundResources, DecodingRefusesWhatIsNoPlainPcm) {
    const QByteArray four(4, '\x10');
    struct Case {
        const char* why;
        QByteArray bytes;
        qsizetype samples;  // -1: refused
    };
    const Case cases[] = {
        {"16-bit stereo", wav(1, 2, 44100, 16, QByteArray(8, '\x01')), 8},
        {"8-bit mono", wav(1, 1, 8000, 8, four), 4},
        {"a half frame at the end is left out", wav(1, 2, 22050, 16, QByteArray(6, '\x01')), 4},
        {"data larger than the file", wav(1, 1, 8000, 8, four, 0x7fffffff), -1},
        {"not PCM", wav(3, 1, 8000, 8, four), -1},
        {"six channels", wav(1, 6, 8000, 16, four), -1},
        {"24-bit", wav(1, 1, 8000, 24, QByteArray(6, '\x01')), -1},
        {"rate of zero", wav(1, 1, 0, 8, four), -1},
        {"no samples", wav(1, 1, 8000, 16, QByteArray(1, '\x01')), -1},
        {"cut short", wav(1, 1, 8000, 8, four).left(30), -1},
        {"not RIFF", QByteArray("MThd") + QByteArray(40, '\0'), -1},
        {"empty", QByteArray(), -1},
    };
    for (const Case& c : cases) {
        const auto pcm = LinuxSoundPlayer::decodeWav(c.bytes);
        if (c.samples < 0) {
            EXPECT_FALSE(pcm) << c.why;
        } else {
            ASSERT_TRUE(pcm) << c.why;
            EXPECT_EQ(pcm->samples.size(), c.samples) << c.why;
        }
    }
}

// Without a sound server (as here) the plays are silent and each sound is
// decoded once.
TEST(SoundPlayer, PlaysEverySoundRepeatedlyWithoutBlockingOrCrashing) {
    LinuxSoundPlayer player;
    for (int round = 0; round < 3; ++round)
        for (Sound s : {Sound::SwitchFirst, Sound::SwitchSecond, Sound::Click}) player.play(s);
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.loadedCount() == 3; }, 10000));
}

}  // namespace
