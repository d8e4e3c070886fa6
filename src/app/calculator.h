#pragma once

#include <QString>
#include <optional>

namespace hx::app {

// The value of an arithmetic text typed in quick open ("2+3*4", "2^10",
// "sqrt(2)", "10%3"), as shown; nothing for a text that is not one, or whose
// value is not a finite number (division by zero, overflow).
std::optional<QString> calculate(const QString& text);

}  // namespace hx::app
