// Edit -> Regression -> a method on one sheet: refitted at once, kept for a recalculation.
#include "calc/calc_state.h"
#include "calc/regression.h"
#include "calc/regression_method.h"
#include "core/support/regression_records.h"
#include "results/point_editing.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

TEST(SheetMethod, RefitsTheSheetAndKeepsTheChoiceByName) {
    CalcState state;
    RegressionResult record =
        test::withPoints({{1.0, 4.0}, {2.0, 3.0}, {3.0, 2.5}, {4.0, 2.25}, {5.0, 2.2}}, 0.32);
    ASSERT_TRUE(ComputeStatistics(record));
    ASSERT_TRUE(FitLine(record));
    state.results = ResultTable{record};

    ASSERT_TRUE(SetSheetMethod(state, 0, kMeanMethod));
    const RegressionResult& refitted = (*state.results)[0];
    ASSERT_TRUE(refitted.fit);
    EXPECT_DOUBLE_EQ(refitted.fit->intercept, (4.0 + 3.0 + 2.5 + 2.25 + 2.2) / 5.0);
    EXPECT_EQ(ChosenFitMethod(state.fitChoices, "Ar40", "Ar36"), kMeanMethod);
    EXPECT_EQ(ChosenFitMethod(state.fitChoices, "Ar40", ""), kLinearMethod);

    // Back to the line.
    ASSERT_TRUE(SetSheetMethod(state, 0, kLinearMethod));
    EXPECT_NEAR((*state.results)[0].fit->slope, -0.435, 1e-12);

    EXPECT_FALSE(SetSheetMethod(state, 1, kMeanMethod));
    EXPECT_FALSE(SetSheetMethod(state, 0, 99));
    EXPECT_EQ((*state.results)[0].fitMethod, kLinearMethod);
}

} // namespace
} // namespace tarnova
