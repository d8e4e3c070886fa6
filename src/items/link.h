#pragma once

#include <QString>

namespace hx::items {

// What opening a stored link does. Only the first character is a prefix; the
// power words must match the whole link exactly.
enum class LinkKind { PowerOff, Logoff, Reboot, Web, Command, Plain };

struct LinkPlan {
    LinkKind kind = LinkKind::Plain;
    // Web/Command: the text after the prefix; Plain: the whole link; power: empty.
    QString text;
    // Power kinds only: the title the countdown window gets.
    QString countdownTitle;
};

LinkPlan classifyLink(const QString& link);

// The search list of the settings window knows no power words and never falls
// back from a failed process to the shell.
enum class SearchLaunch { StartProcess, ShellOpen };

struct SearchLaunchPlan {
    SearchLaunch action = SearchLaunch::ShellOpen;
    QString text;
};

SearchLaunchPlan searchLaunchPlan(const QString& link);

}  // namespace hx::items
