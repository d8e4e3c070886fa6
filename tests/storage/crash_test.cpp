// Kills writers of the database and of Config.ini at random moments and checks
// that what they reported as done is there, whole, afterwards.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <cstdlib>
#include <random>

#include "storage/ini_file.h"
#include "storage/item_database.h"
#include "support/temp_root.h"

using hx::storage::IniFile;
using hx::storage::ItemDatabase;
using hx::storage::ItemRow;

namespace {

constexpr const char* kModeVar = "HX_STORAGE_CRASH_CHILD";  // "db" or "ini"
constexpr const char* kTargetVar = "HX_STORAGE_CRASH_TARGET";
constexpr const char* kLogVar = "HX_STORAGE_CRASH_LOG";
constexpr const char* kSeedVar = "HX_STORAGE_CRASH_SEED";

const QString kCategory = QStringLiteral("类");
const QString kSection = QStringLiteral("大段");
constexpr int kIniKeys = 8;
constexpr int kIniValueBase = 4000;

// ---- The child: a writer that is killed by its parent. ---------------------

class Log {
  public:
    explicit Log(const char* path) : fd_(::open(path, O_WRONLY | O_CREAT | O_APPEND, 0644)) {}
    ~Log() { ::close(fd_); }
    bool ok() const { return fd_ >= 0; }
    void line(const QString& text) {
        const QByteArray bytes = (text + u'\n').toUtf8();
        if (::write(fd_, bytes.constData(), size_t(bytes.size())) != bytes.size()) std::_Exit(4);
        ::fdatasync(fd_);
    }

  private:
    int fd_;
};

// Random adds, edits, deletes and column renames, each announced ("I") before
// it runs and confirmed ("D") only after it returned success.
int runDatabaseWriter(const QString& path, const char* logPath, unsigned seed) {
    ItemDatabase db;
    if (!db.open(path)) return 3;
    Log log(logPath);
    if (!log.ok()) return 3;
    std::mt19937 rng(seed);
    const QString tag = QString::number(seed);
    QElapsedTimer alive;
    alive.start();
    for (int seq = 0; alive.elapsed() < 20000; ++seq) {
        const QStringList columns = db.columnsOf(kCategory).value;
        if (columns.isEmpty()) return 5;
        const QString column = columns[int(rng() % columns.size())];
        const int count = db.countItems(kCategory, column);
        const int dice = int(rng() % 100);
        const QString fresh = QStringLiteral("n%1_%2").arg(tag).arg(seq);
        QString intent;
        std::function<bool()> op;
        if (dice < 50 || count == 0) {
            intent = QStringLiteral("add\t%1\t%2").arg(column, fresh);
            op = [&] { return db.addItem({kCategory, column, fresh, "/bin/true", "$2"}); };
        } else if (dice < 70) {
            const int index = int(rng() % count);
            const QString name = db.itemAt(kCategory, column, index).value->name;
            intent = QStringLiteral("del\t%1\t%2\t%3").arg(column).arg(index).arg(name);
            op = [&, index] { return db.deleteItemAt(kCategory, column, index); };
        } else if (dice < 85) {
            const int index = int(rng() % count);
            const QString name = db.itemAt(kCategory, column, index).value->name;
            intent = QStringLiteral("upd\t%1\t%2\t%3\t%4").arg(column).arg(index).arg(name, fresh);
            op = [&, index] {
                return db.updateItemAt(kCategory, column, index,
                                       {kCategory, column, fresh, "/x", "$3"});
            };
        } else if (dice < 95) {
            intent = QStringLiteral("rencol\t%1\t%2").arg(column, fresh);
            op = [&] { return db.renameColumn(kCategory, column, fresh); };
        } else {
            intent = QStringLiteral("addcol\t%1").arg(fresh);
            op = [&] { return db.addColumn(kCategory, fresh); };
        }
        log.line(QStringLiteral("I\t") + intent);
        if (!op()) return 6;
        log.line(QStringLiteral("D"));
    }
    return 0;
}

// Rewrites large values of Config.ini again and again.
int runIniWriter(const QString& path, const char* readyPath, unsigned seed) {
    std::mt19937 rng(seed);
    { Log ready(readyPath); }
    QElapsedTimer alive;
    alive.start();
    while (alive.elapsed() < 20000) {
        const int key = int(rng() % kIniKeys);
        const QChar letter(u'a' + int(rng() % 26));
        const QString value(kIniValueBase + int(rng() % 500), letter);
        if (!IniFile::write(path, kSection, QStringLiteral("键%1").arg(key), value)) return 6;
    }
    return 0;
}

class CrashChild : public ::testing::Environment {
  public:
    void SetUp() override {
        const char* mode = std::getenv(kModeVar);
        if (!mode) return;
        const QString target = QString::fromLocal8Bit(std::getenv(kTargetVar));
        const char* log = std::getenv(kLogVar);
        const unsigned seed = unsigned(std::strtoul(std::getenv(kSeedVar), nullptr, 10));
        const int rc = std::string(mode) == "db" ? runDatabaseWriter(target, log, seed)
                                                 : runIniWriter(target, log, seed);
        std::_Exit(rc);
    }
};
[[maybe_unused]] ::testing::Environment* const crashChild =
    ::testing::AddGlobalTestEnvironment(new CrashChild);

// ---- The parent. -----------------------------------------------------------

// Starts this test program as a writer, waits until it is at work, lets it run
// for `workMs` and kills it with SIGKILL. False when it ended by itself.
bool runAndKill(const char* mode, const QString& target, const QString& log, unsigned seed,
                int workMs) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kModeVar, mode);
    env.insert(kTargetVar, target);
    env.insert(kLogVar, log);
    env.insert(kSeedVar, QString::number(seed));
    child.setProcessEnvironment(env);
    child.setStandardOutputFile(QProcess::nullDevice());
    child.setStandardErrorFile(QProcess::nullDevice());
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=StorageCrash.*")});
    if (!child.waitForStarted(5000)) return false;
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(log) && child.state() == QProcess::Running && waited.elapsed() < 10000)
        QThread::msleep(2);
    QThread::msleep(static_cast<unsigned long>(workMs));
    const bool stillRunning = child.state() == QProcess::Running;
    child.kill();
    child.waitForFinished(5000);
    return stillRunning;
}

