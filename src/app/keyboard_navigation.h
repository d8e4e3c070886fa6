#pragma once

#include <QPoint>
#include <functional>

class QWidget;

namespace hx::core {
class Catalogue;
}
namespace hx::items {
class ItemActions;
}

namespace hx::app {

class ItemGrid;

// The panel's keys: Ctrl+1..9 and Ctrl+PgUp/PgDn choose a category, Alt+Up/Down
// a column, Enter opens the selected entry and the menu key opens its menu
// (`contextMenu`, at the entry). Each ends where a click on the control does.
void installKeyboardNavigation(QWidget& window, ItemGrid& grid, core::Catalogue& catalogue,
                               items::ItemActions& actions,
                               const std::function<void(const QPoint&)>& contextMenu);

}  // namespace hx::app
