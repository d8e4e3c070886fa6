#include <gtest/gtest.h>

#include "app/calculator.h"

namespace hx::app {
namespace {

TEST(Calculator, SumsHaveAValueAndEverythingElseHasNone) {
    const QString deep = QString(10000, u'(') + u'1' + QString(10000, u')');
    const QString deepSum = QString(10000, u'(') + QStringLiteral("1+1") + QString(10000, u')');
    const struct {
        QString text;
        std::optional<QString> value;
    } cases[] = {
        {"2+3*4", "14"},
        {"(1.5+2)/3", "1.16666666666667"},
        {"2^10", "1024"},
        {"sqrt(2)", "1.4142135623731"},
        {"10%3", "1"},
        {" 0.1 + 0.2 ", "0.3"},
        {"-2*3", "-6"},
        {"-0*1", "0"},
        // Not sums: names, a lone number, several results, comparisons.
        {"kzmb", std::nullopt},
        {"7-zip", std::nullopt},
        {"2048", std::nullopt},
        {"QQ音乐", std::nullopt},
        {"1+记", std::nullopt},
        {"1,2+3", std::nullopt},
        {"1<2", std::nullopt},
        {"a=3", std::nullopt},
        {"2+", std::nullopt},
        {"", std::nullopt},
        // Hostile: no value rather than a wrong one, a hang or a crash.
        {"1e308*1e308", std::nullopt},
        {"1/0", std::nullopt},
        {"0/0", std::nullopt},
        {"10%0", std::nullopt},
        {"sqrt(-1)", std::nullopt},
        {deep, std::nullopt},
        {deepSum, std::nullopt},
        {QString(10000, u'('), std::nullopt},
        {QStringLiteral("1") + QStringLiteral("+1").repeated(100000), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(calculate(c.text), c.value) << c.text.left(40).toStdString();
}

}  // namespace
}  // namespace hx::app