struct Model {
    QVector<QPair<QString, QString>> items;  // (column, name) in row order
    QStringList columns;

    int rowOf(const QString& column, int index) const {
        for (int i = 0; i < items.size(); ++i)
            if (items[i].first == column && index-- == 0) return i;
        return -1;
    }
    // Applies one logged operation; false when it does not fit the model.
    bool apply(const QStringList& op) {
        const QString& kind = op[0];
        if (kind == "add") {
            items.append({op[1], op[2]});
        } else if (kind == "del" || kind == "upd") {
            const int row = rowOf(op[1], op[2].toInt());
            if (row < 0 || items[row].second != op[3]) return false;
            if (kind == "del")
                items.remove(row);
            else
                items[row].second = op[4];
        } else if (kind == "rencol") {
            for (auto& it : items)
                if (it.first == op[1]) it.first = op[2];
            for (QString& c : columns)
                if (c == op[1]) c = op[2];
        } else if (kind == "addcol") {
            columns.append(op[1]);
        } else {
            return false;
        }
        return true;
    }
    // Whether the stored state shows a pending operation as done.
    bool showsDone(const QStringList& op, const Model& stored) const {
        auto hasName = [&](const QString& name) {
            for (const auto& it : stored.items)
                if (it.second == name) return true;
            return false;
        };
        const QString& kind = op[0];
        if (kind == "add") return hasName(op[2]);
        if (kind == "del") return !hasName(op[3]);
        if (kind == "upd") return hasName(op[4]);
        return stored.columns.contains(op[kind == "rencol" ? 2 : 1]);
    }
    bool operator==(const Model&) const = default;
};

Model stored(const QString& path) {
    Model m;
    SQLite::Database raw(path.toStdString(), SQLite::OPEN_READONLY);
    SQLite::Statement items(raw, "SELECT 栏目文本, 名称文本 FROM 表1 ORDER BY rowid");
    while (items.executeStep())
        m.items.append({QString::fromUtf8(items.getColumn(0).getText()),
                        QString::fromUtf8(items.getColumn(1).getText())});
    SQLite::Statement columns(raw, "SELECT 栏目 FROM 表2 ORDER BY rowid");
    while (columns.executeStep())
        m.columns.append(QString::fromUtf8(columns.getColumn(0).getText()));
    return m;
}

