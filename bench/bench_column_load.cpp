// A column of 1,000 mixed items loaded into the main window's grid: time to
// the first entry and to all entries, with a cold and a warm icon cache, and
// the longest stall of the user-interface thread while the load runs.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "app/item_grid.h"
#include "app/item_loader.h"
#include "app/linux_backends.h"
#include "app/main_window.h"
#include "app/runtime.h"
#include "core/qt_dialogs.h"
#include "core/session.h"
#include "platform/icon_loader.h"
#include "storage/config.h"

namespace {

struct Fixture {
    QTemporaryDir dir;
    QTemporaryDir files;
    QTemporaryDir desktop;
    hx::core::QtDialogs dialogs;
    std::unique_ptr<hx::app::LinuxBackends> backends;
    std::unique_ptr<hx::core::Session> session;
    std::unique_ptr<hx::app::Runtime> runtime;
    std::unique_ptr<hx::app::MainWindow> window;
    hx::platform::IconLoader& icons() { return backends->icons; }

    Fixture() {
        const hx::storage::DataRoot root(dir.path());
        root.ensureLayout(true);
        hx::storage::ItemDatabase::createEmpty(root.databasePath());
        hx::storage::ItemDatabase db;
        db.open(root.databasePath());
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
        hx::storage::Config(root).setIconSize(32);

        // The start-up puts a launcher on the desktop: never the user's own.
        qputenv("HENGXIU_DESKTOP_DIR", desktop.path().toUtf8());
        qputenv("HENGXIU_POWER", "dry-run");
        backends = std::make_unique<hx::app::LinuxBackends>();
        session = std::make_unique<hx::core::Session>(root, backends->services(), dialogs);
        runtime = std::make_unique<hx::app::Runtime>(*session);
        window = std::make_unique<hx::app::MainWindow>(*session, *runtime);
        window->show();
        window->start();
        settle();
    }

    void settle() {
        for (int i = 0; i < 5; ++i) {
            window->itemLoader()->waitForIdle();
            QCoreApplication::processEvents();
        }
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
        QElapsedTimer clock;
        double first = -1;
        double lastTick = 0, stall = 0;
        QTimer ticker;
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const double now = clock.nsecsElapsed() / 1e6;
            stall = std::max(stall, now - lastTick);
            lastTick = now;
        });
        clock.start();
        ticker.start();
        f.window->switchColumn(0);
        lastTick = clock.nsecsElapsed() / 1e6;
        while (f.window->itemCount() < 1000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (first < 0 && f.window->itemCount() > 0) first = clock.nsecsElapsed() / 1e6;
        }
        const double all = clock.nsecsElapsed() / 1e6;
        ticker.stop();
        state.SetIterationTime(all / 1000.0);
        firstTotal += first;
        allTotal += all;
        worstStall = std::max(worstStall, stall);
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
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    hx::platform::installIconThemeFallback();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_fixture.reset();  // the window goes before the application
    return 0;
}
