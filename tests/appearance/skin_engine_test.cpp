#include <gtest/gtest.h>

#include <QApplication>

#include "appearance/skin_engine.h"
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

TEST_F(SkinFixture, ShippedSkinsJoinTheFolderWithoutReplacingTheUsers) {
    ASSERT_TRUE(temp.write("Shens/墨绿.she", "mine"));
    engine.apply(temp.file("Shens/"));
    EXPECT_EQ(temp.read("Shens/墨绿.she"), "mine");
    EXPECT_TRUE(temp.read("Shens/蓝色经典.she").startsWith(".SHE"));
    EXPECT_TRUE(temp.read("Shens/QVSkin.she").isEmpty());  // the default lives beside
}

TEST_F(SkinFixture, FilesThatAreNotSkinsAreIgnored) {
    ASSERT_TRUE(temp.write("Shens/x.she", "QMenu { color: red; }"));
    engine.apply(temp.file("Shens/x.she"));
    engine.apply(temp.file("Shens/missing.she"));
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

}  // namespace
}  // namespace hx::appearance
