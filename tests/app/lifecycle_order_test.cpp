#include <gtest/gtest.h>

#include <QStringList>

#include "app/lifecycle.h"

namespace hx::app {
namespace {

class RecordingSteps : public LifecycleSteps {
  public:
    QStringList steps;
    bool databaseOk = true;

    void applySkin() override { steps << "skin"; }
    void addTrayIcon() override { steps << "tray+"; }
    void placeWindow() override { steps << "position"; }
    bool connectDatabase() override {
        steps << "database";
        return databaseOk;
    }
    void fillCategoryToolbar() override { steps << "categories"; }
    void setTooltips() override { steps << "tooltips"; }
    void applyAppearance() override { steps << "appearance"; }
    void registerDropTarget() override { steps << "drop"; }
    void snapshotImageList() override { steps << "images"; }
    void selectLastCategory() override { steps << "last-category"; }
    void loadWeatherWindow() override { steps << "weather"; }
    void ensureDesktopShortcut() override { steps << "shortcut"; }
    void checkForUpdate() override { steps << "update"; }
    void removeAllCategoryButtons() override { steps << "remove-buttons"; }
    void closeDatabase() override { steps << "close-database"; }
    void storePosition() override { steps << "store-position"; }
    void removeTrayIcon() override { steps << "tray-"; }
};

TEST(Lifecycle, StartUpRunsTheThirteenStepsInOrder) {
    RecordingSteps s;
    EXPECT_TRUE(runStartup(s));
    EXPECT_EQ(s.steps, QStringList({"skin", "tray+", "position", "database", "categories",
                                    "tooltips", "appearance", "drop", "images", "last-category",
                                    "weather", "shortcut", "update"}));
}

TEST(Lifecycle, StartUpStopsWhenTheDatabaseIsRefused) {
    RecordingSteps s;
    s.databaseOk = false;
    EXPECT_FALSE(runStartup(s));
    EXPECT_EQ(s.steps, QStringList({"skin", "tray+", "position", "database"}));
}

TEST(Lifecycle, ReinitialisationLeavesPositionTrayWeatherShortcutAndUpdateAlone) {
    RecordingSteps s;
    EXPECT_TRUE(runReinitialisation(s));
    EXPECT_EQ(s.steps,
              QStringList({"skin", "remove-buttons", "close-database", "database", "categories",
                           "tooltips", "appearance", "drop", "images", "last-category"}));
}

TEST(Lifecycle, ShutDownStoresPositionBeforeClosingAndRemovingTheTray) {
    RecordingSteps s;
    runShutdown(s);
    EXPECT_EQ(s.steps, QStringList({"store-position", "close-database", "tray-"}));
}

}  // namespace
}  // namespace hx::app
