// The outlier filter: its keyword, its decisions on one record against independent
// computations (numpy and scipy), its floor of points, and how it meets the user's choices and
// the calculation's runs.
#include "calc/outlier_filter.h"

#include "calc/calc_state.h"
#include "calc/regression.h"
#include "calc/regression_method.h"
#include "core/calc/scripted_calculation_port.h"
#include "core/support/log_capture.h"
#include "core/support/regression_records.h"
#include "core/support/test_peaks.h"
#include "results/point_editing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace tarnova {
namespace {

using Series = std::vector<std::pair<double, double>>;

RegressionResult fitted(const Series& points, std::uint32_t method) {
    RegressionResult record = test::withPoints(points, 0.32);
    record.fitMethod = method;
    EXPECT_TRUE(ComputeStatistics(record));
    EXPECT_TRUE(FitLine(record)) << RegressionMethodName(method);
    return record;
}

// The indices of the disabled points; every one must carry the filter's mark.
std::vector<int> filteredOut(const RegressionResult& record) {
    std::vector<int> out;
    for (std::size_t i = 0; i < record.points->size(); ++i) {
        const DataPoint& point = (*record.points)[i];
        if (!point.isActive()) {
            EXPECT_TRUE(point.flags.test(PointFlag::ExcludedByFilter)) << i;
            out.push_back(static_cast<int>(i));
        }
    }
    return out;
}

Series series(const std::vector<double>& times, const std::vector<double>& values) {
    Series points;
    for (std::size_t i = 0; i < times.size(); ++i) {
        points.emplace_back(times[i], values[i]);
    }
    return points;
}

TEST(OutlierFilterKeyword, ReadsEveryFormAndWritesItBack) {
    struct Case {
        const char* text;
        OutlierRule rule;
        double k;
        int iterations;
        const char* written;
    };
    const Case cases[] = {
        {"off", OutlierRule::Off, 2.0, 1, "off"},
        {"chauvenet", OutlierRule::Chauvenet, 2.0, 1, "chauvenet"},
        {"sigma", OutlierRule::Sigma, 2.0, 1, "sigma:2:1"},
        {"sigma:2.5", OutlierRule::Sigma, 2.5, 1, "sigma:2.5:1"},
        {"sigma:0.1:100", OutlierRule::Sigma, 0.1, 100, "sigma:0.1:100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<OutlierFilter> filter = ParseOutlierFilter(c.text);
        ASSERT_TRUE(filter);
        EXPECT_EQ(filter->rule, c.rule);
        EXPECT_EQ(filter->k, c.k);
        EXPECT_EQ(filter->iterations, c.iterations);
        EXPECT_EQ(FormatOutlierFilter(*filter), c.written);
        EXPECT_EQ(ParseOutlierFilter(FormatOutlierFilter(*filter)), filter);
    }
}

TEST(OutlierFilterKeyword, RefusesDamagedForms) {
    for (const char* text : {"", "Off", "sigma:", "sigma:0", "sigma:nan", "sigma:2:0",
                             "sigma:2:101", "sigma:2:1:1", "sigma:2x", "sigmas", "chauvenet:1"}) {
        EXPECT_FALSE(ParseOutlierFilter(text)) << text;
    }
}

// Twelve measurements of a curve with small noise of alternating sign, one of them (the eighth)
// 3 units too high: each method's filter takes out that point and no other.
TEST(OutlierFilterDecisions, OneGrossOutlierIsTheOnlyPointRemoved) {
    const double noise[] = {0.05, -0.04, 0.03, -0.05, 0.04, -0.03,
                            0.05, -0.04, 0.03, -0.05, 0.04, -0.03};
    constexpr std::size_t kOutlier = 7;
    struct Curve {
        std::uint32_t method;
        double (*value)(double t);
    };
    const Curve curves[] = {
        {kLinearMethod, [](double t) { return 295.0 - 0.01 * t; }},
        {kParabolicMethod, [](double t) { return 296.0 - 0.02 * t + 3e-5 * t * t; }},
        {kExponentialMethod, [](double t) { return 290.0 + 6.0 * std::exp(-0.008 * t); }},
        {kMeanMethod, [](double) { return 295.0; }},
        {kAutomaticMethod, [](double t) { return 296.0 - 0.02 * t + 3e-5 * t * t; }},
    };
    const OutlierFilter filters[] = {
        {OutlierRule::Sigma, 2.0, 1},
        {OutlierRule::Sigma, 2.0, 5},
        {OutlierRule::Chauvenet, 2.0, 1},
    };
    for (const Curve& curve : curves) {
        Series points;
        for (std::size_t i = 0; i < std::size(noise); ++i) {
            const double t = 12.5 + 30.0 * static_cast<double>(i);
            points.emplace_back(t, curve.value(t) + noise[i] + (i == kOutlier ? 3.0 : 0.0));
        }
        for (const OutlierFilter& filter : filters) {
            SCOPED_TRACE(std::string(RegressionMethodName(curve.method)) + " " +
                         FormatOutlierFilter(filter));
            RegressionResult record = fitted(points, curve.method);
            EXPECT_EQ(FilterOutliers(record, filter), 1);
            EXPECT_EQ(filteredOut(record), std::vector<int>{kOutlier});
            EXPECT_EQ(record.activeCount, 11);
            ASSERT_TRUE(HasFittedCurve(record));
            // The refit no longer sees the outlier: the curve passes within the noise of it.
            EXPECT_GT(points[kOutlier].second - FittedValue(*record.fit, points[kOutlier].first),
                      2.8);
        }
    }
}

// One pass of Chauvenet's criterion, n erfc(|z| / sqrt 2) < 0.5, decided by numpy.polyfit (the
// mean: numpy's std with ddof = 1) and scipy.special.erfc on series with heavy-tailed noise
// (Student's t, 2 degrees of freedom); the last rows move one point to a z of 1e-7 above and
// below the threshold sqrt 2 erfcinv(0.5 / n). tests/reference/filter_reference.py compares
// many more measurements through tarnova-cli reduce.
TEST(OutlierFilterDecisions, ChauvenetAgreesWithScipy) {
    struct Case {
        std::uint32_t method;
        std::vector<double> times;
        std::vector<double> values;
        std::vector<int> rejected;
    };
    const Case cases[] = {
        {kMeanMethod,
         {132.57, 216.15, 234.34, 295.19, 307.78, 330.15, 346.79, 348.03, 367.85},
         {293.5239, 294.0741, 294.2435, 292.8604, 293.6558, 293.5557, 293.5134, 293.4752, 295.5131},
         {8}},
        {kLinearMethod,
         {107.51, 114.26, 119.93, 148.94, 164.26, 170.88, 199.64, 221.76, 280.01, 299.63, 334.67,
          350.0, 351.7},
         {294.7631, 294.4157, 294.3115, 294.362, 294.3168, 297.0755, 294.3711, 294.6654, 293.8669,
          293.3586, 293.5868, 293.5064, 293.7872},
         {5}},
        {kParabolicMethod,
         {16.51, 55.34, 157.35, 214.4, 215.23, 252.86, 291.0, 314.2, 350.71, 374.79},
         {295.4562, 294.8447, 294.655, 294.147, 294.1349, 294.0148, 293.9137, 294.9299, 293.6843,
          293.9087},
         {7}},
        {kMeanMethod,
         {5.0, 25.0, 45.0, 65.0, 85.0, 105.0, 125.0},
         {295.0, 295.0992, 294.9744, 294.9074, 295.0494, 295.2222594370471, 294.93},
         {5}},
        {kMeanMethod,
         {5.0, 25.0, 45.0, 65.0, 85.0, 105.0, 125.0},
         {295.0, 295.0992, 294.9744, 294.9074, 295.0494, 295.2222593126934, 294.93},
         {}},
        {kMeanMethod,
         {5.0, 25.0, 45.0, 65.0, 85.0, 105.0, 125.0, 145.0, 165.0, 185.0, 205.0, 225.0},
         {295.0, 295.0992, 294.9744, 294.9074, 295.0494, 295.0798, 294.93, 294.9382, 295.0859,
          295.0397, 295.1934606637674, 294.9851},
         {10}},
        {kMeanMethod,
         {5.0, 25.0, 45.0, 65.0, 85.0, 105.0, 125.0, 145.0, 165.0, 185.0, 205.0, 225.0},
         {295.0, 295.0992, 294.9744, 294.9074, 295.0494, 295.0798, 294.93, 294.9382, 295.0859,
          295.0397, 295.1934606007795, 294.9851},
         {}},
    };
    const OutlierFilter chauvenet{.rule = OutlierRule::Chauvenet};
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(row++);
        RegressionResult record = fitted(series(c.times, c.values), c.method);
        EXPECT_EQ(FilterOutliers(record, chauvenet), static_cast<int>(c.rejected.size()));
        EXPECT_EQ(filteredOut(record), c.rejected);
    }
}

// A line with a gross outlier (the fourth point) that hides a smaller one (the tenth) in the
// first pass: the second pass finds it, and a third finds nothing more. Reference: the same
// passes with numpy.polyfit.
TEST(OutlierFilterDecisions, SigmaPassesRepeatUntilNothingMoreIsFound) {
    const Series points =
        series({12.5, 42.5, 72.5, 102.5, 132.5, 162.5, 192.5, 222.5, 252.5, 282.5, 312.5, 342.5},
               {294.925, 294.535, 294.305, 296.925, 293.715, 293.345, 293.125, 292.735, 292.505,
                292.725, 291.915, 291.545});
    struct Case {
        double k;
        int iterations;
        std::vector<int> rejected;
    };
    const Case cases[] = {
        {2.0, 1, {3}},      {2.0, 2, {3, 9}}, {2.0, 3, {3, 9}},
        {2.0, 100, {3, 9}}, {3.0, 1, {}},     {3.0, 4, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.k) + " " + std::to_string(c.iterations));
        RegressionResult record = fitted(points, kLinearMethod);
        EXPECT_EQ(FilterOutliers(record, {OutlierRule::Sigma, c.k, c.iterations}),
                  static_cast<int>(c.rejected.size()));
        EXPECT_EQ(filteredOut(record), c.rejected);
    }
}

