#pragma once

#include <QString>

namespace hx::appearance {

// A classic open-file filter ("名称|*.a|名称|*.b") in Qt's form
// ("名称 (*.a);;名称 (*.b)"). A trailing name without a pattern is dropped.
QString qtFileFilter(const QString& classic);

}  // namespace hx::appearance
