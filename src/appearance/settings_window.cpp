#include "appearance/settings_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

#include "appearance/appearance_apply.h"
#include "appearance/avatar.h"
#include "appearance/avatar_loader.h"
#include "appearance/colour_value.h"
#include "appearance/data_commands.h"
#include "appearance/file_filter.h"
#include "appearance/search_model.h"
#include "appearance/tree_pictures.h"
#include "core/catalogue.h"
#include "core/fixed_window.h"
#include "core/session.h"
#include "core/sync_engine.h"

namespace hx::appearance {
namespace {

// The classic avatar filter plus PNG, the picture format most users have today.
const char* const kAvatarFilter = QT_TRANSLATE_NOOP(
    "hx::appearance::SettingsWindow",
    "JPG图像文件（*.jpg）|*.jpg|GIF动画文件（*.gif）|*.gif|BMP位图文件（*.bmp）|*.bmp|"
    "PNG图像文件（*.png）|*.png");

const char* const kEntries[] = {QT_TRANSLATE_NOOP("hx::appearance::SettingsWindow", "基本设置"),
                                QT_TRANSLATE_NOOP("hx::appearance::SettingsWindow", "数据管理"),
                                QT_TRANSLATE_NOOP("hx::appearance::SettingsWindow", "搜索")};

// The first page fills the list's screen at once; later pages are sized to
// take a few milliseconds each.
constexpr int kFirstResultPage = 200;
constexpr int kLaterResultPage = 4000;

template <class W>
W* place(W* widget, const char* name, int x, int y, int w, int h) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y, int w, int h) {
    return place(new QLabel(text, parent), name, x, y, w, h);
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, int x, int y, int w,
                    int h) {
    return place(new QPushButton(text, parent), name, x, y, w, h);
}

}  // namespace

void ColourButton::setColour(const QColor& colour) {
    colour_ = colour;
    update();
}

void ColourButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter p(this);
    const QRect swatch = rect().adjusted(5, 5, -5, -5);
    p.fillRect(swatch, colour_);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(swatch.adjusted(0, 0, -1, -1));
}

DropDownList::DropDownList(QWidget* parent) : QComboBox(parent) {
    // Editable only so the edit text can name a skin the folder no longer has.
    setEditable(true);
    lineEdit()->setReadOnly(true);
    setInsertPolicy(QComboBox::NoInsert);
}

void DropDownList::showPopup() {
    emit aboutToDropDown();
    QComboBox::showPopup();
}

SettingsWindow::SettingsWindow(core::Session& session, core::Catalogue& catalogue,
                               const QPoint& panel, core::SyncEngine* sync, QWidget* parent)
    : QWidget(parent), session_(session), catalogue_(catalogue), sync_(sync) {
    setObjectName(QStringLiteral("settingsWindow"));
    setWindowTitle(tr("设置"));
    core::withoutMaximiseButton(*this);
    setFixedSize(kClientWidth, kClientHeight);

    buildTree();
    c_.pages = place(new QStackedWidget(this), "pages", 136, 0, 280, 352);
    for (int i = 0; i < 3; ++i) {
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("page%1").arg(i));
        c_.pages->addWidget(page);
    }
    buildBasicPage(c_.pages->widget(BasicPage));
    buildDataPage(c_.pages->widget(DataPage));
    buildSearchPage(c_.pages->widget(SearchPage));

    // Window created: placed by the main window, page 0, stored values.
    move(panel + QPoint(-120, 85));
    showPage(BasicPage);
    loadStoredValues();
}

void SettingsWindow::buildTree() {
    c_.tree = place(new QTreeWidget(this), "tree", 0, 0, 136, 352);
    c_.tree->setHeaderHidden(true);
    c_.tree->setRootIsDecorated(false);
    c_.tree->setIconSize(QSize(32, 32));
    for (int i = 0; i < 3; ++i) {
        auto* item = new QTreeWidgetItem(c_.tree, {tr(kEntries[i])});
        item->setIcon(0, QIcon(QPixmap::fromImage(treePicture(i))));
    }
    connect(c_.tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        const int entry = c_.tree->indexOfTopLevelItem(item);
        if (entry >= 0) c_.pages->setCurrentIndex(entry);
    });
}

