#pragma once

#include <QByteArray>

namespace hx::text {

// The text between the first `open` marker and the next `close` marker, on
// bytes with 1-based positions. A missing opening marker counts as position
// -1, so one of two or more bytes starts the cut inside the text; callers
// depend on that.
QByteArray cutBetween(const QByteArray& text, const QByteArray& open, const QByteArray& close);

}  // namespace hx::text
