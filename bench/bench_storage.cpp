// Speed of the storage operations the user waits for: opening a column,
// adding an item, searching names, reading a setting.
#include <benchmark/benchmark.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <QTemporaryDir>
#include <memory>

#include "storage/config.h"
#include "storage/data_root.h"
#include "storage/item_database.h"

using hx::storage::Config;
using hx::storage::DataRoot;
using hx::storage::ItemDatabase;

namespace {

constexpr int kColumns = 100;
constexpr int kPerColumn = 1000;

// A data root holding 100,000 items in 100 columns of 1,000, filled in one
// transaction behind the database's back (adding them one by one durably
// would take minutes).
struct BigCatalogue {
    QTemporaryDir dir;
    DataRoot root{dir.path()};
    ItemDatabase db;

    BigCatalogue() {
        root.ensureLayout(true);
        const QString path = root.databasePath();
        ItemDatabase::createEmpty(path);
        {
            SQLite::Database raw(path.toStdString(), SQLite::OPEN_READWRITE);
            raw.exec("BEGIN");
            SQLite::Statement col(raw, "INSERT INTO 表2 VALUES ('工具', ?)");
            SQLite::Statement add(raw, "INSERT INTO 表1 VALUES ('工具', ?, ?, ?, '$2')");
            for (int c = 0; c < kColumns; ++c) {
                col.bind(1, "栏目" + std::to_string(c));
                col.exec();
                col.reset();
            }
            // Interleaved, so one column's rows are spread over the whole table.
            for (int i = 0; i < kPerColumn; ++i)
                for (int c = 0; c < kColumns; ++c) {
                    add.bind(1, "栏目" + std::to_string(c));
                    add.bind(2, "程序" + std::to_string(i * kColumns + c));
                    add.bind(3, "/usr/bin/program" + std::to_string(i));
                    add.exec();
                    add.reset();
                }
            raw.exec("COMMIT");
        }
        db.open(path);
    }
};

BigCatalogue& catalogue() {
    static BigCatalogue c;
    return c;
}

void ItemsOfOneColumn(benchmark::State& state) {
    ItemDatabase& db = catalogue().db;
    for (auto _ : state) {
        auto rows = db.itemsOf(QStringLiteral("工具"), QStringLiteral("栏目57"));
        if (rows.value.size() != kPerColumn) state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(ItemsOfOneColumn)->Unit(benchmark::kMillisecond);

void SearchNames(benchmark::State& state) {
    ItemDatabase& db = catalogue().db;
    for (auto _ : state) {
        auto rows = db.searchNames(QStringLiteral("程序1234"));  // 程序1234 and 程序12340..12349
        if (rows.value.size() != 11) state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(SearchNames)->Unit(benchmark::kMillisecond);

// Every re-initialisation reconnects, and a connect checks the file first.
void OpenLargeDatabase(benchmark::State& state) {
    const QString path = catalogue().root.databasePath();
    for (auto _ : state) {
        ItemDatabase db;
        if (!db.open(path)) state.SkipWithError("open failed");
    }
}
BENCHMARK(OpenLargeDatabase)->Unit(benchmark::kMillisecond);

void AppendItemDurably(benchmark::State& state) {
    static QTemporaryDir dir;
    static DataRoot root(dir.path());
    static std::unique_ptr<ItemDatabase> db = [] {
        root.ensureLayout(true);
        ItemDatabase::createEmpty(root.databasePath());
        auto d = std::make_unique<ItemDatabase>();
        d->open(root.databasePath());
        return d;
    }();
    int n = 0;
    for (auto _ : state) {
        if (!db->addItem({QStringLiteral("工具"), QStringLiteral("栏目"), QString::number(n++),
                          QStringLiteral("/usr/bin/true"), QStringLiteral("$2")}))
            state.SkipWithError("add failed");
    }
}
BENCHMARK(AppendItemDurably)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(40)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void ReadOneSetting(benchmark::State& state) {
    static QTemporaryDir dir;
    static DataRoot root(dir.path());
    static Config config = [] {
        root.ensureLayout(false);
        Config c(root);
        c.setPosition(100, 200);
        c.setLastCategory(3);
        for (int i = 0; i < 10; ++i) c.setLastColumn(i, i);
        c.setBackgroundColour(16777215);
        c.setHighlightColour(255);
        c.setBorderColour(65280);
        c.setAvatar(QStringLiteral("头像.bmp"));
        c.setIconSize(32);
        c.setSwitchSound(1);
        c.setSkinName(QStringLiteral("经典.she"));
        return c;
    }();
    for (auto _ : state) benchmark::DoNotOptimize(config.highlightColour());
}
BENCHMARK(ReadOneSetting)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
