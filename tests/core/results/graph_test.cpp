// The graph drawing on a recording surface as numbers: frame, labels, marks, line and band,
// the positions it leaves for clicks, and the read-out under the mouse.
#include "core/support/recording_surface.h"
#include "core/support/regression_records.h"
#include "results/graph.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarnova {
namespace {

using test::boxOf;
using test::dashedLine;
using test::dataPoint;
using test::lineFrom;
using test::Primitive;
using test::PrimitiveKind;
using test::RecordingSurface;
using test::textIn;

constexpr ResultFlags kAllOptions = kAllResultItems;
constexpr SurfaceRect kArea{0, 0, 640, 480};
const auto kCenter = HorizontalAlignment::Center;
const auto kRight = HorizontalAlignment::Right;

// With h 16 and w 8 on kArea and every option: the plot is (104, 17, 632, 440), times 0 to 8
// give 66 units each, values 1 to 10 give 47 units each.
RegressionResult testedRecord() {
    RegressionResult r;
    r.sheetName = "N/D";
    r.status = StatusFlag::Statistics | StatusFlag::Correlation;
    r.points = {dataPoint(1, 10), dataPoint(2, 5.5), dataPoint(4, 1), dataPoint(6, 4, true),
                dataPoint(8, 7)};
    r.pointCount = 5;
    r.activeCount = 4;
    r.minTime = 1;
    r.maxTime = 8;
    r.minValue = 1;
    r.maxValue = 10;
    r.mean = 5;
    return r;
}

// The line 2 + 0.5 t (6 at t = 8) with a band of constant half width 1 (47 units).
void addLine(RegressionResult& r, bool withLimits) {
    LineFit fit;
    fit.intercept = 2;
    fit.slope = 0.5;
    if (withLimits) {
        fit.a11 = 1;
        fit.residualVariance = 1;
        fit.tLine = 1;
    }
    r.fit = fit;
    r.status |= StatusFlag::Line | (withLimits ? StatusFlags(StatusFlag::LineTest) : StatusFlags());
}

struct Drawn {
    RecordingSurface surface;
    PointPositions positions;
    GraphExtent extent;
};

Drawn draw(RegressionResult& record, ResultFlags options = kAllOptions, SurfaceRect area = kArea) {
    Drawn drawn;
    DrawGraph(drawn.surface, area, record, options, &drawn.positions, &drawn.extent);
    return drawn;
}

TEST(Graph, FrameLabelsMeanLineAndMarks) {
    RegressionResult record = testedRecord();
    const Drawn drawn = draw(record);
    EXPECT_EQ(drawn.surface.primitives,
              (std::vector<Primitive>{
                  boxOf(PrimitiveKind::Rectangle, {104, 17, 632, 440}),
                  textIn({0, 0, 640, 16}, "N/D", kCenter),
                  textIn({56, 448, 152, 464}, "0", kCenter),
                  lineFrom({104, 440}, {104, 448}),
                  textIn({320, 448, 416, 464}, "4", kCenter),
                  lineFrom({368, 440}, {368, 448}),
                  textIn({543, 448, 639, 464}, "8", kRight),
                  lineFrom({631, 440}, {631, 448}),
                  textIn({1, 431, 97, 447}, "1", kRight),
                  lineFrom({104, 439}, {100, 439}),
                  textIn({1, 220, 97, 236}, "5.5", kRight),
                  lineFrom({104, 228}, {100, 228}),
                  textIn({1, 9, 97, 25}, "10", kRight),
                  lineFrom({104, 17}, {100, 17}),
                  dashedLine({104, 252}, {632, 252}, 1),
                  boxOf(PrimitiveKind::Ellipse, {166, 13, 175, 22}),
                  boxOf(PrimitiveKind::Ellipse, {232, 224, 241, 233}),
                  // On the bottom edge and on the right edge: still inside.
                  boxOf(PrimitiveKind::Ellipse, {364, 436, 373, 445}),
                  lineFrom({496, 295}, {506, 305}),
                  lineFrom({505, 295}, {495, 305}),
                  boxOf(PrimitiveKind::Ellipse, {628, 154, 637, 163}),
              }));
    const std::vector<std::optional<SurfacePoint>> positions{
        SurfacePoint{170, 17}, SurfacePoint{236, 228}, SurfacePoint{368, 440},
        SurfacePoint{500, 299}, SurfacePoint{632, 158}};
    EXPECT_EQ(drawn.positions.points, positions);
    EXPECT_EQ(drawn.positions.plot, (SurfaceRect{104, 17, 632, 440}));
    EXPECT_TRUE(drawn.extent.valid);
    EXPECT_EQ(drawn.extent.rightTime, 8);
}

// A point the outlier filter disabled: its cross stands in a square one unit wider than the
// cross on each side; everything else is drawn as for a point disabled by hand.
TEST(Graph, PointOfTheOutlierFilterHasASquareAroundItsCross) {
    RegressionResult byHand = testedRecord();
    RegressionResult filtered = testedRecord();
    (*filtered.points)[3].flags |= PointFlag::ExcludedByFilter;
    const Drawn plain = draw(byHand);
    const Drawn marked = draw(filtered);
    std::vector<Primitive> expected = plain.surface.primitives;
    const auto cross =
        std::find(expected.begin(), expected.end(), lineFrom({496, 295}, {506, 305}));
    ASSERT_NE(cross, expected.end());
    expected.insert(cross, boxOf(PrimitiveKind::Rectangle, {495, 294, 507, 306}));
    EXPECT_EQ(marked.surface.primitives, expected);
    EXPECT_EQ(marked.positions.points, plain.positions.points);
}

// A font whose digits are wider than its average character: the labels "3.8106E-005" and
// "5.6914E-005" need 11 × 11 = 121 units where the fixed margin gives 12 w = 96.
TEST(Graph, LabelsAreDrawnWholeInTheFontsWidths) {
    struct Case {
        const char* name;
        double minValue;
        double maxValue;
        int plotLeft;
    };
    const Case cases[] = {
        {"short labels keep the margin", 1, 10, 5 + 13 * 8},
        {"long labels move the plot", 3.8106e-5, 5.6914e-5, 5 + 121 + 8},
    };
    const SurfaceRect area{5, 22, 635, 475};
    for (const Case& c : cases) {
        RegressionResult record = testedRecord();
        record.minValue = c.minValue;
        record.maxValue = c.maxValue;
        Drawn drawn;
        drawn.surface.measure = [](std::string_view text) {
            return 11 * static_cast<int>(text.size());
        };
        DrawGraph(drawn.surface, area, record, kAllOptions, &drawn.positions, &drawn.extent);
        ASSERT_TRUE(drawn.positions.plot) << c.name;
        const SurfaceRect plot = *drawn.positions.plot;
        EXPECT_EQ(plot.left, c.plotLeft) << c.name;
        int labels = 0;
        for (const Primitive& p : drawn.surface.ofKind(PrimitiveKind::TextInRect)) {
            const int width = drawn.surface.textWidth(p.text);
            // Where the text starts and ends in its box; nothing of it lies outside the box.
            const int start = p.horizontal == kRight ? p.rect.right - width
                              : p.horizontal == kCenter
                                  ? p.rect.left + (p.rect.right - p.rect.left - width) / 2
                                  : p.rect.left;
            EXPECT_GE(start, p.rect.left) << c.name << " " << p;
            EXPECT_LE(start + width, p.rect.right) << c.name << " " << p;
            EXPECT_GE(start, area.left) << c.name << " " << p;
            EXPECT_LE(start + width, area.right) << c.name << " " << p;
            if (p.rect.right <= plot.left) { // a value label: clear of its tick
                EXPECT_LT(start + width, plot.left - 8 / 2) << c.name << " " << p;
                ++labels;
            }
        }
        EXPECT_EQ(labels, 3) << c.name;
        EXPECT_EQ(drawn.surface.texts()[4], c.minValue == 1 ? "1" : "3.8106E-005") << c.name;
    }
}

TEST(Graph, LineFormulaAndConfidenceBand) {
    RegressionResult record = testedRecord();
    addLine(record, true);
    const Drawn drawn = draw(record);
    const std::vector<std::string> texts = drawn.surface.texts();
    EXPECT_EQ(texts.back(), "y =            2 +          0.5 * x");
    const auto lines = drawn.surface.ofKind(PrimitiveKind::Line);
    // After the six label ticks: the fitted line from y(2) to y(6) across the plot.
    ASSERT_GT(lines.size(), 8u);
    EXPECT_EQ(lines[6], lineFrom({104, 393}, {632, 205}));
    // The band: at x = 104 the stroke below the line would touch the bottom (440) and is left
    // out whole; the one above is drawn; at x = 114 both are drawn.
    EXPECT_EQ(lines[7], lineFrom({104, 346}, {109, 344}));
    EXPECT_EQ(lines[8], lineFrom({114, 436}, {119, 434}));
    EXPECT_EQ(lines[9], lineFrom({114, 342}, {119, 340}));
    int strokes = 0;
    for (std::size_t i = 7; i + 2 < lines.size(); ++i) { // the cross of the disabled point last
        const Primitive& s = lines[i];
        EXPECT_EQ(s.to.x - s.from.x, 5) << s;
        EXPECT_EQ((s.from.x - 104) % 10, 0) << s;
        EXPECT_TRUE(s.from.y >= 17 && s.from.y < 440 && s.to.y >= 17 && s.to.y < 440) << s;
        ++strokes;
    }
    EXPECT_GT(strokes, 80);
}

TEST(Graph, LineAboveTheValuesWidensTheRange) {
    RegressionResult record = testedRecord();
    addLine(record, false);
    record.fit->slope = 2.0; // e = 18 at t = 8: values 1 to 18, 423 / 17 units each
    const Drawn drawn = draw(record);
    EXPECT_EQ(drawn.extent.topValue, 18);
    const auto lines = drawn.surface.ofKind(PrimitiveKind::Line);
    EXPECT_EQ(lines[6], lineFrom({104, 17 + static_cast<int>(16 * (423.0 / 17))}, {632, 17}));
    // A line without limits has no band: the next line is the disabled point's cross.
    EXPECT_EQ(lines.size(), 6u + 1u + 2u);
}

TEST(Graph, WhatTheOptionsAndTheAreaLeaveOut) {
    struct Case {
        const char* name;
        ResultFlags options;
        SurfaceRect area;
        SurfaceRect plot;
        bool formula;
        bool timeLabels;
        bool valueLabels;
        bool meanLine;
    };
    const Case cases[] = {
        {"all", kAllOptions, kArea, {104, 17, 632, 440}, true, true, true, true},
        // H 163 < 4 h + 100: the formula line goes first.
        {"low", kAllOptions, {0, 0, 640, 163}, {104, 17, 632, 139}, false, true, true, true},
        // W 391 < 49 w: no time labels, value labels still (W >= 13 w + 100).
        {"narrow", kAllOptions, {0, 0, 391, 480}, {104, 17, 383, 456}, true, false, true, true},
        {"bare", ResultFlag::AvgLimit, kArea, {0, 0, 632, 472}, false, false, false, false},
    };
    for (const Case& c : cases) {
        RegressionResult record = testedRecord();
        addLine(record, false);
        const Drawn drawn = draw(record, c.options, c.area);
        EXPECT_EQ(drawn.positions.plot, c.plot) << c.name;
        const std::vector<std::string> texts = drawn.surface.texts();
        const auto has = [&texts](const std::string& text) {
            return std::find(texts.begin(), texts.end(), text) != texts.end();
        };
        EXPECT_EQ(!texts.empty() && texts.back().starts_with("y = "), c.formula) << c.name;
        EXPECT_EQ(has("8"), c.timeLabels) << c.name;
        EXPECT_EQ(has("10"), c.valueLabels) << c.name;
        EXPECT_EQ(drawn.surface.ofKind(PrimitiveKind::DashedLine).size(), c.meanLine ? 1u : 0u)
            << c.name;
    }
}

TEST(Graph, TooSmallAnArea) {
    RegressionResult record = testedRecord();
    const Drawn drawn = draw(record, kAllOptions, {10, 10, 109, 300});
    EXPECT_EQ(drawn.surface.primitives,
              (std::vector<Primitive>{
                  textIn({10, 10, 109, 300}, "描画不可", kCenter, VerticalAlignment::Center)}));
    EXPECT_FALSE(drawn.positions.plot);
    EXPECT_FALSE(HitDataPoint(drawn.positions, record, 170, 17));
}

// Scales that cannot be had: the frame and the labels that can be computed, nothing at
// positions that cannot.
TEST(Graph, NothingAtUndefinedPositions) {
    struct Case {
        const char* name;
        double minTime;
        double maxTime;
        double minValue;
        double maxValue;
        bool timeLabels;
        bool valueLabels;
        bool meanLine;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"one time", 3, 3, 1, 10, false, false, false},
        {"times before zero", -9, -1, 1, 10, true, true, true},
        {"equal values", 1, 8, 4, 4, true, true, false},
        {"no number", 1, 8, nan, nan, true, true, false},
    };
    for (const Case& c : cases) {
        RegressionResult record = testedRecord();
        record.minTime = c.minTime;
        record.maxTime = c.maxTime;
        record.minValue = c.minValue;
        record.maxValue = c.maxValue;
        const Drawn drawn = draw(record);
        const RecordingSurface& s = drawn.surface;
        EXPECT_EQ(s.primitives.front(), boxOf(PrimitiveKind::Rectangle, {104, 17, 632, 440}))
            << c.name;
        EXPECT_TRUE(s.ofKind(PrimitiveKind::Ellipse).empty()) << c.name;
        EXPECT_EQ(s.ofKind(PrimitiveKind::DashedLine).size(), c.meanLine ? 1u : 0u) << c.name;
        const std::size_t labels = (c.timeLabels ? 3u : 0u) + (c.valueLabels ? 3u : 0u);
        EXPECT_EQ(s.ofKind(PrimitiveKind::TextInRect).size(), 1u + labels) << c.name;
        EXPECT_EQ(s.ofKind(PrimitiveKind::Line).size(), labels) << c.name; // ticks only
        EXPECT_FALSE(drawn.extent.valid) << c.name;
        EXPECT_FALSE(drawn.positions.points[0]) << c.name;
        EXPECT_TRUE((*record.points)[0].flags.test(PointFlag::OffGraph)) << c.name;
    }
}

