#pragma once

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

namespace hx::core {
class Session;
class Catalogue;
}  // namespace hx::core

namespace hx::items {

// "修改资料": edits the name, link and icon text of the selected grid entry.
// It acts on whatever entry is selected when a button is pressed, not on the
// one selected when it opened.
class ItemEditor : public QWidget {
    Q_OBJECT
  public:
    static inline const char* const kHelpText = QT_TR_NOOP(
        "图标：\r\n$/-调用系统相关图标-\r\n@/网址链接图标-\r\n链接：\r\n$/-调用系统相关命令-\r\n@/"
        "网址链接-");

    struct Controls {
        QLabel* titleLabel = nullptr;
        QLineEdit* title = nullptr;
        QLabel* linkLabel = nullptr;
        QLineEdit* link = nullptr;
        QLabel* iconLabel = nullptr;
        QLineEdit* icon = nullptr;
        QLabel* preview = nullptr;
        QLabel* systemBox = nullptr;
        QToolButton* linkBrowse = nullptr;
        QLabel* smallIcon = nullptr;
        QToolButton* iconBrowse = nullptr;
        QPushButton* help = nullptr;
        QPushButton* ok = nullptr;
        QPushButton* cancel = nullptr;
    };

    // Edits the entry selected in the catalogue; `panel` is the main window's
    // top-left corner, which the window is placed by.
    ItemEditor(core::Session& session, core::Catalogue& catalogue, const QPoint& panel,
               QWidget* parent = nullptr);

    const Controls& controls() const { return c_; }

    // Boxes from the selected entry's row, then the preview.
    void reload();
    // Stores an icon text chosen in the icon picker into the selected entry's
    // row and shows the row again (unsaved typing is replaced).
    void applyPickedIcon(const QString& iconText);
    // "确 定": the three boxes into the selected entry's row, then the main
    // window is reloaded and the editor closes. Nothing is written when the row
    // cannot be reached.
    void confirm();
    // Icon source the icon picker lists for the selected entry.
    QString programIconSource() const;

  signals:
    void systemPickerRequested();
    void iconPickerRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void showPreview();
    void showSmallIcon();
    void browseInto(QLineEdit* box);

    core::Session& session_;
    core::Catalogue& catalogue_;
    Controls c_;
};

}  // namespace hx::items
