// Installed programs: reading 3,000 desktop entries, opening the window over
// them, and a quick-open keystroke over a large catalogue plus those programs.
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRandomGenerator>

#include "app/quick_open.h"
#include "items/installed_programs_window.h"
#include "platform/installed_apps.h"
#include "storage/usage_store.h"
#include "support/gui_bench.h"

namespace {

using namespace hx;

constexpr int kPrograms = 3000;

// Names of two to five common characters, some with a Latin word, spread over
// the main categories; a fixed seed, so every run reads the same entries.
QStringList names(int count, quint32 seed) {
    const QString han = QStringLiteral(
        "控制面板重启音乐银行记事本计算器浏览器文件夹下载图片视频设置网络打印机邮件地图天气日历"
        "相机游戏办公表格文档演示输入法系统工具管理终端编辑播放录音翻译词典地址快递长沙重庆");
    const QStringList words = {"Qt", "GNOME", "KDE", "Office", "Studio", "Player"};
    QRandomGenerator random(seed);
    QStringList out;
    for (int i = 0; i < count; ++i) {
        QString name;
        if (random.bounded(3) == 0) name += words.at(random.bounded(int(words.size())));
        const int length = 2 + random.bounded(4);
        for (int c = 0; c < length; ++c) name += han.at(random.bounded(int(han.size())));
        out << name;
    }
    return out;
}

// A folder of generated applications, made once.
const QString& programFolder() {
    static QTemporaryDir dir;
    static const QString folder = [] {
        const QString path = dir.filePath(QStringLiteral("applications"));
        QDir().mkpath(path);
        const QStringList list = names(kPrograms, 3000);
        const QStringList& groups = platform::mainCategories();
        for (int i = 0; i < kPrograms; ++i) {
            QFile out(path + QStringLiteral("/app%1.desktop").arg(i));
            out.open(QIODevice::WriteOnly);
            out.write("[Desktop Entry]\nType=Application\nExec=true %U\nIcon=app" +
                      QByteArray::number(i) + "\nName=App " + QByteArray::number(i) +
                      "\nName[zh_CN]=" + list.at(i).toUtf8() + "\nComment=A generated program\n" +
                      "Categories=" + groups.at(i % groups.size()).toUtf8() + ";\n");
        }
        return path;
    }();
    return folder;
}

// The whole read on the worker, from start to the list handed over; the
// interface thread meanwhile runs its event loop and the stall meter.
void BM_IndexInstalledPrograms(benchmark::State& state) {
    const QString folder = programFolder();
    double longest = 0;
    for (auto _ : state) {
        platform::InstalledApps index([folder] { return QStringList{folder}; });
        QEventLoop loop;
        QObject::connect(&index, &platform::InstalledApps::changed, &loop, &QEventLoop::quit);
        bench::StallMeter meter;
        meter.start();
        index.start();
        loop.exec();
        meter.stop();
        longest = std::max(longest, meter.longestCpuMs());
        if (index.apps().size() != kPrograms) state.SkipWithError("not every program was listed");
    }
    state.counters["longest_stall_ms"] = longest;
}
BENCHMARK(BM_IndexInstalledPrograms)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// From building the window to its first paint, with every program listed.
void BM_OpenWindowWith3000Programs(benchmark::State& state) {
    const QString folder = programFolder();
    bench::ProgramWindow program;
    program.start();
    platform::InstalledApps index([folder] { return QStringList{folder}; });
    index.start();
    index.waitForIdle();
    for (auto _ : state) {
        auto* window = new items::InstalledProgramsWindow(
            *program.session, program.runtime->catalogue(), index, QPoint(400, 100));
        window->show();
        window->repaint();
        state.PauseTiming();
        delete window;
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenWindowWith3000Programs)->Unit(benchmark::kMillisecond)->Iterations(10);

// One keystroke of quick open over 100,000 catalogue entries and 3,000 programs.
void BM_QuickOpenKeystrokeWithPrograms(benchmark::State& state) {
    bench::ProgramWindow program;
    {
        const QStringList list = names(100000, 20261208);
        storage::ItemDatabase db;
        db.open(program.root().databasePath());
        db.addCategory(QStringLiteral("大"), QString());
        db.addColumn(QStringLiteral("大"), QStringLiteral("全部"));
        QVector<storage::ItemRow> rows;
        for (const QString& name : list)
            rows.append(
                {QStringLiteral("大"), QStringLiteral("全部"), name, QStringLiteral("/x"), {}});
        db.addItems(rows);
    }
    storage::ItemDatabase db;
    db.open(program.root().databasePath());
    QWidget panel;
    auto* grid = new QListWidget(&panel);
    grid->setGeometry(56, 82, 147, 327);
    storage::UsageStore usage(program.root().file(QStringLiteral("User/QuickOpen.db")));
    app::QuickOpen quick(grid, db, usage, [](const QString&) {}, {});
    QVector<app::QuickOpen::InstalledEntry> programs;
    const QStringList list = names(kPrograms, 3000);
    // Without programs: what the catalogue's own search costs, for comparison.
    const int count = state.range(1) ? kPrograms : 0;
    for (int i = 0; i < count; ++i)
        programs.append({list.at(i), QStringLiteral("/apps/app%1.desktop").arg(i)});
    quick.setInstalledPrograms(programs);
    panel.show();
    quick.begin(QStringLiteral("j"));
    while (!quick.indexReady()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
    const QStringList queries = {"j", "js", "jsq", "yinyue", "k", "面板"};
    const QString query = queries.at(state.range(0));
    for (auto _ : state) {
        quick.controls().line->setText(query);  // the results follow at once
        state.PauseTiming();
        quick.controls().line->clear();
        state.ResumeTiming();
    }
    state.SetLabel(query.toStdString() + (count ? " +programs" : " catalogue only"));
}
BENCHMARK(BM_QuickOpenKeystrokeWithPrograms)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return hx::bench::runGuiBenchmarks(argc, argv); }
