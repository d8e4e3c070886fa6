#pragma once

#include <QFunctionPointer>
#include <QString>
#include <QStringList>

namespace hx::platform {

// The program's optional parts live in modules loaded on first use, so that a
// start maps none of the libraries behind them. Where a module is looked for:
// beside the program (build tree), the installed module folder, then the path
// the build knew (`builtPath`, may be empty).
QStringList moduleCandidates(const QString& fileName, const QString& builtPath);

// The first candidate that loads and exports `symbol`; null when none does.
// A module found is never unloaded: objects it made keep their code in it.
QFunctionPointer resolveInModules(const QStringList& candidates, const char* symbol);

}  // namespace hx::platform
