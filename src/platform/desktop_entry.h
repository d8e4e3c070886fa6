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

// Launchers are short texts; a longer file is never read as one.
inline constexpr qint64 kMaxLauncherSize = 1024 * 1024;

// Reads a launcher file (at most kMaxLauncherSize); none when it is not one,
// or not a regular file.
std::optional<DesktopEntry> readDesktopEntry(const QString& path);

}  // namespace hx::platform
