// The statistics and the fit against the certified values of NIST's reference data sets,
// measured as log relative errors (agreeing significant digits); tools/accuracy_table prints
// the table of them that docs/ACCURACY.md shows.
#include "core/support/accuracy_rows.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

TEST(CertifiedAccuracy, NumAccAndNorrisReachTheirDigits) {
    for (const test::AccuracyRow& row : test::accuracyRows()) {
        EXPECT_GE(row.digits(), row.requiredDigits)
            << row.dataSet << " " << row.quantity << ": " << test::fifteenDigits(row.computed)
            << ", certified " << test::fifteenDigits(row.certified);
    }
}

} // namespace
} // namespace tarnova