TEST(Graph, PointsOffThePlotAreMarkedAndNotDrawn) {
    RegressionResult record = testedRecord();
    const double huge = 1e300;
    (*record.points)[0].time = -2;                                        // before time zero
    (*record.points)[1].value = huge;                                     // far above the plot
    (*record.points)[2].value = std::numeric_limits<double>::quiet_NaN(); // no position at all
    (*record.points)[4].time = std::numeric_limits<double>::infinity();
    Drawn drawn = draw(record);
    EXPECT_EQ(drawn.surface.ofKind(PrimitiveKind::Ellipse).size(), 0u);
    for (int i : {0, 1, 2, 4}) {
        EXPECT_TRUE((*record.points)[static_cast<std::size_t>(i)].flags.test(PointFlag::OffGraph))
            << i;
        EXPECT_FALSE(drawn.positions.points[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_FALSE((*record.points)[3].flags.test(PointFlag::OffGraph));

    // The next drawing decides afresh.
    (*record.points)[0].time = 1;
    drawn = draw(record);
    EXPECT_FALSE((*record.points)[0].flags.test(PointFlag::OffGraph));
    EXPECT_EQ(drawn.positions.points[0], (SurfacePoint{170, 17}));
}

TEST(Graph, LineAndBandOnlyWithAFittedLine) {
    struct Case {
        const char* name;
        bool fit;
        std::uint32_t method;
        StatusFlags status;
    };
    const Case cases[] = {
        {"no fit", false, 0, StatusFlag::Line | StatusFlag::LineTest},
        {"method beyond the table", true, 99, StatusFlag::Line | StatusFlag::LineTest},
        // One active point: a fit object holding zeros, no line.
        {"fit without a line", true, 0, {}},
    };
    for (const Case& c : cases) {
        RegressionResult record = testedRecord();
        addLine(record, true);
        record.status = StatusFlag::Statistics | c.status;
        record.fit->method = c.method;
        if (!c.fit) {
            record.fit.reset();
        }
        const Drawn drawn = draw(record);
        for (const std::string& text : drawn.surface.texts()) {
            EXPECT_FALSE(text.starts_with("y = ")) << c.name;
        }
        // Six ticks and the cross of the disabled point.
        EXPECT_EQ(drawn.surface.ofKind(PrimitiveKind::Line).size(), 8u) << c.name;
        EXPECT_EQ(drawn.extent.topValue, 10) << c.name;
    }
}

TEST(Graph, FailedRecordDrawsItsFrameOnly) {
    RegressionResult failed;
    failed.pointCount = kPointsNone;
    const Drawn drawn = draw(failed);
    EXPECT_EQ(drawn.surface.primitives.size(), 2u); // the frame and the (empty) name
    EXPECT_FALSE(drawn.extent.valid);
    EXPECT_FALSE(HitDataPoint(drawn.positions, failed, 104, 440));
}

// With w 8 the markers reach 4 units from their points: a click hits within 6 units.
TEST(GraphClicks, OnAMarkerAndTwoUnitsAroundIt) {
    RegressionResult record = testedRecord();
    const Drawn drawn = draw(record);
    EXPECT_EQ(drawn.positions.markerRadius, 4);
    struct Case {
        int x;
        int y;
        std::optional<int> hit;
    };
    const Case cases[] = {
        {236, 228, 1},
        {242, 228, 1},
        {240, 232, 1}, // 5.7 units away
        {243, 228, std::nullopt},
        {241, 232, std::nullopt}, // 6.4 units away
        {500, 299, 3},            // a disabled point can be hit to enable it
        {632, 158, 4},
        {0, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HitDataPoint(drawn.positions, record, c.x, c.y), c.hit) << c.x << "," << c.y;
    }
}

// A marker 7 units across (w 6: it reaches 3 units) is hit on its ring and up to 5 units away.
TEST(GraphClicks, SmallMarkersAndNeighbours) {
    RegressionResult record = testedRecord();
    Drawn drawn;
    drawn.surface.metrics = {12, 6};
    DrawGraph(drawn.surface, kArea, record, kAllOptions, &drawn.positions, &drawn.extent);
    ASSERT_EQ(drawn.positions.markerRadius, 3);
    const SurfacePoint p = *drawn.positions.points[1];
    EXPECT_EQ(HitDataPoint(drawn.positions, record, p.x + 3, p.y + 2), 1);
    EXPECT_EQ(HitDataPoint(drawn.positions, record, p.x - 5, p.y), 1);
    EXPECT_EQ(HitDataPoint(drawn.positions, record, p.x - 6, p.y), std::nullopt);
    EXPECT_EQ(HitDataPoint(drawn.positions, record, p.x + 4, p.y + 4), std::nullopt);

    // Of two markers within reach the nearer is hit, of two equally near the first.
    PointPositions close = drawn.positions;
    close.points[2] = SurfacePoint{p.x + 4, p.y};
    EXPECT_EQ(HitDataPoint(close, record, p.x + 1, p.y), 1);
    EXPECT_EQ(HitDataPoint(close, record, p.x + 3, p.y), 2);
    EXPECT_EQ(HitDataPoint(close, record, p.x + 2, p.y + 1), 1);
}

TEST(GraphClicks, PositionsFollowTheRecordsCurrentPoints) {
    RegressionResult record = testedRecord();
    Drawn drawn = draw(record);
    // Update All rebuilt the record with two points; the table still holds five positions.
    record.points->resize(2);
    EXPECT_FALSE(HitDataPoint(drawn.positions, record, 632, 158));
    EXPECT_EQ(HitDataPoint(drawn.positions, record, 170, 17), 0);
    record.points.reset();
    EXPECT_FALSE(HitDataPoint(drawn.positions, record, 170, 17));

    // A drawing sizes the table to the points as they are now.
    record.points = std::vector<DataPoint>{dataPoint(8, 7)};
    drawn = draw(record);
    EXPECT_EQ(HitDataPoint(drawn.positions, record, 632, 158), 0);

    // A drawing that places nothing leaves nothing to hit.
    record.maxTime = record.minTime;
    drawn = draw(record);
    EXPECT_FALSE(HitDataPoint(drawn.positions, record, 632, 158));
}

TEST(GraphReadout, TimeAndValueUnderThePointer) {
    RegressionResult record = testedRecord();
    record.minValue = -10;
    record.maxValue = -1; // all negative: the read-out works all the same
    const Drawn drawn = draw(record);
    ASSERT_TRUE(drawn.extent.valid);
    struct Case {
        int x;
        int y;
        std::optional<double> time;
        std::optional<double> value;
    };
    const Case cases[] = {
        {104, 17, 0.0, -1.0},
        {631, 439, 8.0 * 527 / 528, -1.0 - 9.0 * 422 / 423},
        {103, 100, std::nullopt, std::nullopt},
        {632, 100, std::nullopt, std::nullopt},
        {300, 440, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<GraphReading> reading =
            ReadGraphPosition(drawn.positions, drawn.extent, c.x, c.y);
        ASSERT_EQ(reading.has_value(), c.time.has_value()) << c.x << "," << c.y;
        if (reading) {
            EXPECT_DOUBLE_EQ(reading->time, *c.time);
            EXPECT_DOUBLE_EQ(reading->value, *c.value);
        }
    }
    EXPECT_EQ(FormatGraphReading({4, -5.25}), "(4, -5.25)");
    EXPECT_EQ(FormatGraphReading({1234567, 1e-5}), "(1.23457E+006, 1E-005)");

    // No scale, no read-out.
    record.maxValue = record.minValue;
    const Drawn flat = draw(record);
    EXPECT_FALSE(ReadGraphPosition(flat.positions, flat.extent, 300, 200));
}

TEST(GraphWindow, ReadoutAboveTheGraph) {
    const GraphWindowLayout layout = LayOutGraphWindow({0, 0, 400, 300}, 16);
    EXPECT_EQ(layout.readoutBox, (SurfaceRect{0, 5, 400, 21}));
    EXPECT_EQ(layout.readoutStrip, (SurfaceRect{0, 0, 400, 21}));
    EXPECT_EQ(layout.graphArea, (SurfaceRect{5, 22, 395, 295}));

    RegressionResult record = testedRecord();
    RecordingSurface surface;
    DrawGraphWindow(surface, {0, 0, 400, 300}, record, kAllOptions, GraphReading{1.5, -2}, nullptr,
                    nullptr);
    EXPECT_EQ(surface.primitives[0],
              textIn({0, 5, 400, 21}, "(1.5, -2)", kCenter, VerticalAlignment::Center));
    EXPECT_EQ(surface.primitives[1].kind, PrimitiveKind::Rectangle);
    EXPECT_EQ(surface.primitives[1].rect.top, 22 + 17);
}

} // namespace
} // namespace tarnova
