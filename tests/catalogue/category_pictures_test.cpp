#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include "catalogue/category_pictures.h"
#include "catalogue/category_window.h"
#include "catalogue_fixture.h"
#include "platform/icon_test_bytes.h"
#include "support/fifo.h"

namespace hx::test {
namespace {

using namespace hx::catalogue;

QImage solid(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Rows of `image` at column `x` that differ from `background`.
QVector<int> paintedRows(const QImage& image, int x, QRgb background) {
    QVector<int> rows;
    for (int y = 0; y < image.height(); ++y)
        if ((image.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF)) rows << y;
    return rows;
}

// A start reads each picture file once, however many categories show it;
// the next reading of the catalogue reads them again (one may have changed).
class SharedPictures : public SessionFixture {};

TEST_F(SharedPictures, EachFileIsReadOncePerReading) {
    QStringList reads;
    openSession([&reads](const QString& file) {
        reads << file;
        return solid(16, 16, file == QLatin1String("Gear.bmp") ? Qt::red : Qt::blue);
    });
    const QStringList pictures{"Folder.bmp", "Gear.bmp", "Folder.bmp", "Folder.bmp", "Gear.bmp"};
    for (int i = 0; i < pictures.size(); ++i)
        ASSERT_TRUE(db().addCategory(QStringLiteral("分类%1").arg(i), pictures.at(i)));
    catalogue->reload();
    EXPECT_EQ(reads, QStringList({"Folder.bmp", "Gear.bmp"}));
    for (int i = 0; i < pictures.size(); ++i)
        EXPECT_EQ(catalogue->categoryPicture(i).pixelColor(0, 0),
                  QColor(pictures.at(i) == QLatin1String("Gear.bmp") ? Qt::red : Qt::blue))
            << i;
    catalogue->reload();
    EXPECT_EQ(reads.size(), 4);
}

TEST(CategoryPictures, BitmapsListInNameOrderWithoutCase) {
    TempRoot temp(false);
    for (const char* name : {"b.bmp", "A.BMP", "c.Bmp", "a2.bmp", "x.ico", "bmp", "B.txt"})
        ASSERT_TRUE(temp.write(QStringLiteral("Bmpns/") + QLatin1String(name), "x"));
    ASSERT_TRUE(QDir().mkpath(temp.file("Bmpns/folder.bmp")));
    EXPECT_EQ(bitmapNames(temp.file("Bmpns")), (QStringList{"A.BMP", "a2.bmp", "b.bmp", "c.Bmp"}));
    EXPECT_TRUE(bitmapNames(temp.file("missing")).isEmpty());
}

TEST(CategoryPictures, CanvasFitsKeepingProportionsCentred) {
    const QColor bg(240, 240, 240);
    // 34 x 8 halves to 17 x 4, in rows 6 to 9.
    const QImage wide = iconCanvas(solid(34, 8, Qt::red), bg);
    ASSERT_EQ(wide.size(), QSize(17, 17));
    EXPECT_EQ(paintedRows(wide, 8, bg.rgb()), (QVector<int>{6, 7, 8, 9}));
    EXPECT_EQ(paintedRows(wide, 0, bg.rgb()).size(), 4);
    // Small pictures are not blown up: 5 x 5 sits in the middle.
    const QImage small = iconCanvas(solid(5, 5, Qt::blue), bg);
    EXPECT_EQ(paintedRows(small, 8, bg.rgb()), (QVector<int>{6, 7, 8, 9, 10}));
    EXPECT_TRUE(paintedRows(small, 5, bg.rgb()).isEmpty());
    EXPECT_EQ(small.pixel(8, 8), qRgb(0, 0, 255));
    // A tall one keeps its width proportion.
    const QImage tall = iconCanvas(solid(10, 340, Qt::green), bg);
    EXPECT_EQ(tall.pixel(8, 0), qRgb(0, 255, 0));
    EXPECT_EQ(tall.pixel(0, 8), bg.rgb());
}

TEST(CategoryPictures, CategoryPictureFallsBackToTheFolder) {
    TempRoot temp;
    const QImage folder = categoryPicture(temp.root(), "Folder.bmp");
    ASSERT_FALSE(folder.isNull());
    EXPECT_EQ(categoryPicture(temp.root(), "missing.bmp"), folder);
    EXPECT_EQ(categoryPicture(temp.root(), "../../etc/passwd"), folder);
    ASSERT_TRUE(temp.write("Bmpns/empty.bmp", QByteArray()));
    EXPECT_EQ(categoryPicture(temp.root(), "empty.bmp"), folder);
    // Without Bmpns/Folder.bmp our own copy is shown, never nothing.
    ASSERT_TRUE(QFile::remove(temp.file("Bmpns/Folder.bmp")));
    EXPECT_FALSE(categoryPicture(temp.root(), "missing.bmp").isNull());
}

// Links in Bmpns are followed only while they stay in it: a picture
// elsewhere is neither listed nor shown, Folder.bmp included.
TEST(CategoryPictures, LinksLeadingOutOfBmpnsAreNotFollowed) {
    TempRoot temp;
    QTemporaryDir outside;
    const QString red = outside.filePath("red.bmp");
    QFile file(red);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(encoded(solid(17, 17, Qt::red), "BMP"));
    file.close();
    ASSERT_TRUE(temp.write("Bmpns/blue.bmp", encoded(solid(17, 17, Qt::blue), "BMP")));
    const QImage folder = categoryPicture(temp.root(), "Folder.bmp");
    ASSERT_TRUE(QFile::link(red, temp.file("Bmpns/out.bmp")));
    ASSERT_TRUE(QFile::link("blue.bmp", temp.file("Bmpns/in.bmp")));
    EXPECT_EQ(categoryPicture(temp.root(), "out.bmp"), folder);
    EXPECT_EQ(categoryPicture(temp.root(), "in.bmp").pixelColor(8, 8), QColor(Qt::blue));
    EXPECT_FALSE(bitmapNames(temp.file("Bmpns")).contains("out.bmp"));
    EXPECT_TRUE(bitmapNames(temp.file("Bmpns")).contains("in.bmp"));

    ASSERT_TRUE(QFile::remove(temp.file("Bmpns/Folder.bmp")));
    ASSERT_TRUE(QFile::link(red, temp.file("Bmpns/Folder.bmp")));
    const QImage shipped = categoryPicture(temp.root(), "missing.bmp");
    EXPECT_NE(shipped.pixelColor(8, 8), QColor(Qt::red));
    EXPECT_EQ(shipped, categoryPicture(temp.root(), "out.bmp"));
}

// A Folder.bmp cut short, or a picture that is no file at all, shows the
// folder picture we ship: never rows of garbage, never a wait for a writer.
TEST(CategoryPictures, UnreadablePicturesFallBackToTheShippedFolder) {
    TempRoot temp;
    const QImage shipped(QStringLiteral(":/bmpns/Folder.bmp"));
    ASSERT_FALSE(shipped.isNull());
    const QByteArray whole = encoded(solid(17, 17, Qt::red), "BMP");
    const QByteArray small = encoded(solid(3, 2, Qt::blue), "BMP");
    const QString folder = temp.file("Bmpns/Folder.bmp");
    struct Case {
        const char* what;
        QByteArray bytes;  // of Folder.bmp; empty: a FIFO
        bool readable;
    };
    const Case cases[] = {
        {"whole", whole, true},
        {"tiny but whole", small, true},
        {"last row cut", whole.left(whole.size() - 10), false},
        {"one byte short", small.chopped(1), false},
        {"header only", whole.left(54), false},
        {"file header only", whole.left(20), false},
        {"FIFO", {}, false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(QFile::remove(folder) || !QFileInfo::exists(folder));
        std::optional<Fifo> fifo;
        if (c.bytes.isEmpty())
            fifo.emplace(folder);
        else
            ASSERT_TRUE(temp.write("Bmpns/Folder.bmp", c.bytes));
        QImage picture, own;
        const auto read = [&] {
            own = readPicture(folder);
            picture = categoryPicture(temp.root(), "missing.bmp");
        };
        if (fifo)
            EXPECT_TRUE(fifo->returnsWithoutAWriter(read)) << c.what;
        else
            read();
        EXPECT_EQ(own.isNull(), !c.readable) << c.what;
        if (c.readable)
            EXPECT_EQ(picture, own) << c.what;
        else
            EXPECT_EQ(picture, shipped) << c.what;
    }
}

class ImportTest : public ::testing::Test {
  protected:
    TempRoot temp;
    QColor bg{240, 240, 240};
    QString source(const QString& name, const QByteArray& bytes) {
        EXPECT_TRUE(temp.write("in/" + name, bytes));
        return temp.file("in/" + name);
    }
    QString import(const QString& path, QImage* canvas = nullptr) {
        return importPicture(path, temp.file("Bmpns"), bg, canvas);
    }
    QStringList bmpns() const {
        return QDir(temp.file("Bmpns")).entryList(QDir::Files, QDir::Name);
    }
};

TEST_F(ImportTest, IconTakesTheNameBeforeTheFirstDotAndBecomesA17PixelBitmap) {
    // 16 and 32 pixel images: the 32 pixel one is drawn scaled down.
    const Bytes ico =
        icoFile({{16, 32, solidImage(16, 0xFF0000FF)}, {32, 32, solidImage(32, 0xFFFF0000)}});
    const QString written = import(source("a.b.ico", toQByteArray(ico)));
    EXPECT_EQ(written, temp.file("Bmpns/a.bmp"));
    QImageReader reader(written);
    EXPECT_EQ(reader.format(), "bmp");
    const QImage result = reader.read();
    ASSERT_EQ(result.size(), QSize(17, 17));
    EXPECT_EQ(result.pixel(8, 8), qRgb(255, 0, 0));
    EXPECT_FALSE(result.hasAlphaChannel());
}

TEST_F(ImportTest, SameBaseNameKeepsTheLastImport) {
    import(source("pic.bmp", encoded(solid(17, 17, Qt::red), "BMP")));
    import(source("pic.x.bmp", encoded(solid(17, 17, Qt::blue), "BMP")));
    EXPECT_EQ(QImage(temp.file("Bmpns/pic.bmp")).pixel(3, 3), qRgb(0, 0, 255));
}

TEST_F(ImportTest, BrokenEmptyAndHugePicturesWriteNothing) {
    const QStringList before = bmpns();
    Bytes badIco = icoFile({{16, 32, solidImage(16, 0xFF00FF00)}});
    set32(badIco, 6 + 12, 0x7FFFFFF0);  // data offset far past the end
    Bytes truncatedIco = icoFile({{32, 32, solidImage(32, 0xFF00FF00)}});
    truncatedIco.resize(60);

    // A real 10,000 x 10,000 picture (small as a file, 400 MB decoded).
    QImage huge(10000, 10000, QImage::Format_Mono);
    huge.fill(0);
    // A bitmap header that declares 30,000 x 30,000 pixels over a few bytes.
    QByteArray liar = encoded(solid(4, 4, Qt::red), "BMP");
    const qint32 side = 30000;
    memcpy(liar.data() + 18, &side, 4);
    memcpy(liar.data() + 22, &side, 4);

    for (const QString& path :
         {source("bad.ico", toQByteArray(badIco)), source("cut.ico", toQByteArray(truncatedIco)),
          source("zero.bmp", QByteArray()), source("garbage.ico", QByteArray(5000, '\x7f')),
          source("huge.png", encoded(huge, "PNG")), source("liar.bmp", liar)}) {
        QImage canvas;
        EXPECT_TRUE(import(path, &canvas).isEmpty()) << path.toStdString();
        EXPECT_TRUE(canvas.isNull());
        EXPECT_TRUE(readPicture(path).isNull()) << path.toStdString();
    }
    EXPECT_EQ(bmpns(), before);
}

TEST_F(ImportTest, WindowImportsEverySelectedFileAndShowsTheLast) {
    FakeDialogs dialogs;
    FakeServices fakes(temp.file("Desktop"));
    ASSERT_TRUE(storage::ItemDatabase::createEmpty(temp.root().databasePath()));
    core::Session session(temp.root(), fakes.services(), dialogs);
    ASSERT_TRUE(session.database().open(temp.root().databasePath()));
    core::Catalogue catalogue(session, {}, {});
    QSignalSpy changes(&catalogue, &core::Catalogue::categoriesReset);
    CategoryWindow window(session, catalogue, {});
    dialogs.fileLists.enqueue(
        {source("one.png", encoded(solid(40, 40, Qt::red), "PNG")),
         source("zero.bmp", QByteArray()),
         source("two.ico", toQByteArray(icoFile({{16, 32, solidImage(16, 0xFF00FF00)}})))});
    QTest::mouseClick(window.controls().importLink, Qt::LeftButton);
    EXPECT_EQ(dialogs.fileFilters.value(0),
              QStringLiteral("图标ICO文件 (*.ico);;图标BMP文件 (*.bmp)"));
    EXPECT_TRUE(QFileInfo::exists(temp.file("Bmpns/one.bmp")));
    EXPECT_TRUE(QFileInfo::exists(temp.file("Bmpns/two.bmp")));
    EXPECT_FALSE(QFileInfo::exists(temp.file("Bmpns/zero.bmp")));
    EXPECT_EQ(window.controls().iconPreview->pixmap().toImage().pixel(8, 8), qRgb(0, 255, 0));
    // Nothing stored changes.
    EXPECT_TRUE(session.database().categories().value.isEmpty());
    EXPECT_EQ(changes.count(), 0);
}

}  // namespace
}  // namespace hx::test
