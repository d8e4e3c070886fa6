#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "storage/item_database.h"

namespace hx::core {
class Session;
class MainWindowAccess;
}  // namespace hx::core

namespace hx::items {

// Where the selected grid entry's row is stored: the current category and
// column, and the entry's position in that column's items.
struct ItemPosition {
    QString category;
    QString column;
    int index = -1;
};

// None without a selection or without a current column.
std::optional<ItemPosition> selectedItemPosition(core::Session& session,
                                                 const core::MainWindowAccess& main);

// The stored row of the selected entry; none without a selection or when the
// grid and the table are out of step. A read the database refuses shows its
// message.
std::optional<storage::ItemRow> readCurrentItem(core::Session& session,
                                                const core::MainWindowAccess& main);

// What the item editor shows: the entry's name as the grid shows it, the link
// and the icon text without the legacy web-link marker.
struct EditorFields {
    QString name;
    QString link;
    QString icon;
};
EditorFields readEditorFields(core::Session& session, const core::MainWindowAccess& main);

// The selected entry's icon text without the legacy marker; empty without a row.
QString readCurrentIconText(core::Session& session, const core::MainWindowAccess& main);

// Changes the stored row of the selected entry in place; false (nothing
// written) without a selection or when no row is at that position.
bool updateCurrentItem(core::Session& session, const core::MainWindowAccess& main,
                       const std::function<void(storage::ItemRow&)>& change);

// The file the icon picker lists for an icon text: "path[N]" gives the path.
QString programIconSource(const QString& iconText);

}  // namespace hx::items
