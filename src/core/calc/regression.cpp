#include "calc/regression.h"

#include "calc/calc_state.h"
#include "calc/distributions.h"
#include "calc/outlier_filter.h"
#include "calc/peak_label_index.h"
#include "calc/regression_method.h"
#include "platform/run_log.h"
#include "platform/text_format.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <functional>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace tarnova {

namespace {

constexpr PointFlags kPointReasonBits =
    PointFlag::ExcludedByFilter | PointFlag::ExcludedByCorrection | PointFlag::KeptByUser;

// Per-point log lines are formatted only while someone can read them: a long peak list would
// otherwise spend most of its time on text that is dropped.
bool detailLogged() {
    return runLog().isOpen();
}

// Centred sums of the active points, taken about the means of a first pass. The deviations from
// those means are summed as well: their mean is the rounding left in the first means, and the
// sums of squares and products are corrected to the improved means with it (the corrected
// two-pass algorithm). Values far from zero compared with their spread so keep every digit of
// the spread, which sums of squares less the squared mean would cancel away.
struct CentredSums {
    double meanY = 0.0;
    double meanX = 0.0;
    double squaresY = 0.0; // sum of (y - mean)^2
    double squaresX = 0.0; // sum of (x - mean time)^2
    double products = 0.0; // sum of (x - mean time)(y - mean)
};

// An infinite value leaves no finite deviations to correct the mean with: it stays infinite.
double correctedMean(double mean, double deviationSum, double count) {
    const double correction = deviationSum / count;
    return std::isfinite(correction) ? mean + correction : mean;
}

// A corrected sum of squares that rounding takes below zero (equal values) is no spread at all;
// a sum that is not a number stays so.
double correctedSquares(double squares, double deviationSum, double count) {
    const double corrected = squares - deviationSum * deviationSum / count;
    return corrected < 0.0 ? 0.0 : corrected;
}

CentredSums centredSums(const std::vector<DataPoint>& points, double sumY, double sumX,
                        double count) {
    const double firstMeanY = sumY / count;
    const double firstMeanX = sumX / count;
    double deviationY = 0.0;
    double deviationX = 0.0;
    double squaresY = 0.0;
    double squaresX = 0.0;
    double products = 0.0;
    for (const DataPoint& point : points) {
        if (!point.isActive()) {
            continue;
        }
        const double dy = point.value - firstMeanY;
        const double dx = point.time - firstMeanX;
        deviationY += dy;
        deviationX += dx;
        squaresY += dy * dy;
        squaresX += dx * dx;
        products += dx * dy;
    }
    CentredSums sums;
    sums.meanY = correctedMean(firstMeanY, deviationY, count);
    sums.meanX = correctedMean(firstMeanX, deviationX, count);
    sums.squaresY = correctedSquares(squaresY, deviationY, count);
    sums.squaresX = correctedSquares(squaresX, deviationX, count);
    sums.products = products - deviationX * deviationY / count;
    return sums;
}

// t of the correlation coefficient, |r| sqrt(f / (1 - r^2)) with f degrees of freedom. A line
// through two points has no freedom left: t is 0 even where r is exactly 1. A perfect line
// through more points has an infinite t, also where rounding carries |r| past 1.
double correlationT(double r, double freedom) {
    if (freedom == 0.0) {
        return 0.0;
    }
    const double unexplained = 1.0 - r * r;
    return std::fabs(r * std::sqrt(freedom / (unexplained < 0.0 ? 0.0 : unexplained)));
}

bool storePoints(RegressionResult& record, std::vector<DataPoint>& points, std::int32_t failure) {
    if (points.empty()) {
        record.points.reset();
        record.pointCount = kPointsNone;
        return false;
    }
    try {
        record.points = std::move(points);
    } catch (const std::bad_alloc&) {
        if (failure == kPointsNoMemory) {
            LogLine("Not enough core.");
        }
        record.points.reset();
        record.pointCount = failure;
        return false;
    }
    record.pointCount = static_cast<std::int32_t>(record.points->size());
    return true;
}

// Room for one point per peak of the label: the most points a record of that label can get.
bool reservePoints(std::vector<DataPoint>& points, const std::vector<std::uint32_t>& positions) {
    try {
        points.reserve(positions.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// The record as CreateResults made it: only its target. A record whose points cannot be formed
// again after an update then shows as failed, as in a new calculation, and not with the name
// and numbers of its earlier points.
void resetToTarget(RegressionResult& record) {
    RegressionResult target;
    target.numerator = std::move(record.numerator);
    target.denominator = std::move(record.denominator);
    target.fitMethod = record.fitMethod;
    record = std::move(target);
}

// Statistics start from nothing: a record left with one active point (or none) must not keep
// the spread, r and t values of an earlier set of active points beside its new mean.
void clearStatistics(RegressionResult& record) {
    RegressionResult cleared;
    cleared.numerator = std::move(record.numerator);
    cleared.denominator = std::move(record.denominator);
    cleared.fitMethod = record.fitMethod;
    cleared.status = record.status;
    cleared.alpha = record.alpha;
    cleared.checkLevel = record.checkLevel;
    cleared.pointCount = record.pointCount;
    cleared.fit = std::move(record.fit);
    cleared.points = std::move(record.points);
    record = std::move(cleared);
}

// Runs task(0) to task(count - 1), each once, on this thread and one more; a task is taken by
// whichever thread is free, so records of unequal size keep both busy. The first exception of a
// task is thrown again here once both threads are done.
template <typename Task> void RunOnTwoThreads(std::size_t count, const Task& task) {
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::atomic<bool> failed{false};
    const auto work = [&](std::exception_ptr& caught) {
        try {
            for (std::size_t i = next++; i < count && !failed; i = next++) {
                task(i);
            }
        } catch (...) {
            caught = std::current_exception();
            failed = true;
        }
    };
    std::exception_ptr helperFailure;
    std::thread helper;
    try {
        helper = std::thread(work, std::ref(helperFailure));
    } catch (const std::system_error&) {
        // No second thread to be had: this one does it all.
    }
    work(failure);
    if (helper.joinable()) {
        helper.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    if (helperFailure) {
        std::rethrow_exception(helperFailure);
    }
}

} // namespace

RecordsFitted RunRegressions(CalcState& state, double testLevel, RegressionRun run) {
    if (!state.results) {
        state.calcFlags = kCalcAllFailed;
        return RecordsFitted::None;
    }
    const bool filtered = run == RegressionRun::Calculation;
    if (filtered) {
        ReleaseFilterExclusions(state.peaks);
    }
    const double alpha = state.calcFlags.test(CalcFlag::Conf95) ? 0.05 : 0.32;
    const int count = state.resultCount();
    std::optional<PeakLabelIndex> index;
    try {
        index.emplace(state.peaks);
    } catch (const std::bad_alloc&) {
        LogLine("Not enough core.");
        state.calcFlags = kCalcAllFailed;
        return RecordsFitted::None;
    }
    // The points of record i; whether they were formed.
    const auto formPoints = [&](int i) {
        RegressionResult& record = (*state.results)[static_cast<std::size_t>(i)];
        LogLine(formatText("Result %d/%d", i + 1, count));
        resetToTarget(record);
        bool formed = false;
        if (record.isRatio()) {
            LogLine(
                formatText("Try for %s/%s", record.numerator.c_str(), record.denominator.c_str()));
            formed = BuildRatioPoints(record, state.peaks, *index);
        } else {
            LogLine(formatText("Try for %s", record.numerator.c_str()));
            formed = BuildAbundancePoints(record, state.peaks, *index);
        }
        LogLine(formed ? "Succeed!" : "Fail");
        return formed;
    };
    // The statistics and the line of record i, whose points are formed; whether both succeeded.
    const auto fitRecord = [&](int i) {
        RegressionResult& record = (*state.results)[static_cast<std::size_t>(i)];
        record.alpha = alpha;
        record.checkLevel = testLevel / 100.0;
        if (ComputeStatistics(record) && FitLine(record)) {
            if (filtered) {
                FilterOutliers(record, state.outlierFilter);
            }
            LogLine(record.sheetName);
            return true;
        }
        return false;
    };
    std::vector<char> succeeded(static_cast<std::size_t>(count), 0);
    if (count > 1 && state.peaks.size() >= kParallelRecordsPeaks && !detailLogged() &&
        std::thread::hardware_concurrency() > 1) {
        // The points are formed here, so that their memory comes from this thread's heap, which
        // still holds what the loading gave back; a second thread's heap would be new memory.
        // The statistics and the lines share nothing but what they only read, so two threads
        // compute them side by side, each record exactly as alone. With the run log open the
        // records stay in order, as its lines must.
        std::vector<int> formed;
        for (int i = 0; i < count; ++i) {
            if (formPoints(i)) {
                formed.push_back(i);
            }
        }
        RunOnTwoThreads(formed.size(), [&](std::size_t k) {
            succeeded[static_cast<std::size_t>(formed[k])] = fitRecord(formed[k]) ? 1 : 0;
        });
    } else {
        for (int i = 0; i < count; ++i) {
            succeeded[static_cast<std::size_t>(i)] = formPoints(i) && fitRecord(i) ? 1 : 0;
        }
    }
    const auto successes = std::count(succeeded.begin(), succeeded.end(), 1);
    if (successes == 0) {
        state.calcFlags = kCalcAllFailed;
        return RecordsFitted::None;
    }
    return successes == count ? RecordsFitted::All : RecordsFitted::Some;
}

bool BuildRatioPoints(RegressionResult& record, const std::vector<PeakRecord>& peaks,
                      const PeakLabelIndex& index) {
    const std::string& numerator = record.numerator;
    const std::string& denominator = record.denominator;
    const std::vector<std::uint32_t>& numeratorPeaks = index.positions(numerator);
    std::vector<DataPoint> points;
    if (!reservePoints(points, numeratorPeaks)) {
        record.points.reset();
        record.pointCount = kPointsNoWorkArea;
        return false;
    }
    const bool logged = detailLogged();
    // Walks the denominator peaks and, between each two enabled ones, the numerator peaks.
    std::size_t n = 0;
    std::optional<std::uint32_t> previous;
    for (const std::uint32_t i : index.positions(denominator)) {
        const PeakRecord& next = peaks[i];
        if (next.isDisabled()) {
            continue;
        }
        while (n < numeratorPeaks.size() && numeratorPeaks[n] < i) {
            const std::uint32_t j = numeratorPeaks[n++];
            const PeakRecord& peak = peaks[j];
            if (!previous || j < *previous || peak.isDisabled()) {
                continue;
            }
            const PeakRecord& before = peaks[*previous];
            const double slope =
                (next.peakValue() - before.peakValue()) / (next.time - before.time);
            const double signal = (peak.time - before.time) * slope + before.peakValue();
            DataPoint point;
            point.peakIndex = j;
            point.flags = peak.flags & PeakFlag::KeptByUser;
            point.time = peak.time;
            point.value = peak.peakValue() / signal;
            points.push_back(point);
            if (logged) {
                LogLine(formatText("(%d)", static_cast<int>(points.size())) +
                        formatFixed(point.time, 0, 6) + ": " + formatGeneral(peak.height) + "/" +
                        formatGeneral(signal) + "=" + formatGeneral(point.value));
            }
        }
        previous = i;
    }
    LogLine(formatText("%d peaks are corrected for %s/%s.", static_cast<int>(points.size()),
                       numerator.c_str(), denominator.c_str()));
    return storePoints(record, points, kPointsNone);
}

bool BuildRatioPoints(RegressionResult& record, const std::vector<PeakRecord>& peaks) {
    return BuildRatioPoints(record, peaks, PeakLabelIndex(peaks));
}

bool BuildAbundancePoints(RegressionResult& record, const std::vector<PeakRecord>& peaks,
                          const PeakLabelIndex& index) {
    const std::string& label = record.numerator;
    const std::vector<std::uint32_t>& positions = index.positions(label);
    std::vector<DataPoint> points;
    if (!reservePoints(points, positions)) {
        record.points.reset();
        record.pointCount = kPointsNoWorkArea;
        return false;
    }
    for (const std::uint32_t i : positions) {
        const PeakRecord& peak = peaks[i];
        DataPoint point;
        point.peakIndex = i;
        point.flags = peak.flags & (kPeakExclusionBits | PeakFlag::KeptByUser);
        point.time = peak.time;
        point.value = peak.peakValue();
        points.push_back(point);
    }
    LogLine(formatText("%d peaks are corrected for %s.", static_cast<int>(points.size()),
                       label.c_str()));
    return storePoints(record, points, kPointsNoMemory);
}

bool BuildAbundancePoints(RegressionResult& record, const std::vector<PeakRecord>& peaks) {
    return BuildAbundancePoints(record, peaks, PeakLabelIndex(peaks));
}

bool ComputeStatistics(RegressionResult& record) {
    if (!record.points) {
        LogLine("Invalid parameters");
        return false;
    }
    clearStatistics(record);
    record.status &= StatusFlags::fromRaw(0xFFFF0000u);
    record.sheetName =
        record.isRatio() ? record.numerator + "/" + record.denominator : record.numerator;
    if (record.sheetName.size() > kMaxSheetNameLength) {
        record.sheetName.resize(kMaxSheetNameLength);
    }
    LogLine(formatText("Start regression for %s with %d data", record.sheetName.c_str(),
                       record.pointCount));

    const bool logged = detailLogged();
    double sumY = 0.0;
    double sumX = 0.0;
    double sumYY = 0.0;
    double sumXX = 0.0;
    int n = 0;
    for (const DataPoint& point : *record.points) {
        if (logged) {
            // The flags as they always were: the reasons of an exclusion and the user's keep
            // mark are left out.
            LogLine(formatText("(%X)", (point.flags & ~kPointReasonBits).raw()) +
                    formatGeneral(point.time) + " - " + formatExponent(point.value, 0, 6) +
                    (point.isActive() ? " - OK" : ""));
        }
        if (!point.isActive()) {
            continue;
        }
        const double y = point.value;
        const double x = point.time;
        sumY += y;
        sumX += x;
        sumYY += y * y;
        sumXX += x * x;
        if (n == 0) {
            record.maxValue = record.minValue = y;
            record.maxTime = record.minTime = x;
        } else {
            if (y > record.maxValue) {
                record.maxValue = y;
            }
            if (y < record.minValue) {
                record.minValue = y;
            }
            if (x > record.maxTime) {
                record.maxTime = x;
            }
            if (x < record.minTime) {
                record.minTime = x;
            }
        }
        ++n;
    }
    record.activeCount = n;
    if (n < 1) {
        LogLine(formatText("No item for %s", record.sheetName.c_str()));
        record.status |= StatusFlag::NoActivePoint;
        record.sheetName.clear();
        return false;
    }

    const double count = n;
    const CentredSums centred = centredSums(*record.points, sumY, sumX, count);
    record.mean = centred.meanY;
    record.meanTime = centred.meanX;
    record.variance = centred.squaresY / count;
    record.varianceTime = centred.squaresX / count;
    record.stdDev = std::sqrt(record.variance);
    record.stdDevTime = std::sqrt(record.varianceTime);
    record.sumSquares = sumYY;
    record.sumSquaresTime = sumXX;
    record.covariance = centred.products / count;
    record.status |= StatusFlag::Statistics;
    LogLine(formatText("%s(%d active pks): Pk: Ave=", record.sheetName.c_str(), n) +
            formatGeneral(record.mean) + ", Variance=" + formatGeneral(record.variance) + "(" +
            formatGeneral(record.stdDev) + ")");
    LogLine(formatText("%s(%d active pks): Tm: Ave=", record.sheetName.c_str(), n) +
            formatGeneral(record.meanTime) + ", Variance=" + formatGeneral(record.varianceTime) +
            "(" + formatGeneral(record.stdDevTime) + ")");
    if (n == 1) {
        return true;
    }

    record.varianceUnbiased = centred.squaresY / (count - 1.0);
    record.varianceTimeUnbiased = centred.squaresX / (count - 1.0);
    record.stdDevUnbiased = std::sqrt(record.varianceUnbiased);
    record.stdDevTimeUnbiased = std::sqrt(record.varianceTimeUnbiased);
    record.tLimit = TQuantile(record.alpha / 2.0, n - 1);
    record.r = record.covariance / (record.stdDev * record.stdDevTime);
    record.tOfR = correlationT(record.r, count - 2.0);
    record.tCritical = TQuantile((1.0 - record.checkLevel) / 2.0, n - 2);
    record.status |= StatusFlag::Correlation;
    LogLine("r = " + formatFixed(record.r, 0, 6) + ", sd = (xy:" +
            formatGeneral(record.covariance) + ", x:" + formatGeneral(record.varianceTime) +
            ", y:" + formatGeneral(record.variance) + ")");
    return true;
}

bool FitLine(RegressionResult& record) {
    const std::span<const RegressionMethod> methods = RegressionMethods();
    const RegressionMethod& method =
        record.fitMethod < methods.size() ? methods[record.fitMethod] : methods.front();
    if (method.create == nullptr) {
        return false;
    }
    record.fit = method.create();
    if (!record.fit) {
        return false;
    }
    return method.compute(*record.fit, record);
}

} // namespace tarnova
