#include "core/catalogue_state.h"

namespace hx::core {

void CatalogueState::renameCategory(int index, const QString& name) {
    if (index >= 0 && index < categories_.size()) categories_[index] = name;
}

void CatalogueState::removeCategory(int index) {
    if (index >= 0 && index < categories_.size()) categories_.removeAt(index);
}

void CatalogueState::setColumns(QStringList names) {
    columns_ = std::move(names);
    openColumn_ = -1;
    rows_.clear();
}

void CatalogueState::renameColumn(int index, const QString& name) {
    if (index >= 0 && index < columns_.size()) columns_[index] = name;
}

void CatalogueState::removeColumn(int index) {
    if (index >= 0 && index < columns_.size()) columns_.removeAt(index);
}

void CatalogueState::removeOpenRow(int index) {
    if (index >= 0 && index < rows_.size()) rows_.removeAt(index);
}

}  // namespace hx::core
