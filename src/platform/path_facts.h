#pragma once

#include <QString>
#include <optional>

namespace hx::platform {

// What the file system says about a path dropped on the item grid.
struct PathFacts {
    enum class Kind { Missing, File, Directory, Other };
    Kind kind = Kind::Missing;
    // Windows-style attribute number (see FileProbe); none when missing.
    std::optional<int> attributes;
    // An executable regular file that is an ELF binary or starts with "#!".
    bool program = false;
    // A launcher file of Type=Application, and its shown name.
    bool launcher = false;
    QString launcherName;
    // Mount points: the file system's label, may be empty.
    QString volumeLabel;
};

// Reads the facts from the real file system. Symbolic links are followed; a
// dangling link or a link loop is Missing. Safe from any thread.
PathFacts inspectPath(const QString& path);

}  // namespace hx::platform
