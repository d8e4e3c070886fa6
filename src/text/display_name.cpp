#include "text/display_name.h"

namespace hx::text {
namespace {

bool reorders(char16_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }

}  // namespace

QString displayName(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (c == u'\r' && i + 1 < name.size() && name.at(i + 1) == u'\n') continue;
        if (c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029)
            out += QChar(0x23CE);
        else if (c == u'\t')
            out += QChar(0x2192);
        else if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
            out += QChar(0xFFFD);
        else if (!reorders(c))
            out += QChar(c);
    }
    return out;
}

}  // namespace hx::text
