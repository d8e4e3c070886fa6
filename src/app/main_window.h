#pragma once

#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <optional>

#include "app/lifecycle.h"
#include "app/window_host.h"
#include "core/database_connection.h"
#include "platform/sound_player.h"

namespace hx::core {
class Session;
class Catalogue;
}  // namespace hx::core
namespace hx::items {
class ItemActions;
}
namespace hx::appearance {
class AvatarLoader;
}
namespace hx::extras {
class Clock;
class LedPanel;
}  // namespace hx::extras

namespace hx::app {

class CategoryToolbar;
class RollerBlindMenu;
class ItemGrid;
class QuickOpen;
class StatusBar;
class Runtime;

// The weather window, built elsewhere. An empty function means there is no
// panel; its step is skipped.
struct WeatherHooks {
    std::function<void()> load;
    std::function<void(const QPoint& topLeft)> show;
    std::function<void()> hide;
};

// The program's one permanent window, a fixed 220 x 474 panel. It lays out
// its controls, which render the catalogue, runs the start-up, re-
// initialisation and shut-down steps, and hands window requests to its host.
class MainWindow : public QWidget, public core::ConnectingWindow, public LifecycleSteps {
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 220;
    static constexpr int kClientHeight = 474;
    static constexpr int kMenuTop = 65;

    MainWindow(Runtime& runtime, WeatherHooks weather = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows the window at its stored place: asked for before the window
    // exists, so that even (0, 0) is a request the window manager honours.
    void showAtStoredPosition();
    // Runs the start-up sequence; false when the process must end at once.
    bool start();
    // Re-reads everything stored (after a restore or a clear).
    void reinitialise();
    // The orderly end: runs the shut-down sequence once and quits.
    void endProgram();
    bool hasShutDown() const { return shutDown_; }

    void setStatusText(int part, const QString& text);
    // core::ConnectingWindow
    void setStatusText(const QString& text) override { setStatusText(0, text); }
    void removeTrayIcon() override;

    // Controls, for tests that act on them.
    CategoryToolbar* categoryToolbar() const { return toolbar_; }
    RollerBlindMenu* rollerBlindMenu() const { return menu_; }
    ItemGrid* itemGrid() const { return grid_; }
    StatusBar* statusBar() const { return status_; }
    QLabel* avatar() const { return avatar_; }
    QLabel* weekdayLabel() const { return weekday_; }
    extras::LedPanel* clockPanel() const { return clock_; }
    extras::Clock* clock() const { return clockDriver_; }
    QToolButton* topmostButton() const { return buttons_[0]; }
    QToolButton* screenOffButton() const { return buttons_[1]; }
    QToolButton* categoryButton() const { return buttons_[2]; }
    QToolButton* itemsButton() const { return buttons_[3]; }
    QToolButton* optionsButton() const { return buttons_[4]; }
    items::ItemActions* itemActions() const { return actions_; }
    QMenu* columnMenu() const { return columnMenu_; }
    QMenu* itemMenu() const { return itemMenu_; }
    QMenu* trayMenu() const { return trayMenu_; }
    QSystemTrayIcon* trayIcon() const { return tray_; }
    bool trayIconAdded() const { return trayAdded_; }
    core::Session& session() const;
    core::Catalogue& catalogue() const;
    WindowHost& windows() { return windows_; }

    // Item grid right button: the column menu first when there are no columns.
    void itemGridContextMenu(const QPoint& globalPos);
    void trayActivated(QSystemTrayIcon::ActivationReason reason);
    void toggleTopmost();
    void screenOff();

  signals:
    void programEnded();

  protected:
    // Pops a menu up and waits for it to close; tests replace it.
    virtual void execMenu(QMenu* menu, const QPoint& globalPos);

    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // LifecycleSteps
    void applySkin() override;
    void addTrayIcon() override;
    void placeWindow() override;
    bool connectDatabase() override;
    void fillCategoryToolbar() override;
    void setTooltips() override;
    void applyAppearance() override;
    void registerDropTarget() override;
    void snapshotImageList() override;
    void selectLastCategory() override;
    void loadWeatherWindow() override;
    void ensureDesktopShortcut() override;
    void checkForUpdate() override;
    void removeAllCategoryButtons() override;
    void closeDatabase() override;
    void storePosition() override;

  private:
    void buildControls();
    void buildMenus();
    void placeItemList();
    void playSwitchSound();
    QImage designItemImage() const;

    Runtime& runtime_;
    WeatherHooks weather_;

    QLabel* avatar_ = nullptr;
    QLabel* weekday_ = nullptr;
    extras::LedPanel* clock_ = nullptr;
    extras::Clock* clockDriver_ = nullptr;
    QTimer greetingTimer_;
    QToolButton* buttons_[5] = {};
    CategoryToolbar* toolbar_ = nullptr;
    RollerBlindMenu* menu_ = nullptr;
    ItemGrid* grid_ = nullptr;
    QuickOpen* quickOpen_ = nullptr;
    StatusBar* status_ = nullptr;
    items::ItemActions* actions_ = nullptr;
    appearance::AvatarLoader* avatarLoader_ = nullptr;
    QMenu* columnMenu_ = nullptr;
    QMenu* itemMenu_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    bool trayAdded_ = false;
    bool shutDown_ = false;
    bool painted_ = false;
    bool topmost_ = false;
    bool weatherAfterPaint_ = false;
    int menuColumn_ = 0;  // the header right-clicked last
    // The switch sound of a switch made before the first paint: the audio
    // library loads only once the window is on screen.
    std::optional<platform::Sound> soundAfterPaint_;
    // Last member: its windows go before the controls they refer to.
    WindowHost windows_;
};

}  // namespace hx::app
