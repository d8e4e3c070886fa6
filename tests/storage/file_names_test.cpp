#include "storage/file_names.h"

#include <gtest/gtest.h>

#include <QDir>

#include "support/temp_root.h"

using hx::storage::fileNamesMatching;

// Matches as QDir's name filter "PREFIX*SUFFIX" would: without case, the star
// may be empty, and the two ends may not overlap.
TEST(FileNames, MatchesLikeANameFilterWithoutCase) {
    hx::test::TempRoot temp(false);
    for (const char* name : {"a.bmp", "B.BMP", ".bmp", "a.bmp.txt", "bmp", "自动备份-1.mdb",
                             "自动备份-.MDB", "自动备份.mdb", "自动备份-1.mdb.bak"})
        ASSERT_TRUE(temp.write(name, "x"));
    ASSERT_TRUE(QDir().mkpath(temp.file("folder.bmp")));

    struct Case {
        QString prefix, suffix;
        QStringList expected;
    };
    const Case cases[] = {
        {{}, ".bmp", {".bmp", "a.bmp", "B.BMP"}},
        {"自动备份-", ".mdb", {"自动备份-.MDB", "自动备份-1.mdb"}},
        {"a.bmp", {}, {"a.bmp", "a.bmp.txt"}},
        {"A", ".bmp", {"a.bmp"}},
        {"a.bm", "p.bmp", {}},  // the ends may not share a letter
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fileNamesMatching(temp.file({}), c.prefix, c.suffix, QDir::Files | QDir::Hidden,
                                    QDir::Name | QDir::IgnoreCase),
                  c.expected)
            << c.prefix.toStdString() << " * " << c.suffix.toStdString();
    }
}
