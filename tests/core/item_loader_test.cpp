#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>
#include <memory>

#include "core/item_loader.h"
#include "storage/item_database.h"
#include "support/temp_root.h"

namespace hx::core {
namespace {

// An icon read that never returns (a file that never answers) must not hold
// the loader's end, and the worker, once it wakes, reports to nobody.
TEST(ItemLoader, EndsWithoutWaitingForAStuckWorker) {
    test::TempRoot temp;
    ASSERT_TRUE(storage::ItemDatabase::createEmpty(temp.root().databasePath()));
    storage::ItemDatabase db;
    ASSERT_TRUE(db.open(temp.root().databasePath()));
    ASSERT_TRUE(db.addItem({"类", "栏", "a", "/a", "/stuck"}));
    ASSERT_TRUE(db.addItem({"类", "栏", "b", "/b", "/stuck"}));

    QSemaphore entered;
    auto release = std::make_shared<QSemaphore>();
    int reported = 0;
    auto loader = std::make_unique<ItemLoader>(db, [&entered, release](const QString&, int) {
        entered.release();
        release->acquire();
        return QImage();
    });
    QObject::connect(loader.get(), &ItemLoader::entryReady, [&] { ++reported; });
    loader->load("类", "栏", 32);
    ASSERT_TRUE(entered.tryAcquire(1, 10000));
    loader.reset();  // returns although the worker is still inside the read
    release->release(2);
    QThread::msleep(100);
    QCoreApplication::processEvents();
    EXPECT_EQ(reported, 0);
}

}  // namespace
}  // namespace hx::core
