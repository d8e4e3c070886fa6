#include "storage/file_names.h"

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

}  // namespace hx::storage
