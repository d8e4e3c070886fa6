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

#include <poll.h>
#include <signal.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
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

// ---- A running panel shown by its key --------------------------------------
// The key is sent through XTEST as a user's press; the time runs from the
// press to the MapNotify of the panel the key brings back.

// The first keycode that gives `keysym`, or 0.
xcb_keycode_t keycodeOf(xcb_connection_t* c, xcb_keysym_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, setup->min_keycode, count), nullptr);
    if (!map) return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    xcb_keycode_t found = 0;
    for (int i = 0; i < count * map->keysyms_per_keycode && !found; ++i)
        if (syms[i] == keysym)
            found = xcb_keycode_t(setup->min_keycode + i / map->keysyms_per_keycode);
    free(map);
    return found;
}

// Waits up to `ms` for a map (true) or unmap (false) below the root.
std::optional<bool> nextMapping(xcb_connection_t* c, int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const int type = event->response_type & ~0x80;
            free(event);
            if (type == XCB_MAP_NOTIFY) return true;
            if (type == XCB_UNMAP_NOTIFY) return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd wait{xcb_get_file_descriptor(c), POLLIN, 0};
        poll(&wait, 1, int(left.count()));
    }
}

void BM_RunningPanelShownByItsKey(benchmark::State& state) {
    QTemporaryDir desktop;
    setenv("HENGXIU_DESKTOP_DIR", desktop.path().toLocal8Bit().constData(), 1);
    xcb_connection_t* c = xcb_connect(xServer().display.constData(), nullptr);
    if (!c || xcb_connection_has_error(c)) return state.SkipWithError("no X server");
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    // Ctrl+Alt+Space, the default panel key.
    const xcb_keycode_t keys[] = {keycodeOf(c, 0xffe3), keycodeOf(c, 0xffe9), keycodeOf(c, 0x20)};
    const pid_t pid =
        spawn({HX_PROGRAM, "--root", preparedRoot().path().toStdString()}, xServer().display);
    const auto press = [&] {
        for (xcb_keycode_t k : keys)
            xcb_test_fake_input(c, XCB_KEY_PRESS, k, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        for (int i = 2; i >= 0; --i)
            xcb_test_fake_input(c, XCB_KEY_RELEASE, keys[i], XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(c);
    };
    bool ok = nextMapping(c, 10000).value_or(false);
    QThread::msleep(1500);  // start-up done and the key taken
    std::vector<double> times;
    for (auto _ : state) {
        if (!ok) break;
        // Hidden first: the key minimises the active panel.
        ok = false;
        for (int tries = 0; tries < 5 && !ok; ++tries) {
            press();
            ok = nextMapping(c, 1000) == std::optional<bool>(false);
        }
        if (!ok) break;
        QThread::msleep(200);
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) free(event);
        const auto start = std::chrono::steady_clock::now();
        press();
        ok = nextMapping(c, 2000) == std::optional<bool>(true);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        times.push_back(seconds);
        QThread::msleep(300);  // the panel settles and takes the focus
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    xcb_disconnect(c);
    if (!ok) return state.SkipWithError("the panel did not hide and show by its key");
    state.counters["median_ms"] = median(times) * 1000;
}

// Start to first paint on the X server, the program and the text window in
// turn: medians of wall time, CPU time and peak resident memory, and the
// median of the per-pair ratios of each.
void BM_ProgramVsTextWindowToFirstPaintOnX(benchmark::State& state) {
    QTemporaryDir desktop;
    setenv("HENGXIU_DESKTOP_DIR", desktop.path().toLocal8Bit().constData(), 1);
    const QByteArray display = xServer().display;
    const std::vector<std::string> program{
        HX_PROGRAM, "--root", preparedRoot().path().toStdString(), "--exit-on-first-paint"};
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
BENCHMARK(BM_RunningPanelShownByItsKey)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(15);
BENCHMARK(BM_ProgramVsRofiToVisible)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
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
                timePairsToVisible(state, {program, "--root", preparedRoot().path().toStdString()});
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
