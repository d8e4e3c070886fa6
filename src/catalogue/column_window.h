#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>

namespace hx::core {
class Session;
class MainWindowAccess;
}  // namespace hx::core

namespace hx::catalogue {

// "项目管理": every category in a tree, the chosen category's columns with
// their item counts, and Add, Modify and Delete of columns. It changes only
// the database and its own lists; the main window is rebuilt when the window
// is closed after a change.
class ColumnWindow : public QWidget {
    Q_OBJECT
  public:
    // Client area of the designed 357 x 339 window (fixed frame and caption off).
    static constexpr int kClientWidth = 351;
    static constexpr int kClientHeight = 314;

    struct Controls {
        QLabel* label = nullptr;
        QLineEdit* nameField = nullptr;
        QPushButton* addButton = nullptr;
        QPushButton* modifyButton = nullptr;
        QPushButton* deleteButton = nullptr;
        QTreeWidget* categoryTree = nullptr;
        QTreeWidget* columnTable = nullptr;
    };

    ColumnWindow(core::Session& session, core::MainWindowAccess& main, QWidget* parent = nullptr);

    const Controls& controls() const { return c_; }

    // Fills the column table for the selected tree node.
    void chooseCategory();
    void addColumn();
    void modifyColumn();
    void deleteColumn();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void fillTree();
    QString selectedCategory() const;
    int selectedRow() const;

    core::Session& session_;
    core::MainWindowAccess& main_;
    Controls c_;
};

}  // namespace hx::catalogue
