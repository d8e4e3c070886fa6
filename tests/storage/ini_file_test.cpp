#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <tuple>

#include "storage/ini_file.h"
#include "support/fifo_guard.h"
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

namespace {

QStringList noticesNaming(const QString& path) { return IniFile::takeNotices().filter(path); }

}  // namespace

TEST_F(IniFileTest, FilesThatAreNotPlainSmallFilesReadAsDefaultsAndStayAsTheyAre) {
    const QByteArray big = "[关闭状态]\n左边=5\n" + QByteArray(IniFile::kSizeLimit, ';') + "\n";
    struct Case {
        const char* name;
        std::function<void()> make;
        std::function<bool()> unchanged;
    };
    const QString fifo = root.file("User/pipe.ini");
    const Case cases[] = {
        {"fifo", [&] { ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0); },
         [&] { return QFileInfo(path).isFile() == false && QFileInfo::exists(path); }},
        {"link to a fifo",
         [&] {
             ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
             ASSERT_TRUE(QFile::link(fifo, path));
         },
         [&] { return QFileInfo(path).isSymLink() && !QFileInfo(fifo).isFile(); }},
        {"folder", [&] { ASSERT_TRUE(QDir().mkpath(path)); },
         [&] { return QFileInfo(path).isDir() && QDir(path).isEmpty(); }},
        {"over the size limit", [&] { ASSERT_TRUE(root.write("User/Config.ini", big)); },
         [&] { return root.read("User/Config.ini") == big; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IniFile::takeNotices();
        c.make();
        const QString target = QFileInfo(path).isSymLink() ? fifo : path;
        for (int i = 0; i < 3; ++i) {
            QString value = "unread";
            EXPECT_TRUE(hx::test::finishesWithoutBlocking(
                target, [&] { value = IniFile::read(path, "关闭状态", "左边"); }));
            EXPECT_EQ(value, QString());
        }
        bool written = true;
        EXPECT_TRUE(hx::test::finishesWithoutBlocking(
            target, [&] { written = IniFile::write(path, "关闭状态", "顶边", "1"); }));
        EXPECT_FALSE(written);
        EXPECT_TRUE(c.unchanged());
        EXPECT_EQ(noticesNaming(path).size(), 1) << "reported once";
        EXPECT_EQ(QDir(root.root().userDir()).entryList(QDir::Files | QDir::Hidden).filter(".tmp-"),
                  QStringList());
        QFile::remove(path);
        QDir().rmdir(path);
        QFile::remove(fifo);
        EXPECT_EQ(IniFile::read(path, "关闭状态", "左边"), QString());  // gone, then seen gone
    }
}

TEST_F(IniFileTest, FileIsParsedOnceAndAgainOnlyWhenItChangesOnDisk) {
    // File times an hour old: a change within the clock's tick cannot hide.
    const time_t hourAgo = ::time(nullptr) - 3600;
    auto age = [&] {
        const timespec times[2] = {{hourAgo, 0}, {hourAgo, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    };
    ASSERT_TRUE(root.write("User/Config.ini", "[关闭状态]\n左边=1\n顶边=2\n"));
    age();
    const int before = IniFile::loadCount();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(IniFile::read(path, "关闭状态", "左边"), "1");
        EXPECT_EQ(IniFile::read(path, "关闭状态", "顶边"), "2");
        EXPECT_EQ(IniFile::read(path, "其他", "x"), QString());
    }
    EXPECT_EQ(IniFile::loadCount() - before, 1);

    // Same size, same times: rewritten in place, the inode's change time moves.
    ASSERT_TRUE(root.write("User/Config.ini", "[关闭状态]\n左边=7\n顶边=2\n"));
    age();
    EXPECT_EQ(IniFile::read(path, "关闭状态", "左边"), "7");
    EXPECT_EQ(IniFile::read(path, "关闭状态", "顶边"), "2");
    EXPECT_EQ(IniFile::loadCount() - before, 2);

    // Our own write is seen at once.
    ASSERT_TRUE(IniFile::write(path, "关闭状态", "左边", "8"));
    EXPECT_EQ(IniFile::read(path, "关闭状态", "左边"), "8");
}

TEST_F(IniFileTest, FileNotReadWholeIsKeptBesideItAndNeverCut) {
    QByteArray tail;
    for (int i = 0; i < 1000; ++i) tail += "键" + QByteArray::number(i) + "=值\n";
    struct Case {
        const char* name;
        QByteArray damage;
    };
    const Case cases[] = {{"NUL byte", QByteArray("x=\0y\n", 5)},
                          {"neither UTF-8 nor GBK", QByteArray("x=\xFF\n")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IniFile::takeNotices();
        const QByteArray original =
            "[关闭状态]\n左边=3\n" + c.damage + "[工具条]\n工具条=2\n[其他]\n" + tail;
        ASSERT_TRUE(root.write("User/Config.ini", original));
        EXPECT_EQ(IniFile::read(path, "工具条", "工具条"), "2");
        ASSERT_TRUE(IniFile::write(path, "关闭状态", "顶边", "4"));

        const QStringList copies =
            QDir(root.root().userDir()).entryList({"Config.ini.damaged-*"}, QDir::Files);
        ASSERT_EQ(copies.size(), 1);
        EXPECT_EQ(root.read("User/" + copies[0]), original);
        for (const auto& [section, key, value] :
             {std::tuple{"关闭状态", "左边", "3"}, std::tuple{"关闭状态", "顶边", "4"},
              std::tuple{"工具条", "工具条", "2"}, std::tuple{"其他", "键999", "值"}})
            EXPECT_EQ(IniFile::read(path, section, key), value) << key;
        const QStringList notices = noticesNaming(path);
        ASSERT_EQ(notices.size(), 1);
        EXPECT_TRUE(notices[0].contains(copies[0]));

        // The next write finds a whole file and makes no second copy.
        ASSERT_TRUE(IniFile::write(path, "关闭状态", "顶边", "5"));
        EXPECT_EQ(QDir(root.root().userDir()).entryList({"Config.ini.damaged-*"}).size(), 1);
        ASSERT_TRUE(QFile::remove(root.file("User/" + copies[0])));
    }
}
