// The regression methods beyond the line through the method table: the value at time zero and
// its error against numpy/scipy, the automatic choice, a failed exponential, and their IRD.
#include "calc/calc_state.h"
#include "calc/distributions.h"
#include "calc/ird_export.h"
#include "calc/regression.h"
#include "calc/regression_method.h"
#include "core/support/log_capture.h"
#include "core/support/peak_records.h"
#include "core/support/recording_surface.h"
#include "core/support/regression_records.h"
#include "platform/codepage.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace tarnova {
namespace {

// An Ar40/Ar36 ratio that falls and levels off over ten measurements.
const std::vector<std::pair<double, double>> kCurvedRatio{
    {12.5, 295.81},   {47.0, 295.02},  {81.25, 294.41}, {115.5, 293.96}, {150.0, 293.41},
    {184.75, 293.14}, {219.0, 292.77}, {253.5, 292.58}, {288.0, 292.31}, {322.25, 292.18}};

RegressionResult fitted(const std::vector<std::pair<double, double>>& points, std::uint32_t method,
                        double alpha = 0.32) {
    RegressionResult record = test::withPoints(points, alpha);
    record.fitMethod = method;
    EXPECT_TRUE(ComputeStatistics(record));
    EXPECT_TRUE(FitLine(record)) << RegressionMethodName(method);
    return record;
}

// numpy.linalg.lstsq with s^2 (X^T X)^-1, scipy.optimize.curve_fit (with the analytic Jacobian;
// its finite differences would cost six digits of the covariance) and the gradient (1, 0, 1) on
// its covariance, and numpy's mean with std(ddof=1)/sqrt(n), for kCurvedRatio.
TEST(FitMethods, ValueAtTimeZeroAndItsErrorAgreeWithScipy) {
    const struct {
        std::uint32_t method;
        double value;
        double error;
        double tolerance; // relative
    } references[] = {
        {kParabolicMethod, 296.0019740700472, 0.05527550020073341, 1e-9},
        {kExponentialMethod, 296.1074622887193, 0.04508750319978565, 1e-8},
        {kMeanMethod, 293.5589999999999, 0.38480716671542875, 1e-12},
    };
    for (const auto& reference : references) {
        const RegressionResult record = fitted(kCurvedRatio, reference.method);
        const LineFit& fit = *record.fit;
        EXPECT_EQ(fit.method, reference.method);
        EXPECT_NEAR(fit.intercept, reference.value, reference.tolerance * reference.value)
            << RegressionMethodName(reference.method);
        EXPECT_NEAR(fit.interceptError, reference.error, reference.tolerance * reference.error)
            << RegressionMethodName(reference.method);
        EXPECT_EQ(record.status & (StatusFlag::Line | StatusFlag::LineTest),
                  StatusFlag::Line | StatusFlag::LineTest);
    }
}

// The errors shown: t of n - p degrees of freedom at 68 %, or per point (doubled for 95 %) with
// the standard deviation.
TEST(FitMethods, ShownErrorsUseTheMethodsDegreesOfFreedom) {
    const double n = static_cast<double>(kCurvedRatio.size());
    const struct {
        std::uint32_t method;
        double parameters;
    } methods[] = {{kParabolicMethod, 3}, {kExponentialMethod, 3}, {kMeanMethod, 1}};
    for (const auto& method : methods) {
        const RegressionResult record = fitted(kCurvedRatio, method.method);
        const LineFit& fit = *record.fit;
        const auto errorColumn = [&record](CalcFlags flags) {
            const std::string line = *WriteIrd({&record, 1}, nullptr, flags, {});
            std::vector<std::string> fields;
            std::size_t start = 2; // after the empty line
            for (std::size_t tab = line.find('\t', start); tab != std::string::npos;
                 start = tab + 1, tab = line.find('\t', start)) {
                fields.push_back(line.substr(start, tab - start));
            }
            return std::stod(fields.at(10));
        };
        const double t = TQuantile(0.16, static_cast<int>(n - method.parameters));
        EXPECT_NEAR(errorColumn({}), t * fit.interceptError, 1e-6 * t * fit.interceptError);
        const double plain = fit.interceptError * std::sqrt((n - method.parameters) / n);
        EXPECT_NEAR(errorColumn(CalcFlag::UseStdDev), plain, 1e-6 * plain);
        EXPECT_NEAR(errorColumn(CalcFlag::UseStdDev | CalcFlag::Conf95), 2 * plain, 2e-6 * plain);
    }
}

TEST(FitMethods, AutomaticTakesTheParabolaOnlyWhereItsCurvatureIsSignificant) {
    const RegressionResult curved = fitted(kCurvedRatio, kAutomaticMethod);
    EXPECT_EQ(curved.fit->method, kParabolicMethod);
    EXPECT_TRUE(curved.fit->automatic);
    EXPECT_GT(curved.fit->curvatureT, curved.fit->curvatureTCritical);

    std::vector<std::pair<double, double>> straight;
    const double wiggle[] = {0.02, -0.01, -0.02, 0.015, 0.0, -0.015, 0.01, 0.02, -0.02, 0.005};
    for (int i = 0; i < 10; ++i) {
        straight.emplace_back(10.0 * (i + 1), 295.0 - 0.01 * (i + 1) + wiggle[i]);
    }
    const RegressionResult line = fitted(straight, kAutomaticMethod);
    EXPECT_EQ(line.fit->method, kLinearMethod);
    EXPECT_NE(line.fit->a22, 0.0); // the line's own fit, with its errors

    // Four active points are too few for the parabola, however curved.
    const std::vector<std::pair<double, double>> four(kCurvedRatio.begin(),
                                                      kCurvedRatio.begin() + 4);
    EXPECT_EQ(fitted(four, kAutomaticMethod).fit->method, kLinearMethod);
}

TEST(FitMethods, FailedExponentialIsLoggedAndShownWithoutFallingBack) {
    test::LogCapture log;
    RegressionResult record = test::withPoints({{1.0, 5.0}, {2.0, 4.0}, {3.0, 3.5}}, 0.32);
    record.fitMethod = kExponentialMethod;
    ASSERT_TRUE(ComputeStatistics(record));
    EXPECT_FALSE(FitLine(record));
    ASSERT_TRUE(record.fit);
    EXPECT_EQ(record.fit->method, kExponentialMethod);
    EXPECT_EQ(record.status & (StatusFlag::Line | StatusFlag::FitFailed), StatusFlag::FitFailed);
    const std::vector<std::string> lines = log.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "No 指数回帰 fit for Ar40/Ar36: fewer than 4 active points"),
              lines.end());

    test::RecordingSurface surface;
    SurfaceRect area{0, 0, 400, 0};
    RegressionMethods()[kExponentialMethod].describe(surface, area, record.status, {},
                                                     &*record.fit);
    const std::vector<std::string> texts = surface.texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "回帰式は得られません。");
    EXPECT_EQ(texts[1], "指数回帰: fewer than 4 active points");

    // The IRD line keeps its record columns, leaves the method's empty and names the method.
    const std::string ird = *WriteIrd({&record, 1}, nullptr, {}, {});
    EXPECT_TRUE(ird.ends_with("\tr!=0\t\t111\t" + utf8ToCp932("指数回帰") + "\r\n") ||
                ird.ends_with("\tr=0\t\t111\t" + utf8ToCp932("指数回帰") + "\r\n"))
        << ird;
}

