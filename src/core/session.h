#pragma once

#include "core/appearance_setting.h"
#include "core/dialogs.h"
#include "core/global_state.h"
#include "core/services.h"
#include "storage/config.h"
#include "storage/data_root.h"
#include "storage/item_database.h"
#include "storage/usage_store.h"

namespace hx::core {

// What every window of one run shares: the data root, the item database,
// the configuration files, the platform and the dialogs.
class Session {
  public:
    // `services` must be complete: no window checks for a missing one.
    Session(storage::DataRoot root, Services services, Dialogs& dialogs)
        : root_(std::move(root)),
          config_(root_),
          services_(services),
          dialogs_(dialogs),
          usage_(root_.file(QStringLiteral("User/QuickOpen.db")), {}, {root_.databasePath()}) {
        if (!services_.complete()) qFatal("hx::core::Session: a platform service is missing");
    }

    const storage::DataRoot& root() const { return root_; }
    storage::ItemDatabase& database() { return database_; }
    storage::Config& config() { return config_; }
    const storage::Config& config() const { return config_; }
    const Services& services() const { return services_; }
    Dialogs& dialogs() { return dialogs_; }
    GlobalState& state() { return state_; }
    AppearanceSetting& appearance() { return appearance_; }
    const AppearanceSetting& appearance() const { return appearance_; }
    // What quick open learns from openings, in a file of its own.
    storage::UsageStore& usage() { return usage_; }

  private:
    storage::DataRoot root_;
    storage::ItemDatabase database_;
    storage::Config config_;
    Services services_;
    Dialogs& dialogs_;
    GlobalState state_;
    AppearanceSetting appearance_;
    storage::UsageStore usage_;
};

}  // namespace hx::core
