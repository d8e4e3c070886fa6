#pragma once

namespace hx::core {
class Session;
class MainWindowAccess;
}  // namespace hx::core

namespace hx::catalogue {

// The entries "新建栏目", "修改栏目" and "删除栏目" of the column menu. They act
// on the category the main window shows (`currentCategory`) and on the header
// right-clicked last (`menuColumn`), and change the roller-blind menu at once.
class ColumnMenu {
  public:
    static constexpr int kMaxColumns = 10;

    ColumnMenu(core::Session& session, core::MainWindowAccess& main)
        : session_(session), main_(main) {}

    void addColumn();
    void renameColumn();
    void deleteColumn();

  private:
    core::Session& session_;
    core::MainWindowAccess& main_;
};

}  // namespace hx::catalogue
