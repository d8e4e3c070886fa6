#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "items/pinyin_index.h"
#include "support/catalogue_names.h"

namespace {

using hx::bench::catalogueNames;

void BM_BuildPinyinIndex(benchmark::State& state) {
    const QStringList names = catalogueNames(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(hx::items::PinyinIndex::build(names).size());
}
BENCHMARK(BM_BuildPinyinIndex)->Arg(100000)->Unit(benchmark::kMillisecond);

// One keystroke: the whole query matched against every entry and ranked.
void BM_SearchKeystroke(benchmark::State& state) {
    const QStringList names = catalogueNames(100000);
    const hx::items::PinyinIndex index = hx::items::PinyinIndex::build(names);
    std::vector<double> opened(names.size());
    for (std::size_t i = 0; i < opened.size(); i += 7) opened[i] = double(i);
    const QStringList queries = {QStringLiteral("k"),       QStringLiteral("kzm"),
                                 QStringLiteral("chongqi"), QStringLiteral("yinyue"),
                                 QStringLiteral("vs"),      QStringLiteral("面板")};
    const QString query = queries.at(state.range(0));
    std::size_t found = 0;
    for (auto _ : state) {
        const auto hits = index.search(query, opened, 50);
        found = hits.size();
        benchmark::DoNotOptimize(found);
    }
    state.SetLabel(query.toStdString());
}
BENCHMARK(BM_SearchKeystroke)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
