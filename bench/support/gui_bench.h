#pragma once
// What the interface benchmarks share: the program's own main window over a
// temporary data root, a meter of user-interface stalls, and main().
#include <benchmark/benchmark.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

#include "app/linux_backends.h"
#include "app/main_window.h"
#include "app/runtime.h"
#include "core/catalogue.h"
#include "core/item_loader.h"
#include "core/qt_dialogs.h"
#include "core/session.h"
#include "platform/icon_loader.h"
#include "storage/item_database.h"

namespace hx::bench {

// The main window with the real Linux backends, built as the program builds it.
class ProgramWindow {
  public:
    QTemporaryDir dir;
    QTemporaryDir desktop;
    core::QtDialogs dialogs;
    std::unique_ptr<app::LinuxBackends> backends;
    std::unique_ptr<core::Session> session;
    std::unique_ptr<app::Runtime> runtime;
    std::unique_ptr<app::MainWindow> window;

    // Lays the root out with an empty catalogue: fill it before start().
    ProgramWindow() {
        root().ensureLayout(true);
        storage::ItemDatabase::createEmpty(root().databasePath());
    }
    ~ProgramWindow() {
        window.reset();  // before the runtime and session it refers to
        runtime.reset();
        session.reset();
    }

    storage::DataRoot root() const { return storage::DataRoot(dir.path()); }

    void start() {
        // The start-up puts a launcher on the desktop: never the user's own.
        qputenv("HENGXIU_DESKTOP_DIR", desktop.path().toUtf8());
        qputenv("HENGXIU_POWER", "dry-run");
        backends = std::make_unique<app::LinuxBackends>();
        session = std::make_unique<core::Session>(root(), backends->services(), dialogs);
        runtime = std::make_unique<app::Runtime>(*session);
        window = std::make_unique<app::MainWindow>(*runtime);
        window->show();
        window->start();
        settle();
    }

    // Lets the item loader finish and its queued entries arrive.
    void settle() {
        runtime->catalogue().finishLoading();
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }
};

// CPU time of the calling thread: a gap in it is work, not the scheduler
// running another process on a busy machine.
inline double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// A 1 ms timer on the interface thread: the longest gap between its ticks is
// the longest time the window could not answer.
class StallMeter {
  public:
    StallMeter() {
        ticker_.setInterval(1);
        QObject::connect(&ticker_, &QTimer::timeout, [this] { tick(); });
    }
    void start() {
        clock_.start();
        ticker_.start();
        resume();
    }
    // Measures from now: what ran since (a call being timed on its own) is not a stall.
    void resume() {
        last_ = elapsedMs();
        lastCpu_ = threadCpuMs();
    }
    // Ends the measure; the time since the last tick counts as a gap.
    double stop() {
        tick();
        ticker_.stop();
        return elapsedMs();
    }
    double elapsedMs() const { return clock_.nsecsElapsed() / 1e6; }
    double longestMs() const { return longest_; }
    double longestCpuMs() const { return longestCpu_; }

  private:
    void tick() {
        const double now = elapsedMs();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
        const double cpu = threadCpuMs();
        longestCpu_ = std::max(longestCpu_, cpu - lastCpu_);
        lastCpu_ = cpu;
    }

    QTimer ticker_;
    QElapsedTimer clock_;
    double last_ = 0, lastCpu_ = 0, longest_ = 0, longestCpu_ = 0;
};

// main() of an interface benchmark: offscreen, the icon theme as the program
// sets it; `beforeExit` drops what must go before the application.
inline int runGuiBenchmarks(int argc, char** argv, const std::function<void()>& beforeExit = {}) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    platform::installIconThemeFallback();
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    if (beforeExit) beforeExit();
    return 0;
}

}  // namespace hx::bench