void SettingsWindow::buildBasicPage(QWidget* page) {
    c_.avatar = place(new QLabel(page), "avatar", 10, 5, 64, 64);
    c_.avatar->setScaledContents(true);
    c_.avatar->setFrameShape(QFrame::StyledPanel);
    c_.changeAvatar = button(page, "changeAvatar", tr("更换头像"), 79, 41, 59, 26);
    connect(c_.changeAvatar, &QPushButton::clicked, this, &SettingsWindow::changeAvatar);

    label(page, "borderLabel", tr("[边框颜色]"), 16, 76, 94, 15);
    c_.borderColour = place(new ColourButton(page), "borderColour", 112, 71, 112, 23);
    label(page, "backgroundLabel", tr("[栏目背景颜色]"), 16, 101, 94, 15);
    c_.backgroundColour = place(new ColourButton(page), "backgroundColour", 112, 97, 112, 23);
    label(page, "highlightLabel", tr("[栏目点燃颜色]"), 16, 128, 94, 15);
    c_.highlightColour = place(new ColourButton(page), "highlightColour", 112, 124, 112, 23);
    for (ColourButton* b : {c_.borderColour, c_.backgroundColour, c_.highlightColour})
        connect(b, &QPushButton::clicked, this, [this, b] { pickColour(b); });

    label(page, "skinLabel", tr("[皮肤]"), 18, 156, 44, 15);
    c_.skins = place(new DropDownList(page), "skinList", 64, 152, 160, 20);
    connect(c_.skins, &DropDownList::aboutToDropDown, this, &SettingsWindow::fillSkinList);
    connect(c_.skins, &QComboBox::activated, this, &SettingsWindow::chooseSkin);

    c_.iconGroup = place(new QGroupBox(tr("图标显示方式"), page), "iconGroup", 9, 188, 263, 40);
    c_.largeIcons =
        place(new QRadioButton(tr("大图标"), c_.iconGroup), "largeIcons", 30, 17, 80, 20);
    c_.smallIcons =
        place(new QRadioButton(tr("小图标"), c_.iconGroup), "smallIcons", 150, 17, 80, 20);
    c_.largeIcons->setChecked(true);
    connect(c_.largeIcons, &QRadioButton::clicked, this,
            [this] { session_.appearance().pending().largeIconsChosen = true; });
    connect(c_.smallIcons, &QRadioButton::clicked, this,
            [this] { session_.appearance().pending().smallIconsChosen = true; });

    c_.soundGroup = place(new QGroupBox(tr("声音"), page), "soundGroup", 8, 234, 264, 48);
    c_.sound1 = place(new QRadioButton(tr("栏目切换音1"), c_.soundGroup), "sound1", 12, 20, 92, 20);
    c_.sound2 =
        place(new QRadioButton(tr("栏目切换音2"), c_.soundGroup), "sound2", 106, 20, 92, 20);
    c_.silent = place(new QRadioButton(tr("无声音"), c_.soundGroup), "silent", 200, 20, 62, 20);
    c_.sound2->setChecked(true);  // the default; the live mode may mark another
    const std::pair<QRadioButton*, int> sounds[] = {{c_.sound1, 1}, {c_.sound2, 2}, {c_.silent, 3}};
    for (const auto& [radio, mode] : sounds)
        connect(radio, &QRadioButton::clicked, this,
                [this, mode = mode] { session_.appearance().setSwitchSound(mode); });

    c_.save = button(page, "saveSettings", tr("保存设置"), 160, 306, 64, 29);
    c_.cancel = button(page, "cancel", tr("取消"), 232, 307, 40, 28);
    connect(c_.save, &QPushButton::clicked, this, &SettingsWindow::saveSettings);
    connect(c_.cancel, &QPushButton::clicked, this, &QWidget::close);
}

