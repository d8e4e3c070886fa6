#include "platform/linux/gio_desktop.h"

#include <QFile>

#include "platform/desktop_entry.h"
#include "platform/linux/gio.h"
#include "platform/linux/session_bus.h"
#include "platform/regular_file.h"

namespace hx::platform {

bool launchDesktopEntry(const QString& path) {
    // GIO would wait on a FIFO and read a file of any size.
    if (!readRegularFile(path, kMaxLauncherSize)) return false;
    const QByteArray file = QFile::encodeName(path);
    GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(file.constData());
    if (!info) return false;
    // The program started finds the session as it is, not our stand-in bus address.
    GAppLaunchContext* context = nullptr;
    if (sessionBusAvoided()) {
        context = g_app_launch_context_new();
        g_app_launch_context_unsetenv(context, "DBUS_SESSION_BUS_ADDRESS");
    }
    GError* error = nullptr;
    const gboolean ok =
        g_app_info_launch(reinterpret_cast<GAppInfo*>(info), nullptr, context, &error);
    if (error) g_error_free(error);
    if (context) g_object_unref(context);
    g_object_unref(info);
    return ok;
}

bool markTrusted(const QString& path) {
    // The metadata store is a service of the session bus.
    if (!sessionBusAvailable()) return false;
    const QByteArray file = QFile::encodeName(path);
    GFile* handle = g_file_new_for_path(file.constData());
    GError* error = nullptr;
    const gboolean ok = g_file_set_attribute_string(handle, "metadata::trusted", "true",
                                                    G_FILE_QUERY_INFO_NONE, nullptr, &error);
    if (error) g_error_free(error);
    g_object_unref(handle);
    return ok;
}

}  // namespace hx::platform
