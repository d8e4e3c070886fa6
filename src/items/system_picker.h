#pragma once

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <array>

namespace hx::core {
class Session;
class Catalogue;
}  // namespace hx::core

namespace hx::items {

// One ready-made system function: the stored item is named `name`, its link
// is "&" + command and its icon text "$" + icon.
struct SystemFunction {
    QString name;
    QString command;
    int icon;
};

// The seven functions, in list order.
const std::array<SystemFunction, 7>& systemFunctions();

// "系统功能添加": a click on a row adds that function to the open column,
// where it shows at once; with "选择多个" checked the rows added show
// together when the picker closes.
class SystemPicker : public QWidget {
    Q_OBJECT
  public:
    static inline const char* const kNoColumn = QT_TR_NOOP("请添加栏目！");

    struct Controls {
        QListWidget* list = nullptr;
        QCheckBox* several = nullptr;
        QPushButton* close = nullptr;
    };

    // `panel`: the main window's top-left corner, which the window is placed by.
    SystemPicker(core::Session& session, core::Catalogue& catalogue, const QPoint& panel,
                 QWidget* parent = nullptr);

    const Controls& controls() const { return c_; }

    // Adds the function of list row `row` (nothing for no row).
    void addFunction(int row);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    core::Session& session_;
    core::Catalogue& catalogue_;
    Controls c_;
    bool addedUnseen_ = false;  // rows stored in several-at-once mode, not yet shown
};

}  // namespace hx::items