// The filter never leaves fewer active points than the curve needs with a residual standard
// deviation to spare; when more points fail, the worst go first. A record without spread left
// (a perfect line), a point the user kept in, or the filter off: nothing is disabled.
TEST(OutlierFilterDecisions, FloorOfPointsAndPointsLeftAlone) {
    struct Case {
        const char* name;
        std::uint32_t method;
        Series points;
        OutlierFilter filter;
        std::vector<int> rejected;
        int keptByUser = -1;
    };
    const OutlierFilter loose{OutlierRule::Sigma, 0.5, 10};
    const Series five{{0, 1.0}, {1, 9.0}, {2, 1.1}, {3, 8.0}, {4, 0.9}};
    const Series three{{0, 1.0}, {1, 5.0}, {2, 1.1}};
    const Series line{{0, 1.0}, {1, 2.0}, {2, 3.0}, {3, 4.0}, {4, 5.0}};
    const Series far{{0, 1.0}, {1, 1.1}, {2, 0.9}, {3, 1.0}, {4, 1.05}, {5, 0.95}, {6, 9.0}};
    const Case cases[] = {
        {"line of 5: the two worst", kLinearMethod, five, loose, {1, 3}},
        {"line of 3: no room", kLinearMethod, three, loose, {}},
        {"mean of 3: one of them", kMeanMethod, three, loose, {1}},
        {"parabola of 5: one",
         kParabolicMethod,
         {{0, 1}, {1, 2}, {2, 9}, {3, 4}, {4, 5.1}},
         loose,
         {2}},
        {"perfect line", kLinearMethod, line, loose, {}},
        {"kept outlier", kMeanMethod, far, {OutlierRule::Chauvenet, 2.0, 1}, {}, 6},
        {"off", kMeanMethod, far, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegressionResult record = test::withPoints(c.points, 0.32);
        record.fitMethod = c.method;
        if (c.keptByUser >= 0) {
            (*record.points)[static_cast<std::size_t>(c.keptByUser)].flags |= PointFlag::KeptByUser;
        }
        ASSERT_TRUE(ComputeStatistics(record));
        ASSERT_TRUE(FitLine(record));
        FilterOutliers(record, c.filter);
        EXPECT_EQ(filteredOut(record), c.rejected);
        EXPECT_GE(record.activeCount,
                  std::min(OutlierFilterFloor(c.method), static_cast<int>(c.points.size())));
    }
}

// Twelve abundance peaks of N around 100 with the eighth 30 too high, and D peaks around them
// for an N/D ratio.
std::vector<PeakRecord> outlierPeaks() {
    const double noise[] = {0.5, -0.4, 0.3, -0.5, 0.4, -0.3, 0.5, -0.4, 0.3, -0.5, 0.4, -0.3};
    std::vector<PeakRecord> peaks;
    for (int i = 0; i < 12; ++i) {
        const double t = 10.0 + 20.0 * i;
        peaks.push_back(test::makePeak("D", t, 50.0));
        peaks.push_back(test::makePeak("N", t + 10.0, 100.0 + noise[i] + (i == 7 ? 30.0 : 0.0)));
    }
    peaks.push_back(test::makePeak("D", 250.0, 50.0));
    return peaks;
}

CalcState outlierState(const OutlierFilter& filter) {
    CalcState state;
    state.calcFlags = CalcFlag::Confirmed;
    state.peaks = outlierPeaks();
    state.outlierFilter = filter;
    state.results = ResultTable(2);
    (*state.results)[0].numerator = "N";
    (*state.results)[1].numerator = "N";
    (*state.results)[1].denominator = "D";
    return state;
}

// The peak of N measured eighth.
constexpr std::uint32_t kOutlierPeak = 15;

// After a filter run the user's choices hold: a point enabled again stays in through every
// later filter run, a point disabled by hand stays out without the filter's mark; Enable All
// gives the filter its say again. A filter run decides afresh, so a second one changes nothing.
TEST(OutlierFilterChoices, FilterRunsRespectTheUsersChoices) {
    const OutlierFilter filter{.rule = OutlierRule::Chauvenet};
    CalcState state = outlierState(filter);
    ASSERT_EQ(RunRegressions(state, 99.7, RegressionRun::Calculation), RecordsFitted::All);
    RegressionResult& record = (*state.results)[0];
    ASSERT_EQ(filteredOut(record), std::vector<int>{7});
    EXPECT_EQ(RefilterOutliers(record, filter), 1);
    EXPECT_EQ(filteredOut(record), std::vector<int>{7});

    ASSERT_TRUE(ClickDataPoint(record, 7, PointButton::Left));
    EXPECT_EQ((*record.points)[7].flags, PointFlag::KeptByUser);
    ASSERT_TRUE(ClickDataPoint(record, 2, PointButton::Right));
    EXPECT_EQ((*record.points)[2].flags, PointFlag::Disabled);
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(RefilterOutliers(record, filter), 0);
        EXPECT_TRUE((*record.points)[7].isActive());
        EXPECT_EQ((*record.points)[2].flags, PointFlag::Disabled);
    }
    // The Toggle dialog makes the same choices.
    std::vector<bool> selected(12, true);
    selected[7] = false;
    ApplyEnabledPoints(record, selected);
    EXPECT_EQ((*record.points)[7].flags, PointFlag::Disabled);
    EXPECT_EQ((*record.points)[2].flags, PointFlag::KeptByUser);

    EnableAllDataPoints(record);
    EXPECT_EQ(RefilterOutliers(record, filter), 1);
    EXPECT_EQ(filteredOut(record), std::vector<int>{7});
    // With the filter off a filter run gives its points back.
    EXPECT_EQ(RefilterOutliers(record, OutlierFilter{}), 0);
    EXPECT_EQ(record.activeCount, 12);
}

