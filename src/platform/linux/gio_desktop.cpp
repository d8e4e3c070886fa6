#include "platform/linux/gio_desktop.h"

#include <QFile>

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace hx::platform {

bool launchDesktopEntry(const QString& path) {
    const QByteArray file = QFile::encodeName(path);
    GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(file.constData());
    if (!info) return false;
    GError* error = nullptr;
    const gboolean ok = g_app_info_launch(G_APP_INFO(info), nullptr, nullptr, &error);
    if (error) g_error_free(error);
    g_object_unref(info);
    return ok;
}

bool markTrusted(const QString& path) {
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
