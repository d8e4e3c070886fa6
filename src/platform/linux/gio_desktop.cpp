#include "platform/linux/gio_desktop.h"

#include <QFile>

#include "platform/desktop_entry.h"
#include "platform/linux/gio_library.h"
#include "platform/linux/session_bus.h"
#include "platform/regular_file.h"


namespace hx::platform {

namespace {

// GIO is opened on first use, so that starting the program never pays for
// loading it.
struct Gio {
    decltype(&g_desktop_app_info_new_from_filename) appInfoFromFile = nullptr;
    decltype(&g_app_info_launch) launch = nullptr;
    decltype(&g_file_new_for_path) fileForPath = nullptr;
    decltype(&g_file_set_attribute_string) setAttribute = nullptr;
    decltype(&g_object_unref) unref = nullptr;
    decltype(&g_error_free) freeError = nullptr;
    decltype(&g_app_launch_context_new) newContext = nullptr;
    decltype(&g_app_launch_context_unsetenv) unsetInContext = nullptr;

    bool ok() const {
        return appInfoFromFile && launch && fileForPath && setAttribute && unref && freeError &&
               newContext && unsetInContext;
    }
};

const Gio& gio() {
    static const Gio loaded = [] {
        Gio g;
        bindGio(g.appInfoFromFile, "g_desktop_app_info_new_from_filename");
        bindGio(g.launch, "g_app_info_launch");
        bindGio(g.fileForPath, "g_file_new_for_path");
        bindGio(g.setAttribute, "g_file_set_attribute_string");
        bindGio(g.unref, "g_object_unref");
        bindGio(g.freeError, "g_error_free");
        bindGio(g.newContext, "g_app_launch_context_new");
        bindGio(g.unsetInContext, "g_app_launch_context_unsetenv");
        return g;
    }();
    return loaded;
}

}  // namespace

bool launchDesktopEntry(const QString& path) {
    // GIO would wait on a FIFO and read a file of any size.
    if (!readRegularFile(path, kMaxLauncherSize)) return false;
    const Gio& g = gio();
    if (!g.ok()) return false;
    const QByteArray file = QFile::encodeName(path);
    GDesktopAppInfo* info = g.appInfoFromFile(file.constData());
    if (!info) return false;
    // The program started finds the session as it is, not our stand-in bus address.
    GAppLaunchContext* context = nullptr;
    if (sessionBusAvoided()) {
        context = g.newContext();
        g.unsetInContext(context, "DBUS_SESSION_BUS_ADDRESS");
    }
    GError* error = nullptr;
    const gboolean ok = g.launch(reinterpret_cast<GAppInfo*>(info), nullptr, context, &error);
    if (error) g.freeError(error);
    if (context) g.unref(context);
    g.unref(info);
    return ok;
}

bool markTrusted(const QString& path) {
    // The metadata store is a service of the session bus.
    if (!sessionBusAvailable()) return false;
    const Gio& g = gio();
    if (!g.ok()) return false;
    const QByteArray file = QFile::encodeName(path);
    GFile* handle = g.fileForPath(file.constData());
    GError* error = nullptr;
    const gboolean ok = g.setAttribute(handle, "metadata::trusted", "true", G_FILE_QUERY_INFO_NONE,
                                       nullptr, &error);
    if (error) g.freeError(error);
    g.unref(handle);
    return ok;
}

}  // namespace hx::platform
