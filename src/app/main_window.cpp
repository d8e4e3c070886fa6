#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPixmap>
#include <QShortcut>
#include <QTime>

#include "app/category_toolbar.h"
#include "app/item_grid.h"
#include "app/item_loader.h"
#include "app/picture_icon.h"
#include "app/program_icon.h"
#include "app/quick_open.h"
#include "app/roller_blind_menu.h"
#include "app/runtime.h"
#include "app/status_bar.h"
#include "appearance/appearance_apply.h"
#include "appearance/settings_window.h"
#include "appearance/skin_engine.h"
#include "catalogue/category_window.h"
#include "catalogue/column_menu.h"
#include "catalogue/column_window.h"
#include "core/fixed_window.h"
#include "core/session.h"
#include "extras/clock.h"
#include "extras/greeting.h"
#include "extras/led_panel.h"
#include "extras/update_check.h"
#include "items/icon_picker.h"
#include "items/icon_text.h"
#include "items/item_actions.h"
#include "items/item_editor.h"
#include "items/launcher.h"
#include "items/system_picker.h"
#include "items/web_link_window.h"
#include "platform/desktop.h"
#include "platform/sound_player.h"

namespace hx::app {
namespace {

const QString kTitle = QStringLiteral("衡岫电脑工具箱");
const QString kWelcome = QStringLiteral("衡岫软件欢迎使用！");

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

MainWindow::MainWindow(core::Session& session, Runtime& runtime, MainWindowHooks hooks,
                       QWidget* parent)
    : QWidget(parent), session_(session), runtime_(runtime), hooks_(std::move(hooks)) {
    setWindowTitle(kTitle);
    setWindowIcon(programIcon());
    core::makeFixedSizeWindow(*this, kClientWidth, kClientHeight);
    setMouseTracking(true);
    buildControls();
    actions_ = new items::ItemActions(session_, *this, this);
    connect(grid_, &ItemGrid::filesDropped, actions_, &items::ItemActions::filesDropped);
    buildMenus();
    installKeyboardNavigation();
    connectCatalogue();
    wireSettingsWindow();

    runtime_.setEndProgram([this] { endProgram(); });
    // Runs on the loader's worker: the runtime's icon lookup is thread-safe.
    loader_ = new ItemLoader(
        session_.database(),
        [&runtime = runtime_](const QString& text, int size) {
            return runtime.iconFor(text, size);
        },
        this);
    connect(loader_, &ItemLoader::entryReady, this,
            [this](quint64 generation, int, const core::CatalogueRow& row, const QImage& image,
                   const QImage& sharp) {
                if (!loader_->isCurrent(generation)) return;
                pending_.push_back({row, image, sharp});
                if (!drainTimer_.isActive()) drainTimer_.start();
            });
    drainTimer_.setSingleShot(true);
    drainTimer_.setInterval(0);
    connect(&drainTimer_, &QTimer::timeout, this, &MainWindow::drainPendingEntries);
    connect(loader_, &ItemLoader::loadFinished, this,
            [this](quint64 generation, bool ok, const QString& error) {
                if (loader_->isCurrent(generation)) loading_ = false;
                if (loader_->isCurrent(generation) && !ok) showDatabaseError(error);
            });

    // Frequent enough that the minute in the greeting is always current.
    greetingTimer_.setInterval(1000);
    connect(&greetingTimer_, &QTimer::timeout, this, &MainWindow::refreshGreeting);
    greetingTimer_.start();
}

MainWindow::~MainWindow() {
    loader_->cancel();
    loader_->waitForIdle();
}

void MainWindow::buildControls() {
    avatar_ = new QLabel(this);
    avatar_->setGeometry(8, 2, 50, 50);
    avatar_->setScaledContents(true);
    avatar_->setMouseTracking(true);
    avatar_->installEventFilter(this);

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
    clockDriver_->bindGlobals(&session_.state());

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
    // Their windows are not part of this build yet.
    for (int i = 2; i < 5; ++i) buttons_[i]->setEnabled(false);

    auto* separator = new QFrame(this);
    separator->setGeometry(8, 56, 200, 1);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    auto* frame = new QGroupBox(this);
    frame->setGeometry(2, 60, 46, 356);

    toolbar_ = new CategoryToolbar(this);
    toolbar_->setGeometry(9, 75, 26, 329);
    connect(toolbar_, &CategoryToolbar::buttonClicked, this, &MainWindow::selectCategory);

    menu_ = new RollerBlindMenu(this);
    menu_->setGeometry(51, kMenuTop, 157, 350);
    connect(menu_, &RollerBlindMenu::headerClicked, this, &MainWindow::switchColumn);
    connect(menu_, &RollerBlindMenu::currentHeaderChanged, this, &MainWindow::placeItemList);
    connect(menu_, &RollerBlindMenu::headerRightClicked, this,
            [this](int index, const QPoint& pos) {
                session_.state().menuColumn = index;
                execMenu(columnMenu_, pos);
            });

    grid_ = new ItemGrid(this);
    grid_->setGeometry(56, 82, 147, 327);
    grid_->setBaseImages({designItemImage()}, 32);
    grid_->raise();
    quickOpen_ = new QuickOpen(
        grid_, session_.database(), [this](const QString& link) { runtime_.launcher().open(link); },
        [this](const QString& icon, int size) { return runtime_.iconFor(icon, size); });
    connect(grid_, &ItemGrid::hotChanged, this, [this](int index) {
        setStatusText(0, index < 0 ? kWelcome : grid_->entryText(index));
    });
    connect(grid_, &ItemGrid::leftClicked, this, &MainWindow::openCurrentItem);
    connect(grid_, &ItemGrid::rightPressed, this, &MainWindow::itemGridContextMenu);

    status_ = new StatusBar(this);
    status_->setGeometry(0, 446, 222, 20);
}

QImage MainWindow::designItemImage() const {
    QImage image(QStringLiteral(":/ui/app_icon_32.png"));
    if (image.isNull()) {
        image = QImage(32, 32, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
    }
    return image;
}

// Keys only add ways in: each one ends in the slot a click on the same control runs.
void MainWindow::installKeyboardNavigation() {
    auto onKey = [this](const QKeySequence& keys, QWidget* scope, auto&& action) {
        auto* shortcut = new QShortcut(keys, scope);
        shortcut->setContext(scope == this ? Qt::WindowShortcut : Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    for (int i = 0; i < 9; ++i)
        onKey(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i)), this, [this, i] {
            if (i < categoryCount()) selectCategory(i);
        });
    auto stepCategory = [this](int step) {
        const int n = categoryCount();
        if (n > 0) selectCategory((session_.state().currentCategory + step + n) % n);
    };
    onKey(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this, [stepCategory] { stepCategory(-1); });
    onKey(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this, [stepCategory] { stepCategory(1); });
    auto stepColumn = [this](int step) {
        const int n = menu_->headerCount();
        if (n == 0) return;
        const int column = (currentColumn() + step + n) % n;
        menu_->setCurrentHeader(column);
        switchColumn(column);
    };
    onKey(QKeySequence(Qt::ALT | Qt::Key_Up), this, [stepColumn] { stepColumn(-1); });
    onKey(QKeySequence(Qt::ALT | Qt::Key_Down), this, [stepColumn] { stepColumn(1); });
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
        onKey(QKeySequence(key), grid_, [this] { openCurrentItem(); });
    onKey(QKeySequence(Qt::Key_Menu), grid_, [this] {
        const int selected = grid_->selectedIndex();
        if (selected < 0) return;
        const QRect place = grid_->visualItemRect(grid_->item(selected));
        itemGridContextMenu(grid_->viewport()->mapToGlobal(place.center()));
    });
}

void MainWindow::buildMenus() {
    columnMenu_ = new QMenu(QStringLiteral("菜单"), this);
    for (const char* text : {"新建栏目", "修改栏目", "删除栏目"})
        columnMenu_->addAction(QString::fromUtf8(text))->setEnabled(false);
    columnMenu_->addAction(QStringLiteral("加密栏目"));  // does nothing, as designed

    itemMenu_ = new QMenu(QStringLiteral("菜单2"), this);
    using items::ItemActions;
    connect(itemMenu_->addAction(QStringLiteral("删除")), &QAction::triggered, actions_,
            &ItemActions::deleteCurrent);
    connect(itemMenu_->addAction(QStringLiteral("查看路径")), &QAction::triggered, this,
            &MainWindow::viewLink);
    connect(itemMenu_->addAction(QStringLiteral("复制路径")), &QAction::triggered, actions_,
            &ItemActions::copyLink);
    connect(itemMenu_->addAction(QStringLiteral("修改资料")), &QAction::triggered, this,
            &MainWindow::openItemEditor);
    connect(itemMenu_->addAction(QStringLiteral("添加超链接")), &QAction::triggered, this,
            &MainWindow::openWebLinkWindow);
    connect(itemMenu_->addAction(QStringLiteral("添加系统功能")), &QAction::triggered, this,
            &MainWindow::openSystemPicker);
    itemMenu_->addSeparator();
    connect(itemMenu_->addAction(QStringLiteral("属性")), &QAction::triggered, actions_,
            &ItemActions::showProperties);
    connect(itemMenu_->addAction(QStringLiteral("浏览文件夹")), &QAction::triggered, actions_,
            &ItemActions::browseFolder);
    connect(itemMenu_->addAction(QStringLiteral("生成桌面快捷方式")), &QAction::triggered, actions_,
            &ItemActions::createDesktopShortcut);

    trayMenu_ = new QMenu(QStringLiteral("托盘菜单"), this);
    for (const char* text : {"搜索", "更换皮肤", "基本设置", "分类管理", "数据库管理"})
        trayMenu_->addAction(QString::fromUtf8(text))->setEnabled(false);
    trayMenu_->addSeparator();
    connect(trayMenu_->addAction(QStringLiteral("关闭")), &QAction::triggered, this,
            &MainWindow::endProgram);
    connect(trayMenu_->addAction(QStringLiteral("最小化")), &QAction::triggered, this,
            &QWidget::showMinimized);

    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip(kTitle);
    connect(tray_, &QSystemTrayIcon::activated, this, &MainWindow::trayActivated);
}

void MainWindow::showAtStoredPosition() {
    placeWindow();
    show();
}

// Category management, column management and the column menu entries.
void MainWindow::connectCatalogue() {
    const auto openCategories = [this] {
        windows_.open<catalogue::CategoryWindow>(QStringLiteral("category window"), [this] {
            return new catalogue::CategoryWindow(session_, *this);
        });
    };
    const auto entry = [](QMenu* menu, const QString& text) -> QAction* {
        for (QAction* action : menu->actions())
            if (action->text() == text) return action;
        return nullptr;
    };
    const auto wire = [](QAction* action, const std::function<void()>& run) {
        if (!action) return;
        action->setEnabled(true);
        connect(action, &QAction::triggered, action, run);
    };
    categoryButton()->setEnabled(true);
    connect(categoryButton(), &QToolButton::clicked, this, openCategories);
    wire(entry(trayMenu_, QStringLiteral("分类管理")), openCategories);
    itemsButton()->setEnabled(true);
    connect(itemsButton(), &QToolButton::clicked, this, [this] {
        windows_.open<catalogue::ColumnWindow>(QStringLiteral("column window"), [this] {
            return new catalogue::ColumnWindow(session_, *this);
        });
    });
    wire(entry(columnMenu_, QStringLiteral("新建栏目")),
         [this] { catalogue::ColumnMenu(session_, *this).addColumn(); });
    wire(entry(columnMenu_, QStringLiteral("修改栏目")),
         [this] { catalogue::ColumnMenu(session_, *this).renameColumn(); });
    wire(entry(columnMenu_, QStringLiteral("删除栏目")),
         [this] { catalogue::ColumnMenu(session_, *this).deleteColumn(); });
}

void MainWindow::wireSettingsWindow() {
    optionsButton()->setEnabled(true);
    connect(optionsButton(), &QToolButton::clicked, this, [this] { openSettings(-1); });
    const std::pair<const char*, int> entries[] = {
        {"搜索", appearance::SettingsWindow::SearchPage},
        {"更换皮肤", appearance::SettingsWindow::BasicPage},
        {"基本设置", appearance::SettingsWindow::BasicPage},
        {"数据库管理", appearance::SettingsWindow::DataPage}};
    for (QAction* action : trayMenu_->actions())
        for (const auto& [text, page] : entries)
            if (action->text() == QString::fromUtf8(text)) {
                action->setEnabled(true);
                connect(action, &QAction::triggered, this,
                        [this, page = page] { openSettings(page); });
            }
}

appearance::SettingsWindow* MainWindow::openSettings(int page) {
    appearance::SettingsLinks links;
    links.applySkin = [this](const QString& path) { runtime_.skins().apply(path); };
    links.openFound = [this](const QString& link) { runtime_.launcher().openFromSearch(link); };
    links.iconFor = [this](const QString& text, int size) { return runtime_.iconFor(text, size); };
    auto* window = windows_.open<appearance::SettingsWindow>(QStringLiteral("settings"), [&] {
        return new appearance::SettingsWindow(session_, *this, links);
    });
    if (window && page >= 0) window->showPage(page);
    return window;
}

bool MainWindow::start() { return runStartup(*this); }

void MainWindow::reinitialise() {
    // A re-initialisation asked for while connecting (a new database) runs
    // once, then the outer one goes on with its own steps.
    runtime_.clearIconCache();
    if (!runReinitialisation(*this)) {
        shutDown_ = true;  // nothing may be written
        QCoreApplication::exit(0);
    }
}

void MainWindow::endProgram() {
    if (!shutDown_) {
        shutDown_ = true;
        loader_->cancel();
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
    runtime_.skins().apply(
        session_.root().file(QStringLiteral("Shens/") + session_.config().skinName()));
}

void MainWindow::addTrayIcon() {
    if (QSystemTrayIcon::isSystemTrayAvailable()) tray_->show();
    trayAdded_ = true;
}

void MainWindow::removeTrayIcon() {
    tray_->hide();
    trayAdded_ = false;
}

// The stored point is the client area's top-left, on both sides: window
// managers disagree on frame sizes (and Qt learns them late), so a frame
// position would drift by the frame at every start and stop.
// The stored corner is the window's outer one, title bar included, as the
// design's screen coordinates are: a first start at 0,0 keeps the title bar
// on the screen, and window managers that place the frame (XWayland's) agree.
void MainWindow::placeWindow() { move(session_.config().left(), session_.config().top()); }

bool MainWindow::connectDatabase() {
    return core::connectAndInitialise(session_, *this) != core::ConnectResult::Declined;
}

void MainWindow::fillCategoryToolbar() {
    const auto rows = session_.database().categories();
    if (!rows) {
        showDatabaseError(rows.error);
        return;
    }
    QStringList names;
    for (const auto& row : rows.value) {
        QFile file(session_.root().file(QStringLiteral("Bmpns/") + row.picture));
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        toolbar_->addButton(toolbar_->appendPicture(bytes), row.name);
        names << row.name;
    }
    session_.catalogue().setCategories(names);
}

void MainWindow::setTooltips() {
    categoryButton()->setToolTip(QStringLiteral("分类管理 "));
    optionsButton()->setToolTip(QStringLiteral("管理选项 "));
    itemsButton()->setToolTip(QStringLiteral("项目管理 "));
    topmostButton()->setToolTip(QStringLiteral("显示最前 "));
    screenOffButton()->setToolTip(QStringLiteral("关闭屏幕 "));
}

void MainWindow::applyAppearance() {
    const appearance::StoredAppearance stored = appearance::readStoredAppearance(session_.config());
    menu_->setColours(stored.background, stored.highlight, stored.highlight, stored.border);
    avatar_->setPixmap(QPixmap::fromImage(stored.avatar));

    core::GlobalState& state = session_.state();
    state.liveIconSize = stored.iconSize;
    state.liveSoundMode = stored.soundMode;
    if (state.liveIconSize == 16)
        grid_->setBaseImages(toolbar_->images(), 16);
    else
        grid_->setBaseImages({designItemImage()}, 32);
}

void MainWindow::registerDropTarget() { grid_->acceptFileDrops(); }

void MainWindow::snapshotImageList() { grid_->resetImages(); }

void MainWindow::selectLastCategory() {
    if (toolbar_->buttonCount() >= 1) selectCategory(session_.config().lastCategory());
}

void MainWindow::loadWeatherWindow() {
    if (hooks_.loadWeather) hooks_.loadWeather();
}

void MainWindow::ensureDesktopShortcut() { runtime_.ensureOwnShortcut(); }

void MainWindow::checkForUpdate() {
    // Asynchronous from the start: the connectivity test never delays the window.
    QTimer::singleShot(0, this, [this] { runtime_.updateCheck().run(); });
}

void MainWindow::removeAllCategoryButtons() {
    toolbar_->removeAllButtons();
    session_.catalogue().setCategories({});
}

void MainWindow::closeDatabase() { session_.database().close(); }

void MainWindow::storePosition() { session_.config().setPosition(x(), y()); }

// ---- Navigation -----------------------------------------------------------

int MainWindow::categoryCount() const { return session_.catalogue().categoryCount(); }
QString MainWindow::categoryName(int index) const {
    return session_.catalogue().categoryName(index);
}
int MainWindow::columnCount() const { return session_.catalogue().columnCount(); }
QString MainWindow::columnName(int index) const { return session_.catalogue().columnName(index); }
int MainWindow::currentColumn() const { return session_.catalogue().openColumn(); }

void MainWindow::removeAllColumns() {
    menu_->clear();
    session_.catalogue().setColumns({});
}
int MainWindow::itemCount() const { return grid_->count(); }
QString MainWindow::itemText(int index) const { return grid_->entryText(index); }
int MainWindow::selectedItem() const { return grid_->selectedIndex(); }

QVector<QImage> MainWindow::categoryImages() const { return toolbar_->images(); }

void MainWindow::addCategoryButton(const QString& name, const QImage& picture) {
    session_.catalogue().appendCategory(name);
    toolbar_->addButton(toolbar_->appendImage(picture), name);
}

void MainWindow::removeCategoryButton(int index) {
    session_.catalogue().removeCategory(index);
    toolbar_->removeButton(index);
    // The pressed button keeps its state as it moves up; a removed one is no
    // longer there to be released.
    int& pressed = session_.state().pressedCategory;
    if (index >= 0 && index < pressed)
        --pressed;
    else if (index == pressed)
        pressed = -1;
}

void MainWindow::setCategoryButtonText(int index, const QString& name) {
    session_.catalogue().renameCategory(index, name);
    toolbar_->setButtonName(index, name);
}

void MainWindow::addColumnHeader(const QString& caption) {
    session_.catalogue().appendColumn(caption);
    menu_->addHeader(caption);
}

void MainWindow::setColumnHeaderText(int index, const QString& caption) {
    session_.catalogue().renameColumn(index, caption);
    menu_->setHeaderText(index, caption);
}

void MainWindow::removeColumnHeader(int index) {
    session_.catalogue().removeColumn(index);
    menu_->removeHeader(index);  // reports the new open column
}

void MainWindow::setCurrentColumn(int index) { menu_->setCurrentHeader(index); }

void MainWindow::appendItem(const QString& name, const QImage& picture) {
    session_.catalogue().appendOpenRow({name, {}, {}});
    grid_->appendEntry(name, grid_->appendImage(picture));
}

void MainWindow::removeItem(int index) {
    session_.catalogue().removeOpenRow(index);
    grid_->removeEntry(index);
}

void MainWindow::clearItems() {
    session_.catalogue().clearOpenRows();
    loader_->cancel();
    loading_ = false;
    pending_.clear();
    pendingNext_ = 0;
    drainTimer_.stop();
    grid_->clearEntries();
}

void MainWindow::drainPendingEntries() {
    constexpr qint64 kBudgetNs = 6'000'000;
    QElapsedTimer budget;
    budget.start();
    while (pendingNext_ < pending_.size()) {
        const PendingEntry& entry = pending_.at(pendingNext_++);
        session_.catalogue().appendOpenRow(entry.row);
        grid_->appendEntry(entry.row.name, grid_->appendImage(entry.image, entry.sharp));
        if (budget.nsecsElapsed() > kBudgetNs) break;
    }
    if (pendingNext_ < pending_.size()) {
        drainTimer_.start();
    } else {
        pending_.clear();
        pendingNext_ = 0;
    }
}

void MainWindow::setStatusText(int part, const QString& text) { status_->setText(part, text); }

void MainWindow::selectCategory(int index) {
    core::GlobalState& state = session_.state();
    grid_->hide();
    state.currentCategory = index;
    state.categoryKey = index;
    fillColumnMenu();
    restoreColumn();
    grid_->show();
    if (index != state.pressedCategory) toolbar_->setPressed(state.pressedCategory, false);
    toolbar_->setPressed(index, true);
    state.pressedCategory = index;
}

void MainWindow::fillColumnMenu() {
    removeAllColumns();
    clearItems();
    const auto columns = session_.database().columnsOf(session_.currentCategoryName());
    if (!columns) {
        showDatabaseError(columns.error);
        return;
    }
    // The last header ends up open, as each one is made current in turn.
    for (const QString& column : columns.value) {
        addColumnHeader(column);
        menu_->setCurrentHeader(menu_->headerCount() - 1);
    }
}

void MainWindow::restoreColumn() {
    const int column = session_.config().lastColumn(session_.state().categoryKey);
    switchColumn(column);
    menu_->setCurrentHeader(column);
}

// No event processing here: a click waiting in the queue would run inside this
// switch, which would then finish last and win over it.
void MainWindow::switchColumn(int index) {
    core::GlobalState& state = session_.state();
    clearItems();
    grid_->resetImages();
    loading_ = true;
    loader_->load(session_.currentCategoryName(), columnName(index),
                  state.liveIconSize == 16 ? 16 : 32, devicePixelRatioF());
    if (auto* sound = session_.services().sound;
        sound && (state.liveSoundMode == 1 || state.liveSoundMode == 2)) {
        const auto which =
            state.liveSoundMode == 2 ? platform::Sound::SwitchSecond : platform::Sound::SwitchFirst;
        // Started from the event loop, and on start-up only once the window
        // has been painted: loading the audio library must not hold it up.
        if (painted_ || !isVisible())
            QTimer::singleShot(0, this, [sound, which] { sound->play(which); });
        else
            soundAfterPaint_ = which;
    }
    session_.config().setLastColumn(state.categoryKey, index);
    session_.config().setLastCategory(state.currentCategory);
}

void MainWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (std::exchange(painted_, true) || !soundAfterPaint_) return;
    QTimer::singleShot(0, this, [this] {
        if (auto* sound = session_.services().sound; sound && soundAfterPaint_)
            sound->play(*std::exchange(soundAfterPaint_, std::nullopt));
    });
}

void MainWindow::placeItemList() {
    const int a = menu_->currentHeader();
    session_.catalogue().setOpenColumn(a);
    const int h = menu_->headerHeight();
    const int n = menu_->headerCount();
    const int H = menu_->height();
    grid_->setGeometry(grid_->x(), (a + 1) * h + kMenuTop, grid_->width(), H - n * h - 3);
}

void MainWindow::showDatabaseError(const QString& error) { session_.dialogs().failure(error); }

// ---- Items ----------------------------------------------------------------

std::optional<storage::ItemRow> MainWindow::currentItemRecord(bool* refused) {
    if (refused) *refused = false;
    const int selected = grid_->selectedIndex();
    if (selected < 0) return std::nullopt;
    const auto row = session_.database().itemAt(session_.currentCategoryName(),
                                                session_.openColumnName(), selected);
    if (!row) {
        if (refused) *refused = true;
        showDatabaseError(row.error);
        return std::nullopt;
    }
    // Grid and table out of step: no record.
    return row.value;
}

void MainWindow::openCurrentItem() {
    if (menu_->headerCount() == 0) return;
    const auto record = currentItemRecord();
    if (record) runtime_.launcher().open(record->link);
}

void MainWindow::viewLink() {
    const int selected = grid_->selectedIndex();
    if (selected < 0) return;
    bool refused = false;
    const auto record = currentItemRecord(&refused);
    if (refused) return;  // the engine's message was shown instead
    session_.dialogs().show(record ? record->link : QString(), grid_->entryText(selected),
                            core::MessageIcon::Information);
}

void MainWindow::openItemEditor() {
    if (grid_->selectedIndex() < 0) return;
    windows_.open<items::ItemEditor>(QStringLiteral("item editor"), [this] {
        auto* editor = new items::ItemEditor(session_, *this);
        connect(editor, &items::ItemEditor::systemPickerRequested, this,
                &MainWindow::openSystemPicker);
        connect(editor, &items::ItemEditor::iconPickerRequested, this, &MainWindow::openIconPicker);
        return editor;
    });
}

void MainWindow::openWebLinkWindow() {
    windows_.open<items::WebLinkWindow>(
        QStringLiteral("web link"), [this] { return new items::WebLinkWindow(session_, *this); });
}

void MainWindow::openSystemPicker() {
    windows_.open<items::SystemPicker>(QStringLiteral("system picker"),
                                       [this] { return new items::SystemPicker(session_, *this); });
}

void MainWindow::openIconPicker() {
    // The picker reports to the editor; without one it has nobody to tell.
    auto* editor = windows_.find<items::ItemEditor>(QStringLiteral("item editor"));
    if (!editor) return;
    windows_.open<items::IconPicker>(QStringLiteral("icon picker"), [this, editor] {
        auto* picker = new items::IconPicker(session_, *this, editor->controls().title->text(),
                                             editor->programIconSource());
        connect(picker, &items::IconPicker::picked, editor, &items::ItemEditor::applyPickedIcon);
        return picker;
    });
}

void MainWindow::itemGridContextMenu(const QPoint& globalPos) {
    if (menu_->headerCount() == 0) execMenu(columnMenu_, globalPos);
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
    core::GlobalState& state = session_.state();
    const bool on = state.topmostOn != 1;
    const QPoint position = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    move(position);
    show();
    state.topmostOn = on ? 1 : 0;
    topmostButton()->setIcon(pictureIcon(on ? QStringLiteral(":/ui/btn_topmost_on.bmp")
                                            : QStringLiteral(":/ui/btn_topmost_off.bmp")));
}

void MainWindow::screenOff() {
    // The wait keeps the window responsive; the display goes dark afterwards.
    QTimer::singleShot(3000, Qt::PreciseTimer, this, [this] {
        if (auto* desktop = session_.services().desktop) desktop->monitorOff();
    });
}

void MainWindow::refreshGreeting() { setStatusText(1, extras::composeGreeting()); }

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (hooks_.hideWeather) hooks_.hideWeather();
    QWidget::mouseMoveEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == avatar_ && event->type() == QEvent::MouseMove && hooks_.showWeather) {
        hooks_.showWeather(QPoint(x() - 283, y() + 25));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace hx::app
