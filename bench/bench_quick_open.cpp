#include <benchmark/benchmark.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Transaction.h>
#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <string>

#include "items/pinyin_index.h"
#include "support/catalogue_names.h"
#include "storage/usage_store.h"

namespace {

using hx::bench::catalogueNames;

// One keystroke as quick open ranks it: 100,000 entries, 10,000 of them used,
// 1,000 remembered picks; matched, ranked by kind and usage, the pick put first.
void BM_QuickOpenKeystroke(benchmark::State& state) {
    const QStringList names = catalogueNames(100000);
    const hx::items::PinyinIndex index = hx::items::PinyinIndex::build(names);
    std::vector<double> weights(names.size());
    QRandomGenerator random(7);
    for (int i = 0; i < 10000; ++i)
        weights[random.bounded(int(names.size()))] = random.generateDouble() * 20;
    hx::storage::UsageStore::Snapshot usage;
    for (int i = 0; i < 1000; ++i)
        usage.picks.insert(QStringLiteral("k%1").arg(i), {QString::number(i), i});
    const QStringList queries = {QStringLiteral("k"), QStringLiteral("kzm"),
                                 QStringLiteral("chongqi"), QStringLiteral("vs"),
                                 QStringLiteral("面板")};
    const QString query = queries.at(state.range(0));
    for (auto _ : state) {
        auto hits = index.search(query, weights, 50);
        const QString picked = usage.pickFor(hx::items::foldForSearch(query).trimmed());
        bool ok = !picked.isEmpty() &&
                  index.match(picked.toULongLong(), query) != hx::items::MatchKind::None;
        benchmark::DoNotOptimize(hits);
        benchmark::DoNotOptimize(ok);
    }
    state.SetLabel(query.toStdString());
}
BENCHMARK(BM_QuickOpenKeystroke)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// Recording an opening with 10,000 records and 1,000 picks kept: what the
// interface thread pays (a task handed to the store's worker) and the whole
// write on the worker (a transaction on disk).
void BM_RecordOpening(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("QuickOpen.db"));
    {
        hx::storage::UsageStore empty(path);
        empty.record(QStringLiteral("entry 0"));  // makes the tables
    }
    {
        SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE);
        SQLite::Transaction fill(db);
        for (int i = 0; i < 10000; ++i)
            db.exec("INSERT OR REPLACE INTO usage VALUES('entry " + std::to_string(i) +
                    "', 1.5, 1800000000)");
        for (int i = 0; i < 1000; ++i)
            db.exec("INSERT OR REPLACE INTO picks VALUES('t" + std::to_string(i) + "', 'entry " +
                    std::to_string(i) + "', 1800000000)");
        fill.commit();
    }
    hx::storage::UsageStore store(path);
    store.snapshot();  // loaded before the timing starts
    const bool wholeWrite = state.range(0) == 1;
    int n = 0;
    for (auto _ : state) {
        store.record(QStringLiteral("entry %1").arg(n % 10000),
                     QStringLiteral("t%1").arg(n % 1000));
        ++n;
        if (wholeWrite) store.flush();
    }
    store.flush();  // after the timed loop: not counted
    state.SetLabel(wholeWrite ? "written" : "interface thread");
}
BENCHMARK(BM_RecordOpening)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
