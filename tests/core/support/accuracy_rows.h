// The statistics and the fit on NIST's certified data sets (NumAcc, Norris) beside the certified
// values, with the digits each must reach: checked by the core tests, printed by
// tools/accuracy_table for docs/ACCURACY.md.
#pragma once

#include "calc/regression.h"
#include "core/support/nist_reference.h"
#include "core/support/regression_records.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace tarnova::test {

struct AccuracyRow {
    std::string dataSet;
    std::string quantity;
    double certified = 0.0;
    double computed = 0.0;
    double requiredDigits = 0.0;

    double digits() const { return logRelativeError(computed, certified); }
};

// A NumAcc set as an abundance record: its values in NIST's order at times 1, 2, 3, ...
std::vector<AccuracyRow> numAccRows(const UnivariateSet& set) {
    std::vector<std::pair<double, double>> points;
    for (const std::string& value : set.values) {
        points.emplace_back(static_cast<double>(points.size() + 1),
                            std::strtod(value.c_str(), nullptr));
    }
    RegressionResult record = withPoints(points, 0.32);
    ComputeStatistics(record);
    return {{set.name, "mean", set.mean, record.mean, 14},
            {set.name, "sd (divisor n - 1)", set.sd, record.stdDevUnbiased, 8},
            {set.name, "sd (divisor n)", set.sdOverN(), record.stdDev, 8}};
}

// Norris as a record whose points have time x and value y.
std::vector<AccuracyRow> norrisRows() {
    std::vector<std::pair<double, double>> points;
    for (const NorrisObservation& observation : kNorrisData) {
        points.emplace_back(std::strtod(observation.x, nullptr),
                            std::strtod(observation.y, nullptr));
    }
    RegressionResult record = withPoints(points, 0.32);
    ComputeStatistics(record);
    FitLine(record);
    const LineFit& fit = *record.fit;
    const NorrisCertified certified;
    return {{"Norris", "intercept b0", certified.intercept, fit.intercept, 9},
            {"Norris", "sd(b0)", certified.interceptSd, fit.interceptError, 9},
            {"Norris", "slope b1", certified.slope, fit.slope, 9},
            {"Norris", "sd(b1)", certified.slopeSd, fit.slopeError, 9},
            {"Norris", "residual sd", certified.residualSd, std::sqrt(fit.residualVariance), 9},
            {"Norris", "R squared", certified.rSquared, record.r * record.r, 9}};
}

std::vector<AccuracyRow> accuracyRows() {
    std::vector<AccuracyRow> rows;
    for (const UnivariateSet& set : numAccSets()) {
        const std::vector<AccuracyRow> setRows = numAccRows(set);
        rows.insert(rows.end(), setRows.begin(), setRows.end());
    }
    const std::vector<AccuracyRow> norris = norrisRows();
    rows.insert(rows.end(), norris.begin(), norris.end());
    return rows;
}

// A value with 15 significant digits, as the tables show it.
inline std::string fifteenDigits(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15G", value);
    return text;
}

} // namespace tarnova::test