void SettingsWindow::buildDataPage(QWidget* page) {
    auto* backupGroup =
        place(new QGroupBox(tr("[ 数据备份与恢复 ]"), page), "backupGroup", 9, 10, 263, 120);
    c_.backup = button(backupGroup, "backup", tr("数据备份"), 28, 32, 90, 30);
    c_.restore = button(backupGroup, "restore", tr("数据恢复"), 145, 32, 90, 30);
    label(backupGroup, "backupNote", tr("建议定期备份数据库！"), 28, 80, 210, 18);
    auto* clearGroup = place(new QGroupBox(tr("[清空数据]"), page), "clearGroup", 9, 145, 263, 80);
    c_.clear = button(clearGroup, "clear", tr("清空数据"), 28, 32, 90, 30);
    c_.close = button(page, "close", tr("关闭"), 206, 316, 63, 28);
    buildSyncGroup(page);
    connect(c_.backup, &QPushButton::clicked, this, &SettingsWindow::backup);
    connect(c_.restore, &QPushButton::clicked, this, &SettingsWindow::restore);
    connect(c_.clear, &QPushButton::clicked, this, &SettingsWindow::clear);
    connect(c_.close, &QPushButton::clicked, this, &QWidget::close);
}

// Below the designed groups: the folder shared with other machines, and the
// same catalogue file to and from a chosen place.
void SettingsWindow::buildSyncGroup(QWidget* page) {
    auto* group = place(new QGroupBox(tr("[同步]"), page), "syncGroup", 9, 231, 263, 80);
    c_.syncFolder = place(new QLineEdit(group), "syncFolder", 10, 22, 208, 22);
    c_.syncFolder->setPlaceholderText(tr("同步文件夹（空：不同步）"));
    c_.syncFolder->setToolTip(
        tr("各台电脑的工具箱都写入这个文件夹，由 Syncthing、Nextcloud 等同步"));
    c_.chooseSyncFolder = button(group, "chooseSyncFolder", QStringLiteral("…"), 222, 22, 32, 22);
    c_.exportCatalogue = button(group, "exportCatalogue", tr("导出…"), 10, 50, 80, 24);
    c_.importCatalogue = button(group, "importCatalogue", tr("导入…"), 96, 50, 80, 24);
    for (QWidget* w : std::initializer_list<QWidget*>{c_.syncFolder, c_.chooseSyncFolder,
                                                      c_.exportCatalogue, c_.importCatalogue})
        w->setEnabled(sync_ != nullptr);
    if (!sync_) return;
    c_.syncFolder->setText(sync_->folder());
    connect(c_.syncFolder, &QLineEdit::editingFinished, this,
            [this] { sync_->setFolder(c_.syncFolder->text()); });
    connect(c_.chooseSyncFolder, &QPushButton::clicked, this, &SettingsWindow::chooseSyncFolder);
    connect(c_.exportCatalogue, &QPushButton::clicked, this, &SettingsWindow::exportCatalogue);
    connect(c_.importCatalogue, &QPushButton::clicked, this, &SettingsWindow::importCatalogue);
    connect(sync_, &core::SyncEngine::exportFinished, this, [this](bool ok, const QString& error) {
        if (ok)
            session_.dialogs().notice(tr("导出成功！"));
        else
            session_.dialogs().failure(tr("导出失败！") + u'\n' + error);
    });
    connect(sync_, &core::SyncEngine::importFinished, this, [this](bool ok, const QString& error) {
        if (ok)
            session_.dialogs().notice(tr("导入完成！"));
        else
            session_.dialogs().failure(tr("导入失败：文件不完整或不是工具箱的目录文件。") + u'\n' +
                                       error);
    });
}

void SettingsWindow::buildSearchPage(QWidget* page) {
    c_.searchText = place(new QLineEdit(page), "searchText", 9, 8, 207, 24);
    c_.search = button(page, "search", tr("搜索"), 228, 7, 40, 24);
    c_.results = place(new QTreeView(page), "results", 8, 40, 264, 304);
    // The grid's size, as the window-created step reads it.
    const int size = session_.config().iconSize() == 16 ? 16 : 32;
    model_ = new SearchModel(
        [this](const QString& text, int iconSize) { return catalogue_.iconFor(text, iconSize); },
        size, devicePixelRatioF(), this);
    c_.results->setModel(model_);
    c_.results->setRootIsDecorated(false);
    c_.results->setUniformRowHeights(true);  // rows laid out without asking each one
    c_.results->setHeaderHidden(true);
    c_.results->setIconSize(QSize(size, size));
    c_.results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    c_.results->header()->setStretchLastSection(false);
    c_.results->setColumnWidth(0, 146);
    connect(c_.search, &QPushButton::clicked, this, &SettingsWindow::runSearch);
    connect(c_.searchText, &QLineEdit::returnPressed, this, &SettingsWindow::runSearch);
    connect(c_.results, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { openResult(index.row()); });
}

