#include "catalogue/column_menu.h"

#include "core/catalogue.h"
#include "core/session.h"

namespace hx::catalogue {
namespace {

const char* const kDuplicate =
    QT_TRANSLATE_NOOP("hx::catalogue::ColumnMenu", "发现栏目名称重复，请返回修改！");
const char* const kDuplicateTitle = QT_TRANSLATE_NOOP("hx::catalogue::ColumnMenu", "重复");

// Byte-exact, as the menu compares. The statements, though, match names
// without letter case, so a header equal that way (other than `except`) would
// have its items renamed or deleted along with the named one.
int duplicateOf(const core::Catalogue& catalogue, const QString& name, int except) {
    for (int i = 0; i < catalogue.columnCount(); ++i) {
        const QString header = catalogue.columnName(i);
        if (header == name || (i != except && header.compare(name, Qt::CaseInsensitive) == 0))
            return i;
    }
    return -1;
}

}  // namespace

void ColumnMenu::addColumn() {
    core::Dialogs& dialogs = session_.dialogs();
    if (catalogue_.columnCount() >= kMaxColumns) {
        dialogs.notice(tr("最多只能添加10个栏目！"));
        return;
    }
    if (catalogue_.categoryCount() == 0) {
        dialogs.notice(tr("请添加分类！"));
        return;
    }
    const QString suggested = tr("新建栏目") + QString::number(catalogue_.columnCount() + 1);
    const auto name = dialogs.input(tr("新建栏目"), tr("新建栏目"), suggested,
                                    storage::ItemDatabase::kColumnLength);
    if (!name || name->isEmpty()) return;
    if (duplicateOf(catalogue_, *name, -1) >= 0) {
        dialogs.notice(tr(kDuplicate), tr(kDuplicateTitle));
        return;
    }
    // Stored first: a header without its row would shift every later position.
    if (!catalogue_.addColumn(*name)) return;
    catalogue_.openColumnAt(catalogue_.columnCount() - 1);
}

void ColumnMenu::renameColumn(int column) {
    if (column < 0 || column >= catalogue_.columnCount()) return;
    const QString old = catalogue_.columnName(column);
    core::Dialogs& dialogs = session_.dialogs();
    const auto input =
        dialogs.input(tr("修改栏目"), tr("修改栏目"), old, storage::ItemDatabase::kColumnLength);
    if (!input || input->isEmpty()) return;
    if (duplicateOf(catalogue_, *input, column) >= 0) {
        dialogs.notice(tr(kDuplicate), tr(kDuplicateTitle));
        return;
    }
    catalogue_.renameColumn(column, *input);
}

void ColumnMenu::deleteColumn(int column) {
    if (column < 0 || column >= catalogue_.columnCount()) return;
    const QString name = catalogue_.columnName(column);
    if (!session_.dialogs().askDestructive(tr("是否删除 %1 ?").arg(name))) return;
    // By position: a second column of the same name keeps its own row. A
    // refusal means the menu no longer matched the table: it shows what is stored.
    if (!catalogue_.removeColumn(column)) return;
    if (catalogue_.columnCount() > 0) catalogue_.openColumnAt(0);
}

}  // namespace hx::catalogue
