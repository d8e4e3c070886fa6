#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace hx::platform {

// Stored links keep the original system's command lines ("&control.exe", the
// computer and recycle-bin folders, "msconfig", "regedt32"); these are the
// nearest things this desktop offers.
struct MappedCommand {
    enum class Action {
        StartProgram,  // argv: program and arguments
        OpenLocation,  // target: URL or local folder; fallback: folder when the URL is refused
        Nothing,       // no equivalent installed: report failure
    };
    Action action = Action::Nothing;
    QStringList argv;
    QString target;
    QString fallback;
    bool createFolder = false;  // make `target` (a folder) first when missing
};

struct CommandEnvironment {
    std::function<bool(const QString& program)> programExists;
    // Whether a virtual location ("computer", "trash") can be browsed here.
    std::function<bool(const QString& location)> locationSupported;
    QString homeDir;
    QString configHome;  // $XDG_CONFIG_HOME or ~/.config
    QString dataHome;    // $XDG_DATA_HOME or ~/.local/share
};

// nullopt when the command line is not one of the well-known commands; it is
// then started as it stands.
std::optional<MappedCommand> mapWellKnownCommand(const QString& commandLine,
                                                 const CommandEnvironment& env);

// Settings programs tried for the control panel, in this order.
const QStringList& settingsPrograms();

}  // namespace hx::platform
