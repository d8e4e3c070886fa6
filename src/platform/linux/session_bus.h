#pragma once

#include <QProcessEnvironment>

namespace hx::platform {

// Without a session bus, connecting to one makes libdbus and GIO start a bus
// daemon of their own (X11 autolaunch), which stays after the program ends.
// The toolkit connects by itself (accessibility, the tray icon), so the guard
// is an address that connects nowhere, set before the toolkit starts and kept
// from the programs we start.

// Whether the session has a bus: DBUS_SESSION_BUS_ADDRESS names one, or the
// standard socket $XDG_RUNTIME_DIR/bus exists.
bool sessionBusAvailable();

// Call first thing in main(), before any thread starts: without a session
// bus, sets the address that connects nowhere.
void avoidSessionBusLaunch();

// Whether avoidSessionBusLaunch() put its address in place.
bool sessionBusAvoided();

// The environment for a program we start: ours, less the address that
// connects nowhere, so that it finds the session as it really is.
QProcessEnvironment childEnvironment();

}  // namespace hx::platform
