#include "calc/distributions.h"

#include "core/support/boost_reference.h"
#include "core/support/percentage_point_grid.h"

#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/erf.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tarnova {
namespace {

constexpr double kPi = 3.141592653589793;

// Relative agreement within tolerance, with a readable failure message.
::testing::AssertionResult relativelyNear(double actual, double expected, double tolerance) {
    const double scale = std::fabs(expected) > 0 ? std::fabs(expected) : 1;
    if (std::fabs(actual - expected) <= tolerance * scale) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << std::setprecision(17) << actual << " differs from " << expected << " by more than "
           << tolerance << " relative";
}

// Closed forms: with one degree of freedom t is Cauchy, t = cot(pi p); with two,
// t = (1 - 2p) / sqrt(2p(1 - p)); and F(1, n) at p is the square of t(n) at p / 2.
double cauchyT(double p) {
    return 1 / std::tan(kPi * p);
}
double twoDegreesT(double p) {
    return (1 - 2 * p) / std::sqrt(2 * p * (1 - p));
}

TEST(Distributions, PercentagePointsWhereTheNormalGuessFails) {
    EXPECT_TRUE(relativelyNear(TQuantile(0.0015, 1), cauchyT(0.0015), 1e-9));
    EXPECT_NEAR(TQuantile(0.0015, 1), 212.205, 5e-4);
    EXPECT_TRUE(relativelyNear(FQuantile(0.003, 1, 1), std::pow(cauchyT(0.0015), 2), 1e-9));
    EXPECT_NEAR(FQuantile(0.003, 1, 1), 45030.97, 5e-3);
    EXPECT_TRUE(relativelyNear(FQuantile(0.003, 1, 2), std::pow(twoDegreesT(0.0015), 2), 1e-9));
    EXPECT_NEAR(FQuantile(0.003, 1, 2), 331.834, 5e-4);
}

TEST(Distributions, TableValues) {
    EXPECT_NEAR(TQuantile(0.025, 10), 2.2281, 5e-5);
    EXPECT_NEAR(TQuantile(0.16, 5), 1.1037, 5e-5);
    EXPECT_NEAR(FQuantile(0.05, 1, 10), 4.9646, 5e-5);
    // The median of F(m, m) is 1, and the median of t is 0.
    EXPECT_TRUE(relativelyNear(FQuantile(0.5, 10, 10), 1, 1e-9));
    EXPECT_TRUE(relativelyNear(FQuantile(0.5, 1000000, 1000000), 1, 1e-9));
    EXPECT_EQ(TQuantile(0.5, 7), 0);
}

TEST(Distributions, ClosedFormsAtExtremeLevels) {
    for (double p : {1e-12, 1e-6, 1e-3, 0.2, 0.45}) {
        EXPECT_TRUE(relativelyNear(TQuantile(p, 1), cauchyT(p), 1e-9)) << p;
        EXPECT_TRUE(relativelyNear(TQuantile(p, 2), twoDegreesT(p), 1e-9)) << p;
        EXPECT_TRUE(relativelyNear(FQuantile(2 * p, 1, 1), cauchyT(p) * cauchyT(p), 1e-9)) << p;
    }
}

TEST(Distributions, FarTailsStayFiniteAndParametersAreBounded) {
    // cot(pi p) is 1 / (pi p) to within 1e-599 here; 1 - x itself underflows.
    EXPECT_TRUE(relativelyNear(TQuantile(1e-300, 1), 3.183098861837907e299, 1e-9));
    const double nearlyOne = 1 - 1e-9;
    EXPECT_TRUE(relativelyNear(TQuantile(nearlyOne, 1), -cauchyT(1 - nearlyOne), 1e-9));
    EXPECT_TRUE(relativelyNear(FQuantile(0.5, 2147483647, 2147483647), 1, 1e-9));
    EXPECT_TRUE(std::isinf(GammaFunction(1e300)));
    EXPECT_EQ(IncompleteBeta(0.5, 1e11, 1e11), -1);
    EXPECT_EQ(InverseBeta(0.5, 2, 1e300), -1);
}

TEST(Distributions, TQuantileAgreesWithBoostOverTheGrid) {
    for (double p : test::kTLevels) {
        for (int n : test::kTDegrees) {
            EXPECT_TRUE(relativelyNear(TQuantile(p, n), test::upperT(p, n), 1e-6))
                << "p " << p << " n " << n;
        }
    }
}

TEST(Distributions, FQuantileAgreesWithBoostOverTheGrid) {
    for (double p : test::kFLevels) {
        for (int m : test::kFDegrees) {
            for (int n : test::kFDegrees) {
                EXPECT_TRUE(relativelyNear(FQuantile(p, m, n), test::upperF(p, m, n), 1e-6))
                    << "p " << p << " m " << m << " n " << n;
            }
        }
    }
}

TEST(Distributions, NoPointForTooFewDegreesOfFreedomOrABadLevel) {
    EXPECT_EQ(TQuantile(0.025, 0), -1);
    EXPECT_LT(FQuantile(0.05, 1, 0), 0);
    EXPECT_LT(FQuantile(0.05, 0, 5), 0);
    // The degrees of freedom are checked before the level.
    EXPECT_EQ(TQuantile(0, 0), -1);
    EXPECT_EQ(TQuantile(1, 5), -1);
    EXPECT_EQ(TQuantile(std::nan(""), 5), -1);
    EXPECT_EQ(FQuantile(std::nan(""), 1, 5), -1);
}

TEST(Distributions, LevelZeroGivesZero) {
    EXPECT_EQ(TQuantile(0, 5), 0);
    EXPECT_FALSE(std::signbit(TQuantile(0, 5)));
    EXPECT_EQ(FQuantile(0, 1, 5), 0);
    EXPECT_EQ(FQuantile(1, 1, 5), 0);
}

TEST(IncompleteBeta, AgreesWithBoostForHalfIntegerParameters) {
    const double xs[] = {1e-8, 1e-4, 0.01, 0.1, 0.3, 0.5, 0.7, 0.9, 0.999, 1 - 1e-8};
    const double parameters[] = {0.5, 1, 1.5, 2, 5, 10.5, 50, 500, 50000, 500000};
    for (double x : xs) {
        for (double a : parameters) {
            for (double b : parameters) {
                const double expected = boost::math::ibeta(a, b, x);
                const double actual = IncompleteBeta(x, a, b);
                if (expected < 1e-290) {
                    EXPECT_LT(actual, 1e-280) << "x " << x << " a " << a << " b " << b;
                } else {
                    EXPECT_TRUE(relativelyNear(actual, expected, 1e-6))
                        << "x " << x << " a " << a << " b " << b;
                }
            }
        }
    }
}

TEST(IncompleteBeta, KnownValuesAndFailures) {
    EXPECT_DOUBLE_EQ(IncompleteBeta(0.3, 1, 1), 0.3);
    for (double x : {0.01, 0.25, 0.6, 0.99}) {
        EXPECT_TRUE(
            relativelyNear(IncompleteBeta(x, 0.5, 0.5), 2 / kPi * std::asin(std::sqrt(x)), 1e-12));
    }
    EXPECT_EQ(IncompleteBeta(0.5, 0.3, 1), -1);
    EXPECT_EQ(IncompleteBeta(0.5, 1, 2.25), -1);
    EXPECT_EQ(IncompleteBeta(1.1, 1, 1), -1);
    EXPECT_EQ(IncompleteBeta(0.5, 0, 1), -1);
    EXPECT_EQ(IncompleteBeta(std::nan(""), 1, 1), -1);
    EXPECT_EQ(IncompleteBeta(0, 0.3, 1), 0);
    EXPECT_EQ(IncompleteBeta(1, 2, 3), 1);
}

TEST(InverseBeta, InvertsBoostsIncompleteBeta) {
    for (double p : {1e-9, 0.003, 0.3, 0.8, 1 - 1e-9}) {
        for (double a : {0.5, 0.7, 3.0, 400.0}) {
            for (double b : {0.5, 2.5, 80.0, 3e5}) {
                EXPECT_TRUE(
                    relativelyNear(InverseBeta(p, a, b), boost::math::ibeta_inv(a, b, p), 1e-8))
                    << "p " << p << " a " << a << " b " << b;
            }
        }
    }
    EXPECT_EQ(InverseBeta(0, 2, 3), 0);
    EXPECT_EQ(InverseBeta(1, 2, 3), 1);
    EXPECT_EQ(InverseBeta(1.5, 2, 3), -1);
    EXPECT_EQ(InverseBeta(0.5, 0, 3), -1);
}

TEST(GammaFunction, RationalApproximation) {
    // The approximation holds about eight digits between whole numbers and fourteen at them.
    EXPECT_NEAR(GammaFunction(0.5), 1.7724539, 5e-8);
    EXPECT_TRUE(relativelyNear(GammaFunction(10), 362880, 1e-13));
    for (double x : {0.1, 1.0, 1.5, 2.75, 7.25, 33.3, 120.5}) {
        EXPECT_TRUE(relativelyNear(GammaFunction(x), boost::math::tgamma(x), 2e-7)) << x;
    }
    EXPECT_TRUE(std::isinf(GammaFunction(1e6)));
    EXPECT_EQ(GammaFunction(0), -1);
    EXPECT_EQ(GammaFunction(-2.5), -1);
}

TEST(Normal, QuantileAndUpperTail) {
    EXPECT_NEAR(NormalQuantile(0.025), 1.959964, 5e-7);
    EXPECT_NEAR(NormalQuantile(0.5), 0, 1e-12);
    EXPECT_EQ(NormalQuantile(0.7), 0);
    EXPECT_EQ(NormalQuantile(0), 0);
    for (double x : {-4.0, -1.0, 0.0, 0.5, 1.79, 1.81, 3.0, 8.0}) {
        const double expected = boost::math::erfc(x / std::sqrt(2.0)) / 2;
        EXPECT_TRUE(relativelyNear(NormalUpperTail(x), expected, 1e-6)) << x;
    }
}

} // namespace
} // namespace tarnova
