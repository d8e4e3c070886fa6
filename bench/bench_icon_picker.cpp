// The icon picker's system page: time until its last icon is listed, with a
// cold and a warm icon cache, and the longest stall of the user-interface
// thread meanwhile (wall clock, and the thread's own CPU time between two
// turns of its event loop).
#include <QEventLoop>

#include "app/linux_backends.h"
#include "items/icon_picker.h"
#include "platform/linux/linux_file_probe.h"
#include "support/gui_bench.h"

namespace {

void systemPage(benchmark::State& state, bool cold) {
    QTemporaryDir dir;
    const hx::storage::DataRoot root(dir.path());
    root.ensureLayout(true);
    hx::core::QtDialogs dialogs;
    hx::app::LinuxBackends backends;
    hx::core::Session session(root, backends.services(), dialogs);
    hx::items::IconPicker picker(session, QPoint(300, 200), QStringLiteral("记事本"), QString());
    picker.show();
    {
        // Untimed: the first paint loads fonts and the first load the theme
        // index; both happen once per run, not per page.
        QEventLoop loop;
        QObject::connect(&picker, &hx::items::IconPicker::loadFinished, &loop, &QEventLoop::quit);
        picker.load(hx::items::IconPicker::Source::System);
        loop.exec();
    }

    double allTotal = 0, worstStall = 0, worstBusy = 0;
    int listed = 0;
    for (auto _ : state) {
        if (cold) backends.icons.clearCache();
        // Waits as the program's event loop does: asleep until something arrives.
        QEventLoop loop;
        QObject::connect(&picker, &hx::items::IconPicker::loadFinished, &loop, &QEventLoop::quit);
        hx::bench::StallMeter meter;
        meter.start();
        picker.load(hx::items::IconPicker::Source::System);
        meter.resume();
        loop.exec();
        const double all = meter.stop();
        state.SetIterationTime(all / 1000.0);
        allTotal += all;
        worstStall = std::max(worstStall, meter.longestMs());
        worstBusy = std::max(worstBusy, meter.longestCpuMs());
        listed = picker.controls().icons->count();
    }
    state.counters["last_icon_ms"] = allTotal / state.iterations();
    state.counters["longest_ui_stall_ms"] = worstStall;
    state.counters["longest_ui_busy_ms"] = worstBusy;
    state.counters["icons"] = listed;
}

void BM_IconPickerSystemCold(benchmark::State& state) { systemPage(state, true); }
void BM_IconPickerSystemWarm(benchmark::State& state) { systemPage(state, false); }

BENCHMARK(BM_IconPickerSystemCold)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_IconPickerSystemWarm)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) { return hx::bench::runGuiBenchmarks(argc, argv); }