QString integrity(const QString& path) {
    SQLite::Database raw(path.toStdString(), SQLite::OPEN_READONLY);
    SQLite::Statement q(raw, "PRAGMA integrity_check");
    return q.executeStep() ? QString::fromUtf8(q.getColumn(0).getText()) : QString();
}

}  // namespace

TEST(StorageCrash, KilledDatabaseWriterLosesNothingItReported) {
    hx::test::TempRoot root;
    const QString path = root.root().databasePath();
    ASSERT_TRUE(ItemDatabase::createEmpty(path));
    Model model;
    {
        ItemDatabase db;
        ASSERT_TRUE(db.open(path));
        ASSERT_TRUE(db.addCategory(kCategory, "Folder.bmp"));
        for (const char* c : {"c0", "c1", "c2"}) {
            ASSERT_TRUE(db.addColumn(kCategory, c));
            model.columns << c;
        }
    }
    std::mt19937 rng(20130812);
    int confirmed = 0, pendingApplied = 0, pendingLost = 0;
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(round);
        const QString log = root.file(QStringLiteral("log-%1.txt").arg(round));
        ASSERT_TRUE(runAndKill("db", path, log, 1000 + unsigned(round), int(rng() % 120)))
            << "the writer stopped by itself";

        ItemDatabase db;
        ASSERT_TRUE(db.open(path)) << db.lastError().toStdString();
        ASSERT_EQ(integrity(path), QStringLiteral("ok"));
        const Model now = stored(path);

        QFile file(log);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QStringList pending;
        for (const QByteArray& raw : file.readAll().split('\n')) {
            const QStringList fields = QString::fromUtf8(raw).split(u'\t');
            if (fields[0] == "I") {
                ASSERT_TRUE(pending.isEmpty());
                pending = fields.mid(1);
            } else if (fields[0] == "D") {
                ASSERT_FALSE(pending.isEmpty());
                ASSERT_TRUE(model.apply(pending)) << pending.join(' ').toStdString();
                pending.clear();
                ++confirmed;
            }
        }
        // The one operation under way at the kill may or may not have happened.
        if (!pending.isEmpty()) {
            if (model.showsDone(pending, now)) {
                ASSERT_TRUE(model.apply(pending));
                ++pendingApplied;
            } else {
                ++pendingLost;
            }
        }
        ASSERT_EQ(now.items, model.items);
        ASSERT_EQ(now.columns, model.columns);
    }
    EXPECT_GT(confirmed, 50);
    RecordProperty("confirmed", confirmed);
    RecordProperty("pending_applied", pendingApplied);
    RecordProperty("pending_lost", pendingLost);
}

TEST(StorageCrash, KilledConfigWriterNeverLeavesAPartialFile) {
    hx::test::TempRoot root;
    const QString path = root.root().configPath();
    for (int k = 0; k < kIniKeys; ++k)
        ASSERT_TRUE(IniFile::write(path, kSection, QStringLiteral("键%1").arg(k),
                                   QString(kIniValueBase, QChar(u'z'))));
    ASSERT_TRUE(IniFile::write(path, QStringLiteral("关闭状态"), QStringLiteral("左边"), "12"));
    std::mt19937 rng(42);
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        const QString ready = root.file(QStringLiteral("ready-%1").arg(round));
        ASSERT_TRUE(runAndKill("ini", path, ready, unsigned(round), int(rng() % 60)));
        for (int k = 0; k < kIniKeys; ++k) {
            const QString value = IniFile::read(path, kSection, QStringLiteral("键%1").arg(k));
            ASSERT_GE(value.size(), kIniValueBase) << "key " << k;
            ASSERT_LT(value.size(), kIniValueBase + 500);
            ASSERT_EQ(value.count(value[0]), value.size());
        }
        ASSERT_EQ(IniFile::read(path, QStringLiteral("关闭状态"), QStringLiteral("左边")), "12");
    }
    // Temporary files of the killed writers are cleared by the next save.
    ASSERT_TRUE(IniFile::write(path, QStringLiteral("关闭状态"), QStringLiteral("顶边"), "1"));
    EXPECT_EQ(QDir(root.root().userDir()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"Config.ini"});
}
