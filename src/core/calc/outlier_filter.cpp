#include "calc/outlier_filter.h"

#include "calc/regression.h"
#include "calc/regression_method.h"
#include "data/peak_sheet.h"
#include "platform/run_log.h"
#include "platform/text_format.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace tarnova {

namespace {

// A point the pass would disable, with its |z|.
struct Rejection {
    std::size_t index = 0;
    double z = 0.0;
};

bool rejected(const OutlierFilter& filter, double z, int activeCount) {
    if (filter.rule == OutlierRule::Sigma) {
        return z >= filter.k;
    }
    return activeCount * std::erfc(z / std::sqrt(2.0)) < 0.5;
}

bool refit(RegressionResult& record) {
    record.fit.reset();
    return ComputeStatistics(record) && FitLine(record);
}

// The points one pass disables, worst first, at most as many as the floor allows.
std::vector<Rejection> rejections(const RegressionResult& record, const OutlierFilter& filter) {
    std::vector<Rejection> found;
    if (!record.points || !HasFittedCurve(record) || !record.status.test(StatusFlag::LineTest)) {
        return found;
    }
    const LineFit& fit = *record.fit;
    const double s = std::sqrt(fit.residualVariance);
    const int room = record.activeCount - OutlierFilterFloor(fit.method);
    if (!(s > 0.0) || !std::isfinite(s) || room <= 0) {
        return found;
    }
    const std::vector<DataPoint>& points = *record.points;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const DataPoint& point = points[i];
        if (!point.isActive() || point.flags.test(PointFlag::KeptByUser)) {
            continue;
        }
        const double z = std::fabs(point.value - FittedValue(fit, point.time)) / s;
        if (rejected(filter, z, record.activeCount)) {
            found.push_back({i, z});
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Rejection& a, const Rejection& b) { return a.z > b.z; });
    if (found.size() > static_cast<std::size_t>(room)) {
        found.resize(static_cast<std::size_t>(room));
    }
    return found;
}

// One pass: the points found are disabled and the record refitted; a failed refit takes them
// back. Returns the number disabled.
int filterPass(RegressionResult& record, const OutlierFilter& filter) {
    const std::vector<Rejection> found = rejections(record, filter);
    if (found.empty()) {
        return 0;
    }
    std::vector<DataPoint>& points = *record.points;
    const int active = record.activeCount;
    for (const Rejection& rejection : found) {
        points[rejection.index].flags |= PointFlag::Disabled | PointFlag::ExcludedByFilter;
    }
    if (!refit(record)) {
        for (const Rejection& rejection : found) {
            points[rejection.index].flags &= ~(PointFlag::Disabled | PointFlag::ExcludedByFilter);
        }
        refit(record);
        LogLine("Outlier filter: no refit of " + record.sheetName + " without " +
                formatText("%d", static_cast<int>(found.size())) + " points; they stay in");
        return 0;
    }
    const int count = static_cast<int>(found.size());
    LogLine(formatText("Outlier filter %s: %d of %d points of ",
                       FormatOutlierFilter(filter).c_str(), count, active) +
            record.sheetName + " rejected");
    return count;
}

} // namespace

int OutlierFilterFloor(std::uint32_t method) {
    switch (method) {
    case kParabolicMethod:
    case kExponentialMethod:
        return 4;
    case kMeanMethod:
        return 2;
    default:
        return 3;
    }
}

int FilterOutliers(RegressionResult& record, const OutlierFilter& filter) {
    if (filter.rule == OutlierRule::Off) {
        return 0;
    }
    const int passes = filter.rule == OutlierRule::Sigma ? filter.iterations : 1;
    int total = 0;
    for (int pass = 0; pass < passes; ++pass) {
        const int count = filterPass(record, filter);
        if (count == 0) {
            break;
        }
        total += count;
    }
    return total;
}

int RefilterOutliers(RegressionResult& record, const OutlierFilter& filter) {
    if (!record.points) {
        return 0;
    }
    for (DataPoint& point : *record.points) {
        if (point.flags.test(PointFlag::ExcludedByFilter) &&
            !point.flags.test(PointFlag::ExcludedByCorrection)) {
            point.flags &= ~(PointFlag::Disabled | PointFlag::ExcludedByFilter);
        }
    }
    if (!refit(record)) {
        return 0;
    }
    return FilterOutliers(record, filter);
}

void ReleaseFilterExclusions(std::vector<PeakRecord>& peaks) {
    for (PeakRecord& peak : peaks) {
        if (!peak.flags.test(PeakFlag::ExcludedByFilter)) {
            continue;
        }
        // A peak that a correction excludes as well stays out, as the correction's.
        peak.flags &= ~PeakFlag::ExcludedByFilter;
        if (!peak.flags.test(PeakFlag::ExcludedByCorrection)) {
            peak.flags &= ~PeakFlag::Disabled;
        }
    }
}

} // namespace tarnova
