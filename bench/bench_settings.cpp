// Speed of the settings window: opening it, searching a large catalogue to
// the first screen of results, backing up and restoring it.
#include <benchmark/benchmark.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>
#include <memory>

#include "app/linux_backends.h"
#include "appearance/data_commands.h"
#include "appearance/search_model.h"
#include "appearance/settings_window.h"
#include "core/catalogue.h"
#include "core/session.h"
#include "platform/icon_loader.h"
#include "support/fake_dialogs.h"
#include "support/gui_bench.h"

namespace {

constexpr int kItems = 100'000;
constexpr int kEveryHundredth = 100;  // 1,000 of the names carry "星标"

hx::platform::IconLoader& icons();

// 100,000 items filled in one transaction behind the database's back.
struct BigRoot {
    QTemporaryDir dir;
    hx::storage::DataRoot root{dir.path()};
    hx::test::FakeDialogs dialogs;
    hx::app::LinuxBackends backends;
    std::unique_ptr<hx::core::Session> session;
    std::unique_ptr<hx::core::Catalogue> catalogue;

    BigRoot() {
        root.ensureLayout(true);
        const QString path = root.databasePath();
        hx::storage::ItemDatabase::createEmpty(path);
        {
            SQLite::Database raw(path.toStdString(), SQLite::OPEN_READWRITE);
            raw.exec("BEGIN");
            raw.exec("INSERT INTO 表3 VALUES ('工具', 'Folder.bmp')");
            raw.exec("INSERT INTO 表2 VALUES ('工具', '栏目')");
            SQLite::Statement add(raw, "INSERT INTO 表1 VALUES ('工具', '栏目', ?, ?, ?)");
            for (int i = 0; i < kItems; ++i) {
                const std::string n = std::to_string(i);
                add.bind(1, (i % kEveryHundredth == 0 ? "星标程序" : "程序") + n);
                add.bind(2, "/usr/bin/program" + n);
                add.bind(3, i % 2 ? "$2" : "$3");
                add.exec();
                add.reset();
            }
            raw.exec("COMMIT");
        }
        session = std::make_unique<hx::core::Session>(root, backends.services(), dialogs);
        session->database().open(path);
        // The system icon library's pictures, as the grid resolves "$n" texts.
        catalogue = std::make_unique<hx::core::Catalogue>(
            *session,
            [](const QString& iconText, int size) {
                return icons().load(hx::platform::IconSource::systemIndex(iconText.mid(1).toInt()),
                                    size);
            },
            nullptr);
    }
};

BigRoot& big() {
    static BigRoot r;
    return r;
}

hx::platform::IconLoader& icons() {
    static hx::platform::IconLoader loader;
    return loader;
}

void OpenSettingsWindow(benchmark::State& state) {
    BigRoot& r = big();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        hx::appearance::SettingsWindow window(*r.session, *r.catalogue, QPoint(300, 200));
        window.show();
        window.repaint();  // shown and painted once
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(OpenSettingsWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

// From the click on "搜索" to the first screen of results painted. Later
// pages follow one per turn of the event loop; "longest_turn_ms" is the
// longest of those turns (the worst stall of the window), "all_ms" the time
// until the last result is in the list.
void SearchToFirstScreen(benchmark::State& state) {
    BigRoot& r = big();
    hx::appearance::SettingsWindow window(*r.session, *r.catalogue, QPoint(300, 200));
    window.showPage(hx::appearance::SettingsWindow::SearchPage);
    window.show();
    QCoreApplication::processEvents();
    const QString text = state.range(0) ? QStringLiteral("星标") : QStringLiteral("程序");
    const int expected = state.range(0) ? kItems / kEveryHundredth : kItems;
    for (auto _ : state) {
        window.controls().searchText->setText(text);
        QElapsedTimer timer;
        timer.start();
        window.controls().search->click();
        window.controls().results->viewport()->repaint();
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        qint64 longest = timer.nsecsElapsed();
        while (window.searchInProgress()) {
            QElapsedTimer turn;
            turn.start();
            QCoreApplication::processEvents();
            longest = std::max(longest, turn.nsecsElapsed());
        }
        state.counters["longest_turn_ms"] = double(longest) / 1e6;
        state.counters["all_ms"] = double(timer.nsecsElapsed()) / 1e6;
        if (window.results()->rowCount() != expected) state.SkipWithError("wrong result count");
    }
}
BENCHMARK(SearchToFirstScreen)->Arg(1)->Arg(0)->UseManualTime()->Unit(benchmark::kMillisecond);

void Backup100k(benchmark::State& state) {
    BigRoot& r = big();
    for (auto _ : state) {
        if (!hx::appearance::backupDatabase(*r.session)) state.SkipWithError("backup failed");
    }
}
BENCHMARK(Backup100k)->Unit(benchmark::kMillisecond)->Iterations(5);

// Check, safety copy, copy, rename, reopen: the whole command.
void Restore100k(benchmark::State& state) {
    BigRoot& r = big();
    const QString source = r.root.file("source.mdb");
    r.session->database().backupTo(source);
    for (auto _ : state) {
        r.dialogs.files.enqueue(source);
        if (hx::appearance::restoreDatabase(*r.session, *r.catalogue) !=
            hx::appearance::RestoreOutcome::Restored)
            state.SkipWithError("restore failed");
    }
}
BENCHMARK(Restore100k)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) { return hx::bench::runGuiBenchmarks(argc, argv); }
