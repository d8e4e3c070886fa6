// The category window with 11 categories and 200 bitmaps in Bmpns, and its
// icon chooser; the column window on a category of 10 columns in a table of
// 100,000 items. Each is timed from the request to the window painted, and
// the longest single synchronous step is reported as the interface stall.
#include <benchmark/benchmark.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <ctime>
#include <memory>

#include "app/linux_backends.h"
#include "catalogue/category_pictures.h"
#include "catalogue/category_window.h"
#include "catalogue/column_window.h"
#include "core/catalogue.h"
#include "core/qt_dialogs.h"
#include "core/session.h"

namespace {

struct Fixture {
    QTemporaryDir dir;
    hx::core::QtDialogs dialogs;
    hx::app::LinuxBackends backends;
    std::unique_ptr<hx::core::Session> session;
    std::unique_ptr<hx::core::Catalogue> catalogue;

    Fixture() {
        const hx::storage::DataRoot root(dir.path());
        root.ensureLayout(true);
        hx::storage::ItemDatabase::createEmpty(root.databasePath());
        session = std::make_unique<hx::core::Session>(root, backends.services(), dialogs);
        catalogue =
            std::make_unique<hx::core::Catalogue>(*session, nullptr, [root](const QString& file) {
                return hx::catalogue::withKeyColourClear(
                    hx::catalogue::categoryPicture(root, file));
            });
        auto& db = session->database();
        db.open(root.databasePath());
        const QStringList shipped = hx::storage::DataRoot::shippedPictures();
        for (int i = 0; i < 200 - shipped.size(); ++i) {
            QImage picture(17, 17, QImage::Format_RGB32);
            picture.fill(QColor::fromHsv(i * 7 % 360, 200, 220));
            picture.save(root.file(QStringLiteral("Bmpns/图标%1.bmp").arg(i)), "BMP");
        }
        for (int i = 0; i < 11; ++i) {
            const QString name = QStringLiteral("分类%1").arg(i + 1);
            db.addCategory(name, shipped.at(i % shipped.size()));
            for (int c = 0; c < 10; ++c) db.addColumn(name, QStringLiteral("栏目%1").arg(c));
        }
        // 100,000 items over every column, written in one transaction
        // behind the database object (one commit per item would take minutes).
        db.close();
        {
            SQLite::Database raw(root.databasePath().toStdString(), SQLite::OPEN_READWRITE);
            SQLite::Transaction transaction(raw);
            SQLite::Statement insert(raw, "INSERT INTO 表1 VALUES (?, ?, ?, '/usr/bin/x', '$2')");
            for (int i = 0; i < 100000; ++i) {
                insert.bind(1, QStringLiteral("分类%1").arg(i % 11 + 1).toStdString());
                insert.bind(2, QStringLiteral("栏目%1").arg(i / 11 % 10).toStdString());
                insert.bind(3, QStringLiteral("项目%1").arg(i).toStdString());
                insert.exec();
                insert.reset();
            }
            transaction.commit();
        }
        db.open(root.databasePath());
        catalogue->reload();

        // These windows open from a main window that is already painted, so
        // the fonts and the style are loaded before the first one is built.
        QLabel painted(QStringLiteral("衡岫电脑工具箱"));
        painted.show();
        painted.grab();
    }
};

std::unique_ptr<Fixture> g_fixture;

Fixture& fixture() {
    if (!g_fixture) g_fixture = std::make_unique<Fixture>();
    return *g_fixture;
}

// Milliseconds of CPU time this thread has used: on a machine shared with
// other work, wall time also counts the time the thread was not running.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Runs `step` and returns its wall time in milliseconds; `cpu` receives the
// thread's CPU time for it.
template <class F>
double timed(F&& step, double* cpu = nullptr) {
    QElapsedTimer clock;
    const double cpuStart = threadCpuMs();
    clock.start();
    step();
    if (cpu) *cpu = threadCpuMs() - cpuStart;
    return clock.nsecsElapsed() / 1e6;
}

void report(benchmark::State& state, double total, double stall, const char* name) {
    state.counters[name] = total / state.iterations();
    state.counters["longest_ui_stall_ms"] = stall;
}

void BM_CategoryWindowOpen(benchmark::State& state) {
    Fixture& f = fixture();
    double total = 0, stall = 0, stallCpu = 0, first = -1;
    for (auto _ : state) {
        std::unique_ptr<hx::catalogue::CategoryWindow> window;
        double buildCpu = 0, paintCpu = 0;
        const double build = timed(
            [&] {
                window = std::make_unique<hx::catalogue::CategoryWindow>(*f.session, *f.catalogue,
                                                                         QPoint(300, 200));
                window->show();
            },
            &buildCpu);
        const double paint = timed([&] { window->grab(); }, &paintCpu);
        if (first >= 0) stallCpu = std::max({stallCpu, buildCpu, paintCpu});
        state.SetIterationTime((build + paint) / 1000.0);
        total += build + paint;
        // The first opening of the process also loads fonts and the style.
        if (first < 0)
            first = build + paint;
        else
            stall = std::max({stall, build, paint});
    }
    report(state, total, stall, "to_shown_ms");
    state.counters["first_opening_ms"] = first;
    state.counters["longest_ui_stall_cpu_ms"] = stallCpu;
}

void BM_CategoryChooserOpen(benchmark::State& state) {
    Fixture& f = fixture();
    hx::catalogue::CategoryWindow window(*f.session, *f.catalogue, QPoint(300, 200));
    window.show();
    double total = 0, stall = 0, stallCpu = 0, firstFill = -1, longestFill = 0, longestPaint = 0;
    for (auto _ : state) {
        double cpu = 0;
        double elapsed = timed([&] { window.openChooser(); }, &cpu);
        double longest = elapsed;
        double longestCpu = cpu;
        while (window.chooserFilling()) {
            const double step = timed([] { QCoreApplication::processEvents(); }, &cpu);
            elapsed += step;
            longest = std::max(longest, step);
            longestCpu = std::max(longestCpu, cpu);
        }
        const double paint = timed([&] { window.grab(); }, &cpu);
        longestCpu = std::max(longestCpu, cpu);
        stallCpu = std::max(stallCpu, longestCpu);
        elapsed += paint;
        longestFill = std::max(longestFill, longest);
        longestPaint = std::max(longestPaint, paint);
        longest = std::max(longest, paint);
        window.hideChooser();
        state.SetIterationTime(elapsed / 1000.0);
        total += elapsed;
        stall = std::max(stall, longest);
        // The first opening decodes every bitmap; later ones reuse them.
        if (firstFill < 0) firstFill = elapsed;
    }
    report(state, total, stall, "to_shown_ms");
    state.counters["first_opening_ms"] = firstFill;
    state.counters["longest_fill_step_ms"] = longestFill;
    state.counters["longest_paint_ms"] = longestPaint;
    state.counters["longest_ui_stall_cpu_ms"] = stallCpu;
}

void BM_ColumnWindowOpen(benchmark::State& state) {
    Fixture& f = fixture();
    double total = 0, stall = 0, stallCpu = 0;
    for (auto _ : state) {
        std::unique_ptr<hx::catalogue::ColumnWindow> window;
        double cpu[3] = {};
        const double build = timed(
            [&] {
                window = std::make_unique<hx::catalogue::ColumnWindow>(*f.session, *f.catalogue,
                                                                       QPoint(300, 200));
                window->show();
            },
            &cpu[0]);
        const double choose = timed(
            [&] { window->controls().categoryTree->topLevelItem(5)->setSelected(true); }, &cpu[1]);
        const double paint = timed([&] { window->grab(); }, &cpu[2]);
        stallCpu = std::max({stallCpu, cpu[0], cpu[1], cpu[2]});
        state.SetIterationTime((build + choose + paint) / 1000.0);
        total += build + choose + paint;
        stall = std::max({stall, build, choose, paint});
    }
    report(state, total, stall, "to_shown_ms");
    state.counters["longest_ui_stall_cpu_ms"] = stallCpu;
}

BENCHMARK(BM_CategoryWindowOpen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_CategoryChooserOpen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_ColumnWindowOpen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_fixture.reset();
    return 0;
}
