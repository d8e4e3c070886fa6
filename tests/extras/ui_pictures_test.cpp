#include <gtest/gtest.h>

#include <QImage>

namespace {

// The main window's own pictures are compiled in and load at their sizes.
TEST(UiPictures, WindowIconHasFiveSizesWithAlpha) {
    for (int size : {16, 32, 48, 64, 128}) {
        const QImage img(QStringLiteral(":/ui/app_icon_%1.png").arg(size));
        ASSERT_FALSE(img.isNull()) << size;
        EXPECT_EQ(img.size(), QSize(size, size));
        EXPECT_TRUE(img.hasAlphaChannel()) << size;
        // Transparent corner, opaque body.
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(img.pixel(size / 2, size * 3 / 4)), 255) << size;
    }
}

TEST(UiPictures, PictureButtonsAreEighteenPixels) {
    for (const char* name :
         {"btn_category", "btn_options", "btn_items", "btn_topmost", "btn_screenoff"}) {
        const QImage img(QStringLiteral(":/ui/%1.png").arg(QLatin1String(name)));
        ASSERT_FALSE(img.isNull()) << name;
        EXPECT_EQ(img.size(), QSize(18, 18)) << name;
    }
}

TEST(UiPictures, KeepOnTopStatesAreDistinct24BitBitmaps) {
    const QImage off(QStringLiteral(":/ui/btn_topmost_off.bmp"));
    const QImage on(QStringLiteral(":/ui/btn_topmost_on.bmp"));
    ASSERT_FALSE(off.isNull());
    ASSERT_FALSE(on.isNull());
    EXPECT_EQ(off.size(), QSize(17, 17));
    EXPECT_EQ(on.size(), QSize(17, 17));
    EXPECT_FALSE(off.hasAlphaChannel());
    int different = 0;
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 17; ++x) different += off.pixel(x, y) != on.pixel(x, y);
    EXPECT_GT(different, 17 * 17 / 5);
    // The "on" pin is red: some pixel with red well above green and blue.
    bool red = false;
    for (int y = 0; y < 17 && !red; ++y)
        for (int x = 0; x < 17 && !red; ++x) {
            const QRgb p = on.pixel(x, y);
            red = qRed(p) > 180 && qGreen(p) < 90 && qBlue(p) < 90;
        }
    EXPECT_TRUE(red);
}

}  // namespace
