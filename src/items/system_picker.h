#pragma once

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <array>

namespace hx::core {
class Session;
class MainWindowAccess;
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

// "系统功能添加": a click on a row adds that function to the current column.
// With "选择多个" checked the main window is reloaded once when the picker
// closes instead of after every row.
class SystemPicker : public QWidget {
    Q_OBJECT
  public:
    static inline const QString kNoColumn = QStringLiteral("请添加栏目！");

    struct Controls {
        QListWidget* list = nullptr;
        QCheckBox* several = nullptr;
        QPushButton* close = nullptr;
    };

    SystemPicker(core::Session& session, core::MainWindowAccess& main, QWidget* parent = nullptr);
    ~SystemPicker() override;

    const Controls& controls() const { return c_; }

    // Adds the function of list row `row` (nothing for no row).
    void addFunction(int row);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void finish();

    core::Session& session_;
    core::MainWindowAccess& main_;
    Controls c_;
    bool finished_ = false;
};

}  // namespace hx::items
