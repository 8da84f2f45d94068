#include "platform/codepage.h"
#include "platform/text_format.h"
#include "platform/text_scanner.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

TEST(TextFormat, ExponentsHaveAtLeastThreeDigitsAndTheWidthCountsThem) {
    EXPECT_EQ(formatExponent(1234.5, 10, 3), "1.235E+003");
    EXPECT_EQ(formatExponent(0.0, 10, 3, true), "0.000E+000");
    EXPECT_EQ(formatExponent(-2.5e-7, 12, 2), "  -2.50E-007");
    EXPECT_EQ(formatExponent(-2.5e-7, 12, 2, true), "-002.50E-007");
    // Exact ties round away from zero, as the sheets have always shown them.
    EXPECT_EQ(formatFixed(0.125, 0, 2), "0.13");
    EXPECT_EQ(formatFixed(-0.125, 0, 2), "-0.13");
    EXPECT_EQ(formatFixed(2.675, 0, 2), "2.67"); // 2.675 is slightly below the tie
    EXPECT_EQ(formatFixed(1.5, 8, 5, true), "01.50000");
    EXPECT_EQ(formatFixed(123.25, 8, 5, true), "123.25000");
    EXPECT_EQ(formatFixed(-1.5, 6, 2, true), "-01.50");
    EXPECT_EQ(formatExponent(1e300, 0, 1), "1.0E+300");
    EXPECT_EQ(widenExponents("1.5E+01\t2.0e-10"), "1.5E+001\t2.0e-010");
    EXPECT_EQ(widenExponents("Sample E-1"), "Sample E-1");
    // Ties of values whose tie test takes the cheap path.
    EXPECT_EQ(formatExponent(1234568.5, 0, 6), "1.234569E+006");
    EXPECT_EQ(formatExponent(1000000.5, 0, 6), "1.000001E+006");
    EXPECT_EQ(formatExponent(9999995.0, 0, 5), "1.00000E+007");
    EXPECT_EQ(formatExponent(0.125, 0, 1), "1.3E-001");
    EXPECT_EQ(formatFixed(1e22 + 0.0, 0, 0), "10000000000000000000000");
}

// "%G" with wide exponents; ties round away from zero where the C library rounds to even.
TEST(TextFormat, GeneralFormat) {
    EXPECT_EQ(formatGeneral(0.2), "0.2");
    EXPECT_EQ(formatGeneral(150.0), "150");
    EXPECT_EQ(formatGeneral(1.5e-7), "1.5E-007");
    EXPECT_EQ(formatGeneral(-2.5e12), "-2.5E+012");
    EXPECT_EQ(formatGeneral(1234.125), "1234.13");
    EXPECT_EQ(formatGeneral(-1234.125), "-1234.13");
    EXPECT_EQ(formatGeneral(2.5, 1), "3");
    EXPECT_EQ(formatGeneral(999999.5), "1E+006");
    EXPECT_EQ(formatGeneral(123456789.5, 8), "1.2345679E+008");
    EXPECT_EQ(formatGeneral(0.1 + 0.2), "0.3");
}

TEST(TextFormat, LongTextsAreFormattedWhole) {
    const std::string wide = formatText("%0*.*f", 60, 2, 1.5);
    EXPECT_EQ(wide.size(), 60U);
    EXPECT_EQ(wide.substr(55), "01.50");
}

TEST(TextScanner, FollowsScanfRules) {
    TextScanner scanner("  12.5x");
    long whole = 0;
    ASSERT_TRUE(scanner.readInt(whole));
    EXPECT_EQ(whole, 12);
    EXPECT_TRUE(scanner.literal('.'));
    ASSERT_TRUE(scanner.readInt(whole));
    EXPECT_EQ(whole, 5);
    EXPECT_FALSE(scanner.readInt(whole));
    EXPECT_EQ(scanner.rest(), "x");

    TextScanner numbers(" -1.5e3 +2 .5 e5");
    double value = 0;
    ASSERT_TRUE(numbers.readDouble(value));
    EXPECT_DOUBLE_EQ(value, -1500.0);
    ASSERT_TRUE(numbers.readDouble(value));
    EXPECT_DOUBLE_EQ(value, 2.0);
    ASSERT_TRUE(numbers.readDouble(value));
    EXPECT_DOUBLE_EQ(value, 0.5);
    EXPECT_FALSE(numbers.readDouble(value));

    TextScanner quoted("\"Ar 40\"  rest");
    std::string text;
    ASSERT_TRUE(quoted.literal('"'));
    ASSERT_TRUE(quoted.readBracket(text, "^\""));
    EXPECT_EQ(text, "Ar 40");
    ASSERT_TRUE(quoted.literal("\" "));
    ASSERT_TRUE(quoted.readWord(text, 2));
    EXPECT_EQ(text, "re");
}

TEST(Codepage, RoundTripsJapaneseText) {
    const std::string utf8 = "試料：玄武岩";
    const std::string sjis = utf8ToCp932(utf8);
    EXPECT_NE(sjis, utf8);
    EXPECT_EQ(cp932ToUtf8(sjis), utf8);
    EXPECT_EQ(cp932ToUtf8("Ar40"), "Ar40");
    EXPECT_EQ(cp932ToUtf8("\x82"), "\xEF\xBF\xBD");
}

} // namespace
} // namespace tarnova
