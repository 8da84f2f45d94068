// Result records for the tests of the result views: named sheets, and records with data points
// whose statistics and line are computed as the calculation computes them.
#pragma once

#include "calc/calc_state.h"
#include "calc/regression.h"
#include "core/support/regression_records.h"

#include <string>
#include <utility>
#include <vector>

namespace tarnova::test {

// A record named name with a point per (time, value), disabled where its index is listed,
// fitted at the 95 % level with the test level 99.7 %.
inline RegressionResult fittedRecord(const std::string& name,
                                     const std::vector<std::pair<double, double>>& points,
                                     const std::vector<int>& disabled = {}) {
    RegressionResult record = withPoints(points);
    const std::size_t slash = name.find('/');
    record.numerator = name.substr(0, slash);
    record.denominator = slash == std::string::npos ? "" : name.substr(slash + 1);
    for (const int index : disabled) {
        (*record.points)[static_cast<std::size_t>(index)].flags |= PointFlag::Disabled;
    }
    regress(record);
    return record;
}

// A record whose points could not be formed: no name, no points, a failure code.
inline RegressionResult failedRecord(const std::string& numerator) {
    RegressionResult record;
    record.numerator = numerator;
    record.pointCount = kPointsNone;
    record.status = StatusFlag::NoActivePoint;
    return record;
}

// A table of records that carry only their names.
inline ResultTable namedSheets(const std::vector<std::string>& names) {
    ResultTable table;
    for (const std::string& name : names) {
        RegressionResult record;
        record.sheetName = name;
        table.push_back(std::move(record));
    }
    return table;
}

} // namespace tarnova::test
