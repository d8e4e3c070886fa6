#include "platform/linux/linux_desktop.h"
#include "platform/linux/process_defaults.h"

#include "platform/command_mapping.h"
#include "platform/desktop_entry.h"
#include "platform/linux/gio_desktop.h"
#include "platform/regular_file.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace hx::platform {

namespace {

// String values of the launcher format escape backslash and control characters.
QString escapeValue(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u' ' && i == 0)
            out += QStringLiteral("\\s");
        else
            out += c;
    }
    return out;
}

QString quoteArgument(const QString& arg) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = arg.isEmpty();
    for (const QChar c : arg)
        if (reserved.contains(c)) needsQuotes = true;
    QString out;
    if (needsQuotes) out += u'"';
    for (const QChar c : arg) {
        if (needsQuotes && (c == u'"' || c == u'`' || c == u'$' || c == u'\\')) out += u'\\';
        if (c == u'%')
            out += QStringLiteral("%%");  // field codes start with %
        else
            out += c;
    }
    if (needsQuotes) out += u'"';
    return out;
}

bool isWebAddress(const QString& target) {
    return target.contains(QStringLiteral("://")) ||
           target.startsWith(QStringLiteral("www."), Qt::CaseInsensitive);
}

QStringList commandOf(const LauncherFile& launcher) {
    if (!launcher.commandLine.isEmpty()) return QProcess::splitCommand(launcher.commandLine);
    const QFileInfo info(launcher.target);
    QStringList args = QProcess::splitCommand(launcher.arguments);
    if (info.isFile() && info.isExecutable()) return QStringList{launcher.target} + args;
    // Documents, folders and web pages are opened, as the original shortcut did.
    if (info.exists() || isWebAddress(launcher.target))
        return QStringList{QStringLiteral("xdg-open"), launcher.target};
    // Anything else stays as it was stored, even if nothing can follow it.
    return QStringList{launcher.target} + args;
}

bool defaultCallSessionBus(const QDBusMessage& call) {
    if (!sessionBusAvailable()) return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface* registry = bus.isConnected() ? bus.interface() : nullptr;
    if (!registry || !registry->isServiceRegistered(call.service()).value()) return false;
    bus.asyncCall(call);
    return true;
}

}  // namespace

LinuxDesktop::LinuxDesktop() : LinuxDesktop(DesktopSystemCalls{}) {}

LinuxDesktop::LinuxDesktop(DesktopSystemCalls calls) : calls_(std::move(calls)) {
    if (!calls_.startDetached) calls_.startDetached = startDetachedProcess;
    if (!calls_.programExists) calls_.programExists = programOnPath;
    if (!calls_.callSessionBus) calls_.callSessionBus = defaultCallSessionBus;
    // GNOME's desktop icons refuse to run launchers not marked trusted.
    if (!calls_.markTrusted)
        calls_.markTrusted = [](const QString& path) { platform::markTrusted(path); };
}

void LinuxDesktop::applyWellKnownCommand(LauncherFile& launcher) const {
    CommandEnvironment env;
    env.programExists = calls_.programExists;
    env.locationSupported = [](const QString& location) {
        for (const char* dir : {"/usr/libexec/", "/usr/lib/gvfs/", "/usr/libexec/gvfs/"})
            if (QFileInfo::exists(QString::fromLatin1(dir) + QStringLiteral("gvfsd-") + location))
                return true;
        return false;
    };
    env.homeDir = QDir::homePath();
    const auto xdg = [](const char* variable, const QString& underHome) {
        const QString value = qEnvironmentVariable(variable);
        return !value.isEmpty() && QDir::isAbsolutePath(value)
                   ? value
                   : QDir::homePath() + u'/' + underHome;
    };
    env.configHome = xdg("XDG_CONFIG_HOME", QStringLiteral(".config"));
    env.dataHome = xdg("XDG_DATA_HOME", QStringLiteral(".local/share"));
    const auto mapped = mapWellKnownCommand(launcher.commandLine, env);
    if (!mapped) return;
    switch (mapped->action) {
        case MappedCommand::Action::StartProgram: {
            // Quoted the way QProcess::splitCommand reads it back.
            QStringList quoted;
            for (QString arg : mapped->argv) {
                if (arg.isEmpty() || arg.contains(u' ') || arg.contains(u'"') ||
                    arg.contains(u'\t'))
                    arg = u'"' + arg.replace(u'"', QStringLiteral("\"\"\"")) + u'"';
                quoted << arg;
            }
            launcher.commandLine = quoted.join(u' ');
            break;
        }
        case MappedCommand::Action::OpenLocation:
            launcher.kind = LauncherFile::Kind::Link;
            launcher.commandLine.clear();
            launcher.target = mapped->target;
            break;
        case MappedCommand::Action::Nothing:
            break;
    }
}

QString LinuxDesktop::desktopDir() {
    QString dir = qEnvironmentVariable("HENGXIU_DESKTOP_DIR");
    if (dir.isEmpty()) {
        if (!xdgDesktop_) {
            QString answer;
            QProcess query;
            query.start(QStringLiteral("xdg-user-dir"), {QStringLiteral("DESKTOP")});
            if (query.waitForStarted(2000) && query.waitForFinished(2000) &&
                query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0)
                answer = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
            else
                query.kill();
            if (answer.isEmpty() || !QDir::isAbsolutePath(answer))
                answer = QDir::homePath() + QStringLiteral("/Desktop");
            xdgDesktop_ = answer;
        }
        dir = *xdgDesktop_;
    }
    while (dir.size() > 1 && dir.endsWith(u'/')) dir.chop(1);
    return dir;
}

