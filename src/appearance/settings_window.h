#pragma once

#include <QColor>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTreeView>
#include <QTreeWidget>
#include <QWidget>
#include <functional>

namespace hx::core {
class Session;
class Catalogue;
class SyncEngine;
}  // namespace hx::core

namespace hx::appearance {

class AvatarLoader;

class SearchModel;

// A button that shows a colour and offers the colour dialog when clicked.
class ColourButton : public QPushButton {
    Q_OBJECT
  public:
    using QPushButton::QPushButton;
    QColor colour() const { return colour_; }
    void setColour(const QColor& colour);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor colour_ = Qt::black;
};

// A read-only drop-down that says when it is about to open, so its list can
// be filled just then.
class DropDownList : public QComboBox {
    Q_OBJECT
  public:
    explicit DropDownList(QWidget* parent = nullptr);
    void showPopup() override;

  signals:
    void aboutToDropDown();
};

// The modeless window "设置": a tree of three entries choosing one of three
// pages (basic settings, data management, search).
class SettingsWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 422;
    static constexpr int kClientHeight = 388;
    enum Page { BasicPage = 0, DataPage = 1, SearchPage = 2 };

    struct Controls {
        QTreeWidget* tree = nullptr;
        QStackedWidget* pages = nullptr;
        // 基本设置
        QLabel* avatar = nullptr;
        QPushButton* changeAvatar = nullptr;
        ColourButton* borderColour = nullptr;
        ColourButton* backgroundColour = nullptr;
        ColourButton* highlightColour = nullptr;
        DropDownList* skins = nullptr;
        QGroupBox* iconGroup = nullptr;
        QRadioButton* largeIcons = nullptr;
        QRadioButton* smallIcons = nullptr;
        QGroupBox* soundGroup = nullptr;
        QRadioButton* sound1 = nullptr;
        QRadioButton* sound2 = nullptr;
        QRadioButton* silent = nullptr;
        QPushButton* save = nullptr;
        QPushButton* cancel = nullptr;
        // 数据管理
        QPushButton* backup = nullptr;
        QPushButton* restore = nullptr;
        QPushButton* clear = nullptr;
        QLineEdit* syncFolder = nullptr;
        QPushButton* chooseSyncFolder = nullptr;
        QPushButton* exportCatalogue = nullptr;
        QPushButton* importCatalogue = nullptr;
        QPushButton* close = nullptr;
        // 搜索
        QLineEdit* searchText = nullptr;
        QPushButton* search = nullptr;
        QTreeView* results = nullptr;
    };

    // `panel`: the main window's top-left corner, which the window is placed by.
    // Without `sync` the sync controls are disabled.
    SettingsWindow(core::Session& session, core::Catalogue& catalogue, const QPoint& panel,
                   core::SyncEngine* sync = nullptr, QWidget* parent = nullptr);
    // An avatar chosen here and never saved is removed from User/ again.
    ~SettingsWindow() override;

    const Controls& controls() const { return c_; }
    SearchModel* results() const { return model_; }
    void showPage(int page);
    int currentPage() const;
    // Lets the avatar being read arrive in its box (tests).
    void finishAvatar();

    // The handlers, one per window event.
    void changeAvatar();
    void fillSkinList();
    void chooseSkin(int index);
    void saveSettings();
    void runSearch();
    // True while later pages of the last search are still being added.
    bool searchInProgress() const { return searchMore_; }
    void openResult(int row);
    void backup();
    void restore();
    void clear();
    void chooseSyncFolder();
    void exportCatalogue();
    void importCatalogue();

  signals:
    // "保存设置" stored the appearance and skin: the main window shows them.
    void saved();
    // A search result was clicked: its link is opened by the search rule.
    void resultOpened(const QString& link);

  private:
    void buildTree();
    void buildBasicPage(QWidget* page);
    void buildDataPage(QWidget* page);
    void buildSyncGroup(QWidget* page);
    void buildSearchPage(QWidget* page);
    void loadStoredValues();
    void pickColour(ColourButton* button);
    void showAvatar(const QString& path);
    // Removes the copy this window made of an avatar not (yet) stored.
    void dropUnsavedCopy();
    void fetchResults(quint64 generation, int limit);

    core::Session& session_;
    core::Catalogue& catalogue_;
    core::SyncEngine* sync_ = nullptr;
    Controls c_;
    SearchModel* model_ = nullptr;
    AvatarLoader* avatarLoader_ = nullptr;
    // The avatar this window copied into User/, while it is not the stored one.
    QString unsavedCopy_;
    // The search under way: later pages come one per turn of the event loop,
    // so a search that matches everything never stalls the window.
    QString searchNeedle_;
    qint64 searchCursor_ = 0;
    quint64 searchGeneration_ = 0;
    bool searchMore_ = false;
};

}  // namespace hx::appearance
