#include "app/calculator.h"

#include <cmath>

#include "platform/linux/modules.h"

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
    using Evaluate = int (*)(const char*, double*);
    static const auto evaluate = reinterpret_cast<Evaluate>(platform::resolveInModules(
        platform::moduleCandidates(QStringLiteral("libhengxiu-calculator.so"),
                                   QStringLiteral(HX_CALCULATOR_MODULE)),
        "hx_evaluate"));
    double value = 0;
    if (!evaluate || !evaluate(t.toStdString().c_str(), &value) || !std::isfinite(value))
        return std::nullopt;
    return QString::number(value == 0 ? 0.0 : value, 'g', 15);
}

}  // namespace hx::app