QString LinuxDesktop::execValue(const QStringList& argv) {
    QStringList quoted;
    for (const QString& arg : argv) quoted << quoteArgument(arg);
    // The string escaping applies on top of the quoting: a literal backslash
    // inside quotes is written as four.
    return escapeValue(quoted.join(u' '));
}

QString LinuxDesktop::linkUrl(const QString& target) {
    if (isWebAddress(target)) {
        const QString address = target.startsWith(QStringLiteral("www."), Qt::CaseInsensitive)
                                    ? QStringLiteral("http://") + target
                                    : target;
        // Blanks and Chinese in an address are percent-encoded, as browsers send them.
        const QUrl url(address, QUrl::TolerantMode);
        return url.isValid() ? QString::fromUtf8(url.toEncoded()) : address;
    }
    // Relative texts have no meaning on the desktop; they stay as they are.
    if (!QDir::isAbsolutePath(target)) return target;
    return QString::fromUtf8(QUrl::fromLocalFile(target).toEncoded());
}

QString LinuxDesktop::launcherText(const LauncherFile& launcher) {
    const bool link = launcher.kind == LauncherFile::Kind::Link;
    QString text = QStringLiteral("[Desktop Entry]\nType=") +
                   (link ? QStringLiteral("Link") : QStringLiteral("Application")) +
                   QStringLiteral("\nVersion=1.0\n");
    text += QStringLiteral("Name=") + escapeValue(launcher.name) + u'\n';
    if (link) {
        text += QStringLiteral("URL=") + escapeValue(linkUrl(launcher.target)) + u'\n';
        if (!launcher.icon.isEmpty())
            text += QStringLiteral("Icon=") + escapeValue(launcher.icon) + u'\n';
        return text;
    }
    if (!launcher.comment.isEmpty())
        text += QStringLiteral("Comment=") + escapeValue(launcher.comment) + u'\n';
    text += QStringLiteral("Exec=") + execValue(commandOf(launcher)) + u'\n';
    if (!launcher.workingDir.isEmpty())
        text += QStringLiteral("Path=") + escapeValue(launcher.workingDir) + u'\n';
    if (!launcher.icon.isEmpty())
        text += QStringLiteral("Icon=") + escapeValue(launcher.icon) + u'\n';
    text += QStringLiteral("Terminal=false\n");
    return text;
}

bool LinuxDesktop::writeLauncher(const QString& path, const LauncherFile& given) {
    const QFileInfo existing(path);
    if (path.isEmpty() || existing.isDir()) return false;
    LauncherFile launcher = given;
    QByteArray bytes;
    if (launcher.kind == LauncherFile::Kind::Copy) {
        bytes = readRegularFile(launcher.target, kMaxLauncherSize).value_or(QByteArray());
        if (!parseDesktopEntry(bytes)) return false;
    } else {
        if (launcher.kind == LauncherFile::Kind::Application && !launcher.commandLine.isEmpty())
            applyWellKnownCommand(launcher);
        bytes = launcherText(launcher).toUtf8();
    }
    // A link of that name is replaced, never followed to wherever it points.
    if (existing.isSymLink() && !QFile::remove(path)) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size() || !file.commit()) return false;
    // Desktops only run launchers that their owner may execute.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                    QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                    QFileDevice::ExeOther);
    calls_.markTrusted(path);
    return true;
}

LinuxDesktop::ScreenOffRoute LinuxDesktop::screenOffRoute(const QString& sessionType,
                                                          bool hasWaylandDisplay, bool hasDisplay,
                                                          bool xsetExists) {
    const bool wayland = sessionType.compare(QStringLiteral("wayland"), Qt::CaseInsensitive) == 0 ||
                         hasWaylandDisplay;
    if (wayland) return ScreenOffRoute::ScreenSaver;
    if (hasDisplay && xsetExists) return ScreenOffRoute::Dpms;
    if (hasDisplay) return ScreenOffRoute::ScreenSaver;
    return ScreenOffRoute::None;
}

void LinuxDesktop::monitorOff() {
    const ScreenOffRoute route = screenOffRoute(
        qEnvironmentVariable("XDG_SESSION_TYPE"), qEnvironmentVariableIsSet("WAYLAND_DISPLAY"),
        qEnvironmentVariableIsSet("DISPLAY"), calls_.programExists(QStringLiteral("xset")));
    if (route == ScreenOffRoute::Dpms) {
        calls_.startDetached(
            QStringLiteral("xset"),
            {QStringLiteral("dpms"), QStringLiteral("force"), QStringLiteral("off")});
        return;
    }
    if (route == ScreenOffRoute::None) return;
    // GNOME blanks on its own interface; KDE and others answer the freedesktop one.
    QDBusMessage gnome = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("/org/gnome/ScreenSaver"),
        QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("SetActive"));
    gnome << true;
    if (calls_.callSessionBus(gnome)) return;
    QDBusMessage other = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("SetActive"));
    other << true;
    calls_.callSessionBus(other);
}

}  // namespace hx::platform
