#include "items/current_item.h"

#include "core/catalogue.h"
#include "items/icon_text.h"

namespace hx::items {

EditorFields readEditorFields(core::Catalogue& catalogue) {
    EditorFields fields;
    fields.name = catalogue.rows().value(catalogue.selectedRow()).name;
    if (const auto row = catalogue.selectedItem().row) {
        fields.link = row->link;
        fields.icon = withoutLegacyMarker(row->icon);
    }
    return fields;
}

QString programIconSource(const QString& iconText) {
    if (!iconText.endsWith(u']')) return iconText;
    const qsizetype open = iconText.lastIndexOf(u'[');
    // No "[": the bracket rule gives an empty path.
    return open < 0 ? QString() : iconText.left(open);
}

}  // namespace hx::items
