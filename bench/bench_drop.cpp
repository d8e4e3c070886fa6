// 1,000 files of mixed kinds dropped on one column of the main window: time
// until every entry is stored and shown, and the longest stall of the
// user-interface thread meanwhile.
#include <QDir>
#include <QFile>
#include <QUrl>

#include "app/item_grid.h"
#include "items/item_actions.h"
#include "storage/config.h"
#include "support/gui_bench.h"

namespace {

const QString kCategory = QStringLiteral("常用");
const QString kColumn = QStringLiteral("拖放");

struct Fixture : hx::bench::ProgramWindow {
    QTemporaryDir files;
    QList<QUrl> urls;

    Fixture() {
        {
            hx::storage::ItemDatabase db;
            db.open(root().databasePath());
            db.addCategory(kCategory, QStringLiteral("Folder.bmp"));
            db.addColumn(kCategory, kColumn);
        }
        hx::storage::Config(root()).setIconSize(32);
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

        start();
    }

    // An empty column again, shown empty.
    void emptyColumn() {
        session->database().deleteColumn(kCategory, kColumn);
        session->database().addColumn(kCategory, kColumn);
        runtime->catalogue().openColumnAt(0);
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

        hx::bench::StallMeter meter;
        meter.start();
        // As the grid hands it over: from the event loop, after the drag ended.
        QTimer::singleShot(0, f.window.get(),
                           [&] { f.window->itemActions()->filesDropped(f.urls); });
        while (f.window->itemGrid()->count() < 1000 || f.window->itemActions()->dropRunning())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const double all = meter.stop();
        state.SetIterationTime(all / 1000.0);
        totalMs += all;
        worstStall = std::max(worstStall, meter.longestMs());
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

int main(int argc, char** argv) { return hx::bench::runGuiBenchmarks(argc, argv); }
