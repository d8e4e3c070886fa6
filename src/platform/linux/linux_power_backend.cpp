#include "platform/linux/linux_power_backend.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QFile>
#include <QtGlobal>

namespace hx::platform {
namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");

// The program ends right after asking; wait this long at most for logind to
// take the request so it is not lost with the connection.
constexpr int kReplyTimeoutMs = 2000;

}  // namespace

bool LinuxPowerBackend::isDryRun() {
    return qEnvironmentVariable("HENGXIU_POWER") == QLatin1String("dry-run");
}

QString LinuxPowerBackend::actionName(PowerAction action) {
    switch (action) {
        case PowerAction::PowerOff:
            return QStringLiteral("poweroff");
        case PowerAction::Logoff:
            return QStringLiteral("logoff");
        case PowerAction::Reboot:
            return QStringLiteral("reboot");
    }
    return {};
}

void LinuxPowerBackend::request(PowerAction action) {
    if (isDryRun())
        record(action);
    else
        send(action);
}

void LinuxPowerBackend::record(PowerAction action) {
    const QString name = actionName(action);
    recorded_.push_back(name);
    const QString logPath = qEnvironmentVariable("HENGXIU_POWER_LOG");
    if (logPath.isEmpty()) return;
    QFile log(logPath);
    if (log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        log.write(name.toUtf8() + '\n');
}

void LinuxPowerBackend::send(PowerAction action) {
    QDBusMessage message;
    switch (action) {
        case PowerAction::PowerOff:
        case PowerAction::Reboot:
            // interactive = false: no authentication prompt, as the request
            // is made without asking the user again.
            message = QDBusMessage::createMethodCall(kService, kManagerPath, kManager,
                                                     action == PowerAction::PowerOff
                                                         ? QStringLiteral("PowerOff")
                                                         : QStringLiteral("Reboot"));
            message << false;
            break;
        case PowerAction::Logoff: {
            const QString session = qEnvironmentVariable("XDG_SESSION_ID");
            if (!session.isEmpty()) {
                message = QDBusMessage::createMethodCall(kService, kManagerPath, kManager,
                                                         QStringLiteral("TerminateSession"));
                message << session;
            } else {
                // "auto": the caller's session, or the user's display session.
                message = QDBusMessage::createMethodCall(
                    kService, QStringLiteral("/org/freedesktop/login1/session/auto"),
                    QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("Terminate"));
            }
            break;
        }
    }
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return;
    QDBusPendingCall pending = bus.asyncCall(message, kReplyTimeoutMs);
    pending.waitForFinished();
}

}  // namespace hx::platform
