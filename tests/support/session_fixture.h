#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "core/catalogue.h"
#include "core/session.h"
#include "platform/icon_loader.h"
#include "support/fake_desktop.h"
#include "support/fake_dialogs.h"
#include "support/fake_file_probe.h"
#include "support/fake_network.h"
#include "support/fake_power.h"
#include "support/fake_shell.h"
#include "support/fake_sound.h"
#include "support/temp_root.h"

namespace hx::test {

// Every platform service, as fakes, and the real icon loader.
struct FakeServices {
    explicit FakeServices(const QString& desktopDir) : desktop(desktopDir) {}
    FakeSound sound;
    FakeDesktop desktop;
    FakeShell shell;
    FakePowerBackend power;
    FakeNetwork network;
    FakeFileProbe probe;
    platform::IconLoader icons;

    core::Services services() {
        return {&shell, &sound, &power, &network, &desktop, &probe, &icons};
    }
};

// A temporary data root with an empty item database, the fakes, the session
// over them and the real catalogue: what a secondary window is given.
class SessionFixture : public ::testing::Test {
  protected:
    TempRoot temp;
    FakeDialogs dialogs;
    FakeServices fakes{temp.file(QStringLiteral("Desktop"))};
    std::unique_ptr<core::Session> session;
    std::unique_ptr<core::Catalogue> catalogue;
    // Where the windows under test are placed from.
    const QPoint panel{300, 200};
    // A desktop to use instead of the fake one (set before openSession).
    platform::Desktop* desktop = nullptr;

    // Creates and opens the database; `pictures` reads category pictures.
    void openSession(core::Catalogue::PictureFunction pictures = {},
                     core::Catalogue::IconFunction icons = {}) {
        ASSERT_TRUE(temp.isValid());
        ASSERT_TRUE(storage::ItemDatabase::createEmpty(temp.root().databasePath()));
        core::Services services = fakes.services();
        if (desktop) services.desktop = desktop;
        session = std::make_unique<core::Session>(temp.root(), services, dialogs);
        ASSERT_TRUE(session->database().open(temp.root().databasePath()));
        catalogue =
            std::make_unique<core::Catalogue>(*session, std::move(icons), std::move(pictures));
    }

    storage::ItemDatabase& db() { return session->database(); }
    storage::Config& config() { return session->config(); }

    // The catalogue shows what is stored: categories read, `category` chosen
    // and `column` of it open, its rows loaded.
    void show(int category = 0, int column = 0) {
        catalogue->reload();
        catalogue->selectCategory(category);
        catalogue->openColumnAt(column);
        catalogue->finishLoading();
    }

    QStringList rowNames() const {
        QStringList names;
        for (const auto& row : catalogue->rows()) names << row.name;
        return names;
    }

    void TearDown() override {
        catalogue.reset();
        session.reset();
    }
};

}  // namespace hx::test
