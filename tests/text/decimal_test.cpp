#include <gtest/gtest.h>

#include <QString>
#include <limits>
#include <string_view>

#include "text/decimal.h"

using hx::text::toInt32;
using namespace std::literals;

namespace {
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
}  // namespace

TEST(Decimal, PlainNumbersAndSigns) {
    EXPECT_EQ(toInt32("0"sv), 0);
    EXPECT_EQ(toInt32("1234"sv), 1234);
    EXPECT_EQ(toInt32("-1"sv), -1);
    EXPECT_EQ(toInt32("+77"sv), 77);
    EXPECT_EQ(toInt32("007"sv), 7);
    EXPECT_EQ(toInt32("16777215"sv), 16777215);
}

TEST(Decimal, LeadingBlanksAreSkipped) {
    EXPECT_EQ(toInt32("   42"sv), 42);
    EXPECT_EQ(toInt32("\t\n\r\v\f -8"sv), -8);
    // Blanks after the sign end the number.
    EXPECT_EQ(toInt32("- 8"sv), 0);
}

TEST(Decimal, DigitsThenLettersGiveTheDigits) {
    EXPECT_EQ(toInt32("120px"sv), 120);
    EXPECT_EQ(toInt32("-45abc"sv), -45);
    EXPECT_EQ(toInt32("3 4"sv), 3);
    EXPECT_EQ(toInt32("12.9"sv), 12);
}

TEST(Decimal, EmptyOrLettersGiveZero) {
    EXPECT_EQ(toInt32(""sv), 0);
    EXPECT_EQ(toInt32("   "sv), 0);
    EXPECT_EQ(toInt32("abc"sv), 0);
    EXPECT_EQ(toInt32("x12"sv), 0);
    EXPECT_EQ(toInt32("-"sv), 0);
    EXPECT_EQ(toInt32("+"sv), 0);
    EXPECT_EQ(toInt32(QStringLiteral("左边")), 0);
}

TEST(Decimal, SaturatesBeyondThirtyTwoBits) {
    EXPECT_EQ(toInt32("2147483647"sv), kMax);
    EXPECT_EQ(toInt32("2147483648"sv), kMax);
    EXPECT_EQ(toInt32("99999999999999999999999"sv), kMax);
    EXPECT_EQ(toInt32("-2147483648"sv), kMin);
    EXPECT_EQ(toInt32("-2147483649"sv), kMin);
    EXPECT_EQ(toInt32("-99999999999999999999999"sv), kMin);
    EXPECT_EQ(toInt32("4294967296"sv), kMax);  // would wrap to 0 in 32 bits
}

TEST(Decimal, QStringFormMatchesBytes) {
    EXPECT_EQ(toInt32(QStringLiteral(" -300 像素")), -300);
    EXPECT_EQ(toInt32(QString()), 0);
}
