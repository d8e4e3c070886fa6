#pragma once

#include <QString>

namespace hx::text {

// A stored name as one line of display text: line breaks and tabs become
// visible symbols (⏎, →), other control characters the replacement mark, and
// the characters that reorder text (bidirectional overrides, embeddings and
// isolates) are dropped, so a name can neither span lines nor disguise
// itself. Names stay stored as they are; this is only what is drawn.
QString displayName(const QString& name);

}  // namespace hx::text
