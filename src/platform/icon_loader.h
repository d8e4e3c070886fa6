#pragma once

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QMutex>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

#include "platform/file_probe.h"

namespace hx::platform {

// Turns icon sources into pictures. Produces QImage only (never QPixmap), and
// looks icon themes up itself instead of through QIcon, so it can run on the
// item-loading worker as well as on the user-interface thread.
class IconLoader {
  public:
    IconLoader();

    // The picture of `source` at `size` x `size` pixels (16 or 32 in practice),
    // smoothly scaled; a null image when the source yields none.
    QImage load(const IconSource& source, int size);

    // Forgets every loaded picture (files and themes may have changed).
    void clearCache();

    // Whether `path` holds icon `index`: the index-th image of an .ico file, the
    // index-th icon group of a program or library (negative: the group numbered
    // -index), index 0 of a .desktop launcher with an Icon= entry.
    static bool fileHasIcon(const QString& path, int index);

    // Icon `index` of a file (as fileHasIcon describes), unscaled; null if none.
    static QImage loadFileIcon(const QString& path, int index, int size);

    // The file the icon theme has for `name` nearest to `size`; empty if none.
    static QString themeIconFile(const QString& name, int size);
    static bool themeHasIcon(const QString& name);

    // The Icon= value of a launcher's [Desktop Entry] group.
    static std::optional<QString> desktopEntryIcon(const QString& path);

  private:
    QImage loadUncached(const IconSource& source, int size) const;

    QMutex mutex_;
    QHash<std::pair<IconSource, int>, QImage> cache_;
};

// An icon for a list row whose pictures are `size` pixels: the picture at that
// size and, where the screen is denser (`ratio` above 1), the same source drawn
// at size × ratio, so that nothing is upscaled. `draw(n)` gives the picture at
// n pixels; user-interface thread only.
QIcon listIcon(const std::function<QImage(int)>& draw, int size, qreal ratio);
// The same from pictures drawn elsewhere (a worker): `sharp` may be null.
QIcon listIcon(const QImage& picture, QImage sharp, qreal ratio);

// Call once on the user-interface thread at start-up: without a desktop
// session Qt knows no icon theme, so the standard search path and "Adwaita"
// are set for the QIcon::fromTheme users of the program.
void installIconThemeFallback();

}  // namespace hx::platform
