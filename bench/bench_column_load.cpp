// A column of 1,000 mixed items loaded into the main window's grid: time to
// the first entry and to all entries, with a cold and a warm icon cache, and
// the longest stall of the user-interface thread while the load runs.
#include <QDir>
#include <QFile>

#include "app/item_grid.h"
#include "storage/config.h"
#include "support/gui_bench.h"

namespace {

struct Fixture : hx::bench::ProgramWindow {
    QTemporaryDir files;
    hx::platform::IconLoader& icons() { return backends->icons; }

    Fixture() {
        hx::storage::ItemDatabase db;
        db.open(root().databasePath());
        db.addCategory(QStringLiteral("常用"), QStringLiteral("Folder.bmp"));
        db.addColumn(QStringLiteral("常用"), QStringLiteral("混合"));
        // Real files of several kinds, folders, a mount point and system icons.
        QStringList texts;
        for (const char* ext : {"txt", "png", "pdf", "sh", "html", "zip", "mp3", "odt"}) {
            for (int i = 0; i < 60; ++i) {
                const QString path = files.filePath(QStringLiteral("f%1.%2").arg(i).arg(ext));
                QFile f(path);
                f.open(QIODevice::WriteOnly);
                f.write("x");
                texts << path;
            }
        }
        for (int i = 0; i < 100; ++i) {
            const QString folder = files.filePath(QStringLiteral("d%1").arg(i));
            QDir().mkpath(folder);
            texts << folder;
        }
        for (int i = 0; i < 100; ++i) texts << QStringLiteral("$%1").arg(i % 50);
        for (int i = 0; i < 60; ++i) texts << QStringLiteral("@IE");
        for (int i = 0; i < 40; ++i) texts << QStringLiteral("/");
        for (int i = 0; texts.size() < 1000; ++i)
            texts << QStringLiteral("/no/such/file%1.exe").arg(i);
        for (int i = 0; i < texts.size(); ++i)
            db.addItem({QStringLiteral("常用"), QStringLiteral("混合"),
                        QStringLiteral("项目%1").arg(i), texts.at(i), texts.at(i)});
        db.close();
        hx::storage::Config(root()).setIconSize(32);
        start();
    }
};

std::unique_ptr<Fixture> g_fixture;

Fixture& fixture() {
    if (!g_fixture) g_fixture = std::make_unique<Fixture>();
    return *g_fixture;
}

void loadColumn(benchmark::State& state, bool cold) {
    Fixture& f = fixture();
    double firstTotal = 0, allTotal = 0, worstStall = 0;
    for (auto _ : state) {
        if (cold) f.icons().clearCache();
        double first = -1;
        hx::bench::StallMeter meter;
        meter.start();
        f.runtime->catalogue().openColumnAt(0);
        meter.resume();
        while (f.window->itemGrid()->count() < 1000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (first < 0 && f.window->itemGrid()->count() > 0) first = meter.elapsedMs();
        }
        const double all = meter.elapsedMs();
        meter.stop();
        state.SetIterationTime(all / 1000.0);
        firstTotal += first;
        allTotal += all;
        worstStall = std::max(worstStall, meter.longestMs());
    }
    state.counters["first_entry_ms"] = firstTotal / state.iterations();
    state.counters["all_entries_ms"] = allTotal / state.iterations();
    state.counters["longest_ui_stall_ms"] = worstStall;
}

void BM_ColumnLoadCold(benchmark::State& state) { loadColumn(state, true); }
void BM_ColumnLoadWarm(benchmark::State& state) { loadColumn(state, false); }

BENCHMARK(BM_ColumnLoadCold)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ColumnLoadWarm)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    // The window goes before the application.
    return hx::bench::runGuiBenchmarks(argc, argv, [] { g_fixture.reset(); });
}
