#include "app/runtime.h"

#include <QCoreApplication>
#include <QFile>

#include "appearance/skin_engine.h"
#include "catalogue/category_pictures.h"
#include "core/catalogue.h"
#include "core/session.h"
#include "core/sync_engine.h"
#include "extras/countdown_host.h"
#include "extras/update_check.h"
#include "items/icon_text.h"
#include "items/launcher.h"
#include "platform/icon_loader.h"
#include "platform/installed_apps.h"
#include "platform/own_shortcut.h"

namespace hx::app {

Runtime::Runtime(core::Session& session) : session_(session) {
    const core::Services& s = session.services();
    catalogue_ = std::make_unique<core::Catalogue>(
        session,
        // Runs on the loader's worker: the icon lookup is thread-safe.
        [this](const QString& text, int size) { return iconFor(text, size); },
        [&session](const QString& file) {
            return catalogue::withKeyColourClear(catalogue::categoryPicture(session.root(), file));
        });
    sync_ = std::make_unique<core::SyncEngine>(session, *catalogue_);
    countdown_ = std::make_unique<extras::CountdownHost>(*s.power, [this] {
        if (endProgram_) endProgram_();
    });
    launcher_ = std::make_unique<items::Launcher>(
        *s.shell, *s.sound, [this](const QString& title) { countdown_->showFor(title); });
    skins_ = std::make_unique<appearance::SkinEngine>(session.root());
    installedApps_ = std::make_unique<platform::InstalledApps>();
    updateCheck_ =
        std::make_unique<extras::UpdateCheck>(*s.network, *s.shell, session.dialogs(),
                                              extras::updateUrl(session.config().readConfig(
                                                  QStringLiteral("更新"), QStringLiteral("地址"))));
}

// The sync goes before the catalogue, the countdown window before the launcher that opens it.
Runtime::~Runtime() {
    sync_.reset();  // shows what it merged through the catalogue
    catalogue_.reset();
    countdown_.reset();
    launcher_.reset();
}

void Runtime::applySkin() {
    skins_->apply(session_.root().file(QStringLiteral("Shens/") + session_.config().skinName()));
}

QImage Runtime::iconFor(const QString& iconText, int size) const {
    const core::Services& s = session_.services();
    return s.icons->load(items::resolveIconSource(iconText, *s.probe), size);
}

void Runtime::clearIconCache() const { session_.services().icons->clearCache(); }

}  // namespace hx::app

namespace hx::app {

void Runtime::ensureOwnShortcut() const {
    const storage::DataRoot& root = session_.root();
    // The launcher on the desktop shows our icon; it is kept in the data root.
    const QString icon = root.file(QStringLiteral("User/hengxiu-toolbox.png"));
    if (!QFile::exists(icon)) QFile::copy(QStringLiteral(":/ui/app_icon_128.png"), icon);
    platform::ensureOwnShortcut(*session_.services().desktop,
                                QCoreApplication::applicationFilePath(), root.path(), icon);
}

}  // namespace hx::app
