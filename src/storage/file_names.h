#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

namespace hx::storage {

// Names of the entries of `folder` that `filters` admits and that begin with
// `prefix` and end with `suffix`, both compared without case as QDir's name
// filters do. Those filters compile a regular expression per call, which
// loads the regular-expression library at every start for a suffix test.
QStringList fileNamesMatching(const QString& folder, QStringView prefix, QStringView suffix,
                              QDir::Filters filters = QDir::Files,
                              QDir::SortFlags sort = QDir::NoSort);

// Whether `path`, with every link followed, names a file right in `folder`
// (also followed): a link there never leads a reader out of it.
bool liesIn(const QString& path, const QString& folder);

}  // namespace hx::storage
