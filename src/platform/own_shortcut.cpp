#include "platform/own_shortcut.h"

#include <QFileInfo>

namespace hx::platform {

namespace {

// One argument in the form QProcess::splitCommand reads back: quoted, with a
// literal quote written three times.
QString splitQuoted(QString argument) {
    argument.replace(u'"', QStringLiteral("\"\"\""));
    return u'"' + argument + u'"';
}

}  // namespace

QString ownShortcutFileName() { return QStringLiteral("衡岫电脑工具箱.desktop"); }

bool ensureOwnShortcut(Desktop& desktop, const QString& programPath, const QString& dataRoot,
                       const QString& iconPath) {
    const QString dir = desktop.desktopDir();
    if (dir.isEmpty() || programPath.isEmpty()) return false;
    const QString path = dir + u'/' + ownShortcutFileName();
    const QFileInfo existing(path);
    // A dangling symbolic link is still "a file of that name".
    if (existing.exists() || existing.isSymLink()) return false;
    LauncherFile launcher;
    launcher.name = QStringLiteral("衡岫电脑工具箱");
    launcher.comment = QStringLiteral("衡岫软件 出品的电脑工具箱");
    launcher.target = programPath;
    launcher.arguments = QStringLiteral("--root ") + splitQuoted(dataRoot);
    launcher.workingDir = dataRoot;
    launcher.icon = iconPath;
    return desktop.writeLauncher(path, launcher);
}

}  // namespace hx::platform
