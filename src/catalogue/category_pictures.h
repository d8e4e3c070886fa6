#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

#include "storage/data_root.h"

namespace hx::catalogue {

// Side of an imported category picture.
inline constexpr int kIconSide = 17;
// Pictures declaring more pixels than this are refused before any pixel is
// decoded, so a hostile file cannot take unbounded memory.
inline constexpr qint64 kMaxPicturePixels = 4096LL * 4096LL;

// The picture in `path`: for an .ico file the image that looks best at 17
// pixels, else whatever Qt's readers decode. Null when unreadable or too large.
QImage readPicture(const QString& path);

// Whether a bitmap (BMP) holds every pixel row its header declares; true for
// other formats. A cut-off bitmap counts as unreadable.
bool bitmapComplete(const QByteArray& bytes);

// The picture of a category whose 路径 is `file`: Bmpns/<file>, else
// Bmpns/Folder.bmp, else the Folder.bmp we ship. Never null.
QImage categoryPicture(const storage::DataRoot& root, const QString& file);

// The picture as the category toolbar shows it: the colour of its top-left
// pixel lets the background through.
QImage withKeyColourClear(const QImage& picture);

// The *.bmp names in `folder`, in name order with letter case ignored.
QStringList bitmapNames(const QString& folder);

// Text before the first "." of `name` (a name without "." gives "").
QString beforeFirstDot(const QString& name);

// The picture scaled down (never up) to fit 17 x 17, proportions kept,
// centred on `background`.
QImage iconCanvas(const QImage& source, const QColor& background);

// Imports one picture file into `bmpnsDir` as <text before the first dot>.bmp
// (replacing a file of that name). The written path, empty when the file was
// refused or could not be written.
QString importPicture(const QString& source, const QString& bmpnsDir, const QColor& background,
                      QImage* canvas = nullptr);

}  // namespace hx::catalogue
