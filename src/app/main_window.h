#pragma once

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <optional>

#include "app/lifecycle.h"
#include "app/window_host.h"
#include "core/catalogue_state.h"
#include "core/database_connection.h"
#include "core/main_window_access.h"
#include "platform/sound_player.h"
#include "storage/item_database.h"

namespace hx::core {
class Session;
}
namespace hx::appearance {
class SettingsWindow;
}
namespace hx::items {
class ItemActions;
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
class ItemLoader;
class StatusBar;

class Runtime;

// The weather panel, built elsewhere. An empty function means there is no
// panel; its step is skipped.
struct MainWindowHooks {
    std::function<void()> loadWeather;
    std::function<void(const QPoint& topLeft)> showWeather;
    std::function<void()> hideWeather;
};

// The program's one permanent window: a fixed 220 x 474 panel.
class MainWindow : public QWidget,
                   public core::MainWindowAccess,
                   public core::ConnectingWindow,
                   public LifecycleSteps {
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 220;
    static constexpr int kClientHeight = 474;
    static constexpr int kMenuTop = 65;

    MainWindow(core::Session& session, Runtime& runtime, MainWindowHooks hooks = {},
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows the window at its stored place: asked for before the window
    // exists, so that even (0, 0) is a request the window manager honours.
    void showAtStoredPosition();
    // Runs the start-up sequence; false when the process must end at once.
    bool start();
    // The orderly end: runs the shut-down sequence once and quits.
    void endProgram();
    bool hasShutDown() const { return shutDown_; }
    // Entries received from the loader and not yet in the grid.
    bool hasPendingEntries() const { return pendingNext_ < pending_.size(); }

    // core::MainWindowAccess
    int categoryCount() const override;
    QString categoryName(int index) const override;
    void removeAllCategoryButtons() override;
    QVector<QImage> categoryImages() const override;
    void addCategoryButton(const QString& name, const QImage& picture) override;
    void removeCategoryButton(int index) override;
    void setCategoryButtonText(int index, const QString& name) override;
    int columnCount() const override;
    QString columnName(int index) const override;
    int currentColumn() const override;
    void removeAllColumns() override;
    void addColumnHeader(const QString& caption) override;
    void setColumnHeaderText(int index, const QString& caption) override;
    void removeColumnHeader(int index) override;
    void setCurrentColumn(int index) override;
    int itemCount() const override;
    QString itemText(int index) const override;
    int selectedItem() const override;
    void clearItems() override;
    void appendItem(const QString& name, const QImage& picture) override;
    void removeItem(int index) override;
    bool itemsLoading() const override { return loading_ || hasPendingEntries(); }
    void setStatusText(int part, const QString& text) override;
    void selectCategory(int index) override;
    void switchColumn(int index) override;
    void reinitialise() override;
    int windowLeft() const override { return x(); }
    int windowTop() const override { return y(); }

    // core::ConnectingWindow
    void setStatusText(const QString& text) override { setStatusText(0, text); }
    void requestReinitialisation() override { reinitialise(); }
    void removeTrayIcon() override;

    // Navigation.
    void fillColumnMenu();
    void restoreColumn();
    void placeItemList();
    void openCurrentItem();
    void viewLink();
    // Item windows, each open at most once.
    void openItemEditor();
    void openWebLinkWindow();
    void openSystemPicker();
    void openIconPicker();
    void toggleTopmost();
    void screenOff();
    void refreshGreeting();

    // Controls, for the windows and tests that act on them.
    CategoryToolbar* categoryToolbar() const { return toolbar_; }
    RollerBlindMenu* rollerBlindMenu() const { return menu_; }
    ItemGrid* itemGrid() const { return grid_; }
    ItemLoader* itemLoader() const { return loader_; }
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
    core::Session& session() const { return session_; }
    // Opens the settings window (or raises the open one) on `page`; a negative
    // page keeps the page it shows.
    appearance::SettingsWindow* openSettings(int page);
    // The secondary windows, each open at most once.
    WindowHost& windows() { return windows_; }

    // Item grid right button: the column menu first when there are no columns.
    void itemGridContextMenu(const QPoint& globalPos);
    void trayActivated(QSystemTrayIcon::ActivationReason reason);

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
    void closeDatabase() override;
    void storePosition() override;

  private:
    void buildControls();
    void buildMenus();
    void installKeyboardNavigation();
    void connectCatalogue();
    void wireSettingsWindow();
    void showDatabaseError(const QString& error);
    // The stored row of the selected entry: the items-of-a-column query moved
    // to the grid's selected position.
    std::optional<storage::ItemRow> currentItemRecord(bool* refused = nullptr);
    void drainPendingEntries();
    QImage designItemImage() const;

    core::Session& session_;
    Runtime& runtime_;
    MainWindowHooks hooks_;

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
    ItemLoader* loader_ = nullptr;
    StatusBar* status_ = nullptr;
    items::ItemActions* actions_ = nullptr;
    QMenu* columnMenu_ = nullptr;
    QMenu* itemMenu_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    bool trayAdded_ = false;
    bool shutDown_ = false;
    bool loading_ = false;  // the current column load has not finished
    bool painted_ = false;
    // The switch sound of a switch made before the first paint: the audio
    // library loads only once the window is on screen.
    std::optional<platform::Sound> soundAfterPaint_;
    // Entries handed over by the loader, shown a few milliseconds' worth per
    // turn of the event loop so that a long column never stalls the window.
    struct PendingEntry {
        core::CatalogueRow row;
        QImage image;
        QImage sharp;
    };
    QVector<PendingEntry> pending_;
    qsizetype pendingNext_ = 0;
    QTimer drainTimer_;
    // Last member: its windows go before the controls they refer to.
    WindowHost windows_;
};

}  // namespace hx::app
