#pragma once

#include <QCoreApplication>

namespace hx::core {
class Session;
class Catalogue;
}  // namespace hx::core

namespace hx::catalogue {

// The entries "新建栏目", "修改栏目" and "删除栏目" of the column menu. They act
// through the catalogue on its current category and on the header that was
// right-clicked (`menuColumn`).
class ColumnMenu {
    Q_DECLARE_TR_FUNCTIONS(hx::catalogue::ColumnMenu)

  public:
    static constexpr int kMaxColumns = 10;

    ColumnMenu(core::Session& session, core::Catalogue& catalogue)
        : session_(session), catalogue_(catalogue) {}

    void addColumn();
    void renameColumn(int menuColumn);
    void deleteColumn(int menuColumn);

  private:
    core::Session& session_;
    core::Catalogue& catalogue_;
};

}  // namespace hx::catalogue
