#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace hx::platform {

// The keys of a launcher's [Desktop Entry] group that the program uses.
struct DesktopEntry {
    QString type;  // "Application", "Link", "Directory", ...
    QString name;  // Name[zh_CN] when present, else Name
    QString icon;
    QString url;  // Type=Link: what it opens
    bool isApplication() const { return type == QLatin1String("Application"); }
};

// Reads the [Desktop Entry] group of a launcher's text; none when the text has
// no such group. Values are unescaped (\s \n \t \r \\).
std::optional<DesktopEntry> parseDesktopEntry(const QByteArray& text);

// Reads a launcher file (at most 1 MiB); none when it is not one.
std::optional<DesktopEntry> readDesktopEntry(const QString& path);

}  // namespace hx::platform
