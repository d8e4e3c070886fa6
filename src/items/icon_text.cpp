#include "items/icon_text.h"

#include "items/image_list.h"
#include "platform/icon_library.h"
#include "platform/icon_loader.h"
#include "text/decimal.h"

namespace hx::items {

namespace {

using platform::IconSource;

// The system library's icon n, or none when the library has no such icon.
IconSource systemIcon(int n) {
    return platform::systemIconName(n) ? IconSource::systemIndex(n) : IconSource::none();
}

// "Add icon from file": the file's icon n when it has one.
IconSource fileIcon(const QString& path, int n, const platform::FileProbe& probe) {
    if (path.isEmpty() || !probe.hasIcon(path, n)) return IconSource::none();
    return IconSource::fileIcon(path, n);
}

IconSource registered(const QString& extension, const platform::FileProbe& probe) {
    if (extension.isEmpty()) return IconSource::none();
    const auto icon = probe.registeredIcon(extension);
    if (!icon) return IconSource::none();
    // A registry-style answer (file and index) still has to hold that icon.
    if (icon->kind == IconSource::Kind::FileIcon) return fileIcon(icon->text, icon->index, probe);
    return *icon;
}

}  // namespace

QString iconTextExtension(const QString& iconText) {
    const qsizetype dot = iconText.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return {};
    QString ext = iconText.mid(dot + 1);
    for (QChar& c : ext) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() + ('a' - 'A'));
    }
    return ext;
}

IconSource resolveIconSource(const QString& iconText, const platform::FileProbe& probe) {
    QString text = iconText;
    IconSource result;

    // Steps 1-3: the picture the text names, with the generic fall-backs.
    // A program of this system counts as "exe" whatever its extension.
    if (iconTextExtension(text) != QLatin1String("exe") && !probe.isProgram(text)) {
        result = registered(iconTextExtension(text), probe);
        // A launcher shows its application's icon, as the desktop does.
        if (iconTextExtension(text) == QLatin1String("desktop")) {
            if (const IconSource own = fileIcon(text, 0, probe); !own.isNone()) result = own;
        }
        if (text.endsWith(QLatin1Char(']'))) {
            // "path[N]": the path is what precedes the last "[" (nothing when
            // there is none), N the number between the brackets.
            const qsizetype open = text.lastIndexOf(QLatin1Char('['));
            const QString path = open < 0 ? QString() : text.left(open);
            const int n = text::toInt32(text.mid(open + 1, text.size() - open - 2));
            text = path;
            result = fileIcon(path, n, probe);
        }
        if (result.isNone()) result = systemIcon(0);
    } else {
        result = fileIcon(text, 0, probe);
        if (result.isNone()) result = systemIcon(2);
    }

    // Step 4: the first special case that applies wins.
    const std::optional<int> attributes = probe.attributes(text);
    if (iconTextExtension(text) == QLatin1String("scf")) {
        result = systemIcon(34);
    } else if (attributes && (*attributes == 16 || *attributes == 17 || *attributes == 18)) {
        result = systemIcon(3);
    } else if (attributes && *attributes == 22) {
        result = systemIcon(7);
    } else if (text.startsWith(QLatin1Char('@'))) {
        result = IconSource::webLink();
    } else if (result.isNone()) {
        result = systemIcon(0);
    } else if (text.startsWith(QLatin1Char('$'))) {
        const QString value = text.mid(text.lastIndexOf(QLatin1Char('$')) + 1);
        result = value == QLatin1String("0") ? IconSource::registryEditor()
                                             : systemIcon(text::toInt32(value));
    }
    return result;
}

QString withoutLegacyMarker(const QString& iconText) {
    QString out = iconText;
    out.remove(QStringLiteral("@$超链接$@"), Qt::CaseSensitive);
    return out;
}

std::optional<int> appendIcon(const IconSource& source, platform::IconLoader& loader,
                              ImageList& list) {
    if (source.isNone()) return std::nullopt;
    const QImage image = loader.load(source, list.imageSize());
    if (image.isNull()) return std::nullopt;
    const int index = list.append(image);
    if (index < 0) return std::nullopt;
    return index;
}

std::optional<int> resolveIcon(const QString& iconText, const platform::FileProbe& probe,
                               platform::IconLoader& loader, ImageList& list) {
    return appendIcon(resolveIconSource(iconText, probe), loader, list);
}

}  // namespace hx::items