void SettingsWindow::loadStoredValues() {
    storage::Config& config = session_.config();
    c_.backgroundColour->setColour(fromColourValue(config.backgroundColour()));
    c_.highlightColour->setColour(fromColourValue(config.highlightColour()));
    c_.borderColour->setColour(fromColourValue(config.borderColour()));
    c_.skins->setEditText(config.skinName());
    const QString avatar = config.avatar();
    showAvatar(isPlainFileName(avatar) ? session_.root().file(QStringLiteral("User/") + avatar)
                                       : QString());
    using SwitchSound = core::AppearanceSetting::SwitchSound;
    switch (session_.appearance().switchSound()) {
        case SwitchSound::First:
            c_.sound1->setChecked(true);
            break;
        case SwitchSound::Second:
            c_.sound2->setChecked(true);
            break;
        case SwitchSound::None:
            c_.silent->setChecked(true);
            break;
        case SwitchSound::Unchosen:
            break;  // the default marking stays
    }
    (config.iconSize() == 16 ? c_.smallIcons : c_.largeIcons)->setChecked(true);
}

void SettingsWindow::showPage(int page) {
    if (page >= 0 && page < c_.tree->topLevelItemCount())
        c_.tree->setCurrentItem(c_.tree->topLevelItem(page));
}

int SettingsWindow::currentPage() const { return c_.pages->currentIndex(); }

void SettingsWindow::finishAvatar() {
    if (avatarLoader_) avatarLoader_->finish();
}

void SettingsWindow::showAvatar(const QString& path) {
    if (!avatarLoader_) {
        avatarLoader_ = new AvatarLoader(this);
        connect(avatarLoader_, &AvatarLoader::ready, c_.avatar,
                [this](const QImage& image) { c_.avatar->setPixmap(QPixmap::fromImage(image)); });
    }
    avatarLoader_->request(path);
}

void SettingsWindow::pickColour(ColourButton* button) {
    if (const auto chosen = session_.dialogs().colour(button->colour()))
        button->setColour(chosen->toRgb());
}

void SettingsWindow::changeAvatar() {
    const QString userDir = session_.root().userDir();
    const QString chosen =
        session_.dialogs().openFile(QString(), userDir, qtFileFilter(tr(kAvatarFilter)));
    if (chosen.isEmpty()) return;
    const QString fileName = QFileInfo(chosen).fileName();
    // A copy made for an earlier choice goes, unless this one replaces it.
    if (!unsavedCopy_.isEmpty() && unsavedCopy_ != fileName) dropUnsavedCopy();
    // Only a file this window brings into User/ is ever taken away again.
    const bool brought =
        unsavedCopy_ == fileName || !QFileInfo::exists(QDir(userDir).filePath(fileName));
    // A picture that could not be copied is not recorded: the save would
    // otherwise delete the old avatar for a file that is not there.
    bool copied = false;
    const QString name = copyAvatarInto(userDir, chosen, &copied);
    if (name.isEmpty()) return;
    if (copied && brought && name != session_.config().avatar()) unsavedCopy_ = name;
    showAvatar(session_.root().file(QStringLiteral("User/") + name));
    session_.appearance().pending().avatarName = name;
}

SettingsWindow::~SettingsWindow() {
    // Its worker may still be writing the scaled copy of what goes.
    delete avatarLoader_;
    avatarLoader_ = nullptr;
    dropUnsavedCopy();
}

void SettingsWindow::dropUnsavedCopy() {
    if (unsavedCopy_.isEmpty()) return;
    core::AppearanceSetting::Pending& pending = session_.appearance().pending();
    if (pending.avatarName == unsavedCopy_) pending.avatarName.clear();
    if (unsavedCopy_ != session_.config().avatar())
        AvatarLoader::removeWithScaledCopy(
            session_.root().file(QStringLiteral("User/") + unsavedCopy_));
    unsavedCopy_.clear();
}

void SettingsWindow::fillSkinList() {
    const QString current = c_.skins->currentText();
    c_.skins->clear();
    c_.skins->addItems(skinFileNames(session_.root().shensDir()));
    c_.skins->setEditText(current);
}

