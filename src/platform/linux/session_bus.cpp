#include "platform/linux/session_bus.h"

#include <sys/stat.h>

namespace hx::platform {

namespace {

const char* const kAddress = "DBUS_SESSION_BUS_ADDRESS";
// No transport of that name exists: libdbus and GDBus fail at once, and
// neither looks further for a bus to start.
const QByteArray kNowhere = QByteArrayLiteral("disabled:");

}  // namespace

bool sessionBusAvailable() {
    const QByteArray address = qgetenv(kAddress);
    if (!address.isEmpty()) return address != kNowhere;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat info {};
    return !runtime.isEmpty() && ::stat((runtime + "/bus").constData(), &info) == 0 &&
           S_ISSOCK(info.st_mode);
}

void avoidSessionBusLaunch() {
    if (!sessionBusAvailable()) qputenv(kAddress, kNowhere);
}

bool sessionBusAvoided() { return qgetenv(kAddress) == kNowhere; }

QProcessEnvironment childEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (sessionBusAvoided()) environment.remove(QString::fromLatin1(kAddress));
    return environment;
}

}  // namespace hx::platform
