#pragma once

// The items layer speaks of icon sources as its own type; the definition lives
// with the platform interfaces that produce and load them.
#include "platform/file_probe.h"

namespace hx::items {

using IconSource = platform::IconSource;

}  // namespace hx::items
