#include "platform/sound/linux_sound_player.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace hx::platform {

namespace {

constexpr std::size_t kSounds = 3;

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

constexpr Sound kSoundOfSlot[kSounds] = {Sound::SwitchFirst, Sound::SwitchSecond, Sound::Click};

}  // namespace

struct LinuxSoundPlayer::Shared {
    std::mutex mutex;
    std::condition_variable wake, ended;
    std::array<bool, kSounds> wanted{};  // asked for since the worker last looked
    bool stop = false;
    bool finished = false;
    int decoded = 0;
};

namespace {

// The worker: decodes each sound once, keeps one stream per sound, and hands
// the server a sound again from its start each time it is asked for.
void serve(const std::shared_ptr<LinuxSoundPlayer::Shared>& shared) {
    LinuxSoundPlayer::Shared& s = *shared;
    std::array<std::optional<LinuxSoundPlayer::Pcm>, kSounds> pcm;
    std::array<bool, kSounds> read{};
    std::array<pa_simple*, kSounds> streams{};
    for (;;) {
        std::array<bool, kSounds> now{};
        {
            std::unique_lock lock(s.mutex);
            s.wake.wait(lock, [&] {
                return s.stop ||
                       std::find(s.wanted.begin(), s.wanted.end(), true) != s.wanted.end();
            });
            if (s.stop) break;
            now = std::exchange(s.wanted, {});
        }
        for (std::size_t i = 0; i < kSounds; ++i) {
            if (!now[i]) continue;
            if (!std::exchange(read[i], true)) {
                QFile file(LinuxSoundPlayer::resourceOf(kSoundOfSlot[i]));
                if (file.open(QIODevice::ReadOnly))
                    pcm[i] = LinuxSoundPlayer::decodeWav(file.readAll());
                if (pcm[i]) {
                    std::lock_guard lock(s.mutex);
                    ++s.decoded;
                }
            }
            if (!pcm[i]) continue;
            int error = 0;
            if (!streams[i]) {
                pa_sample_spec sampleFormat{};
                sampleFormat.format = pcm[i]->bits == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
                sampleFormat.rate = std::uint32_t(pcm[i]->rate);
                sampleFormat.channels = std::uint8_t(pcm[i]->channels);
                streams[i] = pa_simple_new(nullptr, "hengxiu-toolbox", PA_STREAM_PLAYBACK, nullptr,
                                           i == 2 ? "click" : "switch", &sampleFormat, nullptr,
                                           nullptr, &error);
                if (!streams[i]) continue;  // no server now; the next play asks again
            }
            // What is still buffered of the last time goes: the sound starts over.
            if (pa_simple_flush(streams[i], &error) < 0 ||
                pa_simple_write(streams[i], pcm[i]->samples.constData(),
                                std::size_t(pcm[i]->samples.size()), &error) < 0) {
                pa_simple_free(std::exchange(streams[i], nullptr));
            }
        }
    }
    for (pa_simple* stream : streams)
        if (stream) pa_simple_free(stream);
    {
        std::lock_guard lock(s.mutex);
        s.finished = true;
    }
    s.ended.notify_all();
}

}  // namespace

LinuxSoundPlayer::LinuxSoundPlayer() : shared_(std::make_shared<Shared>()) {}

LinuxSoundPlayer::~LinuxSoundPlayer() {
    if (!worker_.joinable()) return;
    std::unique_lock lock(shared_->mutex);
    shared_->stop = true;
    shared_->wake.notify_one();
    // A sound server that does not answer must not hold up the end of the program.
    if (shared_->ended.wait_for(lock, std::chrono::seconds(1), [&] { return shared_->finished; })) {
        lock.unlock();
        worker_.join();
    } else {
        lock.unlock();
        worker_.detach();  // it keeps what it uses alive itself
    }
}

QString LinuxSoundPlayer::resourceOf(Sound sound) {
    switch (sound) {
        case Sound::SwitchFirst:
            return QStringLiteral(":/sounds/switch1.wav");
        case Sound::SwitchSecond:
            return QStringLiteral(":/sounds/switch2.wav");
        case Sound::Click:
            return QStringLiteral(":/sounds/click.wav");
    }
    return {};
}

int LinuxSoundPlayer::loadedCount() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->decoded;
}

void LinuxSoundPlayer::play(Sound sound) {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->wanted[slotOf(sound)] = true;
    }
    if (!worker_.joinable()) worker_ = std::thread(serve, shared_);
    shared_->wake.notify_one();
}

std::optional<LinuxSoundPlayer::Pcm> LinuxSoundPlayer::decodeWav(const QByteArray& bytes) {
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return std::nullopt;
    Pcm pcm;
    bool haveFormat = false;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const qint64 size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        const qsizetype body = at + 8;
        if (size > bytes.size() - body) return std::nullopt;
        if (id == "fmt ") {
            if (size < 16) return std::nullopt;
            const char* f = bytes.constData() + body;
            if (qFromLittleEndian<quint16>(f) != 1) return std::nullopt;  // PCM only
            pcm.channels = qFromLittleEndian<quint16>(f + 2);
            pcm.rate = int(qFromLittleEndian<quint32>(f + 4));
            pcm.bits = qFromLittleEndian<quint16>(f + 14);
            if (pcm.channels < 1 || pcm.channels > 2 || pcm.rate < 4000 || pcm.rate > 192000 ||
                (pcm.bits != 8 && pcm.bits != 16))
                return std::nullopt;
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) return std::nullopt;
            const qsizetype frame = qsizetype(pcm.channels) * (pcm.bits / 8);
            pcm.samples = bytes.mid(body, qsizetype(size) - qsizetype(size) % frame);
            if (pcm.samples.isEmpty()) return std::nullopt;
            return pcm;
        }
        at = body + qsizetype(size) + (size & 1);
    }
    return std::nullopt;
}

}  // namespace hx::platform
