#include "catalogue/column_menu.h"

#include "core/main_window_access.h"
#include "core/session.h"

namespace hx::catalogue {
namespace {

const QString kDuplicate = QStringLiteral("发现栏目名称重复，请返回修改！");
const QString kDuplicateTitle = QStringLiteral("重复");

// Byte-exact, as the menu compares. The statements, though, match names
// without letter case, so a header equal that way (other than `except`) would
// have its items renamed or deleted along with the named one.
int duplicateOf(const core::MainWindowAccess& main, const QString& name, int except) {
    for (int i = 0; i < main.columnCount(); ++i) {
        const QString header = main.columnName(i);
        if (header == name || (i != except && header.compare(name, Qt::CaseInsensitive) == 0))
            return i;
    }
    return -1;
}

}  // namespace

void ColumnMenu::addColumn() {
    core::Dialogs& dialogs = session_.dialogs();
    if (main_.columnCount() >= kMaxColumns) {
        dialogs.notice(QStringLiteral("最多只能添加10个栏目！"));
        return;
    }
    if (main_.categoryCount() == 0) {
        dialogs.notice(QStringLiteral("请添加分类！"));
        return;
    }
    const QString suggested = QStringLiteral("新建栏目") + QString::number(main_.columnCount() + 1);
    const auto name =
        dialogs.input(QStringLiteral("新建栏目"), QStringLiteral("新建栏目"), suggested);
    if (!name || name->isEmpty()) return;
    if (duplicateOf(main_, *name, -1) >= 0) {
        dialogs.notice(kDuplicate, kDuplicateTitle);
        return;
    }
    const QString category = main_.categoryName(session_.state().currentCategory);
    // Stored first: a header without its row would shift every later position.
    if (!session_.database().addColumn(category, *name)) {
        dialogs.failure(session_.database().lastError());
        return;
    }
    main_.addColumnHeader(*name);
    const int index = main_.columnCount() - 1;
    main_.setCurrentColumn(index);
    main_.switchColumn(index);
}

void ColumnMenu::renameColumn() {
    const int column = session_.state().menuColumn;
    if (column < 0 || column >= main_.columnCount()) return;
    const QString old = main_.columnName(column);
    core::Dialogs& dialogs = session_.dialogs();
    const auto input = dialogs.input(QStringLiteral("修改栏目"), QStringLiteral("修改栏目"), old);
    if (!input || input->isEmpty()) return;
    if (duplicateOf(main_, *input, column) >= 0) {
        dialogs.notice(kDuplicate, kDuplicateTitle);
        return;
    }
    const QString category = main_.categoryName(session_.state().currentCategory);
    if (!session_.database().renameColumn(category, old, *input)) {
        dialogs.failure(session_.database().lastError());
        return;
    }
    main_.setColumnHeaderText(column, *input);
}

void ColumnMenu::deleteColumn() {
    const int column = session_.state().menuColumn;
    if (column < 0 || column >= main_.columnCount()) return;
    const QString name = main_.columnName(column);
    if (!session_.dialogs().askDestructive(QStringLiteral("是否删除 ") + name +
                                           QStringLiteral(" ?")))
        return;
    const QString category = main_.categoryName(session_.state().currentCategory);
    // By position: a second column of the same name keeps its own row.
    if (!session_.database().deleteColumnAt(category, column, name)) {
        // The menu no longer matches the table (changed elsewhere): show what is stored.
        main_.selectCategory(session_.state().currentCategory);
        return;
    }
    main_.removeColumnHeader(column);
    main_.clearItems();
    if (main_.columnCount() > 0) main_.switchColumn(0);
}

}  // namespace hx::catalogue
