// The linear method's formula lines on a recording surface and its IRD columns.
#include "calc/calc_state.h"
#include "calc/regression_method.h"
#include "core/support/recording_surface.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

using test::Primitive;
using test::PrimitiveKind;
using test::RecordingSurface;
using test::textAt;

LineFit testedFit() {
    LineFit fit;
    fit.intercept = 1.5;
    fit.interceptError = 0.25;
    fit.interceptErrorPlain = 0.125;
    fit.slope = -0.002;
    fit.slopeError = 0.0005;
    fit.slopeErrorPlain = 0.0004;
    fit.tLine = 2.0;
    fit.checkLevel = 0.95;
    fit.fValue = 12.5;
    fit.fCritical = 7.70865;
    return fit;
}

TEST(LinearDescribe, ThreeLinesWithTheTests) {
    RecordingSurface surface;
    surface.metrics = {16, 8};
    SurfaceRect area{10, 100, 400, 500};
    const LineFit fit = testedFit();
    const auto& linear = RegressionMethods().front();
    const StatusFlags status = StatusFlag::Line | StatusFlag::LineTest;
    ASSERT_TRUE(linear.describe(surface, area, status, CalcFlag::Conf95, &fit));
    EXPECT_EQ(surface.primitives,
              (std::vector<Primitive>{
                  textAt(15, 116, "y = 1.5(0.5) + -0.002(0.001) * x"),
                  textAt(15, 132, "回帰切片:"),
                  textAt(15 + 96, 132, "1.5+/-0.5(信頼限界)"),
                  textAt(40, 148, "y=b+axについて帰無仮説a=0を棄却(F=12.5, F(0.050000)=7.70865)"),
              }));
    EXPECT_EQ(area.top, 148);

    // Standard deviation at 95 %: the plain error doubled on the intercept line.
    RecordingSurface plain;
    SurfaceRect top{0, 0, 100, 100};
    linear.describe(plain, top, status, CalcFlag::Conf95 | CalcFlag::UseStdDev, &fit);
    EXPECT_EQ(plain.primitives[2].text, "1.5+/-0.25(信頼限界)");
}

TEST(LinearDescribe, LineOnlyOrNothing) {
    LineFit fit;
    fit.intercept = 123456789.5;
    fit.slope = 0.000012345678;
    const auto& linear = RegressionMethods().front();
    RecordingSurface surface;
    SurfaceRect area{0, 20, 100, 100};
    linear.describe(surface, area, StatusFlag::Line, {}, &fit);
    EXPECT_EQ(surface.primitives,
              (std::vector<Primitive>{textAt(5, 36, "y = 1.2345679E+008 + 1.2345678E-005 * x")}));
    EXPECT_EQ(area.top, 36);

    RecordingSurface none;
    SurfaceRect area2{0, 0, 100, 100};
    linear.describe(none, area2, StatusFlag::Statistics, {}, &fit);
    EXPECT_EQ(none.primitives, (std::vector<Primitive>{textAt(5, 16, "回帰式は得られません。")}));
    EXPECT_FALSE(linear.describe(none, area2, StatusFlag::Line, {}, nullptr));
}

TEST(LinearExport, ColumnsAndHeads) {
    const auto& linear = RegressionMethods().front();
    const LineFit fit = testedFit();
    EXPECT_EQ(linear.exportFit(&fit, {}, FitColumns::Heads),
              "intercept\terror\tangle\terror\tconf. level\ttest level\ttest");
    EXPECT_EQ(linear.exportFit(&fit, CalcFlag::Conf95, FitColumns::Values),
              "1.500000E+00\t5.000000E-01\t-2.000000E-03\t1.000000E-03\t9.500000E-01\t"
              "5.000000E-02\ta!=0");
    LineFit twoPoints;
    twoPoints.intercept = 2.0;
    twoPoints.slope = 1.0;
    EXPECT_EQ(linear.exportFit(&twoPoints, {}, FitColumns::Values),
              "2.000000E+00\t0.000000E+00\t1.000000E+00\t0.000000E+00\t6.800000E-01\t"
              "1.000000E+00\ta=0");
    LineFit other;
    other.method = 3;
    EXPECT_FALSE(linear.exportFit(&other, {}, FitColumns::Values));
    EXPECT_FALSE(linear.exportFit(nullptr, {}, FitColumns::Values));
}

} // namespace
} // namespace tarnova
