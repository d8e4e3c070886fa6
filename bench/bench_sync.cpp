// The catalogue's sync on a 10,000-entry catalogue in the program's own main
// window: writing this root's file after a change, and merging another root's
// 10,000 entries into an empty catalogue; each round from the request to the
// panel showing its result, with the longest stall of the interface thread.
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QDir>
#include <QFile>

#include "core/sync_engine.h"
#include "storage/config.h"
#include "support/catalogue_names.h"
#include "support/gui_bench.h"

namespace {

constexpr int kCategories = 10;
constexpr int kColumns = 10;
constexpr int kPerColumn = 100;  // 10,000 entries

// Fills an empty catalogue behind the database's back, in one transaction.
void fill(const QString& path) {
    const QStringList names = hx::bench::catalogueNames(kCategories * kColumns * kPerColumn);
    SQLite::Database raw(path.toStdString(), SQLite::OPEN_READWRITE);
    raw.exec("BEGIN");
    SQLite::Statement cat(raw, "INSERT INTO 表3 VALUES (?, 'Folder.bmp')");
    SQLite::Statement col(raw, "INSERT INTO 表2 VALUES (?, ?)");
    SQLite::Statement item(raw, "INSERT INTO 表1 VALUES (?, ?, ?, ?, ?)");
    int n = 0;
    for (int c = 0; c < kCategories; ++c) {
        const std::string category = "分类" + std::to_string(c);
        cat.bind(1, category);
        cat.exec();
        cat.reset();
        for (int k = 0; k < kColumns; ++k) {
            const std::string column = "栏目" + std::to_string(k);
            col.bind(1, category);
            col.bind(2, column);
            col.exec();
            col.reset();
            for (int i = 0; i < kPerColumn; ++i, ++n) {
                const std::string link =
                    (QDir::homePath() + QStringLiteral("/文档/文件%1.txt").arg(n)).toStdString();
                item.bind(1, category);
                item.bind(2, column);
                item.bind(3, names.at(n).toStdString());
                item.bind(4, link);
                item.bind(5, link);
                item.exec();
                item.reset();
            }
        }
    }
    raw.exec("COMMIT");
}

double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Panel : hx::bench::ProgramWindow {
    QTemporaryDir folder;
    explicit Panel(bool full) {
        if (full) fill(root().databasePath());
        hx::storage::Config(root()).setSyncFolder(folder.path());
        start();
    }
    hx::core::SyncEngine& sync() { return runtime->sync(); }

    // One round from its request until its result is stored and shown (the
    // stall meter runs on until the open column has loaded again).
    void round(double* wallMs, double* stallMs, double* stallCpuMs, double* workerCpuMs) {
        bool finished = false;
        const QMetaObject::Connection c = QObject::connect(
            &sync(), &hx::core::SyncEngine::roundFinished, [&] { finished = true; });
        hx::bench::StallMeter meter;
        const double process = processCpuMs(), ui = hx::bench::threadCpuMs();
        meter.start();
        sync().requestRound();
        meter.resume();
        QEventLoop loop;
        QObject::connect(&sync(), &hx::core::SyncEngine::roundFinished, &loop, &QEventLoop::quit);
        if (!finished) loop.exec();
        *wallMs = meter.elapsedMs();
        // What the round cost off the interface thread, whatever else the machine runs.
        *workerCpuMs = (processCpuMs() - process) - (hx::bench::threadCpuMs() - ui);
        // The panel shows what changed in slices, as it loads any column.
        while (runtime->catalogue().loading())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        meter.stop();
        *stallMs = meter.longestMs();
        *stallCpuMs = meter.longestCpuMs();
        settle();
        QObject::disconnect(c);
    }
};

std::unique_ptr<Panel> g_full;

Panel& full() {
    if (!g_full) {
        g_full = std::make_unique<Panel>(true);
        g_full->sync().waitForIdle();  // the first round names every row
    }
    return *g_full;
}

// A change of one entry, then the round that writes the 10,000-entry file.
void BM_WriteFileAfterAChange(benchmark::State& state) {
    Panel& p = full();
    hx::storage::ItemDatabase& db = p.session->database();
    double total = 0, stall = 0, stallCpu = 0, cpu = 0;
    int n = 0;
    for (auto _ : state) {
        auto row = db.itemAt(QStringLiteral("分类3"), QStringLiteral("栏目4"), 7).value;
        row->name = QStringLiteral("改名%1").arg(n++);
        db.updateItemAt(QStringLiteral("分类3"), QStringLiteral("栏目4"), 7, *row);
        double wall = 0, longest = 0, longestCpu = 0, worker = 0;
        p.round(&wall, &longest, &longestCpu, &worker);
        cpu += worker;
        stallCpu = std::max(stallCpu, longestCpu);
        state.SetIterationTime(wall / 1000.0);
        total += wall;
        stall = std::max(stall, longest);
    }
    const QStringList files = QDir(p.folder.path()).entryList({QStringLiteral("*.hxsync")});
    if (files.size() != 1) state.SkipWithError("no file written");
    state.counters["round_ms"] = total / state.iterations();
    state.counters["round_cpu_ms"] = cpu / state.iterations();
    state.counters["longest_ui_stall_ms"] = stall;
    state.counters["longest_ui_stall_cpu_ms"] = stallCpu;
    state.counters["file_kb"] = QFileInfo(p.folder.filePath(files.value(0))).size() / 1024.0;
}
BENCHMARK(BM_WriteFileAfterAChange)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// Another root's 10,000 entries arrive at an empty panel: read, merged,
// stored in one transaction and shown.
void BM_MergeAnotherRootsFile(benchmark::State& state) {
    Panel& source = full();
    const QStringList files = QDir(source.folder.path()).entryList({QStringLiteral("*.hxsync")});
    const QString file = source.folder.filePath(files.value(0));
    double total = 0, stall = 0, stallCpu = 0, cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto empty = std::make_unique<Panel>(false);
        empty->sync().waitForIdle();
        QFile::copy(file, empty->folder.filePath(files.value(0)));
        state.ResumeTiming();
        double wall = 0, longest = 0, longestCpu = 0, worker = 0;
        empty->round(&wall, &longest, &longestCpu, &worker);
        cpu += worker;
        stallCpu = std::max(stallCpu, longestCpu);
        state.SetIterationTime(wall / 1000.0);
        total += wall;
        stall = std::max(stall, longest);
        if (empty->session->database().countItems(QStringLiteral("分类9"),
                                                  QStringLiteral("栏目9")) != kPerColumn)
            state.SkipWithError("not merged");
        state.PauseTiming();
        empty.reset();
        state.ResumeTiming();
    }
    state.counters["round_ms"] = total / state.iterations();
    state.counters["round_cpu_ms"] = cpu / state.iterations();
    state.counters["longest_ui_stall_ms"] = stall;
    state.counters["longest_ui_stall_cpu_ms"] = stallCpu;
}
BENCHMARK(BM_MergeAnotherRootsFile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    return hx::bench::runGuiBenchmarks(argc, argv, [] { g_full.reset(); });
}
