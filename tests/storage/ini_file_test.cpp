#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "storage/ini_file.h"
#include "support/temp_root.h"
#include "text/gbk.h"

using hx::storage::IniFile;

namespace {

class IniFileTest : public ::testing::Test {
  protected:
    hx::test::TempRoot root;
    QString path = root.root().configPath();

    QString text() const { return QString::fromUtf8(root.read("User/Config.ini")); }
};

}  // namespace

TEST_F(IniFileTest, MissingFileSectionOrKeyReadsEmpty) {
    EXPECT_EQ(IniFile::read(path, "关闭状态", "左边"), QString());
    ASSERT_TRUE(IniFile::write(path, "关闭状态", "左边", "120"));
    EXPECT_EQ(IniFile::read(path, "关闭状态", "左边"), "120");
    EXPECT_EQ(IniFile::read(path, "关闭状态", "顶边"), QString());
    EXPECT_EQ(IniFile::read(path, "工具条", "左边"), QString());
    EXPECT_EQ(IniFile::read(root.file("User/other.ini"), "关闭状态", "左边"), QString());
}

TEST_F(IniFileTest, ChineseSectionsAndKeysAreWrittenAsPlainUtf8) {
    ASSERT_TRUE(IniFile::write(path, "栏目背景", "背景颜色", "16777215"));
    ASSERT_TRUE(IniFile::write(path, "头像文件", "头像", "我的 头像.bmp"));
    ASSERT_TRUE(IniFile::write(path, "栏目背景", "背景颜色", "255"));  // replaces
    EXPECT_EQ(IniFile::read(path, "栏目背景", "背景颜色"), "255");
    EXPECT_EQ(IniFile::read(path, "头像文件", "头像"), "我的 头像.bmp");
    const QString t = text();
    EXPECT_TRUE(t.contains("[栏目背景]")) << t.toStdString();
    EXPECT_TRUE(t.contains("背景颜色=255")) << t.toStdString();
    EXPECT_EQ(t.count("背景颜色"), 1);
}

TEST_F(IniFileTest, LeadingBlanksAndControlCharactersAreSkipped) {
    ASSERT_TRUE(IniFile::write(" \t" + path, "\x01 关闭状态", "\n  左边", "7"));
    EXPECT_EQ(IniFile::read(path, "关闭状态", "左边"), "7");
    EXPECT_EQ(IniFile::read("  " + path, "\t关闭状态", "\r左边"), "7");
    EXPECT_FALSE(text().contains(QChar(1)));
}

TEST_F(IniFileTest, EmptyPathSectionOrKeyFails) {
    EXPECT_FALSE(IniFile::write(path, " \t", "k", "v"));
    EXPECT_FALSE(IniFile::write(path, "s", "\x02 ", "v"));
    EXPECT_FALSE(IniFile::write(path, "", "k", "v"));
    EXPECT_FALSE(IniFile::write("   ", "s", "k", "v"));
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_TRUE(IniFile::write(path, "s", "k", "v"));
    EXPECT_EQ(IniFile::read(path, " ", "k"), QString());
    EXPECT_EQ(IniFile::read(path, "s", ""), QString());
    EXPECT_EQ(IniFile::read("", "s", "k"), QString());
}

TEST_F(IniFileTest, LongValuesAreCutAtACharacterBoundary) {
    const qsizetype fits = IniFile::kValueLimit - 1;  // the buffer keeps a terminator
    ASSERT_TRUE(IniFile::write(path, "s", "exact", QString(fits, u'a')));
    EXPECT_EQ(IniFile::read(path, "s", "exact").size(), fits);
    ASSERT_TRUE(IniFile::write(path, "s", "over", QString(fits + 1, u'b')));
    EXPECT_EQ(IniFile::read(path, "s", "over"), QString(fits, u'b'));

    // 1 + 3 * 3412 = 10,237 bytes fit; one more three-byte character would not.
    ASSERT_TRUE(IniFile::write(path, "s", "wide", "a" + QString(4000, u'汉')));
    EXPECT_EQ(IniFile::read(path, "s", "wide"), "a" + QString(3412, u'汉'));
    // The whole value stays in the file.
    EXPECT_TRUE(text().contains(QString(4000, u'汉')));
}

