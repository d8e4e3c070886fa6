#include "appearance/file_filter.h"

#include <QStringList>

namespace hx::appearance {

QString qtFileFilter(const QString& classic) {
    const QStringList parts = classic.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // Qt separates several patterns with blanks, the classic form with ";".
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        entries << parts[i] + QStringLiteral(" (") + patterns.trimmed() + u')';
    }
    return entries.join(QStringLiteral(";;"));
}

}  // namespace hx::appearance
