// Networking lives in a module of its own: Qt Network and what it brings
// (Kerberos, libproxy, ...) are only loaded at the first request.
#include "platform/network/linux_network.h"

extern "C" __attribute__((visibility("default"))) hx::platform::Network* hx_make_network() {
    return new hx::platform::LinuxNetwork();
}
