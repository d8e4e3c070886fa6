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
#include <QTemporaryDir>
#include <memory>

#include "../tests/support/fake_main_window.h"
#include "catalogue/category_window.h"
#include "catalogue/column_window.h"
#include "core/qt_dialogs.h"
#include "core/session.h"

namespace {

struct Fixture {
    QTemporaryDir dir;
    hx::core::QtDialogs dialogs;
    hx::test::FakeMainWindow main;
    std::unique_ptr<hx::core::Session> session;

    Fixture() {
        const hx::storage::DataRoot root(dir.path());
        root.ensureLayout(true);
        hx::storage::ItemDatabase::createEmpty(root.databasePath());
        session = std::make_unique<hx::core::Session>(root, hx::core::Services{}, dialogs);
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
            main.categories << name;
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
    }
};

std::unique_ptr<Fixture> g_fixture;

Fixture& fixture() {
    if (!g_fixture) g_fixture = std::make_unique<Fixture>();
    return *g_fixture;
}

// Runs `step` and returns its duration in milliseconds.
template <class F>
double timed(F&& step) {
    QElapsedTimer clock;
    clock.start();
    step();
    return clock.nsecsElapsed() / 1e6;
}

void report(benchmark::State& state, double total, double stall, const char* name) {
    state.counters[name] = total / state.iterations();
    state.counters["longest_ui_stall_ms"] = stall;
}

void BM_CategoryWindowOpen(benchmark::State& state) {
    Fixture& f = fixture();
    double total = 0, stall = 0;
    for (auto _ : state) {
        std::unique_ptr<hx::catalogue::CategoryWindow> window;
        const double build = timed([&] {
            window = std::make_unique<hx::catalogue::CategoryWindow>(*f.session, f.main);
            window->show();
        });
        const double paint = timed([&] { window->grab(); });
        state.SetIterationTime((build + paint) / 1000.0);
        total += build + paint;
        stall = std::max({stall, build, paint});
    }
    report(state, total, stall, "to_shown_ms");
}

void BM_CategoryChooserOpen(benchmark::State& state) {
    Fixture& f = fixture();
    hx::catalogue::CategoryWindow window(*f.session, f.main);
    window.show();
    double total = 0, stall = 0;
    for (auto _ : state) {
        const double fill = timed([&] { window.openChooser(); });
        const double paint = timed([&] { window.grab(); });
        window.hideChooser();
        state.SetIterationTime((fill + paint) / 1000.0);
        total += fill + paint;
        stall = std::max({stall, fill, paint});
    }
    report(state, total, stall, "to_shown_ms");
}

void BM_ColumnWindowOpen(benchmark::State& state) {
    Fixture& f = fixture();
    double total = 0, stall = 0;
    for (auto _ : state) {
        std::unique_ptr<hx::catalogue::ColumnWindow> window;
        const double build = timed([&] {
            window = std::make_unique<hx::catalogue::ColumnWindow>(*f.session, f.main);
            window->show();
        });
        const double choose =
            timed([&] { window->controls().categoryTree->topLevelItem(5)->setSelected(true); });
        const double paint = timed([&] { window->grab(); });
        state.SetIterationTime((build + choose + paint) / 1000.0);
        total += build + choose + paint;
        stall = std::max({stall, build, choose, paint});
    }
    report(state, total, stall, "to_shown_ms");
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