// A run with an exponential record that fails beside one that succeeds is a partial success.
TEST(FitMethods, FailedRecordLeavesTheOthers) {
    CalcState state;
    state.peaks = {test::makePeak("Ar40", 1, 5), test::makePeak("Ar40", 2, 4),
                   test::makePeak("Ar40", 3, 3)};
    state.calcFlags = CalcFlag::Confirmed;
    state.results = ResultTable(2);
    (*state.results)[0].numerator = "Ar40";
    (*state.results)[1].numerator = "Ar40";
    (*state.results)[1].fitMethod = kExponentialMethod;
    EXPECT_EQ(RunRegressions(state, 99.7), RecordsFitted::Some);
}

TEST(FitMethods, IrdOfSeveralMethodsNamesThem) {
    RegressionResult line = fitted(kCurvedRatio, kLinearMethod);
    RegressionResult parabola = fitted(kCurvedRatio, kParabolicMethod);
    parabola.sheetName = "Ar38/Ar36";
    const std::vector<RegressionResult> both{line, parabola};
    const std::string ird =
        *WriteIrd(both, nullptr, {}, OutputFlag::Header | OutputFlag::GuideComment);
    EXPECT_NE(ird.find("REGTYPE\t" + utf8ToCp932("一次回帰,二次回帰") + "\r\n"), std::string::npos);
    EXPECT_NE(ird.find("\ttest\tintercept\terror\t\tmethod\r\n"), std::string::npos);
    EXPECT_NE(ird.find("\t1111111111\t" + utf8ToCp932("一次回帰") + "\r\n"), std::string::npos);
    EXPECT_NE(ird.find("\t1111111111\t" + utf8ToCp932("二次回帰") + "\r\n"), std::string::npos);

    // One method: its own heads, its name as REGTYPE.
    const std::vector<RegressionResult> parabolas{parabola};
    const std::string one =
        *WriteIrd(parabolas, nullptr, {}, OutputFlag::Header | OutputFlag::GuideComment);
    EXPECT_NE(one.find("REGTYPE\t" + utf8ToCp932("二次回帰") + "\r\n"), std::string::npos);
    EXPECT_NE(one.find("\tintercept\terror\tb1\terror\tb2\terror\tconf. level\ttest level\ttest"
                       "\t\tmethod\r\n"),
              std::string::npos);
    EXPECT_NE(one.find("\tb2!=0\t1111111111\t"), std::string::npos);
}

TEST(FitMethods, MethodsAreFoundByTableNameOrKeyword) {
    EXPECT_EQ(FindRegressionMethod("parabolic"), kParabolicMethod);
    EXPECT_EQ(FindRegressionMethod("二次回帰"), kParabolicMethod);
    EXPECT_EQ(FindRegressionMethod("quadratic"), std::nullopt);
    FitChoices choices;
    choices.method = kMeanMethod;
    choices.choose("Ar40", kExponentialMethod);
    choices.choose("Ar40/Ar38", kLinearMethod);
    EXPECT_EQ(ChosenFitMethod(choices, "Ar40", "Ar36"), kExponentialMethod);
    EXPECT_EQ(ChosenFitMethod(choices, "Ar40", "Ar38"), kLinearMethod);
    EXPECT_EQ(ChosenFitMethod(choices, "Ar36", "Ar40"), kMeanMethod);
}

} // namespace
} // namespace tarnova
