#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace hx::platform {

// The real actions behind the backends' test calls.
inline bool startDetachedProcess(const QString& program, const QStringList& args) {
    return QProcess::startDetached(program, args);
}

inline bool programOnPath(const QString& program) {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

}  // namespace hx::platform
