#include "platform/linux/modules.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace hx::platform {

QStringList moduleCandidates(const QString& fileName, const QString& builtPath) {
    const QString here = QCoreApplication::applicationDirPath();
    QStringList list{here + QLatin1Char('/') + fileName};
#ifdef HX_MODULE_DIR_INSTALLED
    list << here + QLatin1Char('/') + QStringLiteral(HX_MODULE_DIR_INSTALLED) + QLatin1Char('/') +
                fileName;
#endif
    if (!builtPath.isEmpty()) list << builtPath;
    return list;
}

QFunctionPointer resolveInModules(const QStringList& candidates, const char* symbol) {
    for (const QString& path : candidates) {
        if (!QFileInfo(path).isFile()) continue;
        auto* library = new QLibrary(path);
        if (QFunctionPointer found = library->resolve(symbol)) return found;
        delete library;
    }
    return nullptr;
}

}  // namespace hx::platform
