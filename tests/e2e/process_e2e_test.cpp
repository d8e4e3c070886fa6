#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <csignal>

#include "storage/config.h"
#include "storage/ini_file.h"
#include "storage/item_database.h"
#include "support/temp_root.h"

namespace hx::test {
namespace {

// Runs the real executable offscreen on a prepared data root.
class ProgramProcess : public ::testing::Test {
  protected:
    TempRoot temp;
    QProcess process;

    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariable("HENGXIU_EXECUTABLE").isEmpty());
        ASSERT_TRUE(storage::ItemDatabase::createEmpty(temp.root().databasePath()));
        storage::ItemDatabase db;
        ASSERT_TRUE(db.open(temp.root().databasePath()));
        ASSERT_TRUE(db.addCategory("常用", "Folder.bmp"));
        ASSERT_TRUE(db.addColumn("常用", "文件夹"));
        ASSERT_TRUE(db.addItem({"常用", "文件夹", "根目录", "/", "/"}));
    }

    void start() {
        QDir().mkpath(temp.file("Desktop"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HENGXIU_POWER", "dry-run");
        env.insert("HENGXIU_DESKTOP_DIR", temp.file("Desktop"));
        env.insert("HENGXIU_PROBE_URL", "http://127.0.0.1:9/");
        process.setProcessEnvironment(env);
        process.start(qEnvironmentVariable("HENGXIU_EXECUTABLE"), {"--root", temp.path()});
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    QString config(const char* section, const char* key) const {
        return storage::IniFile::read(temp.root().configPath(), QString::fromUtf8(section),
                                      QString::fromUtf8(key));
    }

    void TearDown() override {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

TEST_F(ProgramProcess, SigtermRunsTheShutDownAndStoresThePosition) {
    storage::Config cfg(temp.root());
    // Digits followed by letters read as the number; the shut-down writes it clean.
    ASSERT_TRUE(cfg.writeConfig("关闭状态", "左边", "234px"));
    ASSERT_TRUE(cfg.writeConfig("关闭状态", "顶边", "345"));
    start();
    // The start-up opens the remembered column, which writes its index.
    // The start-up opens the remembered column (which writes its index) and
    // then puts the launcher on the desktop.
    ASSERT_TRUE(QTest::qWaitFor(
        [this] {
            return !config("卷帘式菜单", "0").isEmpty() &&
                   QFileInfo::exists(temp.file("Desktop/衡岫电脑工具箱.desktop"));
        },
        20000))
        << process.readAllStandardError().toStdString();

    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(15000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(config("关闭状态", "左边"), "234");
    EXPECT_EQ(config("关闭状态", "顶边"), "345");
    EXPECT_EQ(config("工具条", "工具条"), "0");
}

TEST_F(ProgramProcess, ExistingShortcutIsNeverOverwritten) {
    ASSERT_TRUE(temp.write("Desktop/衡岫电脑工具箱.desktop", "mine"));
    start();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !config("卷帘式菜单", "0").isEmpty(); }, 20000));
    QTest::qWait(500);  // the shortcut step comes right after
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(15000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(temp.read("Desktop/衡岫电脑工具箱.desktop"), QByteArray("mine"));
    EXPECT_FALSE(config("关闭状态", "左边").isEmpty());
}

}  // namespace
}  // namespace hx::test
