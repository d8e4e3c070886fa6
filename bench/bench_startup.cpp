// Process start to first paint of the main window (10 categories x 10
// columns) against a bare Qt window of the same size and the same window
// showing one line of Chinese text, all offscreen; and peak resident memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "storage/config.h"
#include "storage/data_root.h"
#include "storage/item_database.h"

namespace {

struct Run {
    double seconds = 0;
    long maxRssKb = 0;
};

Run runToFirstPaint(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("HENGXIU_POWER", "dry-run", 1);
        setenv("HENGXIU_PROBE_URL", "http://127.0.0.1:9/", 1);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.maxRssKb = usage.ru_maxrss;
    return run;
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
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
