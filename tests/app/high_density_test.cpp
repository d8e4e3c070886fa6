#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QTest>
#include <mutex>

#include <QAction>
#include <QBuffer>

#include "app/category_toolbar.h"
#include "app/item_grid.h"
#include "app/program_icon.h"
#include "catalogue/category_pictures.h"
#include "core/item_loader.h"
#include "platform/icon_loader.h"
#include "storage/item_database.h"
#include "support/temp_root.h"

using hx::app::ItemGrid;
using hx::core::ItemLoader;

namespace {

QImage filled(int size, QColor colour, qreal ratio = 1.0) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    image.setDevicePixelRatio(ratio);
    return image;
}

// Each size is the picture drawn for it, to the bit in the unpremultiplied
// form the window system is handed (_NET_WM_ICON): no edge pixel is rounded
// on its way through a premultiplied copy.
TEST(HighDensity, ProgramIconTakesThePictureDrawnForEachSize) {
    const QIcon icon = hx::app::programIcon();
    const auto drawn = [](int size, QImage::Format format = QImage::Format_ARGB32_Premultiplied) {
        return QImage(QStringLiteral(":/ui/app_icon_%1.png").arg(size)).convertToFormat(format);
    };
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        EXPECT_EQ(
            icon.pixmap(QSize(size, size), 1.0).toImage().convertToFormat(QImage::Format_ARGB32),
            drawn(size, QImage::Format_ARGB32))
            << size;
    }
    // On a 200 % screen a 32-pixel place takes the 64-pixel picture.
    const QPixmap sharp = icon.pixmap(QSize(32, 32), 2.0);
    EXPECT_EQ(sharp.size(), QSize(64, 64));
    EXPECT_EQ(sharp.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied), drawn(64));
    // Between drawn sizes: the next larger picture, scaled down.
    EXPECT_EQ(icon.pixmap(QSize(24, 24), 1.0).size(), QSize(24, 24));
}

