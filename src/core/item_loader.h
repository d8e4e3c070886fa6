#pragma once

#include <QImage>
#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "core/catalogue_row.h"

namespace hx::storage {
class ItemDatabase;
}

namespace hx::core {

// Loads a column's items off the user-interface thread. Rows are read in one
// locked database call, then icons are resolved one by one and each entry is
// handed over as soon as its icon is ready. A newer load abandons the older
// one: its pending results carry a stale generation and are dropped.
class ItemLoader : public QObject {
    Q_OBJECT
  public:
    // Resolves an icon text to a picture of the given size; called on the
    // worker thread.
    using IconFunction = std::function<QImage(const QString& iconText, int size)>;

    ItemLoader(storage::ItemDatabase& database, IconFunction icons, QObject* parent = nullptr);
    ~ItemLoader() override;

    // Returns the generation of the new load.
    // With `pixelRatio` above 1 each entry also carries its icon drawn at that density.
    quint64 load(const QString& category, const QString& column, int iconSize,
                 qreal pixelRatio = 1.0);
    // Abandons any running load.
    void cancel();
    quint64 generation() const { return shared_->generation.load(); }
    bool isCurrent(quint64 generation) const { return generation == shared_->generation.load(); }
    // Blocks until the worker is idle (tests, --grab).
    void waitForIdle();

  signals:
    // `sharp` is null unless a pixel ratio above 1 was asked for.
    void entryReady(quint64 generation, int row, const hx::core::CatalogueRow& entry,
                    const QImage& image, const QImage& sharp);
    void loadFinished(quint64 generation, bool ok, const QString& error);

  private:
    // What a worker may still touch after the loader is gone: it reports
    // through `owner` only while the loader exists.
    struct Shared {
        std::atomic<quint64> generation{0};
        std::mutex mutex;
        ItemLoader* owner = nullptr;
    };

    storage::ItemDatabase& database_;
    IconFunction icons_;
    std::shared_ptr<Shared> shared_;
    // Left behind, not waited for, when the worker is still stuck at shut-down.
    QThreadPool* pool_;
};

}  // namespace hx::core
