#include "calc/curve_fits.h"
#include "core/support/nist_reference.h"
#include "core/support/pontius_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace tarnova {
namespace {

std::vector<TimedValue> pontiusPoints() {
    std::vector<TimedValue> points;
    for (const test::PontiusObservation& observation : test::kPontiusData) {
        points.push_back(
            {std::strtod(observation.x, nullptr), std::strtod(observation.y, nullptr)});
    }
    return points;
}

TEST(CurveFits, PontiusReachesNineDigitsInEveryCertifiedValue) {
    const std::vector<TimedValue> points = pontiusPoints();
    const CurveFit fit = FitParabola(points);
    ASSERT_TRUE(fit.ok) << fit.failure;
    const test::PontiusCertified certified;
    const double n = static_cast<double>(points.size());
    const struct {
        const char* quantity;
        double computed;
        double certified;
    } rows[] = {
        {"b0", fit.coefficients[0], certified.b0},
        {"b1", fit.coefficients[1], certified.b1},
        {"b2", fit.coefficients[2], certified.b2},
        {"sd(b0)", std::sqrt(fit.covariance[0]), certified.b0Sd},
        {"sd(b1)", std::sqrt(fit.covariance[4]), certified.b1Sd},
        {"sd(b2)", std::sqrt(fit.covariance[8]), certified.b2Sd},
        {"residual sd", std::sqrt(fit.residualSquares / (n - 3.0)), certified.residualSd},
        {"value at 0", fit.valueAtZero, certified.b0},
        {"sd of value at 0", std::sqrt(fit.valueAtZeroVariance), certified.b0Sd},
    };
    for (const auto& row : rows) {
        EXPECT_GE(test::logRelativeError(row.computed, row.certified), 9.0) << row.quantity;
    }
}

TEST(CurveFits, ParabolaThroughThreePointsIsExactWithoutErrors) {
    const std::vector<TimedValue> points{{1.0, 6.0}, {2.0, 11.0}, {4.0, 27.0}};
    // 3 + 2 t + t^2
    const CurveFit fit = FitParabola(points);
    ASSERT_TRUE(fit.ok);
    EXPECT_NEAR(fit.coefficients[0], 3.0, 1e-12);
    EXPECT_NEAR(fit.coefficients[1], 2.0, 1e-12);
    EXPECT_NEAR(fit.coefficients[2], 1.0, 1e-12);
    EXPECT_EQ(fit.valueAtZeroVariance, 0.0);
}

TEST(CurveFits, ParabolaNeedsThreeDistinctTimes) {
    EXPECT_FALSE(FitParabola(std::vector<TimedValue>{{1.0, 1.0}, {2.0, 2.0}}).ok);
    const CurveFit twoTimes =
        FitParabola(std::vector<TimedValue>{{1.0, 1.0}, {2.0, 2.0}, {1.0, 1.5}, {2.0, 2.5}});
    EXPECT_FALSE(twoTimes.ok);
    EXPECT_FALSE(twoTimes.failure.empty());
}

// Decays and growths on various time scales, far from time zero too: every one is recovered
// from data without noise.
TEST(CurveFits, ExactExponentialsAreRecovered) {
    const struct {
        double a, b, c, firstTime, step;
    } curves[] = {
        {-3.5, 0.002, 40.0, 10.0, 30.0},
        {0.3, -0.01, 295.5, 0.0, 10.0},
        {1.0e-3, 0.8, 2.0e-3, 1.0, 0.25},
        {150.0, 1.0e-4, -20.0, 100.0, 500.0},
    };
    for (const auto& curve : curves) {
        std::vector<TimedValue> points;
        for (int i = 0; i < 20; ++i) {
            const double t = curve.firstTime + curve.step * i;
            points.push_back({t, curve.a * std::exp(-curve.b * t) + curve.c});
        }
        const CurveFit fit = FitExponential(points);
        ASSERT_TRUE(fit.ok) << fit.failure << " a " << curve.a;
        EXPECT_NEAR(fit.coefficients[0], curve.a, 1e-9 * std::fabs(curve.a)) << curve.a;
        EXPECT_NEAR(fit.coefficients[1], curve.b, 1e-9 * std::fabs(curve.b)) << curve.a;
        EXPECT_NEAR(fit.coefficients[2], curve.c, 1e-9 * std::fabs(curve.c)) << curve.a;
        EXPECT_NEAR(fit.valueAtZero, curve.a + curve.c, 1e-9 * std::fabs(curve.a + curve.c))
            << curve.a;
    }
}

TEST(CurveFits, ExponentialFailsWithoutCurvature) {
    const std::vector<TimedValue> three{{0.0, 3.0}, {1.0, 2.0}, {2.0, 1.5}};
    EXPECT_EQ(FitExponential(three).failure, "fewer than 4 active points");
    const std::vector<TimedValue> straight{{0.0, 1.0}, {1.0, 2.0}, {2.0, 3.0},
                                           {3.0, 4.0}, {4.0, 5.0}, {5.0, 6.0}};
    const CurveFit line = FitExponential(straight);
    EXPECT_FALSE(line.ok);
    EXPECT_FALSE(line.failure.empty());
}

TEST(CurveFits, CurveValuesAndTheirVariance) {
    const std::array<double, 3> parabola{1.0, 2.0, 3.0};
    EXPECT_DOUBLE_EQ(CurveValue(CurveKind::Parabola, parabola, 2.0), 17.0);
    std::array<double, 9> identity{1, 0, 0, 0, 1, 0, 0, 0, 1};
    EXPECT_DOUBLE_EQ(CurveValueVariance(CurveKind::Parabola, parabola, identity, 2.0), 21.0);
    const std::array<double, 3> exponential{2.0, std::log(2.0), 1.0};
    EXPECT_DOUBLE_EQ(CurveValue(CurveKind::Exponential, exponential, 1.0), 2.0);
    // gradient (1/2, -2 * 1 * 1/2, 1) = (0.5, -1, 1)
    EXPECT_DOUBLE_EQ(CurveValueVariance(CurveKind::Exponential, exponential, identity, 1.0), 2.25);
    EXPECT_DOUBLE_EQ(CurveValue(CurveKind::Mean, {5.0, 0.0, 0.0}, 99.0), 5.0);
}

} // namespace
} // namespace tarnova
