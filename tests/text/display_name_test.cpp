#include <gtest/gtest.h>

#include <string_view>

#include "text/display_name.h"

namespace hx::text {
namespace {

using namespace std::string_view_literals;

// Keeps embedded NULs, which a plain literal would end at.
QString utf16(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

TEST(DisplayName, OneLineWithNothingThatReordersOrHides) {
    const struct {
        QString stored;
        QString shown;
    } cases[] = {
        {QStringLiteral("系统"), QStringLiteral("系统")},
        {QStringLiteral("第一行\r\n第二行\n三"), QStringLiteral("第一行⏎第二行⏎三")},
        {QStringLiteral("a\tb\rc"), QStringLiteral("a→b⏎c")},
        {QStringLiteral("gpj.\u202Eexe"), QStringLiteral("gpj.exe")},
        {QStringLiteral("\u2066x\u2069\u202Ay\u202C"), QStringLiteral("xy")},
        {utf16(u"nul\u0000bell\u0007del\u007Fc1\u0085"sv),
         QStringLiteral("nul\uFFFDbell\uFFFDdel\uFFFDc1\uFFFD")},
        {QStringLiteral("para\u2029line\u2028end"), QStringLiteral("para⏎line⏎end")},
        {QString(), QString()},
    };
    for (const auto& c : cases) EXPECT_EQ(displayName(c.stored), c.shown) << c.stored.toStdString();
}

}  // namespace
}  // namespace hx::text
