#pragma once

#include <QString>

namespace hx::core {
class Catalogue;
}

namespace hx::items {

// What the item editor shows of the selected entry: its name as the grid
// shows it, and the link and the icon text (without the legacy web-link
// marker) read again from its stored row.
struct EditorFields {
    QString name;
    QString link;
    QString icon;
};
EditorFields readEditorFields(core::Catalogue& catalogue);

// The file the icon picker lists for an icon text: "path[N]" gives the path.
QString programIconSource(const QString& iconText);

}  // namespace hx::items
