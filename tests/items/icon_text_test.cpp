#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSet>

#include "items/icon_text.h"
#include "items/image_list.h"
#include "platform/icon_loader.h"
#include "support/fake_file_probe.h"

namespace hx::test {
namespace {

using items::iconTextExtension;
using items::resolveIconSource;
using platform::IconSource;

IconSource sys(int n) { return IconSource::systemIndex(n); }

class IconText : public ::testing::Test {
  protected:
    IconSource resolve(const QString& text) const { return resolveIconSource(text, probe); }
    FakeFileProbe probe;
};

TEST(IconTextExtension, IsTheTextAfterTheLastDotWithAsciiFoldedOnly) {
    EXPECT_EQ(iconTextExtension("C:/Tools/App.EXE"), "exe");
    EXPECT_EQ(iconTextExtension("a.b.TxT"), "txt");
    EXPECT_EQ(iconTextExtension("no extension"), "");
    EXPECT_EQ(iconTextExtension("trailing."), "");
    EXPECT_EQ(iconTextExtension("x.ÄBC"), "Äbc");
    EXPECT_EQ(iconTextExtension("文件.ＥＸＥ"), "ＥＸＥ");
    EXPECT_EQ(iconTextExtension("app.exe[3]"), "exe[3]");
    EXPECT_EQ(iconTextExtension("/dir.d/file"), "d/file");
}

TEST_F(IconText, DollarTextsNameTheSystemLibraryOrTheRegistryEditor) {
    EXPECT_EQ(resolve("$0"), IconSource::registryEditor());
    EXPECT_EQ(resolve("$00"), sys(0));
    EXPECT_EQ(resolve("$21"), sys(21));
    EXPECT_EQ(resolve("$176"), sys(176));
    EXPECT_EQ(resolve("$3$15"), sys(15));
    EXPECT_EQ(resolve("$7$0"), IconSource::registryEditor());
    // Read as a decimal number: blanks skipped, digits up to the first other.
    EXPECT_EQ(resolve("$ 31"), sys(31));
    EXPECT_EQ(resolve("$44abc"), sys(44));
    EXPECT_EQ(resolve("$abc"), sys(0));
    EXPECT_EQ(resolve("$"), sys(0));
}

TEST_F(IconText, DollarNumbersOutsideTheLibraryGiveNoPicture) {
    EXPECT_EQ(resolve("$299"), IconSource::none());
    EXPECT_EQ(resolve("$99999999999"), IconSource::none());
    EXPECT_EQ(resolve("$-3"), IconSource::none());
}

TEST_F(IconText, ProgramsShowTheirOwnIconElseTheProgramIcon) {
    probe.addIcon("C:/Tools/App.EXE", 0);
    EXPECT_EQ(resolve("C:/Tools/App.EXE"), IconSource::fileIcon("C:/Tools/App.EXE", 0));
    EXPECT_EQ(resolve("C:/Tools/Other.Exe"), sys(2));
    // The registry is not asked for programs.
    probe.registerIcon("exe", IconSource::themeIcon("application-x-executable"));
    EXPECT_EQ(resolve("C:/Tools/Other.exe"), sys(2));
}

TEST_F(IconText, BracketedIndexTakesThatIconOfTheFile) {
    probe.addIcon("C:/Tools/app.exe", 3);
    EXPECT_EQ(resolve("C:/Tools/app.exe[3]"), IconSource::fileIcon("C:/Tools/app.exe", 3));
    // The file has no icon 4: the generic picture.
    EXPECT_EQ(resolve("C:/Tools/app.exe[4]"), sys(0));
    // A negative index is passed on unchanged.
    probe.addIcon("/lib/shell.dll", -101);
    EXPECT_EQ(resolve("/lib/shell.dll[-101]"), IconSource::fileIcon("/lib/shell.dll", -101));
    // Only the last "[" counts; the number is read as a decimal.
    probe.addIcon("a[1]b", 2);
    EXPECT_EQ(resolve("a[1]b[ 2x]"), IconSource::fileIcon("a[1]b", 2));
}

TEST_F(IconText, BracketRuleReplacesTheRegisteredIcon) {
    // "x[1].b]": extension "b]" is registered; the bracket rule then reads
    // path "x" and index 1 and its answer wins, whatever it is.
    probe.registerIcon("b]", IconSource::themeIcon("image-x-generic"));
    EXPECT_EQ(resolve("x[1].b]"), sys(0));
    probe.addIcon("x", 1);
    EXPECT_EQ(resolve("x[1].b]"), IconSource::fileIcon("x", 1));
    // Without a closing bracket at the end the registered icon stays.
    EXPECT_EQ(resolve("x[1].b]."), sys(0));
    probe.registerIcon("png", IconSource::themeIcon("image-x-generic"));
    EXPECT_EQ(resolve("x[1].png"), IconSource::themeIcon("image-x-generic"));
}

TEST_F(IconText, ClosingBracketWithoutOpeningGivesTheGenericIcon) {
    probe.addIcon("", 0);
    EXPECT_EQ(resolve("broken]"), sys(0));
    EXPECT_EQ(resolve("]"), sys(0));
}

TEST_F(IconText, BracketNotAtTheEndIsPartOfThePath) {
    probe.addIcon("x[1].exe", 0);
    EXPECT_EQ(resolve("x[1].exe"), IconSource::fileIcon("x[1].exe", 0));
}

TEST_F(IconText, WebLinksShowTheWebLinkPicture) {
    EXPECT_EQ(resolve("@IE"), IconSource::webLink());
    EXPECT_EQ(resolve("@anything.exe"), IconSource::webLink());
    EXPECT_EQ(resolve("@$21"), IconSource::webLink());
    EXPECT_EQ(resolve("@$超链接$@C:/a.txt"), IconSource::webLink());
}

TEST_F(IconText, FolderAttributesDecideTheFolderAndDriveIcons) {
    for (int a : {16, 17, 18}) {
        probe.setAttributes("/data/folder", a);
        EXPECT_EQ(resolve("/data/folder"), sys(3)) << a;
    }
    // With the archive bit, or any other, it is not recognised as a folder.
    for (int a : {48, 19, 20, 0}) {
        probe.setAttributes("/data/folder", a);
        EXPECT_EQ(resolve("/data/folder"), sys(0)) << a;
    }
    probe.setAttributes("/", 22);
    EXPECT_EQ(resolve("/"), sys(7));
    probe.setAttributes("/mnt/usb", 23);
    EXPECT_EQ(resolve("/mnt/usb"), sys(0));
    // A folder named like a program, or beginning with "@" or "$", is a folder.
    probe.setAttributes("/opt/app.exe", 16);
    EXPECT_EQ(resolve("/opt/app.exe"), sys(3));
    probe.setAttributes("@web", 16);
    EXPECT_EQ(resolve("@web"), sys(3));
    probe.setAttributes("$21", 22);
    EXPECT_EQ(resolve("$21"), sys(7));
}

TEST_F(IconText, AttributeTestsUseThePathWithoutTheBracket) {
    probe.setAttributes("/data/folder", 16);
    EXPECT_EQ(resolve("/data/folder[5]"), sys(3));
    EXPECT_EQ(resolve("$5[3]"), sys(5));  // the "$" rule also reads the shortened text
}

TEST_F(IconText, ShortcutFilesOfTheShellGetTheirFixedIcon) {
    EXPECT_EQ(resolve("C:/Desktop/显示桌面.scf"), sys(34));
    EXPECT_EQ(resolve("C:/Desktop/Show.SCF"), sys(34));
    EXPECT_EQ(resolve("C:/x.scf[2]"), sys(34));
    // scf wins even over folder attributes.
    probe.setAttributes("/d.scf", 16);
    EXPECT_EQ(resolve("/d.scf"), sys(34));
}

TEST_F(IconText, OtherFilesShowTheIconRegisteredForTheirExtension) {
    probe.registerIcon("txt", IconSource::themeIcon("text-x-generic"));
    EXPECT_EQ(resolve("C:/notes/readme.TXT"), IconSource::themeIcon("text-x-generic"));
    EXPECT_EQ(resolve("C:/notes/readme.doc"), sys(0));
    EXPECT_EQ(resolve("plain words"), sys(0));
    EXPECT_EQ(resolve(""), sys(0));
}

TEST_F(IconText, RegisteredFileIconsMustExistAndMayBeNegative) {
    probe.registerIcon("log", IconSource::fileIcon("/usr/lib/viewer.dll", -2));
    EXPECT_EQ(resolve("a.log"), sys(0));
    probe.addIcon("/usr/lib/viewer.dll", -2);
    EXPECT_EQ(resolve("a.log"), IconSource::fileIcon("/usr/lib/viewer.dll", -2));
}

TEST(LegacyMarker, EveryOccurrenceIsRemovedCaseSensitively) {
    EXPECT_EQ(items::withoutLegacyMarker("@$超链接$@C:/a.exe"), "C:/a.exe");
    EXPECT_EQ(items::withoutLegacyMarker("x@$超链接$@y@$超链接$@"), "xy");
    EXPECT_EQ(items::withoutLegacyMarker("@$超鏈接$@"), "@$超鏈接$@");
    EXPECT_EQ(items::withoutLegacyMarker("$21"), "$21");
}

TEST(ResolveIcon, AppendsOnePictureOrNothing) {
    if (!QFileInfo::exists("/usr/share/icons/Adwaita/index.theme")) GTEST_SKIP();
    FakeFileProbe probe;
    platform::IconLoader loader;
    items::ImageList list(16);
    EXPECT_EQ(items::resolveIcon("$3", probe, loader, list), 0);
    EXPECT_EQ(items::resolveIcon("@IE", probe, loader, list), 1);
    EXPECT_EQ(list.size(), 2);
    EXPECT_EQ(list.at(1).size(), QSize(16, 16));
    EXPECT_EQ(items::resolveIcon("$299", probe, loader, list), std::nullopt);
    EXPECT_EQ(list.size(), 2);
}

}  // namespace
}  // namespace hx::test

namespace hx::test {
namespace {

TEST(IconSourceValue, EqualSourcesHashAlikeAndKindsNeverCollide) {
    using platform::IconSource;
    const QSet<IconSource> set = {IconSource::systemIndex(3),
                                  IconSource::fileIcon("", 3),
                                  IconSource::fileIcon("a.exe", 3),
                                  IconSource::themeIcon("a.exe"),
                                  IconSource::webLink(),
                                  IconSource::registryEditor(),
                                  IconSource::none()};
    EXPECT_EQ(set.size(), 7);
    EXPECT_TRUE(set.contains(IconSource::fileIcon("a.exe", 3)));
    EXPECT_FALSE(set.contains(IconSource::fileIcon("a.exe", 4)));
    EXPECT_EQ(qHash(IconSource::themeIcon("x")), qHash(IconSource::themeIcon("x")));
    EXPECT_EQ(std::hash<IconSource>{}(IconSource::systemIndex(9)),
              std::hash<IconSource>{}(IconSource::systemIndex(9)));
}

}  // namespace
}  // namespace hx::test
