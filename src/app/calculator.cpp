#include "app/calculator.h"

#include <muParser.h>

#include <cmath>

namespace hx::app {

std::optional<QString> calculate(const QString& text) {
    const QString t = text.trimmed();
    // A name with a digit in it is not a sum: an operator, or a function's
    // bracket, must be there too. Comparisons and the conditional are not
    // arithmetic; a comma would give several results.
    bool digit = false, op = false;
    for (QChar c : t) {
        if (c.isDigit()) digit = true;
        if (QStringLiteral("+-*/^%(").contains(c)) op = true;
        if (c.unicode() > 127 || QStringLiteral("<>=?:&|!,").contains(c)) return std::nullopt;
    }
    if (!digit || !op) return std::nullopt;
    try {
        mu::Parser parser;
        parser.DefineOprt(
            "%", [](double a, double b) { return std::fmod(a, b); }, mu::prMUL_DIV);
        parser.SetExpr(t.toStdString());
        const double value = parser.Eval();
        if (parser.GetNumResults() != 1 || !std::isfinite(value)) return std::nullopt;
        return QString::number(value == 0 ? 0.0 : value, 'g', 15);
    } catch (const mu::Parser::exception_type&) {
        return std::nullopt;
    }
}

}  // namespace hx::app
