#pragma once

#include "platform/file_probe.h"

namespace hx::platform {

// File attributes from the file system, registered icons from shared-mime-info
// and the icon theme, icons inside files through IconLoader's readers.
class LinuxFileProbe : public FileProbe {
  public:
    std::optional<int> attributes(const QString& path) const override;

    // The mime type of "x." + extension (by name only, the file is never read);
    // its icon, else its generic icon, when the icon theme has it. Nothing for
    // the empty extension or an extension no mime type claims.
    std::optional<IconSource> registeredIcon(const QString& extension) const override;

    bool hasIcon(const QString& path, int index) const override;
    bool isProgram(const QString& path) const override;
};

}  // namespace hx::platform