// A calculation decides the filter afresh; Update All keeps what the records hold, and with the
// filter off the calculation is the same as without any filter.
TEST(OutlierFilterChoices, CalculationDecidesAfreshUpdateKeeps) {
    CalcState state = outlierState({.rule = OutlierRule::Sigma});
    ASSERT_EQ(RunRegressions(state, 99.7, RegressionRun::Calculation), RecordsFitted::All);
    EXPECT_EQ(filteredOut((*state.results)[0]), std::vector<int>{7});
    EXPECT_EQ(filteredOut((*state.results)[1]), std::vector<int>{7});

    test::ScriptedCalculationPort port;
    KeepPointStates(state, kAllSheets, 0, port, 99.7);
    EXPECT_EQ(state.peaks[kOutlierPeak].flags, PeakFlag::Disabled | PeakFlag::ExcludedByFilter);
    // The ratio lost the point with its peak; the abundance shows it as the filter's.
    EXPECT_EQ((*state.results)[1].pointCount, 11);
    EXPECT_EQ(filteredOut((*state.results)[0]), std::vector<int>{7});

    state.outlierFilter = {};
    ASSERT_EQ(RunRegressions(state, 99.7, RegressionRun::Calculation), RecordsFitted::All);
    EXPECT_TRUE(state.peaks[kOutlierPeak].flags.none());
    CalcState plain = outlierState({});
    ASSERT_EQ(RunRegressions(plain, 99.7), RecordsFitted::All);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ((*state.results)[i].activeCount, 12);
        EXPECT_EQ((*state.results)[i].fit->intercept, (*plain.results)[i].fit->intercept);
    }
}

