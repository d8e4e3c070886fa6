#include "platform/desktop_entry.h"

#include <QList>

#include "platform/regular_file.h"

namespace hx::platform {

namespace {

QString unescape(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
            case 's':
                out += u' ';
                break;
            case 'n':
                out += u'\n';
                break;
            case 't':
                out += u'\t';
                break;
            case 'r':
                out += u'\r';
                break;
            case '\\':
                out += u'\\';
                break;
            default:
                out += c;
                out += next;
        }
    }
    return out;
}

}  // namespace

std::optional<DesktopEntry> parseDesktopEntry(const QByteArray& text) {
    bool seenGroup = false;
    bool inEntry = false;
    DesktopEntry entry;
    std::optional<QString> localName;
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        if (line.startsWith(u'[')) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            // Only the first group counts, as for the desktop itself.
            if (inEntry && seenGroup) break;
            if (inEntry) seenGroup = true;
            continue;
        }
        if (!inEntry) continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) continue;
        const QString key = line.left(eq).trimmed();
        const QString value = unescape(line.mid(eq + 1).trimmed());
        if (key == QLatin1String("Type"))
            entry.type = value;
        else if (key == QLatin1String("Name"))
            entry.name = value;
        else if (key == QLatin1String("Name[zh_CN]"))
            localName = value;
        else if (key == QLatin1String("Icon"))
            entry.icon = value;
        else if (key == QLatin1String("URL"))
            entry.url = value;
    }
    if (!seenGroup) return std::nullopt;
    if (localName && !localName->isEmpty()) entry.name = *localName;
    return entry;
}

std::optional<DesktopEntry> readDesktopEntry(const QString& path) {
    const auto text = readRegularFile(path, kMaxLauncherSize);
    if (!text) return std::nullopt;
    return parseDesktopEntry(*text);
}

}  // namespace hx::platform
