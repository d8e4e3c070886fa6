#include "app/lifecycle.h"

namespace hx::app {
namespace {

// Start-up steps 5 to 9, shared with the re-initialisation.
void rebuildContents(LifecycleSteps& s) {
    s.fillCategoryToolbar();
    s.setTooltips();
    s.applyAppearance();
    s.registerDropTarget();
    s.snapshotImageList();
}

}  // namespace

bool runStartup(LifecycleSteps& s) {
    s.applySkin();
    s.addTrayIcon();
    s.placeWindow();
    if (!s.connectDatabase()) return false;
    rebuildContents(s);
    s.selectLastCategory();
    s.loadWeatherWindow();
    s.ensureDesktopShortcut();
    s.checkForUpdate();
    return true;
}

// The panel stays where the user has it: only a start places it.
bool runReinitialisation(LifecycleSteps& s) {
    s.applySkin();
    s.removeAllCategoryButtons();
    s.closeDatabase();
    if (!s.connectDatabase()) return false;
    rebuildContents(s);
    s.selectLastCategory();
    return true;
}

void runShutdown(LifecycleSteps& s) {
    s.storePosition();
    s.closeDatabase();
    s.removeTrayIcon();
}

}  // namespace hx::app
