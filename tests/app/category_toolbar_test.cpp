#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "app/category_toolbar.h"
#include "support/fifo.h"

namespace hx::test {
namespace {

// A category picture that is no regular file, or a bitmap cut short, gives
// its button no picture (rather than garbage), and nothing waits on a FIFO.
TEST(CategoryToolbarPictures, OnlyWholePicturesFromRegularFiles) {
    QTemporaryDir dir;
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray whole;
    QBuffer buffer(&whole);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(red.save(&buffer, "BMP"));
    const auto write = [&dir](const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return dir.filePath(name);
    };
    const Fifo fifo(dir.filePath("pipe.bmp"));
    ASSERT_TRUE(fifo.isValid());

    app::CategoryToolbar toolbar;
    EXPECT_GE(toolbar.appendPicture(app::CategoryToolbar::pictureFile(write("a.bmp", whole))), 0);
    EXPECT_EQ(toolbar.appendPicture(
                  app::CategoryToolbar::pictureFile(write("cut.bmp", whole.chopped(10)))),
              -1);
    QByteArray fromFifo = "unread";
    EXPECT_TRUE(fifo.returnsWithoutAWriter(
        [&] { fromFifo = app::CategoryToolbar::pictureFile(fifo.path()); }));
    EXPECT_TRUE(fromFifo.isEmpty());
}

}  // namespace
}  // namespace hx::test
