// The interface thread's longest turn with a huge avatar, through a start and
// through "保存设置", against the same file decoded on the interface thread
// (what a start did before) as the yardstick, in the same run.
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>

#include "appearance/avatar.h"
#include "appearance/settings_window.h"
#include "storage/config.h"
#include "support/gui_bench.h"
#include "support/huge_png.h"

namespace {

using hx::bench::ProgramWindow;
using hx::bench::StallMeter;

// Argument 0: the 20,000 px file Qt refuses to decode whole; argument 1: a
// 4,000 px photo-sized picture it decodes whole, then scales.
QByteArray avatarBytes(int kind) {
    static QByteArray bytes[2];
    if (bytes[kind].isEmpty()) {
        if (kind == 0) {
            bytes[0] = hx::test::hugePng(20000);
        } else {
            QImage photo(4000, 4000, QImage::Format_RGB32);
            for (int y = 0; y < photo.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
                for (int x = 0; x < photo.width(); ++x)
                    line[x] = qRgb(x & 255, y & 255, (x ^ y) & 255);
            }
            QBuffer buffer(&bytes[1]);
            buffer.open(QIODevice::WriteOnly);
            photo.save(&buffer, "PNG");
        }
    }
    return bytes[kind];
}

void writeHugeAvatar(ProgramWindow& w, int kind) {
    QFile file(w.root().file(QStringLiteral("User/huge.png")));
    file.open(QIODevice::WriteOnly);
    file.write(avatarBytes(kind));
    file.close();
    hx::storage::Config(w.root()).setAvatar(QStringLiteral("huge.png"));
}

// Keeps the loop turning for `ms`, so that whatever the start left to the
// worker has time to finish (or not) while the meter runs.
void turnFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void BM_HugeAvatarDecodedOnTheInterfaceThread(benchmark::State& state) {
    ProgramWindow w;
    writeHugeAvatar(w, int(state.range(0)));
    const QString path = w.root().file(QStringLiteral("User/huge.png"));
    for (auto _ : state) benchmark::DoNotOptimize(hx::appearance::loadAvatar(path));
}

void BM_HugeAvatarStart(benchmark::State& state) {
    double longest = 0;
    for (auto _ : state) {
        ProgramWindow w;
        writeHugeAvatar(w, int(state.range(0)));
        StallMeter meter;
        meter.start();
        w.start();
        turnFor(1500);
        meter.stop();
        longest = std::max(longest, meter.longestMs());
    }
    state.counters["longest_ui_stall_ms"] = longest;
}

void BM_HugeAvatarSave(benchmark::State& state) {
    ProgramWindow w;
    writeHugeAvatar(w, int(state.range(0)));
    w.start();
    turnFor(1500);
    auto* settings = w.window->windows().openSettings(-1);
    turnFor(1500);
    double longest = 0;
    for (auto _ : state) {
        StallMeter meter;
        meter.start();
        settings->saveSettings();
        turnFor(1500);
        meter.stop();
        longest = std::max(longest, meter.longestMs());
    }
    state.counters["longest_ui_stall_ms"] = longest;
}

BENCHMARK(BM_HugeAvatarDecodedOnTheInterfaceThread)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_HugeAvatarStart)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_HugeAvatarSave)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) { return hx::bench::runGuiBenchmarks(argc, argv); }
