// Process start to first paint of the main window (10 categories x 10
// columns) against a bare Qt window of the same size and the same window
// showing one line of Chinese text, all offscreen; and peak resident memory.
// On a real X server (the one in DISPLAY, or an Xvfb with openbox started
// here): process start to the first window mapped, for the program, the text
// window and rofi.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <signal.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

#include "storage/config.h"
#include "storage/data_root.h"
#include "storage/item_database.h"

namespace {

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system time of the process
    long maxRssKb = 0;
};

// Starts `argv` (found on PATH) with the program's test settings; `display`
// empty runs it offscreen.
pid_t spawn(const std::vector<std::string>& argv, const QByteArray& display = {}) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (display.isEmpty()) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        } else {
            setenv("DISPLAY", display.constData(), 1);
            unsetenv("QT_QPA_PLATFORM");
        }
        setenv("HENGXIU_POWER", "dry-run", 1);
        setenv("HENGXIU_PROBE_URL", "http://127.0.0.1:9/", 1);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

Run runToFirstPaint(const std::vector<std::string>& argv, const QByteArray& display = {}) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = spawn(argv, display);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.maxRssKb = usage.ru_maxrss;
    return run;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

QTemporaryDir& preparedRoot() {
    static QTemporaryDir dir;
    static bool ready = false;
    if (!ready) {
        const hx::storage::DataRoot root(dir.path());
        root.ensureLayout(true);
        hx::storage::ItemDatabase::createEmpty(root.databasePath());
        hx::storage::ItemDatabase db;
        db.open(root.databasePath());
        for (int c = 0; c < 10; ++c) {
            const QString category = QStringLiteral("分类%1").arg(c);
            db.addCategory(category, QStringLiteral("Folder.bmp"));
            for (int k = 0; k < 10; ++k) {
                const QString column = QStringLiteral("栏目%1").arg(k);
                db.addColumn(category, column);
                for (int i = 0; i < 10; ++i)
                    db.addItem({category, column, QStringLiteral("项目%1").arg(i),
                                QStringLiteral("/usr/bin"), QStringLiteral("$3")});
            }
        }
        db.close();
        hx::storage::Config(root).setPosition(10, 10);
        ready = true;
    }
    return dir;
}

void timeProgram(benchmark::State& state, const std::string& program) {
    QTemporaryDir desktop;
    setenv("HENGXIU_DESKTOP_DIR", desktop.path().toLocal8Bit().constData(), 1);
    const std::string root = preparedRoot().path().toStdString();
    // One untimed start lays out the data root and puts the launcher on the
    // desktop (which starts a helper process); the timed ones find both done.
    runToFirstPaint({program, "--root", root, "--exit-on-first-paint"});
    QThread::sleep(1);
    long rss = 0;
    for (auto _ : state) {
        const Run run = runToFirstPaint({program, "--root", root, "--exit-on-first-paint"});
        state.SetIterationTime(run.seconds);
        rss = std::max(rss, run.maxRssKb);
    }
    state.counters["peak_rss_MB"] = rss / 1024.0;
}

void BM_ProgramToFirstPaint(benchmark::State& state) { timeProgram(state, HX_PROGRAM); }

void BM_BareWindowToFirstPaint(benchmark::State& state) {
    long rss = 0;
    for (auto _ : state) {
        const Run run = runToFirstPaint({HX_BARE_WINDOW});
        state.SetIterationTime(run.seconds);
        rss = std::max(rss, run.maxRssKb);
    }
    state.counters["peak_rss_MB"] = rss / 1024.0;
}

void BM_TextWindowToFirstPaint(benchmark::State& state) {
    long rss = 0;
    for (auto _ : state) {
        const Run run = runToFirstPaint({HX_BARE_WINDOW, "--text"});
        state.SetIterationTime(run.seconds);
        rss = std::max(rss, run.maxRssKb);
    }
    state.counters["peak_rss_MB"] = rss / 1024.0;
}

// ---- On a real X server ----------------------------------------------------
// Time from the start of a process to the first window it maps, as the
// window manager sees it: a MapNotify on the root window.

