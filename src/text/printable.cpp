#include "text/printable.h"

#include <QChar>

namespace hx::text {
namespace {

// Length of the UTF-8 sequence starting at `at` and its code point; 0 when the
// bytes there are not one (overlong forms and surrogates included).
int decode(const QByteArray& bytes, qsizetype at, char32_t* code) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes.at(i)); };
    const unsigned char lead = byte(at);
    int length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        *code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) return 0;
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *code = value;
    return length;
}

bool shownAsEscape(char32_t code) {
    switch (QChar::category(code)) {
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return true;
        default:
            return false;
    }
}

}  // namespace

QByteArray printable(const QByteArray& bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t code = 0;
        const int length = decode(bytes, at, &code);
        if (length == 0) {
            out += "\\x" + QByteArray::number(static_cast<unsigned char>(bytes.at(at)), 16)
                               .rightJustified(2, '0')
                               .toUpper();
            ++at;
            continue;
        }
        if (code == u'\\') {
            out += "\\\\";
        } else if (code < 0x80 && shownAsEscape(code)) {
            out += "\\x" + QByteArray::number(uint(code), 16).rightJustified(2, '0').toUpper();
        } else if (shownAsEscape(code)) {
            out += "\\u{" + QByteArray::number(uint(code), 16).toUpper() + '}';
        } else {
            out += bytes.mid(at, length);
        }
        at += length;
    }
    return out;
}

QByteArray printable(const QString& text) { return printable(text.toUtf8()); }

}  // namespace hx::text
