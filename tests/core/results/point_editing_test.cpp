#include "results/point_editing.h"

#include "core/results/result_records.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

using test::failedRecord;
using test::fittedRecord;

// On the line v = 2.1 t (all four points) or v = 2 t (without the third).
const std::vector<std::pair<double, double>> kFourPoints{{1, 2}, {2, 4}, {3, 7}, {4, 8}};

struct Fit {
    int active;
    double mean;
    double slope;
    double intercept;
};

void expectFit(const RegressionResult& record, const Fit& expected) {
    EXPECT_EQ(record.activeCount, expected.active);
    EXPECT_DOUBLE_EQ(record.mean, expected.mean);
    ASSERT_TRUE(record.fit.has_value());
    EXPECT_NEAR(record.fit->slope, expected.slope, 1e-12);
    EXPECT_NEAR(record.fit->intercept, expected.intercept, 1e-12);
    EXPECT_TRUE(record.status.test(StatusFlag::LineTest));
    EXPECT_EQ(record.sheetName, "A/B");
}

constexpr Fit kAllFour{4, 21.0 / 4, 2.1, 0.0};
constexpr Fit kWithoutThird{3, 14.0 / 3, 2.0, 0.0};

TEST(PointEditing, ClicksToggleAndRefitAtOnce) {
    RegressionResult record = fittedRecord("A/B", kFourPoints);
    expectFit(record, kAllFour);
    const struct {
        int index;
        PointButton button;
        bool changed;
        Fit after;
    } clicks[] = {
        {2, PointButton::Left, true, kWithoutThird},   // disables
        {2, PointButton::Right, false, kWithoutThird}, // already disabled: nothing
        {2, PointButton::Left, true, kAllFour},        // enables again
        {2, PointButton::Right, true, kWithoutThird},  // the right button disables
        {4, PointButton::Left, false, kWithoutThird},  // no such point
    };
    for (const auto& click : clicks) {
        SCOPED_TRACE(click.index);
        EXPECT_EQ(ClickDataPoint(record, click.index, click.button), click.changed);
        expectFit(record, click.after);
    }
    EnableAllDataPoints(record);
    expectFit(record, kAllFour);
}

TEST(PointEditing, DisablingEveryPointFailsTheSheetAndEnableAllBringsItBack) {
    RegressionResult record = fittedRecord("A/B", kFourPoints, {0, 1, 2});
    EXPECT_EQ(record.activeCount, 1);
    EXPECT_FALSE(record.status.test(StatusFlag::Line));
    ASSERT_TRUE(ClickDataPoint(record, 3, PointButton::Left));
    EXPECT_EQ(record.activeCount, 0);
    EXPECT_TRUE(record.status.test(StatusFlag::NoActivePoint));
    EXPECT_FALSE(record.fit.has_value());

    EnableAllDataPoints(record);
    EXPECT_FALSE(record.status.test(StatusFlag::NoActivePoint));
    expectFit(record, kAllFour);
}

TEST(PointEditing, TheToggleDialogListsEveryPointAndTakesItsSelection) {
    RegressionResult record =
        fittedRecord("A/B", {{1.5, 0.123456}, {12.25, 1.23456e-5}, {1e6, 98765.4}}, {1});
    EXPECT_EQ(ToggleListLines(record),
              (std::vector<std::string>{"1: 1.5 - 0.1235", "2: 12.25 - 1.235E-005",
                                        "3: 1E+006 - 9.877E+004"}));
    EXPECT_EQ(EnabledPoints(record), (std::vector<bool>{true, false, true}));

    // Items past the end of the selection count as not selected.
    ApplyEnabledPoints(record, {false, true});
    EXPECT_EQ(EnabledPoints(record), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(record.activeCount, 1);
    EXPECT_DOUBLE_EQ(record.mean, 1.23456e-5);
}

TEST(PointEditing, AFailedRecordHasNothingToToggle) {
    RegressionResult record = failedRecord("Ar40");
    EXPECT_TRUE(ToggleListLines(record).empty());
    EXPECT_FALSE(ClickDataPoint(record, 0, PointButton::Left));
    EnableAllDataPoints(record);
    ApplyEnabledPoints(record, {true});
    EXPECT_EQ(record.status, StatusFlag::NoActivePoint);
}

TEST(PointEditing, SheetNumbersOutsideTheTableNameNoRecord) {
    CalcState state;
    EXPECT_EQ(SheetRecord(state, 0), nullptr);
    state.results = ResultTable(2);
    EXPECT_EQ(SheetRecord(state, 2), nullptr);
    EXPECT_EQ(SheetRecord(state, 1), &(*state.results)[1]);
}

} // namespace
} // namespace tarnova
