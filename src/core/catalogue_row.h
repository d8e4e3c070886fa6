#pragma once

#include <QString>

namespace hx::core {

// One entry of the open column, as the loader read it from 表1.
struct CatalogueRow {
    QString name;
    QString link;
    QString icon;
    bool operator==(const CatalogueRow&) const = default;
};

}  // namespace hx::core
