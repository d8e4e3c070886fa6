#pragma once

#include <QImage>

namespace hx::appearance {

// The settings tree's own 32 x 32 pictures, drawn here so that they follow no
// icon theme: 0 basic settings (palette), 1 data management (database),
// 2 search (magnifier).
QImage treePicture(int entry);

}  // namespace hx::appearance
