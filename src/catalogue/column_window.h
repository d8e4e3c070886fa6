#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>

namespace hx::core {
class Session;
class Catalogue;
}  // namespace hx::core

namespace hx::catalogue {

// "项目管理": every category in a tree, the chosen category's columns with
// their item counts, and Add, Modify and Delete of columns through the
// catalogue (the current category's show in the main window at once). Owns
// its two lists and the column names the table shows.
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

    // `panel`: the main window's top-left corner, which the window is placed by.
    ColumnWindow(core::Session& session, core::Catalogue& catalogue, const QPoint& panel,
                 QWidget* parent = nullptr);

    const Controls& controls() const { return c_; }

    // Fills the column table for the selected tree node.
    void chooseCategory();
    void addColumn();
    void modifyColumn();
    void deleteColumn();

  private:
    void buildControls();
    void fillTree();
    QString selectedCategory() const;
    int selectedRow() const;

    core::Session& session_;
    core::Catalogue& catalogue_;
    Controls c_;
    QStringList columns_;  // of the chosen category, as stored, by table row
};

}  // namespace hx::catalogue
