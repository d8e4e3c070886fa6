#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace hx::app {
namespace {

bool install(QTranslator* translator, bool loaded) {
    if (!loaded) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace

QString translationsFolder() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/" HX_TRANSLATIONS_RELATIVE);
}

bool installTranslations(QCoreApplication& application, const QLocale& locale,
                         const QString& folder) {
    const QString toolkit = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&application);
    // The first language asked for decides, as when Qt loads a translation by locale:
    // LANGUAGE comes first, even over a C locale.
    if (QLocale(locale.uiLanguages().value(0)).language() == QLocale::Chinese)
        return install(translator, translator->load(QStringLiteral("qtbase_zh_CN"), toolkit));
    // English is the one translation there is, whatever other language is asked for.
    const bool ours =
        install(translator, translator->load(QStringLiteral("hengxiu-toolbox_en"), folder));
    auto* buttons = new QTranslator(&application);
    install(buttons, buttons->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), toolkit));
    return ours;
}

}  // namespace hx::app
