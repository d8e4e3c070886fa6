#include "items/current_item.h"

#include "core/main_window_access.h"
#include "core/session.h"
#include "items/icon_text.h"

namespace hx::items {

std::optional<ItemPosition> selectedItemPosition(core::Session& session,
                                                 const core::MainWindowAccess& main) {
    const int selected = main.selectedItem();
    if (selected < 0 || main.currentColumn() < 0) return std::nullopt;
    return ItemPosition{main.categoryName(session.state().currentCategory),
                        main.currentColumnName(), selected};
}

std::optional<storage::ItemRow> readCurrentItem(core::Session& session,
                                                const core::MainWindowAccess& main) {
    const auto position = selectedItemPosition(session, main);
    if (!position) return std::nullopt;
    const auto row =
        session.database().itemAt(position->category, position->column, position->index);
    if (!row) {
        session.dialogs().failure(row.error);
        return std::nullopt;
    }
    return row.value;
}

EditorFields readEditorFields(core::Session& session, const core::MainWindowAccess& main) {
    EditorFields fields;
    fields.name = main.itemText(main.selectedItem());
    if (const auto row = readCurrentItem(session, main)) {
        fields.link = row->link;
        fields.icon = withoutLegacyMarker(row->icon);
    }
    return fields;
}

QString readCurrentIconText(core::Session& session, const core::MainWindowAccess& main) {
    const auto row = readCurrentItem(session, main);
    return row ? withoutLegacyMarker(row->icon) : QString();
}

bool updateCurrentItem(core::Session& session, const core::MainWindowAccess& main,
                       const std::function<void(storage::ItemRow&)>& change) {
    const auto position = selectedItemPosition(session, main);
    if (!position) return false;
    storage::ItemDatabase& db = session.database();
    const auto row = db.itemAt(position->category, position->column, position->index);
    if (!row) {
        session.dialogs().failure(row.error);
        return false;
    }
    if (!row.value) return false;
    storage::ItemRow changed = *row.value;
    change(changed);
    return db.updateItemAt(position->category, position->column, position->index, changed);
}

QString programIconSource(const QString& iconText) {
    if (!iconText.endsWith(u']')) return iconText;
    const qsizetype open = iconText.lastIndexOf(u'[');
    // No "[": the bracket rule gives an empty path.
    return open < 0 ? QString() : iconText.left(open);
}

}  // namespace hx::items
