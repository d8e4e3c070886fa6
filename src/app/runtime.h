#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <utility>

namespace hx::core {
class Session;
class Catalogue;
class SyncEngine;
}  // namespace hx::core
namespace hx::items {
class Launcher;
}
namespace hx::extras {
class CountdownHost;
class UpdateCheck;
}  // namespace hx::extras
namespace hx::appearance {
class SkinEngine;
}
namespace hx::platform {
class InstalledApps;
}

namespace hx::app {

// What one run wires together on top of its session: the catalogue, how an
// entry opens, how an icon text becomes a picture, the power countdown, skins
// and the update check. The program, the tests and the benchmarks build it the same way, so
// a click in a test takes the program's own path.
class Runtime {
  public:
    // The session's services must all be there (real ones or fakes).
    explicit Runtime(core::Session& session);
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    core::Session& session() const { return session_; }
    core::Catalogue& catalogue() const { return *catalogue_; }
    // The catalogue's sync with other data roots (off until a folder is set).
    core::SyncEngine& sync() const { return *sync_; }
    items::Launcher& launcher() const { return *launcher_; }
    extras::CountdownHost& countdown() const { return *countdown_; }
    appearance::SkinEngine& skins() const { return *skins_; }
    extras::UpdateCheck& updateCheck() const { return *updateCheck_; }
    // The desktop's installed programs; read only once something starts it.
    platform::InstalledApps& installedApps() const { return *installedApps_; }

    // The skin Config.ini names (the default one when it names none that will do).
    void applySkin();
    // Before any window is built, so that each widget is styled once as it is
    // first shown; the start's skin step then finds it done (takeFreshSkin).
    void applySkinBeforeWindows() {
        applySkin();
        skinFresh_ = true;
    }
    bool takeFreshSkin() { return std::exchange(skinFresh_, false); }

    // An icon text as a picture of `size` pixels; null when there is none.
    // Safe on the item loader's worker thread.
    QImage iconFor(const QString& iconText, int size) const;
    // Files and themes may have changed: pictures are looked up again.
    void clearIconCache() const;

    // Puts the program's launcher on the desktop unless one is there.
    void ensureOwnShortcut() const;

    // What the countdown's confirmation ends: the main window's orderly end.
    void setEndProgram(std::function<void()> endProgram) { endProgram_ = std::move(endProgram); }

  private:
    core::Session& session_;
    bool skinFresh_ = false;
    std::function<void()> endProgram_;
    std::unique_ptr<core::Catalogue> catalogue_;
    std::unique_ptr<core::SyncEngine> sync_;
    std::unique_ptr<extras::CountdownHost> countdown_;
    std::unique_ptr<items::Launcher> launcher_;
    std::unique_ptr<appearance::SkinEngine> skins_;
    std::unique_ptr<extras::UpdateCheck> updateCheck_;
    std::unique_ptr<platform::InstalledApps> installedApps_;
};

}  // namespace hx::app