TEST_F(IniFileTest, NoValueDeletesTheKeyNoKeyDeletesTheSection) {
    ASSERT_TRUE(IniFile::write(path, "卷帘式菜单", "0", "2"));
    ASSERT_TRUE(IniFile::write(path, "卷帘式菜单", "1", "3"));
    ASSERT_TRUE(IniFile::write(path, "卷帘式菜单", "2", "4"));
    ASSERT_TRUE(IniFile::write(path, "工具条", "工具条", "1"));

    ASSERT_TRUE(IniFile::removeKey(path, "卷帘式菜单", "1"));
    EXPECT_EQ(IniFile::read(path, "卷帘式菜单", "1"), QString());
    EXPECT_EQ(IniFile::read(path, "卷帘式菜单", "0"), "2");
    EXPECT_EQ(IniFile::read(path, "卷帘式菜单", "2"), "4");
    EXPECT_TRUE(IniFile::removeKey(path, "卷帘式菜单", "9"));  // nothing there: still fine

    ASSERT_TRUE(IniFile::removeSection(path, "卷帘式菜单"));
    EXPECT_EQ(IniFile::read(path, "卷帘式菜单", "0"), QString());
    EXPECT_FALSE(text().contains("卷帘式菜单"));
    EXPECT_EQ(IniFile::read(path, "工具条", "工具条"), "1");

    // Deleting from a file that does not exist creates nothing.
    const QString other = root.file("User/none.ini");
    EXPECT_TRUE(IniFile::removeKey(other, "a", "b"));
    EXPECT_TRUE(IniFile::removeSection(other, "a"));
    EXPECT_FALSE(QFile::exists(other));
}

TEST_F(IniFileTest, SectionAndKeyMatchIgnoreAsciiCase) {
    ASSERT_TRUE(IniFile::write(path, "Skin", "Name", "blue"));
    EXPECT_EQ(IniFile::read(path, "SKIN", "name"), "blue");
    ASSERT_TRUE(IniFile::write(path, "skin", "NAME", "red"));
    EXPECT_EQ(IniFile::read(path, "Skin", "Name"), "red");
    EXPECT_EQ(text().count("ame="), 1);
    ASSERT_TRUE(IniFile::removeKey(path, "sKiN", "nAmE"));
    EXPECT_EQ(IniFile::read(path, "Skin", "Name"), QString());
}

TEST_F(IniFileTest, LegacyGbkFileIsReadAndRewrittenAsUtf8) {
    const QByteArray gbk = hx::text::toGbk(QStringLiteral("[关闭状态]\r\n左边=120\r\n顶边=-5\r\n"));
    ASSERT_FALSE(hx::text::isValidUtf8(gbk));
    ASSERT_TRUE(root.write("User/Config.ini", gbk));
    EXPECT_EQ(IniFile::read(path, "关闭状态", "左边"), "120");
    EXPECT_EQ(IniFile::read(path, "关闭状态", "顶边"), "-5");

    ASSERT_TRUE(IniFile::write(path, "工具条", "工具条", "2"));
    EXPECT_TRUE(hx::text::isValidUtf8(root.read("User/Config.ini")));
    EXPECT_EQ(IniFile::read(path, "关闭状态", "左边"), "120");
    EXPECT_EQ(IniFile::read(path, "工具条", "工具条"), "2");
}

TEST_F(IniFileTest, EveryReadSeesTheFileAsItIsNow) {
    ASSERT_TRUE(IniFile::write(path, "关闭状态", "左边", "1"));
    EXPECT_EQ(IniFile::read(path, "关闭状态", "左边"), "1");
    ASSERT_TRUE(root.write("User/Config.ini", "[关闭状态]\n左边=99\n"));
    EXPECT_EQ(IniFile::read(path, "关闭状态", "左边"), "99");
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(IniFile::read(path, "关闭状态", "左边"), QString());
}

TEST_F(IniFileTest, SavesLeaveNoTemporaryFilesAndNeedTheFolder) {
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(IniFile::write(path, "s", QString::number(i), "v"));
    EXPECT_EQ(QDir(root.root().userDir()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"Config.ini"});
    EXPECT_FALSE(IniFile::write(root.file("Missing/Config.ini"), "s", "k", "v"));
    EXPECT_FALSE(QDir(root.file("Missing")).exists());
}

TEST_F(IniFileTest, ValuesWithLineBreaksCannotAddKeys) {
    const QString sneaky = QStringLiteral("a\n[工具条]\n工具条=5");
    ASSERT_TRUE(IniFile::write(path, "头像文件", "头像", sneaky));
    EXPECT_EQ(IniFile::read(path, "工具条", "工具条"), QString());
    EXPECT_EQ(IniFile::read(path, "头像文件", "头像"), sneaky);
}

TEST_F(IniFileTest, CommentsAndOtherKeysOfAHandWrittenFileSurviveAWrite) {
    ASSERT_TRUE(root.write("User/Config.ini", "; kept\n[关闭状态]\n左边 = 3\n\n[其他]\nx=y\n"));
    EXPECT_EQ(IniFile::read(path, "关闭状态", "左边"), "3");
    ASSERT_TRUE(IniFile::write(path, "关闭状态", "顶边", "4"));
    EXPECT_TRUE(text().contains("; kept"));
    EXPECT_EQ(IniFile::read(path, "关闭状态", "左边"), "3");
    EXPECT_EQ(IniFile::read(path, "其他", "x"), "y");
}
