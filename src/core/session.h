#pragma once

#include "core/catalogue_state.h"
#include "core/dialogs.h"
#include "core/global_state.h"
#include "core/services.h"
#include "storage/config.h"
#include "storage/data_root.h"
#include "storage/item_database.h"

namespace hx::core {

// What every window of one run shares: the data root, the item database,
// the configuration files, the platform and the dialogs.
class Session {
  public:
    Session(storage::DataRoot root, Services services, Dialogs& dialogs)
        : root_(std::move(root)), config_(root_), services_(services), dialogs_(dialogs) {}

    const storage::DataRoot& root() const { return root_; }
    storage::ItemDatabase& database() { return database_; }
    storage::Config& config() { return config_; }
    const storage::Config& config() const { return config_; }
    const Services& services() const { return services_; }
    Dialogs& dialogs() { return dialogs_; }
    GlobalState& state() { return state_; }
    // What the panel shows, by name and position.
    CatalogueState& catalogue() { return catalogue_; }
    // Names of the current category and the open column, as every query uses them.
    QString currentCategoryName() const { return catalogue_.categoryName(state_.currentCategory); }
    QString openColumnName() const { return catalogue_.openColumnName(); }

  private:
    storage::DataRoot root_;
    storage::ItemDatabase database_;
    storage::Config config_;
    Services services_;
    Dialogs& dialogs_;
    GlobalState state_;
    CatalogueState catalogue_;
};

}  // namespace hx::core
