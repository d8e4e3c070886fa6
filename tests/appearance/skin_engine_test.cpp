#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "appearance/appearance_apply.h"
#include "appearance/skin_engine.h"
#include "support/fifo_guard.h"
#include "support/temp_root.h"

namespace hx::appearance {
namespace {

struct SkinFixture : ::testing::Test {
    test::TempRoot temp;
    SkinEngine engine{temp.root()};
    void TearDown() override { qApp->setStyleSheet({}); }
};

TEST_F(SkinFixture, AttachesAStyleSheetSkinAndReplacesIt) {
    ASSERT_TRUE(temp.write("Shens/a.she", ".SHE\nQMenu { color: red; }\n"));
    ASSERT_TRUE(temp.write("Shens/b.she", ".SHE\r\nQMenu { color: blue; }\n"));
    engine.apply(temp.file("Shens/a.she"));
    EXPECT_EQ(qApp->styleSheet(), "QMenu { color: red; }\n");
    engine.apply(temp.file("Shens/b.she"));
    EXPECT_EQ(qApp->styleSheet(), "QMenu { color: blue; }\n");
}

TEST_F(SkinFixture, NoStoredNameHandsOverTheFolderWhichGivesTheDefaultSkin) {
    ASSERT_TRUE(temp.write("Shens/a.she", ".SHE\nQMenu { color: red; }\n"));
    engine.apply(temp.file("Shens/a.she"));
    engine.apply(temp.file("Shens/"));
    EXPECT_EQ(engine.attachedPath(), temp.file("QVSkin.she"));
    QString shipped;
    ASSERT_TRUE(SkinEngine::readSkin(":/skins/QVSkin.she", &shipped));
    EXPECT_EQ(qApp->styleSheet(), shipped);
}

TEST_F(SkinFixture, DefaultSkinIsWrittenEveryTimeAndUsedForAnEmptyPath) {
    ASSERT_TRUE(temp.write("QVSkin.she", "damaged"));
    engine.apply(QString());
    EXPECT_TRUE(temp.read("QVSkin.she").startsWith(".SHE"));
    EXPECT_EQ(engine.attachedPath(), temp.file("QVSkin.she"));
    EXPECT_FALSE(qApp->styleSheet().isEmpty());
}

TEST_F(SkinFixture, DefaultSkinPlaceHoldingAFifoIsReplacedWithoutWaitingOnIt) {
    const QString fifo = temp.file("QVSkin.she");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_TRUE(test::finishesWithoutBlocking(fifo, [&] { engine.apply(QString()); }));
    EXPECT_TRUE(QFileInfo(fifo).isFile());
    EXPECT_TRUE(temp.read("QVSkin.she").startsWith(".SHE"));
}

TEST_F(SkinFixture, ShippedSkinsJoinTheFolderWithoutReplacingTheUsers) {
    ASSERT_TRUE(temp.write("Shens/墨绿.she", "mine"));
    engine.apply(temp.file("Shens/"));
    EXPECT_EQ(temp.read("Shens/墨绿.she"), "mine");
    EXPECT_TRUE(temp.read("Shens/蓝色经典.she").startsWith(".SHE"));
    EXPECT_TRUE(temp.read("Shens/QVSkin.she").isEmpty());  // the default lives beside
}

TEST_F(SkinFixture, UntouchedCopiesOfAnEarlierShippedSkinAreBroughtUpToDate) {
    for (const QString name : {"墨绿.she", "蓝色经典.she"}) {
        SCOPED_TRACE(name.toStdString());
        QFile resource(":/skins/" + name);
        ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
        const QByteArray now = resource.readAll();
        // The version shipped before check boxes, trees and the clock had rules.
        QByteArrayList earlier;
        for (const QByteArray& line : now.split('\n'))
            if (!line.contains("QCheckBox::indicator") && !line.contains("QTreeView") &&
                !line.contains("LedPanel"))
                earlier << line;
        ASSERT_LT(earlier.size(), now.count('\n'));
        ASSERT_TRUE(temp.write("Shens/" + name, earlier.join('\n')));
        ASSERT_TRUE(temp.write("Shens/edited-" + name, earlier.join('\n') + "/* mine */\n"));
        engine.apply(temp.file("Shens/"));
        EXPECT_EQ(temp.read("Shens/" + name), now);
        EXPECT_EQ(temp.read("Shens/edited-" + name), earlier.join('\n') + "/* mine */\n");
    }
}

TEST_F(SkinFixture, FilesThatAreNotSkinsAreIgnored) {
    ASSERT_TRUE(temp.write("Shens/x.she", "QMenu { color: red; }"));
    engine.apply(temp.file("Shens/x.she"));
    engine.apply(temp.file("Shens/missing.she"));
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST_F(SkinFixture, SkinNamesNeverLeaveTheShensFolder) {
    QTemporaryDir outside(QDir::tempPath() + QStringLiteral("/hengxiu-elsewhere-XXXXXX"));
    ASSERT_TRUE(outside.isValid());
    const QByteArray evil = ".SHE\nQMenu { color: red; }\n";
    {
        QFile file(outside.filePath(QStringLiteral("evil.she")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(evil) == evil.size());
    }
    ASSERT_TRUE(temp.write("User/evil.she", evil));
    ASSERT_TRUE(temp.write("Shens/sub/evil.she", evil));
    QString shipped;
    ASSERT_TRUE(SkinEngine::readSkin(":/skins/QVSkin.she", &shipped));
    // A link in Shens to a skin elsewhere, and one to a skin of Shens.
    ASSERT_TRUE(QFile::link(outside.filePath("evil.she"), temp.file("Shens/link.she")));
    ASSERT_TRUE(temp.write("Shens/mine.she", evil));
    ASSERT_TRUE(QFile::link("mine.she", temp.file("Shens/alias.she")));
    const QStringList listed = skinFileNames(temp.root().shensDir());
    EXPECT_TRUE(listed.contains("alias.she"));
    EXPECT_FALSE(listed.contains("link.she"));
    // Composed as the stored name is: "Shens/" + 皮肤名称.
    const QString names[] = {"../../" + QFileInfo(outside.path()).fileName() + "/evil.she",
                             "../User/evil.she", "sub/evil.she", outside.filePath("evil.she"),
                             "link.she"};
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        engine.apply(temp.file("Shens/" + name));
        EXPECT_EQ(engine.attachedPath(), temp.file("QVSkin.she"));
        EXPECT_EQ(qApp->styleSheet(), shipped);
    }
    engine.apply(temp.file("Shens/alias.she"));
    EXPECT_EQ(qApp->styleSheet(), "QMenu { color: red; }\n");
}

}  // namespace
}  // namespace hx::appearance
