#include <gtest/gtest.h>

#include "items/drop.h"
#include "items/icon_text.h"
#include "support/fake_file_probe.h"

namespace {

using hx::items::classifyDrop;
using hx::items::DropEntry;
using hx::items::dropPicture;
using hx::items::DropRow;
using hx::items::IconSource;
using hx::platform::PathFacts;
using Kind = PathFacts::Kind;

PathFacts file(int attributes = 32) {
    PathFacts f;
    f.kind = Kind::File;
    f.attributes = attributes;
    return f;
}

PathFacts directory(int attributes, const QString& label = {}) {
    PathFacts f;
    f.kind = Kind::Directory;
    f.attributes = attributes;
    f.volumeLabel = label;
    return f;
}

TEST(DropTable, DocumentsAreNamedWithoutTheirLastExtension) {
    EXPECT_EQ(classifyDrop("/home/u/报告.final.TXT", file()),
              (DropEntry{DropRow::Document, "报告.final", "/home/u/报告.final.TXT"}));
    // A name that is all extension keeps its whole name rather than none.
    EXPECT_EQ(classifyDrop("/home/u/.bashrc", file(34)),
              (DropEntry{DropRow::Document, ".bashrc", "/home/u/.bashrc"}));
    // The extension is the file name's: a dot in a folder name does not count.
    EXPECT_EQ(classifyDrop("/home/u/a.d/README", file()), std::nullopt);
}

TEST(DropTable, ProgramsWhateverTheirExtension) {
    PathFacts elf = file();
    elf.program = true;
    EXPECT_EQ(classifyDrop("/usr/bin/gimp", elf),
              (DropEntry{DropRow::Program, "gimp", "/usr/bin/gimp"}));
    EXPECT_EQ(classifyDrop("/opt/run.sh", elf),
              (DropEntry{DropRow::Program, "run", "/opt/run.sh"}));
    // A Windows program keeps its row though nothing here can run it.
    EXPECT_EQ(classifyDrop("/mnt/c/Setup.EXE", file()),
              (DropEntry{DropRow::Program, "Setup", "/mnt/c/Setup.EXE"}));
    // Not executable and no extension: skipped, as a README is.
    EXPECT_EQ(classifyDrop("/usr/bin/gimp", file()), std::nullopt);
}

TEST(DropTable, LaunchersTakeTheirOwnName) {
    PathFacts launcher = file();
    launcher.launcher = true;
    launcher.launcherName = "文本编辑器";
    EXPECT_EQ(classifyDrop("/usr/share/applications/org.gnome.TextEditor.desktop", launcher),
              (DropEntry{DropRow::Launcher, "文本编辑器",
                         "/usr/share/applications/org.gnome.TextEditor.desktop"}));
    launcher.launcherName.clear();
    EXPECT_EQ(classifyDrop("/x/editor.desktop", launcher)->name, "editor");
    // A .desktop file that is no application launcher is a document.
    EXPECT_EQ(classifyDrop("/x/folder.desktop", file())->row, DropRow::Document);
}

TEST(DropTable, FoldersAndMountPointsByAttributes) {
    EXPECT_EQ(classifyDrop("/home/u/照片", directory(16)),
              (DropEntry{DropRow::Folder, "照片", "/home/u/照片"}));
    EXPECT_EQ(classifyDrop("/home/u/ro/", directory(17))->name, "ro");
    EXPECT_EQ(classifyDrop("/home/u/.cache", directory(18))->name, ".cache");
    // A dot in a folder name does not make it a document.
    EXPECT_EQ(classifyDrop("/home/u/photos.2024", directory(16)),
              (DropEntry{DropRow::Folder, "photos.2024", "/home/u/photos.2024"}));
    // Hidden and read-only at once is not one of the folder values.
    EXPECT_EQ(classifyDrop("/home/u/.ro", directory(19)), std::nullopt);

    EXPECT_EQ(classifyDrop("/media/u/STICK", directory(22, "备份")),
              (DropEntry{DropRow::Drive, "备份盘", "/media/u/STICK"}));
    EXPECT_EQ(classifyDrop("/media/u/STICK", directory(22))->name, "STICK盘");
    EXPECT_EQ(classifyDrop("/", directory(22))->name, "根盘");
}

TEST(DropTable, NothingForWhatIsNotThere) {
    EXPECT_EQ(classifyDrop("/gone.txt", PathFacts{}), std::nullopt);
    PathFacts fifo;
    fifo.kind = Kind::Other;
    fifo.attributes = 32;
    EXPECT_EQ(classifyDrop("/tmp/pipe.fifo", fifo), std::nullopt);
    EXPECT_EQ(classifyDrop("", file()), std::nullopt);
}

TEST(DropPicture, GenericPicturesWithoutAProbe) {
    EXPECT_EQ(dropPicture({DropRow::Document, "a", "/w/a.pdf"}, nullptr),
              IconSource::systemIndex(0));
    EXPECT_EQ(dropPicture({DropRow::Program, "t", "/w/t.exe"}, nullptr),
              IconSource::systemIndex(2));
}

TEST(DroppedPaths, KeepsLocalFilesInOrderAndSkipsOtherSchemes) {
    const QList<QUrl> urls{QUrl("file:///home/u/b%20c.txt"),
                           QUrl("sftp://host/x.txt"),
                           QUrl("trash:///a.txt"),
                           QUrl("file:///home/u/%E4%B8%AD.txt"),
                           QUrl("https://example.org/x.txt"),
                           QUrl("file:///home/u/a")};
    EXPECT_EQ(hx::items::droppedPaths(urls),
              (QStringList{"/home/u/b c.txt", "/home/u/中.txt", "/home/u/a"}));
}

}  // namespace

