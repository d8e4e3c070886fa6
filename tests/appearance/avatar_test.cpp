#include <gtest/gtest.h>

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QtEndian>

#include "appearance/avatar.h"
#include "appearance/avatar_loader.h"
#include "support/huge_png.h"
#include "support/temp_root.h"

namespace hx::appearance {
namespace {

TEST(Avatar, BrokenEmptyAndMissingFilesGiveNoPicture) {
    test::TempRoot temp;
    QImage good(40, 40, QImage::Format_RGB32);
    good.fill(Qt::red);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(good.save(&buffer, "JPG"));
    ASSERT_TRUE(temp.write("User/cut.jpg", jpeg.left(jpeg.size() / 3)));
    ASSERT_TRUE(temp.write("User/noise.jpg", QByteArray("\xFF\xD8\xFF\xE0garbage", 12)));
    ASSERT_TRUE(temp.write("User/empty.png", {}));
    ASSERT_TRUE(temp.write("User/whole.jpg", jpeg));

    // A truncated JPEG may decode partly; it never comes out larger than it claims.
    const QImage cut = loadAvatar(temp.file("User/cut.jpg"));
    EXPECT_TRUE(cut.isNull() || cut.size() == QSize(40, 40));
    EXPECT_TRUE(loadAvatar(temp.file("User/noise.jpg")).isNull());
    EXPECT_TRUE(loadAvatar(temp.file("User/empty.png")).isNull());
    EXPECT_TRUE(loadAvatar(temp.file("User/none.png")).isNull());
    EXPECT_TRUE(loadAvatar(temp.file("User")).isNull());
    EXPECT_EQ(loadAvatar(temp.file("User/whole.jpg")).size(), QSize(40, 40));
}

TEST(Avatar, HugePicturesAreRefusedOrDecodedAtACappedSize) {
    test::TempRoot temp;
    ASSERT_TRUE(temp.write("User/huge.png", test::hugePng(20000)));
    const QImage image = loadAvatar(temp.file("User/huge.png"));
    // PNG cannot scale while decoding: 1.6 GB of pixels are never asked for.
    EXPECT_TRUE(image.isNull() || image.width() <= kAvatarDecodeLimit);

    ASSERT_TRUE(temp.write("User/big.png", test::hugePng(3000)));
    EXPECT_EQ(loadAvatar(temp.file("User/big.png")).size(),
              QSize(kAvatarDecodeLimit, kAvatarDecodeLimit));

    QImage wide(600, 150, QImage::Format_RGB32);
    wide.fill(Qt::green);
    ASSERT_TRUE(wide.save(temp.file("User/wide.png")));
    EXPECT_EQ(loadAvatar(temp.file("User/wide.png"), 100).size(), QSize(100, 25));
}

TEST(AvatarLoader, KeepsAScaledCopySoTheFileIsDecodedOnce) {
    test::TempRoot temp;
    ASSERT_TRUE(temp.write("User/big.png", test::hugePng(3000)));
    const QString path = temp.file("User/big.png");
    const QString copy = AvatarLoader::scaledCopyPath(path);
    EXPECT_EQ(QFileInfo(copy).dir(), QFileInfo(path).dir());
    EXPECT_EQ(AvatarLoader::readScaled(path).size(), QSize(kAvatarDecodeLimit, kAvatarDecodeLimit));
    ASSERT_TRUE(QFileInfo(copy).isFile());
    EXPECT_LE(QImage(copy).width(), kAvatarDecodeLimit);

    // Later reads take the copy: paint it red, dated after the file.
    QImage red(64, 64, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(copy, "PNG"));
    const QDateTime later = QFileInfo(path).lastModified().addSecs(5);
    QFile copyFile(copy);
    ASSERT_TRUE(copyFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(copyFile.setFileTime(later, QFileDevice::FileModificationTime));
    copyFile.close();
    EXPECT_EQ(AvatarLoader::readScaled(path).pixelColor(1, 1), QColor(Qt::red));

    // A file changed after its copy is decoded again.
    QFile source(path);
    ASSERT_TRUE(source.open(QIODevice::ReadWrite));
    ASSERT_TRUE(source.setFileTime(later.addSecs(5), QFileDevice::FileModificationTime));
    source.close();
    EXPECT_NE(AvatarLoader::readScaled(path).pixelColor(1, 1), QColor(Qt::red));

    // Damaged or huge: an empty picture, and no copy to trust later.
    ASSERT_TRUE(temp.write("User/junk.png", "not a picture"));
    EXPECT_TRUE(AvatarLoader::readScaled(temp.file("User/junk.png")).isNull());
    EXPECT_FALSE(QFileInfo::exists(AvatarLoader::scaledCopyPath(temp.file("User/junk.png"))));
    ASSERT_TRUE(temp.write("User/huge.png", test::hugePng(20000)));
    const QImage huge = AvatarLoader::readScaled(temp.file("User/huge.png"));
    EXPECT_TRUE(huge.isNull() || huge.width() <= kAvatarDecodeLimit);
}

TEST(AvatarLoader, TheNewestRequestWins) {
    test::TempRoot temp;
    ASSERT_TRUE(temp.write("User/big.png", test::hugePng(3000)));
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(temp.file("User/red.png")));
    AvatarLoader loader;
    QVector<QImage> shown;
    QObject::connect(&loader, &AvatarLoader::ready, [&](const QImage& i) { shown << i; });
    loader.request(temp.file("User/big.png"));
    loader.request(temp.file("User/red.png"));
    loader.finish();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].pixelColor(1, 1), QColor(Qt::red));
    loader.request(QString());  // none: empty at once
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[1].isNull());
}

TEST(Avatar, OnlyPlainNamesAreJoinedToTheUserFolder) {
    for (const char* bad : {"", ".", "..", "../x.png", "a/b.png", "a\\b.png"})
        EXPECT_FALSE(isPlainFileName(QString::fromUtf8(bad))) << bad;
    EXPECT_TRUE(isPlainFileName(QStringLiteral("头像 1.png")));
    EXPECT_TRUE(isPlainFileName(QStringLiteral("..png")));
}

}  // namespace
}  // namespace hx::appearance
