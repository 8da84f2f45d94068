// The graph and the result sheet of records fitted by the methods beyond the line.
#include "calc/regression.h"
#include "calc/regression_method.h"
#include "core/support/recording_surface.h"
#include "core/support/regression_records.h"
#include "results/graph.h"
#include "results/result_sheet.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace tarnova {
namespace {

using test::PrimitiveKind;
using test::RecordingSurface;

// A parabola with its vertex inside the times: 5 - 2 t + 0.25 t^2 (lowest at t = 4), a little
// scatter so that the band has a width.
RegressionResult parabolaRecord(std::uint32_t method) {
    std::vector<std::pair<double, double>> points;
    const double scatter[] = {0.05, -0.04, 0.03, -0.05, 0.04, -0.03, 0.05, -0.04};
    for (int i = 0; i < 8; ++i) {
        const double t = 1.0 + i;
        points.emplace_back(t, 5.0 - 2.0 * t + 0.25 * t * t + scatter[i]);
    }
    return test::regressedRecord(points, method, 0.32);
}

TEST(CurveDrawing, TheParabolaIsDrawnAsACurveThroughItsFittedValues) {
    RegressionResult record = parabolaRecord(kParabolicMethod);
    RecordingSurface surface;
    PointPositions positions;
    GraphExtent extent;
    DrawGraph(surface, {0, 0, 640, 480}, record, kAllResultItems, &positions, &extent);
    ASSERT_TRUE(extent.valid);
    // The value at time zero (5) is the top of the plot: the curve widened the value scale.
    EXPECT_NEAR(extent.topValue, record.fit->intercept, 1e-12);
    const std::vector<std::string> texts = surface.texts();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& text) {
        return text.starts_with("y = ") && text.ends_with(" * x^2");
    }));
    // The lowest point of the drawn curve (and its band) is near the vertex at t = 4 (the plot
    // spans 0 to 8); ticks and frame lie on or outside the plot's edges.
    const SurfaceRect plot = *positions.plot;
    std::vector<test::Primitive> strokes;
    for (const test::Primitive& line : surface.ofKind(PrimitiveKind::Line)) {
        if (line.from.x > plot.left && line.to.x > line.from.x && line.from.y < plot.bottom - 1) {
            strokes.push_back(line);
        }
    }
    ASSERT_GT(strokes.size(), 100u);
    const auto lowest =
        std::max_element(strokes.begin(), strokes.end(),
                         [](const auto& a, const auto& b) { return a.from.y < b.from.y; });
    const double plotLeft = plot.left;
    const double plotWidth = plot.right - plotLeft;
    EXPECT_NEAR((lowest->from.x - plotLeft) / plotWidth * 8.0, 4.0, 0.3);
}

// A formula wider than the graph starts at the graph's left edge: its beginning stays readable.
TEST(CurveDrawing, AFormulaWiderThanTheGraphStartsAtItsLeftEdge) {
    RegressionResult record = parabolaRecord(kParabolicMethod);
    for (const int width : {640, 300}) {
        RecordingSurface surface;
        DrawGraph(surface, {0, 0, width, 480}, record, kAllResultItems, nullptr, nullptr);
        const auto texts = surface.ofKind(PrimitiveKind::TextInRect);
        const auto formula = std::find_if(texts.begin(), texts.end(),
                                          [](const auto& p) { return p.text.starts_with("y = "); });
        ASSERT_NE(formula, texts.end()) << width;
        const bool wider = surface.textWidth(formula->text) > width;
        EXPECT_EQ(wider, width == 300);
        EXPECT_EQ(formula->horizontal,
                  wider ? HorizontalAlignment::Left : HorizontalAlignment::Center);
    }
}

TEST(CurveDrawing, BandHalfWidthIsTheStandardErrorOfTheCurveTimesT) {
    const RegressionResult record = parabolaRecord(kParabolicMethod);
    const LineFit& fit = *record.fit;
    // At time zero the band is the intercept's error times t.
    EXPECT_NEAR(BandHalfWidth(fit, 0.0), fit.tLine * fit.interceptError, 1e-12);
    // Narrower inside the data than at its ends.
    EXPECT_LT(BandHalfWidth(fit, 4.5), BandHalfWidth(fit, 1.0));
    EXPECT_LT(BandHalfWidth(fit, 4.5), BandHalfWidth(fit, 8.0));
    EXPECT_NEAR(FittedValue(fit, 4.0), 1.0, 0.05);
}

// The rate of a growing curve is negative: it stands in parentheses after "exp(-", on the
// sheet and under the graph, never as a doubled minus.
TEST(CurveDrawing, ANegativeRateStandsInParentheses) {
    for (const double rate : {0.5, -0.5}) {
        std::vector<std::pair<double, double>> points;
        for (int i = 0; i < 8; ++i) {
            points.emplace_back(i, 2.0 * std::exp(-rate * i) + 1.0);
        }
        RegressionResult record = test::withPoints(points, 0.32);
        record.fitMethod = kExponentialMethod;
        ASSERT_TRUE(ComputeStatistics(record));
        ASSERT_TRUE(FitLine(record)) << rate;
        RecordingSurface sheet;
        SurfaceRect area{0, 0, 900, 480};
        DrawResultSheet(sheet, area, record, nullptr, {}, kAllResultItems,
                        RegressionMethods().front().describe);
        RecordingSurface graph;
        DrawGraph(graph, {0, 0, 900, 480}, record, kAllResultItems, nullptr, nullptr);
        for (const RecordingSurface* surface : {&sheet, &graph}) {
            const std::vector<std::string> texts = surface->texts();
            const auto formula = std::find_if(texts.begin(), texts.end(), [](const auto& text) {
                return text.starts_with("y = ") && text.find("exp(") != std::string::npos;
            });
            ASSERT_NE(formula, texts.end()) << rate;
            EXPECT_EQ(formula->find("exp(-(") != std::string::npos, rate < 0) << *formula;
            EXPECT_EQ(formula->find("--"), std::string::npos) << *formula;
            EXPECT_EQ(formula->find("-  -"), std::string::npos) << *formula;
        }
    }
}

TEST(CurveDrawing, ResultSheetOfTheAutomaticChoiceShowsTheChosenFormula) {
    RegressionResult record = parabolaRecord(kAutomaticMethod);
    ASSERT_EQ(record.fit->method, kParabolicMethod);
    RecordingSurface surface;
    SurfaceRect area{0, 0, 640, 480};
    DrawResultSheet(surface, area, record, nullptr, {}, kAllResultItems,
                    RegressionMethods().front().describe);
    const std::vector<std::string> texts = surface.texts();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& text) {
        return text.starts_with("y=b0+b1x+b2x^2について帰無仮説b2=0を棄却");
    }));
}

} // namespace
} // namespace tarnova
