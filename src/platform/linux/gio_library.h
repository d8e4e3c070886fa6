#pragma once

#include <dlfcn.h>

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace hx::platform {

// GIO, opened on first use and never closed, so that a start that neither
// launches nor lists programs never loads it. Null when it is not there.
inline void* gioLibrary() {
    static void* const library = dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    return library;
}

// `function` set to GIO's `name`; stays null when GIO or the name is missing.
template <class F>
void bindGio(F& function, const char* name) {
    if (void* library = gioLibrary()) function = reinterpret_cast<F>(dlsym(library, name));
}

}  // namespace hx::platform
