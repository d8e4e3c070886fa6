#pragma once

#include <QByteArray>
#include <QString>

namespace hx::items {

class ImageList;

// The icon cache files (User/系统.eil, User/程序.eil): "MITL", a colour value
// (0xFF000000), then the list in the common-controls image-list stream form
// ("IL" header, a 32-bit image bitmap and a 1-bit mask bitmap, 4 images per row).
QByteArray eilBytes(const ImageList& list);

// Writes the file through a temporary file and a rename; false on failure
// (callers ignore it, but it is reported, not hidden).
bool writeEil(const QString& path, const ImageList& list);

}  // namespace hx::items