struct XServer {
    std::unique_ptr<QProcess> server, manager;
    QByteArray display;

    // The display given, or a private Xvfb with openbox started here.
    bool start() {
        if (const char* given = std::getenv("DISPLAY"); given && *given) {
            display = given;
            return true;
        }
        display = ":" + QByteArray::number(90 + getpid() % 9);
        server = std::make_unique<QProcess>();
        server->start(
            QStringLiteral("Xvfb"),
            {QString::fromLatin1(display), QStringLiteral("-screen"), QStringLiteral("0"),
             QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!server->waitForStarted(5000)) return false;
        for (int i = 0; i < 100; ++i) {
            if (xcb_connection_t* c = xcb_connect(display.constData(), nullptr)) {
                const bool ok = !xcb_connection_has_error(c);
                xcb_disconnect(c);
                if (ok) break;
            }
            QThread::msleep(50);
        }
        manager = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
        manager->setProcessEnvironment(env);
        manager->start(QStringLiteral("openbox"), {});
        manager->waitForStarted(5000);
        QThread::sleep(1);
        return true;
    }
    ~XServer() {
        for (auto* p : {manager.get(), server.get()})
            if (p) {
                p->terminate();
                p->waitForFinished(3000);
            }
    }
};

XServer& xServer() {
    static XServer x;
    static const bool started = x.start();
    (void)started;
    return x;
}

// Seconds from fork to the first map on the root, or -1; the process is then ended.
double secondsToVisible(const std::vector<std::string>& argv) {
    xcb_connection_t* c = xcb_connect(xServer().display.constData(), nullptr);
    if (!c || xcb_connection_has_error(c)) return -1;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = spawn(argv, xServer().display);
    double seconds = -1;
    while (seconds < 0) {
        xcb_generic_event_t* event = xcb_wait_for_event(c);
        if (!event) break;
        if ((event->response_type & ~0x80) == XCB_MAP_NOTIFY)
            seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        free(event);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    xcb_disconnect(c);
    return seconds;
}

void timeToVisible(benchmark::State& state, const std::vector<std::string>& argv) {
    secondsToVisible(argv);  // untimed: lays out the data root, fills the caches
    for (auto _ : state) {
        const double seconds = secondsToVisible(argv);
        if (seconds < 0) {
            state.SkipWithError("no window was mapped");
            return;
        }
        state.SetIterationTime(seconds);
    }
}

void BM_ProgramToVisible(benchmark::State& state) {
    QTemporaryDir desktop;
    setenv("HENGXIU_DESKTOP_DIR", desktop.path().toLocal8Bit().constData(), 1);
    timeToVisible(state, {HX_PROGRAM, "--root", preparedRoot().path().toStdString()});
}

void BM_TextWindowToVisible(benchmark::State& state) {
    timeToVisible(state, {HX_BARE_WINDOW, "--text"});
}

void BM_RofiToVisible(benchmark::State& state) {
    if (std::system("command -v rofi >/dev/null 2>&1") != 0) {
        state.SkipWithError("rofi is not installed");
        return;
    }
    timeToVisible(state, {"rofi", "-show", "drun"});
}

// The program and a yardstick started in turn, pair after pair, so that a
// change in the machine's load falls on both alike. Counters: the median of
// each and the median of the per-pair ratios (program / yardstick).
void timePairsToVisible(benchmark::State& state, const std::vector<std::string>& yardstick) {
    QTemporaryDir desktop;
    setenv("HENGXIU_DESKTOP_DIR", desktop.path().toLocal8Bit().constData(), 1);
    const std::vector<std::string> program{HX_PROGRAM, "--root",
                                           preparedRoot().path().toStdString()};
    secondsToVisible(program);
    secondsToVisible(yardstick);
    std::vector<double> ours, theirs, ratios;
    for (auto _ : state) {
        const double a = secondsToVisible(program), b = secondsToVisible(yardstick);
        if (a < 0 || b < 0) {
            state.SkipWithError("no window was mapped");
            return;
        }
        ours.push_back(a);
        theirs.push_back(b);
        ratios.push_back(a / b);
        state.SetIterationTime(a);
    }
    state.counters["program_ms"] = median(ours) * 1000;
    state.counters["yardstick_ms"] = median(theirs) * 1000;
    state.counters["ratio"] = median(ratios);
}

void BM_ProgramVsRofiToVisible(benchmark::State& state) {
    if (std::system("command -v rofi >/dev/null 2>&1") != 0) {
        state.SkipWithError("rofi is not installed");
        return;
    }
    timePairsToVisible(state, {"rofi", "-show", "drun"});
}

void BM_ProgramVsTextWindowToVisible(benchmark::State& state) {
    timePairsToVisible(state, {HX_BARE_WINDOW, "--text"});
}

// Start to first paint on the X server, the program and the text window in
// turn: medians of wall time, CPU time and peak resident memory, and the
// median of the per-pair ratios of each.
void BM_ProgramVsTextWindowToFirstPaintOnX(benchmark::State& state) {
    QTemporaryDir desktop;
    setenv("HENGXIU_DESKTOP_DIR", desktop.path().toLocal8Bit().constData(), 1);
    const QByteArray display = xServer().display;
    const std::vector<std::string> program{HX_PROGRAM, "--root", preparedRoot().path().toStdString(),
                                           "--exit-on-first-paint"};
    const std::vector<std::string> text{HX_BARE_WINDOW, "--text"};
    runToFirstPaint(program, display);
    runToFirstPaint(text, display);
    std::vector<double> wall[2], cpu[2], rss[2], wallRatio, cpuRatio, rssRatio;
    for (auto _ : state) {
        const Run a = runToFirstPaint(program, display), b = runToFirstPaint(text, display);
        const Run* runs[2] = {&a, &b};
        for (int i = 0; i < 2; ++i) {
            wall[i].push_back(runs[i]->seconds * 1000);
            cpu[i].push_back(runs[i]->cpuSeconds * 1000);
            rss[i].push_back(runs[i]->maxRssKb / 1024.0);
        }
        wallRatio.push_back(a.seconds / b.seconds);
        cpuRatio.push_back(b.cpuSeconds > 0 ? a.cpuSeconds / b.cpuSeconds : 0);
        rssRatio.push_back(double(a.maxRssKb) / double(std::max(1L, b.maxRssKb)));
        state.SetIterationTime(a.seconds);
    }
    state.counters["program_wall_ms"] = median(wall[0]);
    state.counters["text_wall_ms"] = median(wall[1]);
    state.counters["wall_ratio"] = median(wallRatio);
    state.counters["program_cpu_ms"] = median(cpu[0]);
    state.counters["text_cpu_ms"] = median(cpu[1]);
    state.counters["cpu_ratio"] = median(cpuRatio);
    state.counters["program_rss_MB"] = median(rss[0]);
    state.counters["text_rss_MB"] = median(rss[1]);
    state.counters["rss_ratio"] = median(rssRatio);
}

BENCHMARK(BM_ProgramVsTextWindowToFirstPaintOnX)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(BM_ProgramVsRofiToVisible)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_ProgramVsTextWindowToVisible)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(BM_TextWindowToVisible)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_ProgramToVisible)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_RofiToVisible)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

BENCHMARK(BM_TextWindowToFirstPaint)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(BM_BareWindowToFirstPaint)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(BM_ProgramToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // HX_BASELINE_PROGRAM: another build of the program, timed in the same run
    // on the same data root, for a before/after ratio.
    if (const char* baseline = std::getenv("HX_BASELINE_PROGRAM")) {
        const std::string program = baseline;
        benchmark::RegisterBenchmark(
            "BM_BaselineToFirstPaint",
            [program](benchmark::State& state) { timeProgram(state, program); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(20);
        benchmark::RegisterBenchmark(
            "BM_BaselineToVisible",
            [program](benchmark::State& state) {
                timeToVisible(state, {program, "--root", preparedRoot().path().toStdString()});
            })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(20);
        benchmark::RegisterBenchmark(
            "BM_ProgramVsBaselineToVisible",
            [program](benchmark::State& state) {
                timePairsToVisible(state,
                                   {program, "--root", preparedRoot().path().toStdString()});
            })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(20);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