void SettingsWindow::chooseSkin(int index) {
    if (index < 0) return;
    c_.skins->setEditText(c_.skins->itemText(index));
    session_.appearance().pending().skinName = c_.skins->currentText();
}

void SettingsWindow::saveSettings() {
    storage::Config& config = session_.config();
    core::AppearanceSetting::Pending& pending = session_.appearance().pending();
    config.setBackgroundColour(toColourValue(c_.backgroundColour->colour()));
    config.setHighlightColour(toColourValue(c_.highlightColour->colour()));
    config.setBorderColour(toColourValue(c_.borderColour->colour()));

    if (!pending.skinName.isEmpty()) config.setSkinName(pending.skinName);
    if (!pending.avatarName.isEmpty()) {
        // The picture about to be recorded is never the one removed, and a
        // stored name with a folder part never reaches outside User/.
        const QString old = config.avatar();
        if (old != pending.avatarName && isPlainFileName(old))
            AvatarLoader::removeWithScaledCopy(session_.root().file(QStringLiteral("User/") + old));
        config.setAvatar(pending.avatarName);
        unsavedCopy_.clear();
        AvatarLoader::removeOtherScaledCopies(session_.root().userDir(), pending.avatarName);
    }
    if (std::exchange(pending.largeIconsChosen, false)) config.setIconSize(32);
    if (std::exchange(pending.smallIconsChosen, false)) config.setIconSize(16);
    if (const auto sound = session_.appearance().switchSound();
        sound != core::AppearanceSetting::SwitchSound::Unchosen)
        config.setSwitchSound(int(sound));
    emit saved();
}

void SettingsWindow::runSearch() {
    const QString text = c_.searchText->text();
    if (text.isEmpty()) return;
    ++searchGeneration_;
    searchNeedle_ = text;
    searchCursor_ = 0;
    model_->clear();
    fetchResults(searchGeneration_, kFirstResultPage);
    // A new search starts at its first result, wherever the last one was left.
    c_.results->scrollToTop();
}

void SettingsWindow::fetchResults(quint64 generation, int limit) {
    if (generation != searchGeneration_) return;  // a newer search replaced this one
    auto page = catalogue_.searchNames(searchNeedle_, &searchCursor_, limit);
    if (!page) {
        searchMore_ = false;
        session_.dialogs().failure(page.error);
        return;
    }
    model_->appendResults(page.value);
    searchMore_ = page.value.size() == limit;
    if (searchMore_)
        QTimer::singleShot(0, this,
                           [this, generation] { fetchResults(generation, kLaterResultPage); });
}

void SettingsWindow::openResult(int row) {
    const QString link = model_->linkAt(row);
    if (row >= 0 && row < model_->rowCount()) emit resultOpened(link);
}

void SettingsWindow::backup() { backupDatabase(session_); }

void SettingsWindow::restore() {
    restoreDatabase(session_, catalogue_);
    close();  // whether or not anything was restored
}

void SettingsWindow::clear() { clearDatabase(session_, catalogue_); }

namespace {
const char* const kCatalogueFilter =
    QT_TRANSLATE_NOOP("hx::appearance::SettingsWindow", "工具箱目录文件（*.hxsync）|*.hxsync");
}  // namespace

void SettingsWindow::chooseSyncFolder() {
    const QString start = storage::Config::expandHome(c_.syncFolder->text().trimmed());
    const QString chosen = session_.dialogs().chooseFolder(
        tr("同步文件夹"), start.isEmpty() ? QDir::homePath() : start);
    if (chosen.isEmpty()) return;
    sync_->setFolder(chosen);
    c_.syncFolder->setText(sync_->folder());
}

void SettingsWindow::exportCatalogue() {
    const QString suggested =
        QDir::homePath() + u'/' + tr("衡岫电脑工具箱目录") + QStringLiteral(".hxsync");
    const QString file =
        session_.dialogs().saveFile(tr("导出…"), suggested, qtFileFilter(tr(kCatalogueFilter)));
    if (!file.isEmpty()) sync_->exportTo(file);
}

void SettingsWindow::importCatalogue() {
    const QString file = session_.dialogs().openFile(tr("导入…"), QDir::homePath(),
                                                     qtFileFilter(tr(kCatalogueFilter)));
    if (!file.isEmpty()) sync_->importFrom(file);
}

}  // namespace hx::appearance
