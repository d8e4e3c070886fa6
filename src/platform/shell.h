#pragma once

#include <QString>

namespace hx::platform {

// What the original shell does for a launcher: the "open" verb, starting a
// command line, properties and "show in folder". Results are reported, never
// shown.
class Shell {
  public:
    virtual ~Shell() = default;
    // Web address, path, folder or any text the desktop can open.
    virtual bool open(const QString& target) = 0;
    // A command line split into arguments and started directly (never through a
    // shell). Well-known commands of the original system are mapped to this
    // desktop's equivalents here.
    virtual bool startProcess(const QString& commandLine) = 0;
    virtual bool showProperties(const QString& path) = 0;
    virtual bool showInFolder(const QString& path) = 0;
};

}  // namespace hx::platform
