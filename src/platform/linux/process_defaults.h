#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include "platform/linux/session_bus.h"

namespace hx::platform {

// The real actions behind the backends' test calls.
inline bool startDetachedProcess(const QString& program, const QStringList& args) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    if (sessionBusAvoided()) process.setProcessEnvironment(childEnvironment());
    return process.startDetached();
}

inline bool programOnPath(const QString& program) {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

}  // namespace hx::platform
