#include <gtest/gtest.h>
#include <unistd.h>

#include <SQLiteCpp/Database.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include "appearance/data_commands.h"
#include "appearance/file_filter.h"
#include "settings_fixture.h"
#include "storage/safety_copy.h"

namespace hx::test {
namespace {

using appearance::RestoreOutcome;
using core::MessageIcon;
using storage::ItemDatabase;

class DataCommandsTest : public SettingsTest {
  protected:
    void SetUp() override {
        openDatabase();
        fill(QStringLiteral("工具"), 3);
    }
    void fill(const QString& category, int items) {
        ASSERT_TRUE(session.database().addCategory(category, QStringLiteral("Folder.bmp")));
        ASSERT_TRUE(session.database().addColumn(category, QStringLiteral("栏")));
        for (int i = 0; i < items; ++i)
            ASSERT_TRUE(
                session.database().addItem({category, QStringLiteral("栏"),
                                            category + QString::number(i), "/bin/true", "$3"}));
    }
    QStringList categories(ItemDatabase& db) {
        QStringList names;
        for (const auto& row : db.categories().value) names << row.name;
        return names;
    }
    QStringList safetyCopies() const {
        return QDir(temp.root().backupDir())
            .entryList({QStringLiteral("自动备份-*.mdb")}, QDir::Files);
    }
    QString lastText() const {
        return dialogs.shown.isEmpty() ? QString() : dialogs.shown.last().text;
    }
    MessageIcon lastIcon() const { return dialogs.shown.last().icon; }
};

TEST_F(DataCommandsTest, BackupIsNamedByDateAndTheLaterOfTwoWins) {
    const QDate day(2014, 1, 5);
    EXPECT_TRUE(appearance::backupDatabase(session, day));
    EXPECT_EQ(lastText(), "备份成功！");
    EXPECT_EQ(lastIcon(), MessageIcon::Information);
    EXPECT_EQ(dialogs.shown.last().title, "信息：");
    const QString target = temp.file("Date/Backup/2014年1月5日.mdb");
    ASSERT_TRUE(QFileInfo::exists(target));

    fill(QStringLiteral("网络"), 1);
    EXPECT_TRUE(appearance::backupDatabase(session, day));
    EXPECT_EQ(QDir(temp.root().backupDir()).entryList(QDir::Files).size(), 1);
    ItemDatabase copy;
    ASSERT_TRUE(copy.open(target));
    EXPECT_EQ(categories(copy), (QStringList{"工具", "网络"}));
}

TEST_F(DataCommandsTest, BackupThatCannotBeWrittenFailsAndChangesNothing) {
    ASSERT_TRUE(temp.write("Date/Backup", "a file where the folder goes"));
    const QByteArray live = temp.read("Date/QVdata.mdb");
    EXPECT_FALSE(appearance::backupDatabase(session, QDate(2013, 8, 12)));
    EXPECT_EQ(lastText(), "备份失败！");
    EXPECT_EQ(lastIcon(), MessageIcon::Error);
    EXPECT_EQ(temp.read("Date/Backup"), "a file where the folder goes");
    EXPECT_EQ(temp.read("Date/QVdata.mdb"), live);
    EXPECT_EQ(reinitialisations, 0);

    // The live database closed underneath: nothing to copy.
    ASSERT_TRUE(QFile::remove(temp.file("Date/Backup")));
    session.database().close();
    EXPECT_FALSE(appearance::backupDatabase(session, QDate(2013, 8, 12)));
    EXPECT_EQ(lastText(), "备份失败！");
}

TEST_F(DataCommandsTest, BackupIntoAReadOnlyFolderFails) {
    const QString backup = temp.root().backupDir();
    if (::geteuid() == 0) {
        // Root writes through permission bits: a folder of the proc file
        // system takes no new files from anyone.
        ASSERT_TRUE(QDir().mkpath(QFileInfo(backup).path()));
        ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/fdinfo"), backup));
    } else {
        ASSERT_TRUE(QDir().mkpath(backup));
        QFile::setPermissions(backup, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    EXPECT_FALSE(appearance::backupDatabase(session, QDate(2013, 8, 12)));
    EXPECT_EQ(lastIcon(), MessageIcon::Error);
    EXPECT_FALSE(QFileInfo::exists(backup + QStringLiteral("/2013年8月12日.mdb")));
    if (::geteuid() != 0)
        QFile::setPermissions(
            backup, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(DataCommandsTest, RefusedRestoresKeepTheLiveDatabaseByteForByte) {
    session.database().close();  // settle the file so its bytes can be compared
    ASSERT_TRUE(session.database().open(temp.root().databasePath()));
    const QByteArray live = temp.read("Date/QVdata.mdb");

    QByteArray noise(64 * 1024, '\0');
    QRandomGenerator rng(20140105);
    for (char& b : noise) b = char(rng.bounded(256));
    ASSERT_TRUE(temp.write("in/noise.mdb", noise));
    ASSERT_TRUE(temp.write("in/empty.mdb", {}));
    {
        SQLite::Database partial(temp.file("in/partial.mdb").toStdString(),
                                 SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        partial.exec(
            "CREATE TABLE 表1 (分类文本, 栏目文本, 名称文本, 路径文本, 图标文本);"
            "CREATE TABLE 表3 (分类, 路径)");
    }
    ASSERT_TRUE(QDir().mkpath(temp.file("in/folder.mdb")));
    ASSERT_TRUE(temp.write("in/vanishing.mdb", {}));
    ASSERT_TRUE(QFile::remove(temp.file("in/vanishing.mdb")));  // chosen, then gone
    ASSERT_TRUE(temp.write("in/unreadable.mdb", "x"));
    QFile::setPermissions(temp.file("in/unreadable.mdb"), {});

    for (const char* name : {"noise", "empty", "partial", "folder", "vanishing", "unreadable"}) {
        SCOPED_TRACE(name);
        dialogs.files.enqueue(temp.file(QStringLiteral("in/%1.mdb").arg(name)));
        EXPECT_EQ(appearance::restoreDatabase(session, catalogue), RestoreOutcome::Refused);
        EXPECT_EQ(lastText(), "数据库恢复失败！");
        EXPECT_EQ(lastIcon(), MessageIcon::Error);
        EXPECT_EQ(temp.read("Date/QVdata.mdb"), live);
        EXPECT_TRUE(session.database().isOpen());
        EXPECT_EQ(categories(session.database()), (QStringList{"工具"}));
    }
    EXPECT_EQ(reinitialisations, 0);
    EXPECT_TRUE(safetyCopies().isEmpty());  // refused before anything was written

    const int shown = int(dialogs.shown.size());
    EXPECT_EQ(appearance::restoreDatabase(session, catalogue), RestoreOutcome::Cancelled);
    EXPECT_EQ(dialogs.shown.size(), shown);
}

TEST_F(DataCommandsTest, RestoreReplacesTheDataAndASafetyCopyUndoesIt) {
    ASSERT_TRUE(appearance::backupDatabase(session, QDate(2013, 8, 12)));
    ASSERT_TRUE(session.database().deleteCategory(QStringLiteral("工具")));
    fill(QStringLiteral("网络"), 2);

    dialogs.files.enqueue(temp.file("Date/Backup/2013年8月12日.mdb"));
    EXPECT_EQ(appearance::restoreDatabase(session, catalogue), RestoreOutcome::Restored);
    EXPECT_EQ(lastText(), "数据库恢复成功！程序即将重启！");
    EXPECT_EQ(lastIcon(), MessageIcon::None);
    EXPECT_EQ(reinitialisations, 1);
    EXPECT_EQ(categories(session.database()), (QStringList{"工具"}));
    EXPECT_EQ(session.database().countItems("工具", "栏"), 3);
    EXPECT_TRUE(QFileInfo::exists(temp.file("Date/Backup/2013年8月12日.mdb")));  // the source stays

    // The catalogue it replaced went into a safety copy; restoring that undoes the step.
    ASSERT_EQ(safetyCopies().size(), 1);
    dialogs.files.enqueue(temp.root().backupDir() + u'/' + safetyCopies().first());
    EXPECT_EQ(appearance::restoreDatabase(session, catalogue), RestoreOutcome::Restored);
    EXPECT_EQ(categories(session.database()), (QStringList{"网络"}));
}

TEST_F(DataCommandsTest, ClearEmptiesEverythingButSkinAfterASafetyCopy) {
    setConfig("栏目背景", "背景颜色", "255");
    ASSERT_TRUE(
        storage::IniFile::write(temp.root().skinSelectionPath(), "皮肤", "皮肤名称", "墨绿.she"));
    ASSERT_TRUE(temp.write("User/me.png", "avatar"));
    catalogue.reload();
    catalogue.selectCategory(0);
    catalogue.finishLoading();
    ASSERT_EQ(catalogue.rowCount(), 3);
    session.usage().record(QStringLiteral("opened"), QStringLiteral("op"));

    dialogs.answers.enqueue(core::Answer::No);
    EXPECT_FALSE(appearance::clearDatabase(session, catalogue));
    EXPECT_EQ(dialogs.shown.last().text, "是否清空所有的数据？");
    EXPECT_EQ(dialogs.shown.last().icon, MessageIcon::Question);
    EXPECT_EQ(dialogs.shown.last().buttons, core::MessageButtons::YesNo);
    EXPECT_EQ(dialogs.shown.last().defaultAnswer, core::Answer::No);
    EXPECT_EQ(config("栏目背景", "背景颜色"), "255");
    EXPECT_EQ(categories(session.database()), (QStringList{"工具"}));
    EXPECT_TRUE(safetyCopies().isEmpty());

    dialogs.answers.enqueue(core::Answer::Yes);
    EXPECT_TRUE(appearance::clearDatabase(session, catalogue));
    EXPECT_FALSE(QFileInfo::exists(temp.root().configPath()));
    EXPECT_EQ(storage::IniFile::read(temp.root().skinSelectionPath(), "皮肤", "皮肤名称"),
              "墨绿.she");
    EXPECT_EQ(temp.read("User/me.png"), "avatar");
    EXPECT_TRUE(categories(session.database()).isEmpty());
    EXPECT_EQ(session.database().countItems("工具", "栏"), 0);
    EXPECT_TRUE(session.database().columnsOf("工具").value.isEmpty());
    EXPECT_TRUE(catalogue.categories().isEmpty() && catalogue.columns().isEmpty() &&
                catalogue.rows().isEmpty());
    EXPECT_EQ(reinitialisations, 1);
    // What quick open learnt goes too, from its file as well.
    EXPECT_TRUE(session.usage().snapshot().weights.isEmpty());
    EXPECT_TRUE(storage::UsageStore(session.usage().path()).snapshot().picks.isEmpty());

    ASSERT_EQ(safetyCopies().size(), 1);
    ItemDatabase copy;
    ASSERT_TRUE(copy.open(temp.root().backupDir() + u'/' + safetyCopies().first()));
    EXPECT_EQ(copy.countItems("工具", "栏"), 3);
}

TEST_F(DataCommandsTest, RestoreOpensWhereBackupsAreAndRefusesTheLiveDatabase) {
    ASSERT_FALSE(QFileInfo::exists(temp.root().backupDir()));
    for (const bool backedUp : {false, true}) {
        SCOPED_TRACE(backedUp);
        if (backedUp) {
            ASSERT_TRUE(appearance::backupDatabase(session, QDate(2014, 1, 5)));
        }
        // A folder that is not there would type its name into the file box.
        dialogs.files.enqueue(temp.root().databasePath());
        EXPECT_EQ(appearance::restoreDatabase(session, catalogue), RestoreOutcome::Refused);
        EXPECT_EQ(dialogs.fileFolders.last(),
                  backedUp ? temp.root().backupDir() : temp.root().dateDir());
        EXPECT_EQ(lastText(), "数据库恢复失败！");
        EXPECT_EQ(categories(session.database()), (QStringList{"工具"}));
    }
    EXPECT_EQ(reinitialisations, 0);
    EXPECT_TRUE(safetyCopies().isEmpty());
}

TEST_F(DataCommandsTest, RestoringTheOldestSafetyCopyNeverPrunesIt) {
    const QDateTime old(QDate(2020, 1, 1), QTime(8, 0));
    for (int i = 0; i < storage::kSafetyCopiesKept; ++i)
        ASSERT_FALSE(
            storage::writeSafetyCopy(temp.root(), session.database(), old.addSecs(i)).isEmpty());
    fill(QStringLiteral("网络"), 1);
    const QString oldest = temp.root().backupDir() + u'/' + storage::safetyCopyFileName(old);
    dialogs.files.enqueue(oldest);
    EXPECT_EQ(appearance::restoreDatabase(session, catalogue), RestoreOutcome::Restored);
    EXPECT_EQ(categories(session.database()), (QStringList{"工具"}));
    EXPECT_TRUE(QFileInfo::exists(oldest));
    EXPECT_EQ(safetyCopies().size(), storage::kSafetyCopiesKept);
}

TEST(FileFilter, ClassicFiltersBecomeQtFilters) {
    EXPECT_EQ(appearance::qtFileFilter(appearance::kRestoreFilter), "数据库文件（*.mdb） (*.mdb)");
    EXPECT_EQ(appearance::qtFileFilter("图像|*.jpg;*.gif|全部|*.*|尾巴"),
              "图像 (*.jpg *.gif);;全部 (*.*)");
}

TEST_F(DataCommandsTest, NoSafetyCopyNoClear) {
    ASSERT_TRUE(temp.write("Date/Backup", "a file where the folder goes"));
    dialogs.answers.enqueue(core::Answer::Yes);
    EXPECT_FALSE(appearance::clearDatabase(session, catalogue));
    EXPECT_EQ(lastText(), "清空数据失败！");
    EXPECT_EQ(categories(session.database()), (QStringList{"工具"}));
    EXPECT_EQ(reinitialisations, 0);

    dialogs.files.enqueue(temp.file("Date/QVdata.mdb"));
    EXPECT_EQ(appearance::restoreDatabase(session, catalogue), RestoreOutcome::Refused);
}

}  // namespace
}  // namespace hx::test
