#include <benchmark/benchmark.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Transaction.h>
#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <string>

#include "items/pinyin_index.h"
#include "storage/usage_store.h"

namespace {

// Names shaped like a large catalogue, from a fixed seed (as bench_pinyin's).
QStringList catalogue(int count) {
    const QString han = QStringLiteral(
        "控制面板重启音乐银行记事本计算器浏览器文件夹下载图片视频设置网络打印机邮件地图天气日历"
        "相机游戏办公表格文档演示输入法系统工具管理终端编辑播放录音翻译词典地址快递长沙重庆");
    const QStringList words = {QStringLiteral("QQ"),     QStringLiteral("WPS"),
                               QStringLiteral("Chrome"), QStringLiteral("Visual Studio"),
                               QStringLiteral("Steam"),  QStringLiteral("Office")};
    QRandomGenerator random(20261208);
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString name;
        if (random.bounded(4) == 0) name += words.at(random.bounded(int(words.size())));
        const int length = 2 + random.bounded(5);
        for (int c = 0; c < length; ++c) name += han.at(random.bounded(int(han.size())));
        names << name;
    }
    return names;
}

// One keystroke as quick open ranks it: 100,000 entries, 10,000 of them used,
// 1,000 remembered picks; matched, ranked by kind and usage, the pick put first.
void BM_QuickOpenKeystroke(benchmark::State& state) {
    const QStringList names = catalogue(100000);
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
