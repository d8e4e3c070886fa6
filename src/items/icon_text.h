#pragma once

#include <QString>
#include <optional>

#include "items/icon_source.h"

namespace hx::platform {
class IconLoader;
}

namespace hx::items {

class ImageList;

// The extension of an icon text: what follows its last ".", ASCII letters
// folded to lower case; empty when there is no ".".
QString iconTextExtension(const QString& iconText);

// What an item's icon text (图标文本) shows, by the ordered icon rules: a later
// rule replaces the result of an earlier one. Pure apart from the probe, which
// answers the file-system and registered-icon questions.
IconSource resolveIconSource(const QString& iconText, const platform::FileProbe& probe);

// The icon text with every legacy web-link marker removed, as the editor and
// the icon picker read it.
QString withoutLegacyMarker(const QString& iconText);

// Appends the picture of `source` at the list's size; its index, or none when
// the source gives no picture (nothing is appended then).
std::optional<int> appendIcon(const IconSource& source, platform::IconLoader& loader,
                              ImageList& list);

// Resolve icon: the icon text's picture appended to `list`, or none.
std::optional<int> resolveIcon(const QString& iconText, const platform::FileProbe& probe,
                               platform::IconLoader& loader, ImageList& list);

}  // namespace hx::items
