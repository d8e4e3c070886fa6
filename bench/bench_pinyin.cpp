#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QRandomGenerator>

#include "items/pinyin_index.h"

namespace {

// Names shaped like a large catalogue: two to six common characters, some with
// a Latin word, drawn from a fixed seed so every run searches the same names.
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

void BM_BuildPinyinIndex(benchmark::State& state) {
    const QStringList names = catalogue(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(hx::items::PinyinIndex::build(names).size());
}
BENCHMARK(BM_BuildPinyinIndex)->Arg(100000)->Unit(benchmark::kMillisecond);

// One keystroke: the whole query matched against every entry and ranked.
void BM_SearchKeystroke(benchmark::State& state) {
    const QStringList names = catalogue(100000);
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
