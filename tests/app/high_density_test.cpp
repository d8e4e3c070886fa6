#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QTest>
#include <mutex>

#include "app/item_grid.h"
#include "app/item_loader.h"
#include "storage/item_database.h"
#include "support/temp_root.h"

using hx::app::ItemGrid;
using hx::app::ItemLoader;

namespace {

QImage filled(int size, QColor colour, qreal ratio = 1.0) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    image.setDevicePixelRatio(ratio);
    return image;
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
