// Kills the program with SIGKILL while it restores and clears the catalogue
// and checks that the database is always whole: one of the catalogues it was
// switching between, never a mixture.
#include <gtest/gtest.h>
#include <unistd.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <random>

#include "appearance/data_commands.h"
#include "core/session.h"
#include "support/fake_dialogs.h"
#include "support/session_fixture.h"
#include "support/temp_root.h"

namespace hx::test {
namespace {

constexpr const char* kRootVar = "HX_DATA_KILL_ROOT";

// A catalogue of `items` entries whose every name carries `tag`.
void makeCatalogue(const QString& path, const QString& tag, int items) {
    ASSERT_TRUE(storage::ItemDatabase::createEmpty(path));
    storage::ItemDatabase db;
    ASSERT_TRUE(db.open(path));
    for (int c = 0; c < 3; ++c) {
        const QString category = tag + QString::number(c);
        ASSERT_TRUE(db.addCategory(category, QStringLiteral("Folder.bmp")));
        ASSERT_TRUE(db.addColumn(category, tag + QStringLiteral("栏")));
    }
    for (int i = 0; i < items; ++i)
        ASSERT_TRUE(db.addItem({tag + QString::number(i % 3), tag + QStringLiteral("栏"),
                                tag + QStringLiteral("项%1").arg(i), QStringLiteral("/opt/") + tag,
                                QStringLiteral("$3")}));
}

// Everything the three tables hold, in storage order.
QByteArray contents(const QString& path) {
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READONLY);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const char* sql : {"SELECT * FROM 表1 ORDER BY rowid", "SELECT * FROM 表2 ORDER BY rowid",
                            "SELECT * FROM 表3 ORDER BY rowid"}) {
        SQLite::Statement q(db, sql);
        while (q.executeStep())
            for (int i = 0; i < q.getColumnCount(); ++i) {
                hash.addData(QByteArray(q.getColumn(i).getText()));
                hash.addData(QByteArray(1, '\x1f'));
            }
        hash.addData(QByteArray(1, '\x1e'));
    }
    return hash.result();
}

QString integrity(const QString& path) {
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READONLY);
    SQLite::Statement q(db, "PRAGMA integrity_check");
    return q.executeStep() ? QString::fromUtf8(q.getColumn(0).getText()) : QString();
}

// The child: restores the two catalogues and clears, over and over, through
// the same commands the data page runs.
[[noreturn]] void runMaintenance(const QString& rootPath) {
    FakeDialogs dialogs;
    FakeServices fakes(rootPath + QStringLiteral("/Desktop"));
    core::Session session(storage::DataRoot(rootPath), fakes.services(), dialogs);
    core::Catalogue catalogue(session, {}, {});
    if (!session.database().open(session.root().databasePath())) std::_Exit(3);
    QFile(rootPath + QStringLiteral("/ready")).open(QIODevice::WriteOnly);
    for (int round = 0;; ++round) {
        dialogs.files.enqueue(rootPath +
                              (round % 2 ? QStringLiteral("/b.mdb") : QStringLiteral("/a.mdb")));
        if (appearance::restoreDatabase(session, catalogue) != appearance::RestoreOutcome::Restored)
            std::_Exit(4);
        dialogs.answers.enqueue(core::Answer::Yes);
        if (!appearance::clearDatabase(session, catalogue)) std::_Exit(5);
        dialogs.shown.clear();
    }
}

class MaintenanceChild : public ::testing::Environment {
  public:
    void SetUp() override {
        if (const char* root = std::getenv(kRootVar)) runMaintenance(QString::fromLocal8Bit(root));
    }
};
[[maybe_unused]] ::testing::Environment* const child =
    ::testing::AddGlobalTestEnvironment(new MaintenanceChild);

TEST(DataKill, KilledRestoreOrClearLeavesOneWholeCatalogue) {
    TempRoot temp;
    const QString live = temp.root().databasePath();
    makeCatalogue(temp.file("a.mdb"), QStringLiteral("甲"), 3000);
    makeCatalogue(temp.file("b.mdb"), QStringLiteral("乙"), 2000);
    makeCatalogue(live, QStringLiteral("甲"), 3000);
    ASSERT_TRUE(storage::ItemDatabase::createEmpty(temp.file("empty.mdb")));
    const QByteArray a = contents(temp.file("a.mdb"));
    const QByteArray b = contents(temp.file("b.mdb"));
    const QByteArray empty = contents(temp.file("empty.mdb"));

    std::mt19937 rng(20130812);
    QSet<QByteArray> seen;
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        QFile::remove(temp.file("ready"));
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kRootVar, temp.path());
        child.setProcessEnvironment(env);
        child.setStandardOutputFile(QProcess::nullDevice());
        child.setStandardErrorFile(QProcess::nullDevice());
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=DataKill.*")});
        ASSERT_TRUE(child.waitForStarted(5000));
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(temp.file("ready")) && child.state() == QProcess::Running &&
               waited.elapsed() < 20000)
            QThread::msleep(2);
        QThread::msleep(static_cast<unsigned long>(rng() % 400));
        ASSERT_EQ(child.state(), QProcess::Running) << "the child stopped: " << child.exitCode();
        child.kill();
        child.waitForFinished(5000);

        ASSERT_EQ(integrity(live), "ok");
        const QByteArray now = contents(live);
        EXPECT_TRUE(now == a || now == b || now == empty);
        seen.insert(now);
        storage::ItemDatabase db;
        EXPECT_TRUE(db.open(live)) << db.lastError().toStdString();
    }
    // The kills landed at different steps.
    EXPECT_GE(seen.size(), 2);
}

}  // namespace
}  // namespace hx::test
