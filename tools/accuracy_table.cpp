// Prints the accuracy tables of docs/ACCURACY.md: the statistics and the fit on NIST's certified
// data sets, and the fewest digits in which TQuantile and FQuantile agree with Boost.Math over
// the grid the core tests check.
//
//   cmake --build build/dev --target accuracy_table && build/dev/tests/accuracy_table
#include "calc/distributions.h"
#include "core/support/accuracy_rows.h"
#include "core/support/boost_reference.h"
#include "core/support/percentage_point_grid.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace tarnova {
namespace {

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
                       "p " + test::fifteenDigits(p) + ", n " + std::to_string(n));
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
                           "p " + test::fifteenDigits(p) + ", m " + std::to_string(m) + ", n " +
                               std::to_string(n));
            }
        }
    }
    return worst;
}

} // namespace
} // namespace tarnova

int main() {
    using namespace tarnova;
    std::cout << "| data set | quantity | certified | computed | LRE | required |\n"
              << "|---|---|---|---|---|---|\n";
    for (const test::AccuracyRow& row : test::accuracyRows()) {
        std::cout << "| " << row.dataSet << " | " << row.quantity << " | "
                  << test::fifteenDigits(row.certified) << " | "
                  << test::fifteenDigits(row.computed) << " | " << oneDecimal(row.digits()) << " | "
                  << row.requiredDigits << " |\n";
    }
    const WorstAgreement t = worstTQuantile();
    const WorstAgreement f = worstFQuantile();
    std::cout << "\nTQuantile against Boost.Math: at least " << oneDecimal(t.digits)
              << " digits (fewest at " << t.where << ")\n"
              << "FQuantile against Boost.Math: at least " << oneDecimal(f.digits)
              << " digits (fewest at " << f.where << ")\n";
    return 0;
}
