#pragma once

#include <QIcon>

namespace hx::app {

// The program's own icon, drawn at 16 to 256 pixels. Each size is read from
// its file only when something asks for it: decoding all six up front cost
// the start-up a few milliseconds for pictures nobody had shown yet.
QIcon programIcon();

}  // namespace hx::app
