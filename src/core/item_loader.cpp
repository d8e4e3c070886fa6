#include "core/item_loader.h"

#include <QtConcurrent/QtConcurrent>

#include "storage/item_database.h"

namespace hx::core {

ItemLoader::ItemLoader(storage::ItemDatabase& database, IconFunction icons, QObject* parent)
    : QObject(parent),
      database_(database),
      icons_(std::move(icons)),
      shared_(std::make_shared<Shared>()),
      pool_(new QThreadPool) {
    shared_->owner = this;
    // One worker: loads run one after another, never side by side.
    pool_->setMaxThreadCount(1);
}

ItemLoader::~ItemLoader() {
    cancel();
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->owner = nullptr;
    }
    // A worker stuck in a read (a file that never answers) must not hold the
    // program's end: after a short wait the pool is abandoned, not joined.
    constexpr int kShutDownWaitMs = 2000;
    if (pool_->waitForDone(kShutDownWaitMs)) delete pool_;
}

quint64 ItemLoader::load(const QString& category, const QString& column, int iconSize,
                         qreal pixelRatio) {
    const quint64 generation = ++shared_->generation;
    (void)QtConcurrent::run(pool_, [shared = shared_, database = &database_, icons = icons_,
                                    generation, category, column, iconSize, pixelRatio] {
        const auto current = [&] { return shared->generation.load() == generation; };
        // Reports only while the loader exists and still wants this load.
        const auto report = [&](auto&& emitOn) {
            const std::lock_guard lock(shared->mutex);
            if (shared->owner && current()) emitOn(*shared->owner);
        };
        if (!current()) return;
        const auto rows = database->itemsOf(category, column);
        if (!rows.ok) {
            report([&](ItemLoader& l) { emit l.loadFinished(generation, false, rows.error); });
            return;
        }
        for (int i = 0; i < rows.value.size(); ++i) {
            if (!current()) return;
            const storage::ItemRow& row = rows.value.at(i);
            QImage image = icons ? icons(row.icon, iconSize) : QImage();
            QImage sharp;
            if (icons && pixelRatio > 1.0 && !image.isNull()) {
                sharp = icons(row.icon, qRound(iconSize * pixelRatio));
                sharp.setDevicePixelRatio(pixelRatio);
            }
            report([&](ItemLoader& l) {
                emit l.entryReady(generation, i, CatalogueRow{row.name, row.link, row.icon}, image,
                                  sharp);
            });
        }
        report([&](ItemLoader& l) { emit l.loadFinished(generation, true, QString()); });
    });
    return generation;
}

void ItemLoader::cancel() { ++shared_->generation; }

void ItemLoader::waitForIdle() { pool_->waitForDone(); }

}  // namespace hx::core