// The lists of the other windows: a 16-pixel row on a 200 % screen shows the
// source drawn at 32 pixels, not the 16-pixel picture enlarged.
TEST(HighDensity, ListIconsAreDrawnAtTheScreensDensity) {
    QList<int> asked;
    const auto draw = [&](int size) {
        asked << size;
        return filled(size, size == 32 ? Qt::red : Qt::blue);
    };
    const QIcon icon = hx::platform::listIcon(draw, 16, 2.0);
    EXPECT_EQ(asked, (QList<int>{16, 32}));
    const QImage sharp = icon.pixmap(QSize(16, 16), 2.0).toImage();
    EXPECT_EQ(sharp.size(), QSize(32, 32));
    EXPECT_EQ(sharp.pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(icon.pixmap(QSize(16, 16), 1.0).toImage().pixelColor(5, 5), QColor(Qt::blue));
    asked.clear();
    hx::platform::listIcon(draw, 16, 1.0);
    EXPECT_EQ(asked, QList<int>{16});
}

TEST(HighDensity, GridDrawsTheSharpCopyOnlyWhereThePixelRatioAsksForIt) {
    ItemGrid grid;
    const int plain = grid.appendImage(filled(32, Qt::red));
    const int sharp = grid.appendImage(filled(32, Qt::green), filled(64, Qt::blue, 2.0));
    grid.appendEntry(QStringLiteral("plain"), plain);
    grid.appendEntry(QStringLiteral("sharp"), sharp);

    const QIcon withSharp = grid.item(1)->icon();
    const QImage at2 = withSharp.pixmap(QSize(32, 32), 2.0).toImage();
    EXPECT_EQ(at2.width(), 64);
    EXPECT_EQ(at2.pixelColor(10, 10), QColor(Qt::blue));
    // At scale 1 the list's own picture is drawn, as before.
    EXPECT_EQ(withSharp.pixmap(QSize(32, 32), 1.0).toImage().pixelColor(10, 10), QColor(Qt::green));
    // The list itself, which the program stores, never holds the sharp copy.
    EXPECT_EQ(grid.images().at(sharp).size(), QSize(32, 32));
    EXPECT_EQ(grid.item(0)->icon().pixmap(QSize(32, 32), 1.0).toImage().pixelColor(10, 10),
              QColor(Qt::red));
}

QByteArray bitmap(int size) {
    // A keyed background (the corner's colour) around a red square.
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    for (int y = size / 4; y < size * 3 / 4; ++y)
        for (int x = size / 4; x < size * 3 / 4; ++x) image.setPixelColor(x, y, Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

TEST(HighDensity, CategoryButtonsKeepTheirPictureAtTwiceTheSize) {
    hx::app::CategoryToolbar toolbar;
    // As the catalogue hands category pictures over: the key colour clear.
    const auto picture = [](int size) {
        return hx::catalogue::withKeyColourClear(QImage::fromData(bitmap(size)));
    };
    toolbar.addButton(toolbar.appendPicture(picture(32)), QStringLiteral("大"));
    toolbar.addButton(toolbar.appendPicture(picture(16)), QStringLiteral("小"));

    const QImage sharp = toolbar.buttonAction(0)->icon().pixmap(QSize(16, 16), 2.0).toImage();
    EXPECT_EQ(sharp.size(), QSize(32, 32));
    EXPECT_EQ(sharp.pixelColor(0, 0).alpha(), 0);  // the key colour still shows through
    EXPECT_EQ(sharp.pixelColor(16, 16), QColor(Qt::red));
    // The form's own list stays at 16 pixels.
    EXPECT_EQ(toolbar.images().at(1).size(), QSize(16, 16));
    // A 16-pixel picture has nothing sharper to offer.
    EXPECT_EQ(toolbar.buttonAction(1)->icon().availableSizes().size(), 1);
}

TEST(HighDensity, LoaderAsksForIconsAtDeviceResolution) {
    hx::test::TempRoot root;
    hx::storage::ItemDatabase db;
    const QString path = root.root().databasePath();
    ASSERT_TRUE(hx::storage::ItemDatabase::createEmpty(path));
    ASSERT_TRUE(db.open(path));
    ASSERT_TRUE(db.addCategory(QStringLiteral("类"), QStringLiteral("Folder.bmp")));
    ASSERT_TRUE(db.addColumn(QStringLiteral("类"), QStringLiteral("栏")));
    ASSERT_TRUE(db.addItem({QStringLiteral("类"), QStringLiteral("栏"), QStringLiteral("有图"),
                            QStringLiteral("/bin/sh"), QStringLiteral("icon")}));
    ASSERT_TRUE(db.addItem({QStringLiteral("类"), QStringLiteral("栏"), QStringLiteral("无图"),
                            QStringLiteral("/bin/sh"), QString()}));

    std::mutex lock;
    QList<int> asked;
    ItemLoader loader(db, [&](const QString& text, int size) {
        std::lock_guard guard(lock);
        asked << size;
        return text.isEmpty() ? QImage() : filled(size, Qt::blue);
    });
    // Collected on this thread: the loader emits from its worker.
    struct Entry {
        QImage image, sharp;
    };
    QList<Entry> entries;
    bool done = false;
    QObject receiver;
    QObject::connect(
        &loader, &ItemLoader::entryReady, &receiver,
        [&](quint64, int, const hx::core::CatalogueRow&, const QImage& image, const QImage& sharp) {
            entries.push_back({image, sharp});
        });
    QObject::connect(&loader, &ItemLoader::loadFinished, &receiver,
                     [&](quint64, bool, const QString&) { done = true; });

    loader.load(QStringLiteral("类"), QStringLiteral("栏"), 32, 2.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].image.size(), QSize(32, 32));
    EXPECT_EQ(entries[0].sharp.size(), QSize(64, 64));
    EXPECT_EQ(entries[0].sharp.devicePixelRatio(), 2.0);
    // No picture, no second lookup.
    EXPECT_TRUE(entries[1].sharp.isNull());
    EXPECT_EQ(asked, (QList<int>{32, 64, 32}));

    // At scale 1 nothing extra is loaded.
    asked.clear();
    entries.clear();
    done = false;
    loader.load(QStringLiteral("类"), QStringLiteral("栏"), 16);
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    ASSERT_EQ(entries.size(), 2);
    EXPECT_TRUE(entries[0].sharp.isNull());
    EXPECT_EQ(asked, (QList<int>{16, 16}));
}

}  // namespace
