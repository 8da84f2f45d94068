// Regression records made directly from (time, value) points, for the statistics and the fit:
// the one builder of such records for every test.
#pragma once

#include "calc/regression.h"
#include "calc/result_table.h"

#include <utility>
#include <vector>

namespace tarnova::test {

inline DataPoint dataPoint(double time, double value, bool disabled = false) {
    DataPoint point;
    point.time = time;
    point.value = value;
    point.flags = disabled ? PointFlags(PointFlag::Disabled) : PointFlags();
    return point;
}

// A ratio record Ar40/Ar36 whose active points are the given (time, value) pairs.
inline RegressionResult withPoints(const std::vector<std::pair<double, double>>& timesAndValues,
                                   double alpha = 0.05, double checkLevel = 0.997) {
    RegressionResult record;
    record.numerator = "Ar40";
    record.denominator = "Ar36";
    record.alpha = alpha;
    record.checkLevel = checkLevel;
    std::vector<DataPoint> points;
    for (const auto& [time, value] : timesAndValues) {
        points.push_back(dataPoint(time, value));
    }
    record.pointCount = static_cast<std::int32_t>(points.size());
    record.points = std::move(points);
    return record;
}

// The regression on a record as the calculation runs it: the statistics, then the fit of the
// record's method where the statistics could be computed.
inline void regress(RegressionResult& record) {
    if (ComputeStatistics(record)) {
        FitLine(record);
    }
}

// A record of these points through the regression with method at the level 1 - alpha.
inline RegressionResult regressedRecord(const std::vector<std::pair<double, double>>& points,
                                        std::uint32_t method = 0, double alpha = 0.05) {
    RegressionResult record = withPoints(points, alpha);
    record.fitMethod = method;
    regress(record);
    return record;
}

} // namespace tarnova::test
