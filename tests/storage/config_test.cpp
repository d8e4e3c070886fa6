#include <gtest/gtest.h>

#include <QFile>

#include "storage/config.h"
#include "storage/ini_file.h"
#include "support/temp_root.h"

using hx::storage::Config;
using hx::storage::IniFile;

namespace {

class ConfigTest : public ::testing::Test {
  protected:
    hx::test::TempRoot root;
    Config config{root.root()};
    QString text() const { return QString::fromUtf8(root.read("User/Config.ini")); }
};

}  // namespace

TEST_F(ConfigTest, EverythingHasItsDefaultWithoutFiles) {
    EXPECT_EQ(config.left(), 0);
    EXPECT_EQ(config.top(), 0);
    EXPECT_EQ(config.lastCategory(), 0);
    EXPECT_EQ(config.lastColumn(0), 0);
    EXPECT_EQ(config.backgroundColour(), 0u);
    EXPECT_EQ(config.highlightColour(), 0u);
    EXPECT_EQ(config.borderColour(), 0u);
    EXPECT_EQ(config.avatar(), QString());
    EXPECT_EQ(config.iconSize(), 0);
    EXPECT_EQ(config.switchSound(), 0);
    EXPECT_EQ(config.skinName(), QString());
}

TEST_F(ConfigTest, KeysAreStoredUnderTheirDesignedNames) {
    config.setPosition(-12, 340);
    config.setLastCategory(-1);
    config.setLastColumn(0, 2);
    config.setLastColumn(3, 1);
    config.setBackgroundColour(16777215);
    config.setHighlightColour(0x00FF8000);
    config.setBorderColour(255);
    config.setAvatar("头像1.bmp");
    config.setIconSize(16);
    config.setSwitchSound(3);
    config.setSkinName("蓝色经典.she");

    const QString path = root.root().configPath();
    const std::pair<const char*, const char*> keys[] = {
        {"关闭状态", "左边"},         {"关闭状态", "顶边"},        {"工具条", "工具条"},
        {"卷帘式菜单", "0"},          {"卷帘式菜单", "3"},         {"栏目背景", "背景颜色"},
        {"栏目背景", "点燃颜色"},     {"栏目背景", "边框颜色"},    {"头像文件", "头像"},
        {"图标显示方式", "显示大小"}, {"栏目切换提示音", "提示音"}};
    const char* values[] = {"-12",      "340", "-1",        "2",  "1", "16777215",
                            "16744448", "255", "头像1.bmp", "16", "3"};
    for (size_t i = 0; i < std::size(keys); ++i)
        EXPECT_EQ(IniFile::read(path, keys[i].first, keys[i].second), values[i]) << keys[i].second;
    EXPECT_EQ(IniFile::read(root.root().skinSelectionPath(), "皮肤", "皮肤名称"), "蓝色经典.she");
    EXPECT_FALSE(text().contains("皮肤"));

    // 左边 is written before 顶边.
    EXPECT_LT(text().indexOf("左边="), text().indexOf("顶边="));

    EXPECT_EQ(config.left(), -12);
    EXPECT_EQ(config.top(), 340);
    EXPECT_EQ(config.lastCategory(), -1);
    EXPECT_EQ(config.lastColumn(3), 1);
    EXPECT_EQ(config.highlightColour(), 0x00FF8000u);
    EXPECT_EQ(config.avatar(), "头像1.bmp");
    EXPECT_EQ(config.iconSize(), 16);
    EXPECT_EQ(config.switchSound(), 3);
    EXPECT_EQ(config.skinName(), "蓝色经典.she");
}

TEST_F(ConfigTest, IntegersUseTheDecimalConversion) {
    ASSERT_TRUE(root.write("User/Config.ini",
                           "[关闭状态]\n左边=abc\n顶边=  250px\n[工具条]\n工具条=99999999999\n"));
    EXPECT_EQ(config.left(), 0);
    EXPECT_EQ(config.top(), 250);
    EXPECT_EQ(config.lastCategory(), 2147483647);
}

TEST_F(ConfigTest, RemovingOneRememberedColumnKeepsTheOthers) {
    for (int i = 0; i < 4; ++i) config.setLastColumn(i, i + 10);
    config.removeLastColumn(1);
    EXPECT_EQ(config.lastColumn(0), 10);
    EXPECT_EQ(config.lastColumn(1), 0);
    EXPECT_EQ(config.lastColumn(2), 12);
    EXPECT_EQ(config.lastColumn(3), 13);
    EXPECT_FALSE(text().contains("\n1=")) << text().toStdString();
}

TEST_F(ConfigTest, ShiftingAfterADeletedCategoryMovesLaterKeysDown) {
    config.setLastColumn(0, 10);
    config.setLastColumn(1, 11);
    // category 2 never remembered a column
    config.setLastColumn(3, 13);
    config.setLastColumn(-1, 7);
    config.shiftLastColumnsDown(1, 4);
    EXPECT_EQ(config.lastColumn(0), 10);
    EXPECT_EQ(config.readConfig("卷帘式菜单", "1"), QString());  // from the empty key 2
    EXPECT_EQ(config.lastColumn(2), 13);
    EXPECT_EQ(config.readConfig("卷帘式菜单", "3"), QString());
    EXPECT_EQ(config.lastColumn(-1), 7);
    // The last category: only its key goes. Out of range: nothing.
    config.shiftLastColumnsDown(2, 3);
    config.shiftLastColumnsDown(5, 3);
    config.shiftLastColumnsDown(-1, 3);
    EXPECT_EQ(config.lastColumn(0), 10);
    EXPECT_EQ(config.readConfig("卷帘式菜单", "2"), QString());
    EXPECT_EQ(config.lastColumn(-1), 7);
}

TEST_F(ConfigTest, DeletingConfigIniKeepsTheSkin) {
    config.setSkinName("a.she");
    config.setSwitchSound(2);
    ASSERT_TRUE(QFile::remove(root.root().configPath()));
    EXPECT_EQ(config.switchSound(), 0);
    EXPECT_EQ(config.skinName(), "a.she");
}

TEST_F(ConfigTest, RawAccessors) {
    EXPECT_TRUE(config.writeConfig("其他", "键", "值"));
    EXPECT_EQ(config.readConfig("其他", "键"), "值");
    EXPECT_FALSE(config.writeConfig("", "键", "值"));
    Config nowhere(hx::storage::DataRoot(root.file("absent")));
    EXPECT_FALSE(nowhere.writeConfig("其他", "键", "值"));  // the User folder must exist
    nowhere.setPosition(1, 2);
    EXPECT_EQ(nowhere.left(), 0);
}

TEST_F(ConfigTest, PanelKeyDefaultsOnlyWhenTheKeyIsMissing) {
    EXPECT_EQ(config.panelKey(), "Ctrl+Alt+Space");
    config.writeConfig("快捷键", "其他", "x");  // the section alone changes nothing
    EXPECT_EQ(config.panelKey(), "Ctrl+Alt+Space");
    config.writeConfig("快捷键", "显示面板", "Meta+F2");
    EXPECT_EQ(config.panelKey(), "Meta+F2");
    // Written empty: the user turned the key off.
    QFile file(root.file("User/Config.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[快捷键]\n显示面板=\n");
    file.close();
    EXPECT_EQ(config.panelKey(), QString());
}
