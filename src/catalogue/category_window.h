#pragma once

#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVector>
#include <QWidget>

namespace hx::core {
class Session;
class Catalogue;
}  // namespace hx::core

namespace hx::catalogue {

// "添加分类": creates, renames, deletes and clears categories and gives each
// its picture, through the catalogue. Owns its list, whose rows are the
// catalogue's categories by position, and the picture chooser.
class CategoryWindow : public QWidget {
    Q_OBJECT
  public:
    // Client area of the designed 234 x 260 window (fixed frame and caption off).
    static constexpr int kClientWidth = 228;
    static constexpr int kClientHeight = 235;
    static constexpr int kMaxCategories = 11;
    static constexpr int kChooserHeight = 164;

    struct Controls {
        QPushButton* newButton = nullptr;
        QPushButton* renameButton = nullptr;
        QPushButton* deleteButton = nullptr;
        QPushButton* clearButton = nullptr;
        QTreeWidget* categoryList = nullptr;
        QListWidget* iconChooser = nullptr;
        QLabel* label = nullptr;
        QLabel* iconPreview = nullptr;
        QLabel* importLink = nullptr;
        QPushButton* closeButton = nullptr;
    };

    // `panel`: the main window's top-left corner, which the window is placed by.
    CategoryWindow(core::Session& session, core::Catalogue& catalogue, const QPoint& panel,
                   QWidget* parent = nullptr);

    const Controls& controls() const { return c_; }
    // Every picture the window shows, by the image index its rows carry.
    const QVector<QImage>& categoryImageList() const { return categoryImageList_; }
    int selectedRow() const;
    int rowImage(int row) const;

    void addCategory();
    void renameCategory();
    void deleteCategory();
    void clearCategories();
    void openChooser();
    void hideChooser();
    // True while the chooser is still receiving its entries.
    bool chooserFilling() const { return chooserNext_ < chooserNames_.size(); }
    void chooseIcon();
    void importIcons();
    void showSelectedIcon();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void buildControls();
    void fillList();
    int appendImage(const QImage& image);
    void appendRow(const QString& name, const QString& picture, int image);
    void selectRow(int row);
    void fillChooserBatch();
    QIcon chooserIcon(const QString& name);

    core::Session& session_;
    core::Catalogue& catalogue_;
    Controls c_;
    QVector<QImage> categoryImageList_;
    // The chooser fills a few milliseconds' worth per turn of the event loop,
    // and keeps each decoded bitmap until the file changes.
    QStringList chooserNames_;
    qsizetype chooserNext_ = 0;
    QTimer chooserTimer_;
    struct ChooserPicture {
        QDateTime modified;
        qint64 size = -1;
        QIcon icon;
    };
    QHash<QString, ChooserPicture> chooserPictures_;
};

}  // namespace hx::catalogue