// Update All makes a peak the user's when any record the user edited left it out by hand, the
// filter's only when every record that left it out was the filter; a point the user enabled
// again is kept in by its peak through Redo.
TEST(OutlierFilterChoices, UpdateAllMergesTheReasonsOfEveryRecord) {
    struct Case {
        const char* name;
        bool handInAbundance;
        bool handInRatio;
        PeakFlags peakFlags;
    };
    const Case cases[] = {
        {"filter in both", false, false, PeakFlag::Disabled | PeakFlag::ExcludedByFilter},
        {"hand in the abundance", true, false, PeakFlag::Disabled},
        {"hand in the ratio", false, true, PeakFlag::Disabled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CalcState state = outlierState({.rule = OutlierRule::Chauvenet});
        ASSERT_EQ(RunRegressions(state, 99.7, RegressionRun::Calculation), RecordsFitted::All);
        for (std::size_t i = 0; i < 2; ++i) {
            if (i == 0 ? c.handInAbundance : c.handInRatio) {
                RegressionResult& record = (*state.results)[i];
                ASSERT_TRUE(ClickDataPoint(record, 7, PointButton::Left));
                ASSERT_TRUE(ClickDataPoint(record, 7, PointButton::Left));
            }
        }
        test::ScriptedCalculationPort port;
        KeepPointStates(state, kAllSheets, 0, port, 99.7);
        EXPECT_EQ(state.peaks[kOutlierPeak].flags, c.peakFlags);
        ASSERT_EQ(RunRegressions(state, 99.7, RegressionRun::Calculation), RecordsFitted::All);
        EXPECT_EQ(state.peaks[kOutlierPeak].isDisabled(), c.handInAbundance || c.handInRatio);
    }

    CalcState state = outlierState({.rule = OutlierRule::Chauvenet});
    ASSERT_EQ(RunRegressions(state, 99.7, RegressionRun::Calculation), RecordsFitted::All);
    ASSERT_TRUE(ClickDataPoint((*state.results)[1], 7, PointButton::Left));
    test::ScriptedCalculationPort port;
    KeepPointStates(state, 1, 1, port, 99.7);
    EXPECT_EQ(state.peaks[kOutlierPeak].flags, PeakFlag::KeptByUser);
    ASSERT_EQ(RunRegressions(state, 99.7, RegressionRun::Calculation), RecordsFitted::All);
    EXPECT_EQ((*state.results)[0].activeCount, 12);
    EXPECT_EQ((*state.results)[1].activeCount, 12);
}

// The run log's point lines show the flags as they were before exclusions had reasons: a
// point's reason and the user's keep mark are not logged.
TEST(OutlierFilterChoices, LogLinesOfPointsShowNoReasons) {
    const struct {
        PointFlags flags;
        const char* logged;
    } cases[] = {
        {{}, "(0)1 - 2.000000E+000 - OK"},
        {PointFlag::KeptByUser, "(0)1 - 2.000000E+000 - OK"},
        {PointFlag::Disabled | PointFlag::ExcludedByFilter, "(1)1 - 2.000000E+000"},
        {PointFlag::Disabled | PointFlag::OffGraph, "(10001)1 - 2.000000E+000"},
    };
    for (const auto& c : cases) {
        RegressionResult record = test::withPoints({{1.0, 2.0}, {2.0, 3.0}});
        (*record.points)[0].flags = c.flags;
        test::LogCapture log;
        ComputeStatistics(record);
        const std::vector<std::string> lines = log.lines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[1], c.logged) << c.flags.raw();
    }
}

// Before a calculation decides afresh, only the filter's exclusions are given back: a peak a
// correction excludes as well stays out as the correction's, others keep what they have.
TEST(OutlierFilterChoices, CalculationGivesBackOnlyTheFiltersPeaks) {
    const struct {
        PeakFlags before;
        PeakFlags after;
    } cases[] = {
        {PeakFlag::Disabled | PeakFlag::ExcludedByFilter, {}},
        {PeakFlag::Disabled | PeakFlag::ExcludedByFilter | PeakFlag::KeptByUser,
         PeakFlag::KeptByUser},
        {PeakFlag::Disabled | PeakFlag::ExcludedByFilter | PeakFlag::ExcludedByCorrection,
         PeakFlag::Disabled | PeakFlag::ExcludedByCorrection},
        {PeakFlag::Disabled, PeakFlag::Disabled},
    };
    for (const auto& c : cases) {
        std::vector<PeakRecord> peaks{test::makePeak("N", 1.0, 1.0, 1.0, c.before)};
        ReleaseFilterExclusions(peaks);
        EXPECT_EQ(peaks[0].flags, c.after) << c.before.raw();
    }
}

} // namespace
} // namespace tarnova
