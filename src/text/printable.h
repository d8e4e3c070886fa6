#pragma once

#include <QByteArray>
#include <QString>

namespace hx::text {

// Bytes from outside (a file name, a parser's message quoting a file) as
// text safe to write to a terminal: printable UTF-8 stays as it is; control
// characters, characters that reorder or hide text, bytes that are not UTF-8
// and the backslash itself are written as escapes (\x1B, \u{202E}, \\).
QByteArray printable(const QByteArray& bytes);
QByteArray printable(const QString& text);

}  // namespace hx::text