namespace {

// What a drop shows at once is what the grid shows after the next load.
TEST(DropPicture, MatchesTheIconRulesAtTheNextLoad) {
    hx::test::FakeFileProbe probe;
    probe.registerIcon("pdf", IconSource::themeIcon("application-pdf"));
    probe.registerIcon("desktop", IconSource::themeIcon("application-x-desktop"));
    probe.addIcon("/apps/edit.desktop", 0);
    probe.addIcon("/w/tool.exe", 0);
    probe.setAttributes("/w/a.pdf", 32);
    probe.setAttributes("/w/a.xyz", 32);
    probe.setAttributes("/w/tool.exe", 32);
    probe.setAttributes("/w/old.exe", 32);
    probe.setAttributes("/apps/edit.desktop", 32);
    probe.setAttributes("/w/照片", 16);
    probe.setAttributes("/media/u/STICK", 22);
    probe.setAttributes("/usr/bin/gimp", 32);
    probe.addProgram("/usr/bin/gimp");
    probe.setAttributes("/opt/run.sh", 32);
    probe.addProgram("/opt/run.sh");
    probe.registerIcon("sh", IconSource::themeIcon("text-x-script"));
    const DropEntry entries[] = {
        {DropRow::Document, "a", "/w/a.pdf"},
        {DropRow::Document, "a", "/w/a.xyz"},
        {DropRow::Program, "tool", "/w/tool.exe"},
        {DropRow::Program, "old", "/w/old.exe"},
        {DropRow::Launcher, "编辑", "/apps/edit.desktop"},
        {DropRow::Folder, "照片", "/w/照片"},
        {DropRow::Drive, "STICK盘", "/media/u/STICK"},
        {DropRow::Program, "gimp", "/usr/bin/gimp"},
        {DropRow::Program, "run", "/opt/run.sh"},
    };
    for (const DropEntry& e : entries)
        EXPECT_EQ(dropPicture(e, &probe), hx::items::resolveIconSource(e.target, probe))
            << qPrintable(e.target);
}

}  // namespace
