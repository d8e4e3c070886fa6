#include "storage/file_names.h"

#include <QFileInfo>

namespace hx::storage {

QStringList fileNamesMatching(const QString& folder, QStringView prefix, QStringView suffix,
                              QDir::Filters filters, QDir::SortFlags sort) {
    QStringList names = QDir(folder).entryList(filters, sort);
    names.removeIf([&](const QString& name) {
        return name.size() < prefix.size() + suffix.size() ||
               !name.startsWith(prefix, Qt::CaseInsensitive) ||
               !name.endsWith(suffix, Qt::CaseInsensitive);
    });
    return names;
}

bool liesIn(const QString& path, const QString& folder) {
    const QString real = QFileInfo(path).canonicalFilePath();
    const QString realFolder = QFileInfo(folder).canonicalFilePath();
    return !real.isEmpty() && !realFolder.isEmpty() && QFileInfo(real).absolutePath() == realFolder;
}

}  // namespace hx::storage
