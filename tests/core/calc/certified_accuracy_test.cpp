// The statistics and the fit against the certified values of NIST's reference data sets,
// measured as log relative errors (agreeing significant digits), and the table of them that
// docs/ACCURACY.md shows: run with --gtest_filter=CertifiedAccuracy.PrintsTheTable.
#include "calc/distributions.h"
#include "calc/regression.h"
#include "core/support/boost_reference.h"
#include "core/support/nist_reference.h"
#include "core/support/percentage_point_grid.h"
#include "core/support/regression_records.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace tarnova {
namespace {

struct AccuracyRow {
    std::string dataSet;
    std::string quantity;
    double certified = 0.0;
    double computed = 0.0;
    double requiredDigits = 0.0;

    double digits() const { return test::logRelativeError(computed, certified); }
};

// A NumAcc set as an abundance record: its values in NIST's order at times 1, 2, 3, ...
std::vector<AccuracyRow> numAccRows(const test::UnivariateSet& set) {
    std::vector<std::pair<double, double>> points;
    for (const std::string& value : set.values) {
        points.emplace_back(static_cast<double>(points.size() + 1),
                            std::strtod(value.c_str(), nullptr));
    }
    RegressionResult record = test::withPoints(points, 0.32);
    EXPECT_EQ(ComputeStatistics(record), 1) << set.name;
    return {{set.name, "mean", set.mean, record.mean, 14},
            {set.name, "sd (divisor n - 1)", set.sd, record.stdDevUnbiased, 8},
            {set.name, "sd (divisor n)", set.sdOverN(), record.stdDev, 8}};
}

// Norris as a record whose points have time x and value y.
std::vector<AccuracyRow> norrisRows() {
    std::vector<std::pair<double, double>> points;
    for (const test::NorrisObservation& observation : test::kNorrisData) {
        points.emplace_back(std::strtod(observation.x, nullptr),
                            std::strtod(observation.y, nullptr));
    }
    RegressionResult record = test::withPoints(points, 0.32);
    EXPECT_EQ(ComputeStatistics(record), 1);
    EXPECT_EQ(FitLine(record), 1);
    const LineFit& fit = *record.fit;
    const test::NorrisCertified certified;
    return {{"Norris", "intercept b0", certified.intercept, fit.intercept, 9},
            {"Norris", "sd(b0)", certified.interceptSd, fit.interceptError, 9},
            {"Norris", "slope b1", certified.slope, fit.slope, 9},
            {"Norris", "sd(b1)", certified.slopeSd, fit.slopeError, 9},
            {"Norris", "residual sd", certified.residualSd, std::sqrt(fit.residualVariance), 9},
            {"Norris", "R squared", certified.rSquared, record.r * record.r, 9}};
}

std::vector<AccuracyRow> accuracyRows() {
    std::vector<AccuracyRow> rows;
    for (const test::UnivariateSet& set : test::numAccSets()) {
        const std::vector<AccuracyRow> setRows = numAccRows(set);
        rows.insert(rows.end(), setRows.begin(), setRows.end());
    }
    const std::vector<AccuracyRow> norris = norrisRows();
    rows.insert(rows.end(), norris.begin(), norris.end());
    return rows;
}

std::string fifteenDigits(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15G", value);
    return text;
}

std::string oneDecimal(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// The fewest digits in which a percentage point agrees with Boost.Math over its grid, and where.
struct WorstAgreement {
    double digits = 16.0;
    std::string where;

    void take(double computed, double reference, const std::string& at) {
        const double lre = test::logRelativeError(computed, reference);
        if (lre < digits) {
            digits = lre;
            where = at;
        }
    }
};

WorstAgreement worstTQuantile() {
    WorstAgreement worst;
    for (double p : test::kTLevels) {
        for (int n : test::kTDegrees) {
            worst.take(TQuantile(p, n), test::upperT(p, n),
                       "p " + fifteenDigits(p) + ", n " + std::to_string(n));
        }
    }
    return worst;
}

WorstAgreement worstFQuantile() {
    WorstAgreement worst;
    for (double p : test::kFLevels) {
        for (int m : test::kFDegrees) {
            for (int n : test::kFDegrees) {
                worst.take(FQuantile(p, m, n), test::upperF(p, m, n),
                           "p " + fifteenDigits(p) + ", m " + std::to_string(m) + ", n " +
                               std::to_string(n));
            }
        }
    }
    return worst;
}

TEST(CertifiedAccuracy, NumAccAndNorrisReachTheirDigits) {
    for (const AccuracyRow& row : accuracyRows()) {
        EXPECT_GE(row.digits(), row.requiredDigits)
            << row.dataSet << " " << row.quantity << ": " << fifteenDigits(row.computed)
            << ", certified " << fifteenDigits(row.certified);
    }
}

TEST(CertifiedAccuracy, PrintsTheTable) {
    std::cout << "| data set | quantity | certified | computed | LRE | required |\n"
              << "|---|---|---|---|---|---|\n";
    for (const AccuracyRow& row : accuracyRows()) {
        std::cout << "| " << row.dataSet << " | " << row.quantity << " | "
                  << fifteenDigits(row.certified) << " | " << fifteenDigits(row.computed) << " | "
                  << oneDecimal(row.digits()) << " | " << row.requiredDigits << " |\n";
    }
    const WorstAgreement t = worstTQuantile();
    const WorstAgreement f = worstFQuantile();
    std::cout << "\nTQuantile against Boost.Math: at least " << oneDecimal(t.digits)
              << " digits (fewest at " << t.where << ")\n"
              << "FQuantile against Boost.Math: at least " << oneDecimal(f.digits)
              << " digits (fewest at " << f.where << ")\n";
}

} // namespace
} // namespace tarnova
