#include "platform/linux/linux_shell.h"
#include "platform/linux/process_defaults.h"

#include "platform/desktop_entry.h"
#include "platform/linux/gio_desktop.h"
#include "text/printable.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace hx::platform {

namespace {

const QString kFileManagerService = QStringLiteral("org.freedesktop.FileManager1");
const QString kFileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");

bool looksLikeUrl(const QString& target) {
    // "scheme://..." or "mailto:"; a bare "C:" style text is not a URL here.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+://"));
    return scheme.match(target).hasMatch() ||
           target.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive);
}

QString xdgDir(const char* variable, const QString& fallbackUnderHome) {
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value)) return value;
    return QDir::homePath() + u'/' + fallbackUnderHome;
}

bool gvfsBackendInstalled(const QString& location) {
    const QString daemon = QStringLiteral("gvfsd-") + location;
    for (const char* dir : {"/usr/libexec/", "/usr/lib/gvfs/", "/usr/libexec/gvfs/"})
        if (QFileInfo::exists(QString::fromLatin1(dir) + daemon)) return true;
    return false;
}

}  // namespace

LinuxShell::LinuxShell() : LinuxShell(ShellSystemCalls{}) {}

LinuxShell::LinuxShell(ShellSystemCalls calls, std::optional<QDBusConnection> bus)
    : calls_(std::move(calls)), bus_(std::move(bus)) {
    if (!calls_.openUrl)
        calls_.openUrl = [](const QUrl& url) {
            // QDesktopServices would hand our stand-in bus address on to
            // xdg-open and to what it opens.
            if (sessionBusAvoided())
                return startDetachedProcess(QStringLiteral("xdg-open"),
                                            {QString::fromUtf8(url.toEncoded())});
            return QDesktopServices::openUrl(url);
        };
    if (!calls_.startDetached) calls_.startDetached = startDetachedProcess;
    if (!calls_.programExists) calls_.programExists = programOnPath;
    if (!calls_.locationSupported) calls_.locationSupported = gvfsBackendInstalled;
    if (!calls_.launchDesktopEntry) calls_.launchDesktopEntry = platform::launchDesktopEntry;
}

QUrl LinuxShell::urlFor(const QString& target) {
    if (target.isEmpty()) return {};
    if (looksLikeUrl(target)) return QUrl(target, QUrl::TolerantMode);
    if (target.startsWith(QStringLiteral("www."), Qt::CaseInsensitive))
        return QUrl(QStringLiteral("http://") + target, QUrl::TolerantMode);
    const QFileInfo info(target);
    if (info.exists()) return QUrl::fromLocalFile(info.absoluteFilePath());
    // Any other text would only make xdg-open guess; the original shell fails too.
    return {};
}

CommandEnvironment LinuxShell::commandEnvironment() const {
    CommandEnvironment env;
    env.programExists = calls_.programExists;
    env.locationSupported = calls_.locationSupported;
    env.homeDir = QDir::homePath();
    env.configHome = xdgDir("XDG_CONFIG_HOME", QStringLiteral(".config"));
    env.dataHome = xdgDir("XDG_DATA_HOME", QStringLiteral(".local/share"));
    return env;
}

bool LinuxShell::open(const QString& target) {
    const QUrl url = urlFor(target);
    if (!url.isValid()) return false;
    if (url.isLocalFile()) {
        // The "open" verb on a program runs it; a file that cannot be executed
        // (a document on a FAT stick has every x bit) goes to its application.
        const QFileInfo info(url.toLocalFile());
        // A launcher is started as the desktop starts it: never run as a
        // program nor shown in an editor, whatever its size or content.
        if (info.isFile() &&
            info.suffix().compare(QLatin1String("desktop"), Qt::CaseInsensitive) == 0) {
            const auto entry = readDesktopEntry(info.absoluteFilePath());
            if (!entry) {
                qWarning(
                    "hengxiu-toolbox: %s is not a launcher that can be read (larger than "
                    "%lld bytes or without a [Desktop Entry] group); not started.",
                    text::printable(QFile::encodeName(info.absoluteFilePath())).constData(),
                    kMaxLauncherSize);
                return false;
            }
            // A link launcher opens what it points at.
            if (entry->type == QLatin1String("Link")) {
                const QUrl link(entry->url, QUrl::TolerantMode);
                return link.isValid() && !link.isEmpty() && calls_.openUrl(link);
            }
            return calls_.launchDesktopEntry(info.absoluteFilePath());
        }
        if (info.isFile() && info.isExecutable() &&
            calls_.startDetached(info.absoluteFilePath(), {}))
            return true;
    }
    return calls_.openUrl(url);
}

bool LinuxShell::startProcess(const QString& commandLine) {
    if (commandLine.trimmed().isEmpty()) return false;
    if (const auto mapped = mapWellKnownCommand(commandLine, commandEnvironment()))
        return runMapped(*mapped);
    QStringList args = QProcess::splitCommand(commandLine);
    if (args.isEmpty()) return false;
    const QString program = args.takeFirst();
    // A launcher named as the program is started as a launcher, never run.
    if (program.endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive) &&
        QFileInfo(program).isFile())
        return open(program);
    // Started directly: nothing in the line is interpreted by a shell.
    return calls_.startDetached(program, args);
}

bool LinuxShell::runMapped(const MappedCommand& command) {
    switch (command.action) {
        case MappedCommand::Action::StartProgram: {
            QStringList args = command.argv;
            if (args.isEmpty()) return false;
            const QString program = args.takeFirst();
            return calls_.startDetached(program, args);
        }
        case MappedCommand::Action::OpenLocation: {
            if (command.createFolder) QDir().mkpath(command.target);
            const bool isUrl = looksLikeUrl(command.target);
            const QUrl url = isUrl ? QUrl(command.target) : QUrl::fromLocalFile(command.target);
            if (calls_.openUrl(url)) return true;
            return !command.fallback.isEmpty() &&
                   calls_.openUrl(QUrl::fromLocalFile(command.fallback));
        }
        case MappedCommand::Action::Nothing:
            return false;
    }
    return false;
}

QDBusConnection LinuxShell::bus() {
    // Without a session bus, a connection that never connects.
    if (!bus_)
        bus_ = sessionBusAvailable() ? QDBusConnection::sessionBus()
                                     : QDBusConnection(QStringLiteral("hengxiu-no-bus"));
    return *bus_;
}

bool LinuxShell::askFileManager(const QString& method, const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) return false;
    QDBusConnection connection = bus();
    QDBusConnectionInterface* registry =
        connection.isConnected() ? connection.interface() : nullptr;
    // A file manager that is not running yet is usually started by the bus on
    // the first call, so an activatable name counts too.
    const bool available =
        registry && (registry->isServiceRegistered(kFileManagerService).value() ||
                     registry->activatableServiceNames().value().contains(kFileManagerService));
    if (available) {
        QDBusMessage call = QDBusMessage::createMethodCall(kFileManagerService, kFileManagerPath,
                                                           kFileManagerService, method);
        const QString uri =
            QString::fromUtf8(QUrl::fromLocalFile(info.absoluteFilePath()).toEncoded());
        call << QStringList{uri} << QString();
        // Not waited for: a busy file manager must not freeze the panel.
        connection.asyncCall(call);
        return true;
    }
    return calls_.openUrl(QUrl::fromLocalFile(info.absolutePath()));
}

bool LinuxShell::showProperties(const QString& path) {
    return askFileManager(QStringLiteral("ShowItemProperties"), path);
}

bool LinuxShell::showInFolder(const QString& path) {
    return askFileManager(QStringLiteral("ShowItems"), path);
}

}  // namespace hx::platform
