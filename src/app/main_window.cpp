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
#include <QTime>

#include "app/category_toolbar.h"
#include "app/item_grid.h"
#include "app/item_loader.h"
#include "app/roller_blind_menu.h"
#include "app/status_bar.h"
#include "core/session.h"
#include "extras/clock.h"
#include "extras/greeting.h"
#include "extras/led_panel.h"
#include "items/icon_text.h"
#include "items/item_actions.h"
#include "platform/desktop.h"
#include "platform/sound_player.h"

namespace hx::app {
namespace {

const QString kTitle = QStringLiteral("衡岫电脑工具箱");
const QString kWelcome = QStringLiteral("衡岫软件欢迎使用！");

// Stored colours keep red in the low byte.
QColor fromColourValue(std::uint32_t value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/ui/app_icon_%1.png").arg(size), QSize(size, size));
    return icon;
}

QToolButton* pictureButton(QWidget* parent, const QRect& rect, const QString& picture) {
    auto* button = new QToolButton(parent);
    button->setGeometry(rect);
    button->setAutoRaise(true);
    button->setIcon(QIcon(picture));
    button->setIconSize(QSize(rect.width() - 2, rect.height() - 2));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

MainWindow::MainWindow(core::Session& session, MainWindowHooks hooks, QWidget* parent)
    : QWidget(parent), session_(session), hooks_(std::move(hooks)) {
    setWindowTitle(kTitle);
    setWindowIcon(programIcon());
    setFixedSize(kClientWidth, kClientHeight);
    setMouseTracking(true);
    buildControls();
    actions_ = new items::ItemActions(session_, *this, this);
    connect(grid_, &ItemGrid::filesDropped, actions_, &items::ItemActions::filesDropped);
    buildMenus();

    loader_ = new ItemLoader(session_.database(), hooks_.iconFor, this);
    connect(loader_, &ItemLoader::entryReady, this,
            [this](quint64 generation, int, const QString& name, const QImage& image) {
                if (!loader_->isCurrent(generation)) return;
                pending_.push_back({name, image});
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

    buttons_[0] = pictureButton(this, QRect(66, 32, 18, 18), QStringLiteral(":/ui/btn_topmost_off.bmp"));
    buttons_[1] = pictureButton(this, QRect(96, 32, 18, 18), QStringLiteral(":/ui/btn_screenoff.png"));
    buttons_[2] = pictureButton(this, QRect(126, 32, 18, 18), QStringLiteral(":/ui/btn_category.png"));
    buttons_[3] = pictureButton(this, QRect(156, 32, 18, 18), QStringLiteral(":/ui/btn_items.png"));
    buttons_[4] = pictureButton(this, QRect(188, 32, 18, 18), QStringLiteral(":/ui/btn_options.png"));
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
    for (const char* text : {"修改资料", "添加超链接", "添加系统功能"})
        itemMenu_->addAction(QString::fromUtf8(text))->setEnabled(false);
    itemMenu_->addSeparator();
    connect(itemMenu_->addAction(QStringLiteral("属性")), &QAction::triggered, actions_,
            &ItemActions::showProperties);
    connect(itemMenu_->addAction(QStringLiteral("浏览文件夹")), &QAction::triggered, actions_,
            &ItemActions::browseFolder);
    connect(itemMenu_->addAction(QStringLiteral("生成桌面快捷方式")), &QAction::triggered,
            actions_, &ItemActions::createDesktopShortcut);

    trayMenu_ = new QMenu(QStringLiteral("托盘菜单"), this);
    for (const char* text : {"搜索", "更换皮肤", "基本设置", "分类管理", "数据库管理"})
        trayMenu_->addAction(QString::fromUtf8(text))->setEnabled(false);
    trayMenu_->addSeparator();
    connect(trayMenu_->addAction(QStringLiteral("关闭")), &QAction::triggered, this,
            &MainWindow::endProgram);
    connect(trayMenu_->addAction(QStringLiteral("最小化")), &QAction::triggered, this,
            &QWidget::showMinimized);

    tray_ = new QSystemTrayIcon(programIcon(), this);
    tray_->setToolTip(kTitle);
    connect(tray_, &QSystemTrayIcon::activated, this, &MainWindow::trayActivated);
}

bool MainWindow::start() {
    if (!runStartup(*this)) {
        declined_ = true;
        return false;
    }
    return true;
}

void MainWindow::reinitialise() {
    // A re-initialisation asked for while connecting (a new database) runs
    // once, then the outer one goes on with its own steps.
    ++reinitDepth_;
    if (hooks_.clearIconCache) hooks_.clearIconCache();
    const bool ok = runReinitialisation(*this);
    --reinitDepth_;
    if (!ok) {
        declined_ = true;
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
    if (hooks_.applySkin)
        hooks_.applySkin(session_.root().file(QStringLiteral("Shens/") + session_.config().skinName()));
}

void MainWindow::addTrayIcon() {
    if (QSystemTrayIcon::isSystemTrayAvailable()) tray_->show();
    trayAdded_ = true;
}

void MainWindow::removeTrayIcon() {
    tray_->hide();
    trayAdded_ = false;
}

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
    for (const auto& row : rows.rows) {
        QFile file(session_.root().file(QStringLiteral("Bmpns/") + row.picture));
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        toolbar_->addButton(toolbar_->appendPicture(bytes), row.name);
    }
}

void MainWindow::setTooltips() {
    categoryButton()->setToolTip(QStringLiteral("分类管理 "));
    optionsButton()->setToolTip(QStringLiteral("管理选项 "));
    itemsButton()->setToolTip(QStringLiteral("项目管理 "));
    topmostButton()->setToolTip(QStringLiteral("显示最前 "));
    screenOffButton()->setToolTip(QStringLiteral("关闭屏幕 "));
}

void MainWindow::applyAppearance() {
    const storage::Config& config = session_.config();
    const QColor highlight = fromColourValue(config.highlightColour());
    menu_->setColours(fromColourValue(config.backgroundColour()), highlight, highlight,
                      fromColourValue(config.borderColour()));

    const QString avatarName = config.avatar();
    QPixmap picture;
    if (!avatarName.isEmpty())
        picture.load(session_.root().file(QStringLiteral("User/") + avatarName));
    avatar_->setPixmap(picture);

    core::GlobalState& state = session_.state();
    state.liveIconSize = config.iconSize();
    state.liveSoundMode = config.switchSound();
    if (state.liveIconSize == 16) grid_->setBaseImages(toolbar_->images(), 16);
    else grid_->setBaseImages({designItemImage()}, 32);
}

void MainWindow::registerDropTarget() { grid_->acceptFileDrops(); }

void MainWindow::snapshotImageList() { grid_->resetImages(); }

void MainWindow::selectLastCategory() {
    if (toolbar_->buttonCount() >= 1) selectCategory(session_.config().lastCategory());
}

void MainWindow::loadWeatherWindow() {
    if (hooks_.loadWeather) hooks_.loadWeather();
}

void MainWindow::ensureDesktopShortcut() {
    if (hooks_.ensureDesktopShortcut) hooks_.ensureDesktopShortcut();
}

void MainWindow::checkForUpdate() {
    // Asynchronous from the start: the connectivity test never delays the window.
    if (hooks_.checkForUpdate) QTimer::singleShot(0, this, hooks_.checkForUpdate);
}

void MainWindow::removeAllCategoryButtons() { toolbar_->removeAllButtons(); }

void MainWindow::closeDatabase() { session_.database().close(); }

void MainWindow::storePosition() { session_.config().setPosition(x(), y()); }

// ---- Navigation -----------------------------------------------------------

int MainWindow::categoryCount() const { return toolbar_->buttonCount(); }
QString MainWindow::categoryName(int index) const { return toolbar_->buttonName(index); }
int MainWindow::columnCount() const { return menu_->headerCount(); }
QString MainWindow::columnName(int index) const { return menu_->headerText(index); }
int MainWindow::currentColumn() const { return menu_->currentHeader(); }
void MainWindow::removeAllColumns() { menu_->clear(); }
int MainWindow::itemCount() const { return grid_->count(); }
QString MainWindow::itemText(int index) const { return grid_->entryText(index); }
int MainWindow::selectedItem() const { return grid_->selectedIndex(); }

QVector<QImage> MainWindow::categoryImages() const { return toolbar_->images(); }

void MainWindow::addCategoryButton(const QString& name, const QImage& picture) {
    toolbar_->addButton(toolbar_->appendImage(picture), name);
}

void MainWindow::removeCategoryButton(int index) { toolbar_->removeButton(index); }

void MainWindow::setCategoryButtonText(int index, const QString& name) {
    toolbar_->setButtonName(index, name);
}

void MainWindow::addColumnHeader(const QString& caption) { menu_->addHeader(caption); }

void MainWindow::setColumnHeaderText(int index, const QString& caption) {
    menu_->setHeaderText(index, caption);
}

void MainWindow::removeColumnHeader(int index) { menu_->removeHeader(index); }

void MainWindow::appendItem(const QString& name, const QImage& picture) {
    grid_->appendEntry(name, grid_->appendImage(picture));
}

void MainWindow::removeItem(int index) { grid_->removeEntry(index); }

void MainWindow::clearItems() {
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
        grid_->appendEntry(entry.name, grid_->appendImage(entry.image));
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
    fillColumnMenu(index);
    restoreColumn();
    grid_->show();
    if (index != state.pressedCategory) toolbar_->setPressed(state.pressedCategory, false);
    toolbar_->setPressed(index, true);
    state.pressedCategory = index;
}

void MainWindow::fillColumnMenu(int) {
    menu_->clear();
    clearItems();
    const QString name = categoryName(session_.state().currentCategory);
    const auto columns = session_.database().columnsOf(name);
    if (!columns) {
        showDatabaseError(columns.error);
        return;
    }
    for (const QString& column : columns.rows) {
        menu_->addHeader(column);
        menu_->setCurrentHeader(menu_->headerCount() - 1);
    }
}

void MainWindow::restoreColumn() {
    const int column = session_.config().lastColumn(session_.state().categoryKey);
    switchColumn(column);
    menu_->setCurrentHeader(column);
}

void MainWindow::switchColumn(int index) {
    QCoreApplication::processEvents();
    core::GlobalState& state = session_.state();
    clearItems();
    grid_->resetImages();
    loading_ = true;
    loader_->load(categoryName(state.currentCategory), columnName(index),
                  state.liveIconSize == 16 ? 16 : 32);
    if (auto* sound = session_.services().sound; sound && (state.liveSoundMode == 1 ||
                                                           state.liveSoundMode == 2)) {
        const auto which = state.liveSoundMode == 2 ? platform::Sound::SwitchSecond
                                                    : platform::Sound::SwitchFirst;
        // Started from the event loop: opening the audio device must not hold
        // up the window (the very first switch comes before the first paint).
        QTimer::singleShot(0, this, [sound, which] { sound->play(which); });
    }
    session_.config().setLastColumn(state.categoryKey, index);
    session_.config().setLastCategory(state.currentCategory);
}

void MainWindow::placeItemList() {
    const int a = menu_->currentHeader();
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
    const auto row = session_.database().itemAt(categoryName(session_.state().currentCategory),
                                                currentColumnName(), selected);
    if (!row) {
        if (refused) *refused = true;
        showDatabaseError(row.error);
        return std::nullopt;
    }
    // Grid and table out of step: no record.
    return row.rows;
}

void MainWindow::openCurrentItem() {
    if (menu_->headerCount() == 0) return;
    const auto record = currentItemRecord();
    if (record && hooks_.launch) hooks_.launch(record->link);
}

QString MainWindow::readCurrentIconText() {
    const auto record = currentItemRecord();
    return record ? items::withoutLegacyMarker(record->icon) : QString();
}

void MainWindow::fillEditorFields(QLineEdit* name, QLineEdit* link, QLineEdit* icon) {
    const auto record = currentItemRecord();
    if (name) name->setText(grid_->entryText(grid_->selectedIndex()));
    if (link) link->setText(record ? record->link : QString());
    if (icon) icon->setText(record ? items::withoutLegacyMarker(record->icon) : QString());
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
    topmostButton()->setIcon(QIcon(on ? QStringLiteral(":/ui/btn_topmost_on.bmp")
                                      : QStringLiteral(":/ui/btn_topmost_off.bmp")));
}

void MainWindow::screenOff() {
    // The wait keeps the window responsive; the display goes dark afterwards.
    QTimer::singleShot(3000, Qt::PreciseTimer, this, [this] {
        if (auto* desktop = session_.services().desktop) desktop->monitorOff();
    });
}

void MainWindow::refreshGreeting() {
    setStatusText(1, extras::composeGreeting());
}

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
