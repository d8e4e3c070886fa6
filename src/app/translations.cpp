#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace hx::app {

bool installToolkitTranslations(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    // The program speaks Chinese whatever the user's locale; so do its buttons.
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace hx::app
