// Points, statistics and the linear fit, against values worked out by hand and Boost.Math.
#include "calc/calc_state.h"
#include "calc/regression.h"
#include "calc/regression_method.h"
#include "core/support/boost_reference.h"
#include "core/support/log_capture.h"
#include "core/support/regression_records.h"
#include "core/support/test_peaks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace tarnova {
namespace {

using test::makePeak;
using test::upperF;
using test::upperT;
using test::withPoints;

RegressionResult ratio(const char* numerator, const char* denominator) {
    RegressionResult record;
    record.numerator = numerator;
    record.denominator = denominator;
    return record;
}

TEST(RatioPoints, UseNumeratorsBetweenEnabledDenominators) {
    // D N N D N D: three points; N before the first and after the last D give none.
    const std::vector<PeakRecord> peaks{makePeak("Ar40", 1, 50),   makePeak("Ar36", 10, 100),
                                        makePeak("Ar40", 15, 30),  makePeak("Ar40", 20, 30),
                                        makePeak("Ar36", 30, 200), makePeak("Ar40", 35, 40),
                                        makePeak("Ar36", 40, 100), makePeak("Ar40", 50, 9)};
    RegressionResult record = ratio("Ar40", "Ar36");
    ASSERT_TRUE(BuildRatioPoints(record, peaks));
    ASSERT_EQ(record.pointCount, 3);
    const std::vector<DataPoint>& points = *record.points;
    // D at 10 (100) and 30 (200): the signal at 20 is 150, so 30 / 150.
    EXPECT_DOUBLE_EQ(points[1].value, 0.2);
    EXPECT_DOUBLE_EQ(points[0].value, 30.0 / 125.0);
    EXPECT_DOUBLE_EQ(points[2].value, 40.0 / 150.0);
    EXPECT_EQ(points[0].peakIndex, 2u);
    EXPECT_EQ(points[2].peakIndex, 5u);
    EXPECT_TRUE(points[2].flags.none());
}

TEST(RatioPoints, SkipDisabledPeaksOnBothSides) {
    const std::vector<PeakRecord> peaks{
        makePeak("D", 10, 100), makePeak("N", 15, 10, 1, PeakFlag::Disabled),
        makePeak("N", 20, 60),  makePeak("D", 25, 1e9, 1, PeakFlag::Disabled),
        makePeak("N", 30, 60),  makePeak("D", 40, 400)};
    RegressionResult record = ratio("N", "D");
    ASSERT_TRUE(BuildRatioPoints(record, peaks));
    ASSERT_EQ(record.pointCount, 2);
    // Interpolated between the enabled D at 10 and 40: 200 at 20, 300 at 30.
    EXPECT_DOUBLE_EQ((*record.points)[0].value, 0.3);
    EXPECT_DOUBLE_EQ((*record.points)[1].value, 0.2);
    EXPECT_EQ((*record.points)[1].peakIndex, 4u);
}

TEST(RatioPoints, NoPointGivesFailureCode) {
    const std::vector<PeakRecord> peaks{makePeak("N", 1, 1), makePeak("D", 2, 1),
                                        makePeak("N", 3, 1)};
    RegressionResult record = ratio("N", "D");
    EXPECT_FALSE(BuildRatioPoints(record, peaks));
    EXPECT_FALSE(record.points);
    EXPECT_EQ(record.pointCount, kPointsNone);
}

TEST(AbundancePoints, KeepDisabledPeaksAsDisabledPoints) {
    const std::vector<PeakRecord> peaks{makePeak("A", 1, 2, 10), makePeak("B", 2, 1),
                                        makePeak("A", 3, 5, 1, PeakFlag::Disabled)};
    RegressionResult record;
    record.numerator = "A";
    ASSERT_TRUE(BuildAbundancePoints(record, peaks));
    ASSERT_EQ(record.pointCount, 2);
    EXPECT_DOUBLE_EQ((*record.points)[0].value, 20.0);
    EXPECT_EQ((*record.points)[0].peakIndex, 0u);
    EXPECT_EQ((*record.points)[1].flags, PointFlag::Disabled);
    EXPECT_EQ((*record.points)[1].peakIndex, 2u);

    RegressionResult missing;
    missing.numerator = "C";
    EXPECT_FALSE(BuildAbundancePoints(missing, peaks));
    EXPECT_EQ(missing.pointCount, kPointsNone);
}

// Times 1..4, values 2, 4, 5, 8: mean 4.75, variance 4.6875, time variance 1.25, covariance
// 2.375; line 0 + 1.9 t; residual sum 0.70, regression sum 18.05.
TEST(Statistics, FourPointsAgainstHandValues) {
    RegressionResult record = withPoints({{1, 2}, {2, 4}, {3, 5}, {4, 8}});
    ASSERT_TRUE(ComputeStatistics(record));
    EXPECT_EQ(record.sheetName, "Ar40/Ar36");
    EXPECT_EQ(record.activeCount, 4);
    EXPECT_EQ(record.status, StatusFlag::Statistics | StatusFlag::Correlation);
    EXPECT_DOUBLE_EQ(record.mean, 4.75);
    EXPECT_DOUBLE_EQ(record.meanTime, 2.5);
    EXPECT_NEAR(record.variance, 4.6875, 1e-12);
    EXPECT_NEAR(record.varianceTime, 1.25, 1e-12);
    EXPECT_NEAR(record.stdDevUnbiased, 2.5, 1e-12);
    EXPECT_NEAR(record.covariance, 2.375, 1e-12);
    EXPECT_NEAR(record.r, 0.9811558, 1e-6);
    // t of r with 2 degrees of freedom: r sqrt(2 / (1 - r^2)).
    EXPECT_NEAR(record.tOfR, 0.9811558 * std::sqrt(2.0 / (1.0 - 0.9811558 * 0.9811558)), 1e-4);
    EXPECT_NEAR(record.tLimit, upperT(0.025, 3), 1e-4);

    ASSERT_TRUE(FitLine(record));
    const LineFit& fit = *record.fit;
    EXPECT_NEAR(fit.slope, 1.9, 1e-12);
    EXPECT_NEAR(fit.intercept, 0.0, 1e-12);
    EXPECT_NEAR(fit.residualVariance, 0.35, 1e-12);
    EXPECT_NEAR(fit.regressionVariance, 9.025, 1e-12);
    EXPECT_NEAR(fit.a11, 1.5, 1e-12);
    EXPECT_NEAR(fit.slopeError, std::sqrt(0.07), 1e-12);
    EXPECT_NEAR(fit.slopeErrorPlain, std::sqrt(0.035), 1e-12);
    EXPECT_NEAR(fit.interceptError, std::sqrt(0.525), 1e-12);
    EXPECT_NEAR(fit.interceptErrorPlain, std::sqrt(0.2625), 1e-12);
    EXPECT_NEAR(fit.errorRatio, std::sqrt(0.175 / 4.5125), 1e-12);
    EXPECT_NEAR(fit.fValue, 18.05 * 2 / 0.7, 1e-9);
    EXPECT_NEAR(fit.tLine, 4.302653, 1e-5);
    EXPECT_NEAR(fit.fCritical, upperF(0.003, 1, 2), 1e-2);
}

// The four points above moved far from zero in value and time: the spread, the slope and its
// error stay, and the intercept moves with the line (y - offset = 1.9 (t - shift)).
TEST(Statistics, PointsFarFromZeroKeepTheirSpread) {
    const std::pair<double, double> shifts[] = {{1e3, 1e6}, {1e6, 1e9}, {1e8, 1e12}};
    for (const auto& [timeShift, valueOffset] : shifts) {
        RegressionResult record = withPoints({{timeShift + 1, valueOffset + 2},
                                              {timeShift + 2, valueOffset + 4},
                                              {timeShift + 3, valueOffset + 5},
                                              {timeShift + 4, valueOffset + 8}});
        ASSERT_TRUE(ComputeStatistics(record));
        ASSERT_TRUE(FitLine(record));
        EXPECT_EQ(record.mean, valueOffset + 4.75) << valueOffset;
        EXPECT_EQ(record.meanTime, timeShift + 2.5) << timeShift;
        EXPECT_NEAR(record.variance, 4.6875, 1e-12) << valueOffset;
        EXPECT_NEAR(record.r, 0.9811558, 1e-6) << valueOffset;
        EXPECT_NEAR(record.fit->slope, 1.9, 1e-12) << valueOffset;
        EXPECT_NEAR(record.fit->intercept, valueOffset - 1.9 * timeShift, 1e-12 * valueOffset);
        EXPECT_NEAR(record.fit->residualVariance, 0.35, 1e-9) << valueOffset;
        EXPECT_NEAR(record.fit->slopeError, std::sqrt(0.07), 1e-9) << valueOffset;
    }
}

TEST(Statistics, NarrowLimitsUseTheUpperSixteenPercentPoint) {
    // Six points, alpha 0.32: tLimit is the upper 0.16 point with 5 degrees of freedom.
    RegressionResult record =
        withPoints({{1, 1.0}, {2, 1.1}, {3, 0.9}, {4, 1.2}, {5, 1.0}, {6, 1.3}}, 0.32, 0.95);
    ASSERT_TRUE(ComputeStatistics(record));
    EXPECT_NEAR(record.tLimit, 1.1037, 1e-4);
    EXPECT_NEAR(record.tCritical, upperT(0.025, 4), 1e-4);
    ASSERT_TRUE(FitLine(record));
    EXPECT_NEAR(record.fit->tLine, upperT(0.16, 4), 1e-4);
    EXPECT_NEAR(record.fit->fCritical, upperF(0.05, 1, 4), 1e-3);
}

TEST(Statistics, EqualValuesGiveZeroSpreadNotNan) {
    RegressionResult record = withPoints({{0.1, 0.1}, {0.2, 0.1}, {0.3, 0.1}, {0.7, 0.1}});
    ASSERT_TRUE(ComputeStatistics(record));
    EXPECT_EQ(record.variance, 0.0);
    EXPECT_FALSE(std::isnan(record.mean));

    RegressionResult sameTime = withPoints({{0.3, 1}, {0.3, 2}, {0.3, 4}});
    ASSERT_TRUE(ComputeStatistics(sameTime));
    EXPECT_GE(sameTime.varianceTime, 0.0);
    EXPECT_LT(sameTime.stdDevTime, 1e-8);
}

TEST(Statistics, DisabledPointsStayOutOfEverySum) {
    RegressionResult record = withPoints({{1, 100}, {2, 4}, {3, 6}, {4, 5}});
    (*record.points)[0].flags = PointFlag::Disabled;
    ASSERT_TRUE(ComputeStatistics(record));
    EXPECT_EQ(record.activeCount, 3);
    EXPECT_EQ(record.minTime, 2.0);
    EXPECT_DOUBLE_EQ(record.mean, 5.0);
    EXPECT_NEAR(record.variance, 2.0 / 3.0, 1e-12);
}

TEST(Statistics, OneOrNoActivePoint) {
    RegressionResult one = withPoints({{1, 3}, {2, 5}});
    (*one.points)[1].flags = PointFlag::Disabled;
    ASSERT_TRUE(ComputeStatistics(one));
    EXPECT_EQ(one.status, StatusFlag::Statistics);
    EXPECT_EQ(one.mean, 3.0);
    EXPECT_FALSE(FitLine(one));

    RegressionResult none = withPoints({{1, 3}});
    (*none.points)[0].flags = PointFlag::Disabled;
    EXPECT_FALSE(ComputeStatistics(none));
    EXPECT_EQ(none.status, StatusFlag::NoActivePoint);

    RegressionResult missing;
    EXPECT_FALSE(ComputeStatistics(missing));
}

TEST(Statistics, RecomputingKeepsNothingOfTheEarlierPoints) {
    // After a fit of four points the user leaves one, then none, active.
    RegressionResult record = withPoints({{1, 2}, {2, 4}, {3, 5}, {4, 8}});
    ASSERT_TRUE(ComputeStatistics(record));
    ASSERT_TRUE(FitLine(record));
    for (std::size_t i = 1; i < 4; ++i) {
        (*record.points)[i].flags = PointFlag::Disabled;
    }
    ASSERT_TRUE(ComputeStatistics(record));
    EXPECT_EQ(record.mean, 2.0);
    EXPECT_EQ(record.stdDevUnbiased, 0.0);
    EXPECT_EQ(record.tLimit, 0.0);
    EXPECT_EQ(record.r, 0.0);
    EXPECT_EQ(record.status, StatusFlag::Statistics);

    (*record.points)[0].flags = PointFlag::Disabled;
    EXPECT_FALSE(ComputeStatistics(record));
    EXPECT_EQ(record.mean, 0.0);
    EXPECT_EQ(record.points->size(), 4u);
}

TEST(Statistics, TwoPointsGiveTheLineThroughThem) {
    RegressionResult record = withPoints({{2, 5}, {6, 3}});
    ASSERT_TRUE(ComputeStatistics(record));
    ASSERT_TRUE(FitLine(record));
    EXPECT_NEAR(record.fit->slope, -0.5, 1e-12);
    EXPECT_NEAR(record.fit->intercept, 6.0, 1e-12);
    EXPECT_EQ(record.status, StatusFlag::Statistics | StatusFlag::Correlation | StatusFlag::Line);
    // No degree of freedom is left: t of r is 0, which the failed critical value (negative)
    // rejects, whether or not r comes out as exactly -1.
    EXPECT_EQ(record.tOfR, 0.0);
    EXPECT_LT(record.tCritical, 0.0);
}

TEST(Statistics, PointsOnALineHaveAnUnboundedTOfR) {
    const double slopes[] = {1.0, 0.1, -7.0, 3e5, -1e-4};
    for (double slope : slopes) {
        std::vector<std::pair<double, double>> points;
        for (double time : {0.1, 0.2, 0.3, 0.7, 1.3}) {
            points.emplace_back(time, 2.0 + slope * time);
        }
        RegressionResult record = withPoints(points);
        ASSERT_TRUE(ComputeStatistics(record));
        EXPECT_NEAR(std::fabs(record.r), 1.0, 1e-12) << slope;
        EXPECT_FALSE(std::isnan(record.tOfR)) << slope;
        EXPECT_GT(record.tOfR, 1e6) << slope;
    }
}

TEST(Regressions, RunOverTheTable) {
    CalcState state;
    state.calcFlags = CalcFlag::Conf95 | CalcFlag::Confirmed;
    state.peaks = {makePeak("D", 10, 100), makePeak("N", 12, 10), makePeak("N", 14, 11),
                   makePeak("D", 20, 100), makePeak("N", 22, 12), makePeak("D", 30, 100)};
    state.results = ResultTable{};
    RegressionResult abundance;
    abundance.numerator = "N";
    state.results->push_back(abundance);
    state.results->push_back(ratio("N", "D"));
    state.results->push_back(ratio("X", "D"));
    EXPECT_EQ(RunRegressions(state, 99.7), RecordsFitted::Some);
    const ResultTable& table = *state.results;
    EXPECT_EQ(table[0].sheetName, "N");
    EXPECT_EQ(table[0].alpha, 0.05);
    EXPECT_EQ(table[0].status, StatusFlag::Statistics | StatusFlag::Correlation | StatusFlag::Line |
                                   StatusFlag::LineTest);
    EXPECT_DOUBLE_EQ(table[1].mean, 0.11);
    EXPECT_EQ(table[2].pointCount, kPointsNone);
    EXPECT_EQ(state.calcFlags, CalcFlag::Conf95 | CalcFlag::Confirmed);

    state.results->erase(state.results->begin(), state.results->begin() + 2);
    EXPECT_EQ(RunRegressions(state, 99.7), RecordsFitted::None);
    EXPECT_EQ(state.calcFlags, kCalcAllFailed);
}

// Every number a record holds, as bits: two calculations agree only when each is the same.
std::vector<std::uint64_t> bitsOf(const RegressionResult& record) {
    std::vector<double> numbers{record.mean,
                                record.variance,
                                record.varianceUnbiased,
                                record.stdDev,
                                record.maxValue,
                                record.minValue,
                                record.sumSquares,
                                record.meanTime,
                                record.varianceTime,
                                record.maxTime,
                                record.minTime,
                                record.sumSquaresTime,
                                record.covariance,
                                record.r,
                                record.tOfR,
                                record.tCritical,
                                record.tLimit,
                                record.checkLevel,
                                double(record.pointCount),
                                double(record.activeCount),
                                double(record.status.raw())};
    if (record.fit) {
        const LineFit& fit = *record.fit;
        numbers.insert(numbers.end(), {fit.slope, fit.slopeError, fit.intercept, fit.interceptError,
                                       fit.residualVariance, fit.fValue, fit.fCritical, fit.tLine});
        numbers.insert(numbers.end(), fit.coefficients.begin(), fit.coefficients.end());
        numbers.insert(numbers.end(), fit.covariance.begin(), fit.covariance.end());
    }
    for (const DataPoint& point : record.points.value_or(std::vector<DataPoint>{})) {
        numbers.insert(numbers.end(), {point.time, point.value, double(point.peakIndex),
                                       double(point.flags.raw())});
    }
    std::vector<std::uint64_t> bits(numbers.size());
    std::memcpy(bits.data(), numbers.data(), numbers.size() * sizeof(double));
    return bits;
}

// A long peak list is calculated on two threads (the run log closed): every record, of every
// method and size, holds the very bits of the serial calculation (the run log open), and the
// records that fail fail alike.
TEST(Regressions, TwoThreadsGiveTheBitsOfTheSerialOrder) {
    CalcState state;
    state.calcFlags = CalcFlag::Conf95 | CalcFlag::Confirmed;
    const char* labels[] = {"A", "B", "A", "C", "A", "B", "D"};
    for (std::size_t i = 0; state.peaks.size() < kParallelRecordsPeaks + 1000; ++i) {
        const double t = 0.13 * double(i);
        const double drift = 1.0 + 0.01 * std::sin(0.001 * t) + 1e-4 * double(i % 17);
        state.peaks.push_back(makePeak(labels[i % 7], t, 100.0 * drift * double(i % 7 + 1)));
        state.peaks.back().flags = i % 101 == 0 ? PeakFlags(PeakFlag::Disabled) : PeakFlags();
    }
    state.results = ResultTable{};
    const std::pair<const char*, const char*> targets[] = {{"A", "B"}, {"B", "A"}, {"C", "A"},
                                                           {"D", "C"}, {"A", ""},  {"D", ""},
                                                           {"X", "A"}, {"C", ""}};
    for (std::size_t i = 0; i < std::size(targets); ++i) {
        RegressionResult record = ratio(targets[i].first, targets[i].second);
        record.fitMethod = static_cast<std::uint32_t>(i % RegressionMethods().size());
        state.results->push_back(record);
    }
    CalcState serial = state;
    const RecordsFitted parallelResult = RunRegressions(state, 99.7);
    RecordsFitted serialResult = RecordsFitted::None;
    {
        test::LogCapture log;
        serialResult = RunRegressions(serial, 99.7);
    }
    EXPECT_EQ(parallelResult, RecordsFitted::Some);
    EXPECT_EQ(serialResult, parallelResult);
    for (std::size_t i = 0; i < state.results->size(); ++i) {
        EXPECT_EQ(bitsOf((*state.results)[i]), bitsOf((*serial.results)[i])) << i;
        EXPECT_EQ((*state.results)[i].sheetName, (*serial.results)[i].sheetName) << i;
    }
    EXPECT_EQ((*state.results)[6].pointCount, kPointsNone);
}

TEST(Regressions, AlphaFollowsTheConfidenceFlag) {
    CalcState state;
    state.calcFlags = CalcFlag::Confirmed;
    state.peaks = {makePeak("N", 1, 1), makePeak("N", 2, 2), makePeak("N", 3, 2)};
    state.results = ResultTable(1);
    (*state.results)[0].numerator = "N";
    EXPECT_EQ(RunRegressions(state, 95.0), RecordsFitted::All);
    EXPECT_EQ((*state.results)[0].alpha, 0.32);
    EXPECT_DOUBLE_EQ((*state.results)[0].checkLevel, 0.95);
}

TEST(Regressions, LogLinesOfARatio) {
    test::LogCapture log;
    const std::vector<PeakRecord> peaks{makePeak("D", 10, 100), makePeak("N", 20, 30),
                                        makePeak("D", 30, 200)};
    RegressionResult record = ratio("N", "D");
    ASSERT_TRUE(BuildRatioPoints(record, peaks));
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"(1)20.000000: 30/150=0.2",
                                                     "1 peaks are corrected for N/D."}));
}

} // namespace
} // namespace tarnova
