#include "items/link.h"

namespace hx::items {

namespace {
const QChar kWebPrefix = u'@';
const QChar kCommandPrefix = u'&';
}  // namespace

LinkPlan classifyLink(const QString& link) {
    // Exact comparison: "&关机 " with a blank is an ordinary command line.
    if (link == u"&关机") return {LinkKind::PowerOff, {}, QStringLiteral("关闭计算机")};
    if (link == u"&注销") return {LinkKind::Logoff, {}, QStringLiteral("注销计算机")};
    if (link == u"&重启") return {LinkKind::Reboot, {}, QStringLiteral("重启计算机")};
    if (link.startsWith(kWebPrefix)) return {LinkKind::Web, link.mid(1), {}};
    if (link.startsWith(kCommandPrefix)) return {LinkKind::Command, link.mid(1), {}};
    return {LinkKind::Plain, link, {}};
}

SearchLaunchPlan searchLaunchPlan(const QString& link) {
    if (link.startsWith(kCommandPrefix)) return {SearchLaunch::StartProcess, link.mid(1)};
    if (link.startsWith(kWebPrefix)) return {SearchLaunch::ShellOpen, link.mid(1)};
    return {SearchLaunch::ShellOpen, link};
}

}  // namespace hx::items
