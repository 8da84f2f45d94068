// "%G" texts with wide exponents and ties rounded away from zero, and the tie rule of the other
// formats on values whose tie test takes the cheap path.
#include "platform/text_format.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

TEST(FormatGeneral, ExponentsAndTies) {
    EXPECT_EQ(formatGeneral(0.2), "0.2");
    EXPECT_EQ(formatGeneral(150.0), "150");
    EXPECT_EQ(formatGeneral(1.5e-7), "1.5E-007");
    EXPECT_EQ(formatGeneral(-2.5e12), "-2.5E+012");
    EXPECT_EQ(formatGeneral(1234.125), "1234.13"); // the C library: 1234.12
    EXPECT_EQ(formatGeneral(-1234.125), "-1234.13");
    EXPECT_EQ(formatGeneral(2.5, 1), "3"); // the C library: 2
    EXPECT_EQ(formatGeneral(999999.5), "1E+006");
    EXPECT_EQ(formatGeneral(123456789.5, 8), "1.2345679E+008");
    EXPECT_EQ(formatGeneral(0.1 + 0.2), "0.3");
}

TEST(FormatGeneral, TiesOfTheOtherFormats) {
    EXPECT_EQ(formatExponent(1234568.5, 0, 6), "1.234569E+006");
    EXPECT_EQ(formatExponent(1000000.5, 0, 6), "1.000001E+006");
    EXPECT_EQ(formatExponent(9999995.0, 0, 5), "1.00000E+007");
    EXPECT_EQ(formatExponent(0.125, 0, 1), "1.3E-001");
    EXPECT_EQ(formatFixed(0.125, 0, 2), "0.13");
    EXPECT_EQ(formatFixed(2.675, 0, 2), "2.67"); // 2.675 is stored below the tie
    EXPECT_EQ(formatFixed(1e22 + 0.0, 0, 0), "10000000000000000000000");
}

} // namespace
} // namespace tarnova
