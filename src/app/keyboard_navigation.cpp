#include "app/keyboard_navigation.h"

#include <QShortcut>

#include "app/item_grid.h"
#include "core/catalogue.h"
#include "items/item_actions.h"

namespace hx::app {

// Keys only add ways in: each one ends in the slot a click on the same control runs.
void installKeyboardNavigation(QWidget& window, ItemGrid& grid, core::Catalogue& catalogue,
                               items::ItemActions& actions,
                               const std::function<void(const QPoint&)>& contextMenu) {
    auto onKey = [&window](const QKeySequence& keys, QWidget* scope, auto&& action) {
        auto* shortcut = new QShortcut(keys, scope);
        shortcut->setContext(scope == &window ? Qt::WindowShortcut : Qt::WidgetShortcut);
        QObject::connect(shortcut, &QShortcut::activated, &window, action);
    };
    core::Catalogue& c = catalogue;
    for (int i = 0; i < 9; ++i)
        onKey(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i)), &window, [&c, i] {
            if (i < c.categoryCount()) c.selectCategory(i);
        });
    auto stepCategory = [&c](int step) {
        const int n = c.categoryCount();
        if (n > 0) c.selectCategory((c.currentCategory() + step + n) % n);
    };
    onKey(QKeySequence(Qt::CTRL | Qt::Key_PageUp), &window, [stepCategory] { stepCategory(-1); });
    onKey(QKeySequence(Qt::CTRL | Qt::Key_PageDown), &window, [stepCategory] { stepCategory(1); });
    auto stepColumn = [&c](int step) {
        const int n = c.columnCount();
        if (n > 0) c.openColumnAt((c.openColumn() + step + n) % n);
    };
    onKey(QKeySequence(Qt::ALT | Qt::Key_Up), &window, [stepColumn] { stepColumn(-1); });
    onKey(QKeySequence(Qt::ALT | Qt::Key_Down), &window, [stepColumn] { stepColumn(1); });
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
        onKey(QKeySequence(key), &grid, [&actions] { actions.openCurrent(); });
    onKey(QKeySequence(Qt::Key_Menu), &grid, [&grid, contextMenu] {
        const int selected = grid.selectedIndex();
        if (selected < 0) return;
        const QRect place = grid.visualItemRect(grid.item(selected));
        contextMenu(grid.viewport()->mapToGlobal(place.center()));
    });
}

}  // namespace hx::app
