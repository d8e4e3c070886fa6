#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

namespace hx::app {

// The folder of the program's own .qm files: the same place relative to the
// executable in the build tree and under the installed prefix.
QString translationsFolder();

// The interface follows the locale (LANGUAGE, LC_ALL, LANG as Qt reads them).
// Chinese: the source texts as they are, and the toolkit's own Chinese texts,
// so that standard buttons read 是, 否, 确定, 取消. Any other language: the
// English translation from `folder`, and the toolkit's texts for that locale
// when installed. False when the translation it wanted is missing.
bool installTranslations(QCoreApplication& application, const QLocale& locale = QLocale::system(),
                         const QString& folder = translationsFolder());

}  // namespace hx::app
