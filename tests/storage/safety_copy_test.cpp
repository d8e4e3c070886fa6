#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSet>

#include "storage/item_database.h"
#include "storage/safety_copy.h"
#include "support/temp_root.h"

using namespace hx::storage;

TEST(BackupNames, DatedAndSafetyNamesUseFixedCharactersAndDigits) {
    EXPECT_EQ(backupFileName(QDate(2026, 3, 7)), QStringLiteral("2026年3月7日.mdb"));
    EXPECT_EQ(backupFileName(QDate(2026, 12, 31)), QStringLiteral("2026年12月31日.mdb"));
    EXPECT_EQ(safetyCopyFileName(QDateTime(QDate(2026, 3, 7), QTime(9, 5, 1))),
              QStringLiteral("自动备份-20260307-090501.mdb"));
}

TEST(SafetyCopy, HoldsTheDataAndKeepsOnlyTheNewestTen) {
    hx::test::TempRoot temp;
    const DataRoot& root = temp.root();
    ASSERT_TRUE(ItemDatabase::createEmpty(root.databasePath()));
    ItemDatabase db;
    ASSERT_TRUE(db.open(root.databasePath()));
    ASSERT_TRUE(db.addCategory(QStringLiteral("常用'"), QStringLiteral("Folder.bmp")));
    // A dated backup of the user's own is never pruned.
    ASSERT_TRUE(temp.write(QStringLiteral("Date/Backup/2026年1月1日.mdb"), "x"));

    QString first;
    for (int i = 0; i < 12; ++i) {
        const QString path =
            writeSafetyCopy(root, db, QDateTime(QDate(2026, 3, 7), QTime(10, 0, 0)).addSecs(i));
        ASSERT_FALSE(path.isEmpty()) << i;
        if (i == 0) first = path;
    }
    const QStringList left = QDir(root.backupDir()).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(left.size(), 11);
    EXPECT_EQ(left.first(), QStringLiteral("2026年1月1日.mdb"));
    EXPECT_EQ(left.at(1), QStringLiteral("自动备份-20260307-100002.mdb"));
    EXPECT_FALSE(QFile::exists(first));

    ItemDatabase copy;
    ASSERT_TRUE(copy.open(root.backupDir() + QStringLiteral("/") + left.last()));
    ASSERT_EQ(copy.categories().value.size(), 1);
    EXPECT_EQ(copy.categories().value.at(0).name, QStringLiteral("常用'"));
}

TEST(SafetyCopy, FailsWhenTheBackupFolderIsAFile) {
    hx::test::TempRoot temp;
    const DataRoot& root = temp.root();
    ASSERT_TRUE(ItemDatabase::createEmpty(root.databasePath()));
    ItemDatabase db;
    ASSERT_TRUE(db.open(root.databasePath()));
    ASSERT_TRUE(temp.write(QStringLiteral("Date/Backup"), "not a folder"));
    EXPECT_TRUE(writeSafetyCopy(root, db).isEmpty());
    EXPECT_EQ(temp.read(QStringLiteral("Date/Backup")), QByteArray("not a folder"));
}

TEST(SafetyCopy, CopiesOfOneSecondNeverReplaceEachOtherAndAgeInOrder) {
    hx::test::TempRoot temp;
    const DataRoot& root = temp.root();
    ASSERT_TRUE(ItemDatabase::createEmpty(root.databasePath()));
    ItemDatabase db;
    ASSERT_TRUE(db.open(root.databasePath()));
    const QDateTime second(QDate(2026, 3, 7), QTime(10, 0, 0));
    QStringList written;
    for (int i = 0; i < kSafetyCopiesKept; ++i) {
        ASSERT_TRUE(db.addCategory(QStringLiteral("类%1").arg(i), QStringLiteral("Folder.bmp")));
        written << writeSafetyCopy(root, db, second);
    }
    EXPECT_EQ(QSet<QString>(written.begin(), written.end()).size(), kSafetyCopiesKept);
    EXPECT_TRUE(written.at(1).endsWith(QStringLiteral("-100000-2.mdb")));
    ItemDatabase first;
    ASSERT_TRUE(first.open(written.first()));
    EXPECT_EQ(first.categories().value.size(), 1);  // still the first copy's catalogue
    first.close();

    // One more: the oldest of that second goes, the same-second rest stay.
    const QString latest = writeSafetyCopy(root, db, second.addSecs(1));
    EXPECT_FALSE(QFile::exists(written.first()));
    for (int i = 1; i < written.size(); ++i) EXPECT_TRUE(QFile::exists(written.at(i))) << i;
    EXPECT_TRUE(QFile::exists(latest));

    // The file a restore is about to read is never the one pruned.
    writeSafetyCopy(root, db, second.addSecs(2), written.at(1));
    EXPECT_TRUE(QFile::exists(written.at(1)));
    EXPECT_FALSE(QFile::exists(written.at(2)));
}
