// 1,000 files of mixed kinds dropped on one column of the main window: time
// until every entry is stored and shown, and the longest stall of the
// user-interface thread meanwhile.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <memory>

#include "app/item_loader.h"
#include "app/linux_backends.h"
#include "app/main_window.h"
#include "app/runtime.h"
#include "core/qt_dialogs.h"
#include "core/session.h"
#include "items/icon_text.h"
#include "items/item_actions.h"
#include "platform/icon_loader.h"
#include "platform/linux/linux_file_probe.h"
#include "storage/config.h"

namespace {

const QString kCategory = QStringLiteral("常用");
const QString kColumn = QStringLiteral("拖放");

struct Fixture {
    QTemporaryDir dir;
    QTemporaryDir files;
    hx::core::QtDialogs dialogs;
    QTemporaryDir desktop;
    std::unique_ptr<hx::app::LinuxBackends> backends;
    std::unique_ptr<hx::core::Session> session;
    std::unique_ptr<hx::app::Runtime> runtime;
    std::unique_ptr<hx::app::MainWindow> window;
    QList<QUrl> urls;

    Fixture() {
        const hx::storage::DataRoot root(dir.path());
        root.ensureLayout(true);
        hx::storage::ItemDatabase::createEmpty(root.databasePath());
        {
            hx::storage::ItemDatabase db;
            db.open(root.databasePath());
            db.addCategory(kCategory, QStringLiteral("Folder.bmp"));
            db.addColumn(kCategory, kColumn);
        }
        hx::storage::Config(root).setIconSize(32);
        // Documents of several types, folders, scripts and launchers.
        for (int i = 0; urls.size() < 1000; ++i) {
            QString path;
            switch (i % 10) {
                case 0:
                    path = files.filePath(QStringLiteral("d%1").arg(i));
                    QDir().mkpath(path);
                    break;
                case 1: {
                    path = files.filePath(QStringLiteral("s%1.sh").arg(i));
                    QFile f(path);
                    f.open(QIODevice::WriteOnly);
                    f.write("#!/bin/sh\n");
                    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
                    break;
                }
                case 2: {
                    path = files.filePath(QStringLiteral("a%1.desktop").arg(i));
                    QFile f(path);
                    f.open(QIODevice::WriteOnly);
                    f.write(
                        "[Desktop Entry]\nType=Application\nName=App\nName[zh_CN]=应用\n"
                        "Exec=true\nIcon=text-editor\n");
                    break;
                }
                default: {
                    static const char* kinds[] = {"txt", "png", "pdf", "html", "zip", "mp3", "odt"};
                    path = files.filePath(QStringLiteral("f%1.%2").arg(i).arg(kinds[i % 7]));
                    QFile f(path);
                    f.open(QIODevice::WriteOnly);
                    f.write("x");
                }
            }
            urls << QUrl::fromLocalFile(path);
        }

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
        for (int i = 0; i < 5 || window->hasPendingEntries(); ++i) {
            window->itemLoader()->waitForIdle();
            QCoreApplication::processEvents();
        }
    }

    // An empty column again, shown empty.
    void emptyColumn() {
        session->database().deleteColumn(kCategory, kColumn);
        session->database().addColumn(kCategory, kColumn);
        window->switchColumn(0);
        settle();
    }
};

void BM_DropThousandFiles(benchmark::State& state) {
    Fixture f;
    double totalMs = 0, worstStall = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.emptyColumn();
        if (state.range(0) == 0) f.runtime->clearIconCache();
        state.ResumeTiming();

        QElapsedTimer clock;
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
        // As the grid hands it over: from the event loop, after the drag ended.
        QTimer::singleShot(0, f.window.get(),
                           [&] { f.window->itemActions()->filesDropped(f.urls); });
        while (f.window->itemCount() < 1000 || f.window->itemActions()->dropRunning())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const double all = clock.nsecsElapsed() / 1e6;
        stall = std::max(stall, all - lastTick);
        ticker.stop();
        state.SetIterationTime(all / 1000.0);
        totalMs += all;
        worstStall = std::max(worstStall, stall);
        if (f.session->database().countItems(kCategory, kColumn) != 1000)
            state.SkipWithError("not every file was stored");
    }
    state.counters["stored_and_shown_ms"] = totalMs / state.iterations();
    state.counters["longest_ui_stall_ms"] = worstStall;
}

// 0: icons loaded cold; 1: icon cache warm.
BENCHMARK(BM_DropThousandFiles)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    hx::platform::installIconThemeFallback();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
