#include "app/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>

#include "app/category_toolbar.h"
#include "app/item_grid.h"
#include "app/keyboard_navigation.h"
#include "app/panel_style.h"
#include "app/picture_icon.h"
#include "app/program_icon.h"
#include "app/quick_open.h"
#include "app/roller_blind_menu.h"
#include "app/runtime.h"
#include "app/screen_place.h"
#include "app/status_bar.h"
#include "appearance/appearance_apply.h"
#include "appearance/avatar_loader.h"
#include "appearance/settings_window.h"
#include "appearance/skin_engine.h"
#include "catalogue/column_menu.h"
#include "core/catalogue.h"
#include "core/fixed_window.h"
#include "core/session.h"
#include "core/sync_engine.h"
#include "extras/clock.h"
#include "extras/greeting.h"
#include "extras/led_panel.h"
#include "extras/update_check.h"
#include "extras/weather_window.h"
#include "items/item_actions.h"
#include "items/launcher.h"
#include "platform/desktop.h"
#include "platform/image_read.h"
#include "platform/installed_apps.h"
#include "platform/sound_player.h"
#include "text/display_name.h"

namespace hx::app {
namespace {

const char* const kTitle = QT_TRANSLATE_NOOP("hx::app::MainWindow", "衡岫电脑工具箱");
const char* const kWelcome = QT_TRANSLATE_NOOP("hx::app::MainWindow", "衡岫软件欢迎使用！");

QToolButton* pictureButton(QWidget* parent, const QRect& rect, const QString& picture) {
    auto* button = new QToolButton(parent);
    button->setGeometry(rect);
    button->setAutoRaise(true);
    button->setIcon(pictureIcon(picture));
    button->setIconSize(QSize(rect.width() - 2, rect.height() - 2));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

MainWindow::MainWindow(Runtime& runtime, WeatherHooks weather, QWidget* parent)
    : QWidget(parent),
      runtime_(runtime),
      weather_(std::move(weather)),
      windows_(runtime, [this] { return pos(); }) {
    setWindowTitle(tr(kTitle));
    setWindowIcon(programIcon());
    PanelStyle::install();
    core::makeFixedSizeWindow(*this, kClientWidth, kClientHeight);
    setMouseTracking(true);
    actions_ = new items::ItemActions(session(), catalogue(), runtime_.launcher(), this);
    buildControls();
    buildMenus();
    installKeyboardNavigation(*this, *grid_, catalogue(), *actions_,
                              [this](const QPoint& at) { itemGridContextMenu(at); });
    runtime_.setEndProgram([this] { endProgram(); });

    core::Catalogue& c = catalogue();
    toolbar_->follow(c);
    menu_->follow(c);
    grid_->follow(c);
    connect(&c, &core::Catalogue::columnOpened, this, &MainWindow::playSwitchSound);
    connect(&c, &core::Catalogue::reinitialisationRequested, this, &MainWindow::reinitialise);
    connect(&runtime_.sync(), &core::SyncEngine::notice, this,
            [this](const QString& text, const QString& details) {
                setStatusText(0, text);
                status_->setToolTip(0, details);
            });
    connect(&windows_, &WindowHost::settingsSaved, this, [this] {
        applySkin();
        applyAppearance();
        catalogue().reloadOpenColumn();
    });

    // Frequent enough that the minute in the greeting is always current.
    greetingTimer_.setInterval(1000);
    connect(&greetingTimer_, &QTimer::timeout, this,
            [this] { setStatusText(1, extras::composeGreeting()); });
    greetingTimer_.start();
}

MainWindow::~MainWindow() = default;

core::Session& MainWindow::session() const { return runtime_.session(); }
core::Catalogue& MainWindow::catalogue() const { return runtime_.catalogue(); }

void MainWindow::buildControls() {
    avatar_ = new QLabel(this);
    avatar_->setGeometry(8, 2, 50, 50);
    avatar_->setScaledContents(true);
    avatar_->setMouseTracking(true);
    avatar_->installEventFilter(this);
    avatarLoader_ = new appearance::AvatarLoader(this);
    connect(avatarLoader_, &appearance::AvatarLoader::ready, avatar_,
            [this](const QImage& image) { avatar_->setPixmap(QPixmap::fromImage(image)); });

    weekday_ = new QLabel(this);
    weekday_->setGeometry(61, 2, 67, 27);
    weekday_->setAttribute(Qt::WA_TranslucentBackground);
    QFont weekdayFont(QStringLiteral("方正姚体"));
    weekdayFont.setPixelSize(21);
    weekdayFont.setBold(true);
    weekday_->setFont(weekdayFont);

    clock_ = new extras::LedPanel(this);
    clock_->setGeometry(129, 3, 78, 26);
    clockDriver_ = new extras::Clock(weekday_, clock_, this);
    clockDriver_->bindGlobals(&session().state());

    buttons_[0] =
        pictureButton(this, QRect(66, 32, 18, 18), QStringLiteral(":/ui/btn_topmost_off.bmp"));
    buttons_[1] =
        pictureButton(this, QRect(96, 32, 18, 18), QStringLiteral(":/ui/btn_screenoff.png"));
    buttons_[2] =
        pictureButton(this, QRect(126, 32, 18, 18), QStringLiteral(":/ui/btn_category.png"));
    buttons_[3] = pictureButton(this, QRect(156, 32, 18, 18), QStringLiteral(":/ui/btn_items.png"));
    buttons_[4] =
        pictureButton(this, QRect(188, 32, 18, 18), QStringLiteral(":/ui/btn_options.png"));
    connect(buttons_[0], &QToolButton::clicked, this, &MainWindow::toggleTopmost);
    connect(buttons_[1], &QToolButton::clicked, this, &MainWindow::screenOff);
    connect(buttons_[2], &QToolButton::clicked, &windows_, &WindowHost::openCategoryWindow);
    connect(buttons_[3], &QToolButton::clicked, &windows_, &WindowHost::openColumnWindow);
    connect(buttons_[4], &QToolButton::clicked, this, [this] { windows_.openSettings(-1); });

    auto* separator = new QFrame(this);
    separator->setGeometry(8, 56, 200, 1);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    auto* frame = new QGroupBox(this);
    frame->setGeometry(2, 60, 46, 356);

    toolbar_ = new CategoryToolbar(this);
    toolbar_->setGeometry(9, 75, 26, 329);
    connect(toolbar_, &CategoryToolbar::buttonClicked, this,
            [this](int index) { catalogue().selectCategory(index); });

    menu_ = new RollerBlindMenu(this);
    menu_->setGeometry(51, kMenuTop, 157, 350);
    connect(menu_, &RollerBlindMenu::headerClicked, this,
            [this](int index) { catalogue().openColumnAt(index); });
    connect(menu_, &RollerBlindMenu::currentHeaderChanged, this, &MainWindow::placeItemList);
    connect(menu_, &RollerBlindMenu::headerRightClicked, this,
            [this](int index, const QPoint& pos) {
                menuColumn_ = index;
                execMenu(columnMenu_, pos);
            });

    grid_ = new ItemGrid(this);
    grid_->setGeometry(56, 82, 147, 327);
    grid_->setBaseImages({designItemImage()}, 32);
    grid_->raise();
    quickOpen_ = new QuickOpen(
        grid_, session().database(), session().usage(),
        [this](const QString& link) { runtime_.launcher().open(link); },
        [this](const QString& icon, int size) { return runtime_.iconFor(icon, size); },
        [this] {
            return session().config().readConfig(QStringLiteral("快速打开"),
                                                 QStringLiteral("搜索地址"));
        });
    connect(grid_, &ItemGrid::hotChanged, this, [this](int index) {
        setStatusText(
            0, index < 0 ? tr(kWelcome) : text::displayName(catalogue().rows().value(index).name));
    });
    connect(grid_, &ItemGrid::leftClicked, actions_, &items::ItemActions::openCurrent);
    connect(grid_, &ItemGrid::rightPressed, this, &MainWindow::itemGridContextMenu);
    connect(grid_, &ItemGrid::filesDropped, actions_, &items::ItemActions::filesDropped);
    connect(grid_, &ItemGrid::emptyClicked, this, [this] { windows_.openInstalledPrograms(); });
    // Quick open also finds the installed programs: read at its first opening
    // (not at start, so that an idle panel maps no GIO), shown once read.
    connect(quickOpen_, &QuickOpen::opening, &runtime_.installedApps(),
            &platform::InstalledApps::start);
    connect(&runtime_.installedApps(), &platform::InstalledApps::changed, this, [this] {
        QVector<QuickOpen::InstalledEntry> programs;
        for (const platform::InstalledApp& app : runtime_.installedApps().apps())
            programs.append({app.name, app.path});
        quickOpen_->setInstalledPrograms(std::move(programs));
    });

    status_ = new StatusBar(this);
    status_->setGeometry(0, 446, 222, 20);
}

QImage MainWindow::designItemImage() const {
    QImage image = platform::readImage(QStringLiteral(":/ui/app_icon_32.png"), "png");
    if (image.isNull()) {
        image = QImage(32, 32, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
    }
    return image;
}

void MainWindow::buildMenus() {
    using items::ItemActions;
    const auto entry = [this](QMenu* menu, const QString& text, auto&& slot) {
        connect(menu->addAction(text), &QAction::triggered, this, slot);
    };
    columnMenu_ = new QMenu(QStringLiteral("菜单"), this);
    entry(columnMenu_, tr("新建栏目"),
          [this] { catalogue::ColumnMenu(session(), catalogue()).addColumn(); });
    entry(columnMenu_, tr("修改栏目"),
          [this] { catalogue::ColumnMenu(session(), catalogue()).renameColumn(menuColumn_); });
    entry(columnMenu_, tr("删除栏目"),
          [this] { catalogue::ColumnMenu(session(), catalogue()).deleteColumn(menuColumn_); });
    columnMenu_->addAction(tr("加密栏目"));  // does nothing, as designed

    itemMenu_ = new QMenu(QStringLiteral("菜单2"), this);
    entry(itemMenu_, tr("删除"), [this] { actions_->deleteCurrent(); });
    entry(itemMenu_, tr("查看路径"), [this] { actions_->viewLink(); });
    entry(itemMenu_, tr("复制路径"), [this] { actions_->copyLink(); });
    entry(itemMenu_, tr("修改资料"), [this] { windows_.openItemEditor(); });
    entry(itemMenu_, tr("添加超链接"), [this] { windows_.openWebLinkWindow(); });
    entry(itemMenu_, tr("添加系统功能"), [this] { windows_.openSystemPicker(); });
    entry(itemMenu_, tr("添加已安装程序"), [this] { windows_.openInstalledPrograms(); });
    itemMenu_->addSeparator();
    entry(itemMenu_, tr("属性"), [this] { actions_->showProperties(); });
    entry(itemMenu_, tr("浏览文件夹"), [this] { actions_->browseFolder(); });
    entry(itemMenu_, tr("生成桌面快捷方式"), [this] { actions_->createDesktopShortcut(); });

    using appearance::SettingsWindow;
    trayMenu_ = new QMenu(QStringLiteral("托盘菜单"), this);
    entry(trayMenu_, tr("搜索"), [this] { windows_.openSettings(SettingsWindow::SearchPage); });
    entry(trayMenu_, tr("更换皮肤"), [this] { windows_.openSettings(SettingsWindow::BasicPage); });
    entry(trayMenu_, tr("基本设置"), [this] { windows_.openSettings(SettingsWindow::BasicPage); });
    entry(trayMenu_, tr("分类管理"), [this] { windows_.openCategoryWindow(); });
    entry(trayMenu_, tr("添加已安装程序"), [this] { windows_.openInstalledPrograms(); });
    entry(trayMenu_, tr("数据库管理"), [this] { windows_.openSettings(SettingsWindow::DataPage); });
    trayMenu_->addSeparator();
    entry(trayMenu_, tr("关闭"), [this] { endProgram(); });
    entry(trayMenu_, tr("最小化"), [this] { showMinimized(); });

    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip(tr(kTitle));
    connect(tray_, &QSystemTrayIcon::activated, this, &MainWindow::trayActivated);
}

void MainWindow::showAtStoredPosition() {
    placeWindow();
    show();
}

bool MainWindow::start() {
    if (!runStartup(*this)) return false;
    runtime_.sync().start();
    return true;
}

// Only after a restore or a clear, and when connecting created a new database.
void MainWindow::reinitialise() {
    // A re-initialisation asked for while connecting (a new database) runs
    // once, then the outer one goes on with its own steps.
    runtime_.clearIconCache();
    if (!runReinitialisation(*this)) {
        shutDown_ = true;  // nothing may be written
        QCoreApplication::exit(0);
        return;
    }
    runtime_.sync().start();
}

void MainWindow::endProgram() {
    if (!shutDown_) {
        shutDown_ = true;
        runShutdown(*this);
        emit programEnded();
    }
    QCoreApplication::exit(0);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    endProgram();
}

// ---- Start-up steps -------------------------------------------------------

void MainWindow::applySkin() {
    if (!runtime_.takeFreshSkin()) runtime_.applySkin();
}

void MainWindow::addTrayIcon() {
    if (QSystemTrayIcon::isSystemTrayAvailable()) tray_->show();
    trayAdded_ = true;
}

void MainWindow::removeTrayIcon() {
    tray_->hide();
    trayAdded_ = false;
}

// The stored corner is the window's outer one, title bar included, as the
// design's screen coordinates are: a first start at 0,0 keeps the title bar
// on the screen, and window managers that place the frame (XWayland's) agree.
// A place off every screen is brought under the pointer, once: it is stored.
void MainWindow::placeWindow() {
    storage::Config& config = session().config();
    QPoint at(config.left(), config.top());
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens << screen->geometry();
    if (const auto onScreen =
            bringOntoScreens(at, QSize(kClientWidth, kClientHeight), screens, QCursor::pos())) {
        at = *onScreen;
        config.setPosition(at.x(), at.y());
    }
    move(at);
}

bool MainWindow::connectDatabase() {
    return core::connectAndInitialise(session(), *this, catalogue()) !=
           core::ConnectResult::Declined;
}

void MainWindow::fillCategoryToolbar() { catalogue().reload(); }

void MainWindow::setTooltips() {
    categoryButton()->setToolTip(tr("分类管理 "));
    optionsButton()->setToolTip(tr("管理选项 "));
    itemsButton()->setToolTip(tr("项目管理 "));
    topmostButton()->setToolTip(tr("显示最前 "));
    screenOffButton()->setToolTip(tr("关闭屏幕 "));
}

void MainWindow::applyAppearance() {
    const appearance::StoredAppearance stored =
        appearance::readStoredAppearance(session().config());
    menu_->setColours(stored.background, stored.highlight, stored.highlight, stored.border);
    avatarLoader_->request(stored.avatar);

    core::AppearanceSetting& appearance = session().appearance();
    appearance.setIconSize(stored.iconSize);
    appearance.setSwitchSound(stored.soundMode);
    if (appearance.iconSize() == 16)
        grid_->setBaseImages(toolbar_->images(), 16);
    else
        grid_->setBaseImages({designItemImage()}, 32);
}

void MainWindow::registerDropTarget() { grid_->acceptFileDrops(); }

void MainWindow::snapshotImageList() { grid_->resetImages(); }

void MainWindow::selectLastCategory() {
    catalogue().setPixelRatio(devicePixelRatioF());
    if (catalogue().categoryCount() >= 1)
        catalogue().selectCategory(session().config().lastCategory());
}

// Nobody sees the hidden weather window before the panel: a shown panel
// builds it on the first turn of the loop after its first paint (a hover
// before that builds it at once).
void MainWindow::loadWeatherWindow() {
    if (!weather_.load) return;
    if (painted_ || !isVisible())
        weather_.load();
    else
        weatherAfterPaint_ = true;
}

void MainWindow::ensureDesktopShortcut() { runtime_.ensureOwnShortcut(); }

void MainWindow::checkForUpdate() {
    // Asynchronous from the start: the connectivity test never delays the window.
    QTimer::singleShot(0, this, [this] { runtime_.updateCheck().run(); });
}

void MainWindow::removeAllCategoryButtons() { catalogue().reset(); }

void MainWindow::closeDatabase() {
    runtime_.sync().finish();
    session().database().close();
}

void MainWindow::storePosition() { session().config().setPosition(x(), y()); }

// ---- Navigation -----------------------------------------------------------

void MainWindow::setStatusText(int part, const QString& text) { status_->setText(part, text); }

// Played for every switch; on start-up only once the window has been painted,
// so that loading the audio library never holds it up.
void MainWindow::playSwitchSound() {
    using SwitchSound = core::AppearanceSetting::SwitchSound;
    const SwitchSound mode = session().appearance().switchSound();
    if (mode != SwitchSound::First && mode != SwitchSound::Second) return;
    // Another machine's change is shown without a sound: the user switched nothing.
    if (catalogue().showingStoredChange()) return;
    platform::SoundPlayer* sound = session().services().sound;
    const auto which =
        mode == SwitchSound::Second ? platform::Sound::SwitchSecond : platform::Sound::SwitchFirst;
    if (painted_ || !isVisible())
        QTimer::singleShot(0, this, [sound, which] { sound->play(which); });
    else
        soundAfterPaint_ = which;
}

void MainWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (std::exchange(painted_, true)) return;
    QTimer::singleShot(0, this, [this] {
        if (soundAfterPaint_)
            session().services().sound->play(*std::exchange(soundAfterPaint_, std::nullopt));
        if (std::exchange(weatherAfterPaint_, false)) weather_.load();
    });
}

void MainWindow::placeItemList() {
    const QRect area = menu_->openArea();
    grid_->setGeometry(grid_->x(), kMenuTop + area.top(), grid_->width(), area.height() - 3);
}

void MainWindow::itemGridContextMenu(const QPoint& globalPos) {
    if (catalogue().columnCount() == 0) execMenu(columnMenu_, globalPos);
    execMenu(itemMenu_, globalPos);
}

void MainWindow::execMenu(QMenu* menu, const QPoint& globalPos) { menu->exec(globalPos); }

void MainWindow::trayActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        showNormal();
        raise();
        activateWindow();
    } else if (reason == QSystemTrayIcon::Context) {
        trayMenu_->popup(QCursor::pos());
    }
}

void MainWindow::toggleTopmost() {
    topmost_ = !topmost_;
    const QPoint position = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, topmost_);
    move(position);
    show();
    topmostButton()->setIcon(pictureIcon(topmost_ ? QStringLiteral(":/ui/btn_topmost_on.bmp")
                                                  : QStringLiteral(":/ui/btn_topmost_off.bmp")));
}

void MainWindow::screenOff() {
    // The wait keeps the window responsive; the display goes dark afterwards.
    QTimer::singleShot(3000, Qt::PreciseTimer, this,
                       [this] { session().services().desktop->monitorOff(); });
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (weather_.hide) weather_.hide();
    QWidget::mouseMoveEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == avatar_ && event->type() == QEvent::MouseMove && weather_.show) {
        // Left of the panel as designed; on its right when the screen ends there.
        const QScreen* screen = this->screen();
        const QRect area =
            screen ? screen->availableGeometry() : QRect(-100000, -100000, 200000, 200000);
        weather_.show(
            besidePanel(QPoint(x() - 283, y() + 25),
                        QSize(extras::WeatherWindow::kWidth, extras::WeatherWindow::kHeight),
                        frameGeometry(), area));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace hx::app
