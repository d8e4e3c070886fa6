#include "text/markers.h"

namespace hx::text {
namespace {

// 1-based position of `needle` at or after 1-based `from`, -1 when absent.
qsizetype findFrom(const QByteArray& text, const QByteArray& needle, qsizetype from) {
    if (from < 1) from = 1;
    if (from > text.size() + (needle.isEmpty() ? 1 : 0)) return -1;
    const qsizetype at = text.indexOf(needle, from - 1);
    return at < 0 ? -1 : at + 1;
}

}  // namespace

QByteArray cutBetween(const QByteArray& text, const QByteArray& open, const QByteArray& close) {
    const qsizetype p = findFrom(text, open, 1);
    const qsizetype start = p + open.size();
    const qsizetype e = findFrom(text, close, start);
    const qsizetype length = e - start;
    if (start < 1 || start > text.size() || length <= 0) return {};
    return text.mid(start - 1, length);
}

}  // namespace hx::text
