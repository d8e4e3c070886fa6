#pragma once

namespace hx::app {

// The steps the main window runs at start-up, at every re-initialisation and
// at shut-down. The sequences below fix their order; the main window
// implements each step.
class LifecycleSteps {
  public:
    virtual ~LifecycleSteps() = default;
    virtual void applySkin() = 0;
    virtual void addTrayIcon() = 0;
    virtual void placeWindow() = 0;
    // False when the user refused to create a missing database: the process
    // ends at once, with nothing written.
    virtual bool connectDatabase() = 0;
    virtual void fillCategoryToolbar() = 0;
    virtual void setTooltips() = 0;
    virtual void applyAppearance() = 0;
    virtual void registerDropTarget() = 0;
    virtual void snapshotImageList() = 0;
    virtual void selectLastCategory() = 0;
    virtual void loadWeatherWindow() = 0;
    virtual void ensureDesktopShortcut() = 0;
    virtual void checkForUpdate() = 0;  // after its own connectivity test
    virtual void removeAllCategoryButtons() = 0;
    virtual void closeDatabase() = 0;
    virtual void storePosition() = 0;
    virtual void removeTrayIcon() = 0;
};

// Each returns false when the process must end without a shut-down.
bool runStartup(LifecycleSteps& steps);
bool runReinitialisation(LifecycleSteps& steps);
void runShutdown(LifecycleSteps& steps);

}  // namespace hx::app
