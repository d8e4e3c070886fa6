#include "core/item_loader.h"

#include <QtConcurrent/QtConcurrent>

#include "storage/item_database.h"

namespace hx::core {

ItemLoader::ItemLoader(storage::ItemDatabase& database, IconFunction icons, QObject* parent)
    : QObject(parent), database_(database), icons_(std::move(icons)), pool_(new QThreadPool) {
    // One worker: loads run one after another, never side by side.
    pool_->setMaxThreadCount(1);
}

ItemLoader::~ItemLoader() {
    cancel();
    // A worker stuck in a read (a file that never answers) must not hold the
    // program's end: after a short wait the pool is abandoned, not joined.
    constexpr int kShutDownWaitMs = 2000;
    if (pool_->waitForDone(kShutDownWaitMs)) delete pool_;
}

quint64 ItemLoader::load(const QString& category, const QString& column, int iconSize,
                         qreal pixelRatio) {
    const quint64 generation = ++generation_;
    (void)QtConcurrent::run(pool_, [this, generation, category, column, iconSize, pixelRatio] {
        if (!isCurrent(generation)) return;
        const auto rows = database_.itemsOf(category, column);
        if (!rows.ok) {
            emit loadFinished(generation, false, rows.error);
            return;
        }
        for (int i = 0; i < rows.value.size(); ++i) {
            if (!isCurrent(generation)) return;
            const storage::ItemRow& row = rows.value.at(i);
            QImage image = icons_ ? icons_(row.icon, iconSize) : QImage();
            QImage sharp;
            if (icons_ && pixelRatio > 1.0 && !image.isNull()) {
                sharp = icons_(row.icon, qRound(iconSize * pixelRatio));
                sharp.setDevicePixelRatio(pixelRatio);
            }
            emit entryReady(generation, i, CatalogueRow{row.name, row.link, row.icon}, image,
                            sharp);
        }
        emit loadFinished(generation, true, QString());
    });
    return generation;
}

void ItemLoader::cancel() { ++generation_; }

void ItemLoader::waitForIdle() { pool_->waitForDone(); }

}  // namespace hx::core
