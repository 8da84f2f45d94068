// The audit of exclusions: the state and reason of a point, and the list of excluded peaks with
// the records they left, before and after Update All.
#include "results/exclusion_list.h"

#include "calc/calc_state.h"
#include "calc/regression.h"
#include "core/calc/scripted_calculation_port.h"
#include "core/support/test_peaks.h"
#include "results/point_editing.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

using test::makePeak;

TEST(ExclusionList, StateAndReasonOfAPoint) {
    const struct {
        PointFlags flags;
        const char* state;
        const char* word;
    } cases[] = {
        {{}, "有効", "hand"},
        {PointFlag::Disabled, "無効 (手動)", "hand"},
        {PointFlag::Disabled | PointFlag::OffGraph, "無効 (手動)", "hand"},
        {PointFlag::Disabled | PointFlag::ExcludedByCorrection, "無効 (補正)", "correction"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags.raw());
        EXPECT_EQ(PointStateText(c.flags), c.state);
        EXPECT_EQ(ExclusionReasonName(ExclusionReasonOf(c.flags)), c.word);
    }
}

// Ar36 and Ar40 in turn with an Ar38 peak among them; the sheets Ar40, Ar36 and Ar40/Ar36.
// The Ar40 peak at 35 was disabled by a correction, the Ar38 peak at 27 by hand in the peak
// list; then the user disables the ratio's point at 25 and the filter the Ar36 point at 30.
class Exclusions : public ::testing::Test {
  protected:
    Exclusions() {
        state.calcFlags = CalcFlag::Confirmed | CalcFlag::Conf95;
        state.peaks = {
            makePeak("Ar36", 10, 10.0),
            makePeak("Ar40", 15, 3010),
            makePeak("Ar36", 20, 10.1),
            makePeak("Ar40", 25, 3020),
            makePeak("Ar38", 27, 2, 1, PeakFlag::Disabled),
            makePeak("Ar36", 30, 10.0),
            makePeak("Ar40", 35, 3005, 1, PeakFlag::Disabled | PeakFlag::ExcludedByCorrection),
            makePeak("Ar36", 40, 10.2),
            makePeak("Ar40", 45, 3030),
            makePeak("Ar36", 50, 10.1)};
        state.results.emplace(3);
        (*state.results)[0].numerator = "Ar40";
        (*state.results)[1].numerator = "Ar36";
        (*state.results)[2].numerator = "Ar40";
        (*state.results)[2].denominator = "Ar36";
        EXPECT_EQ(RunRegressions(state, 99.7), RecordsFitted::All);
        EXPECT_TRUE(ClickDataPoint(record(2), 1, PointButton::Left));
        record(1).points->at(2).flags = PointFlag::Disabled | PointFlag::ExcludedByFilter;
        RefitRecord(record(1));
    }

    RegressionResult& record(int sheet) { return *SheetRecord(state, sheet); }

    CalcState state;
};

TEST_F(Exclusions, EveryExcludedPeakWithItsReasonAndTheRecordsItLeft) {
    test::ScriptedCalculationPort port;
    const struct {
        const char* when;
        const char* text;
    } cases[] = {
        {"as disabled", "unknown\r\n#Label\tTime\tReason\tRecords\r\n"
                        "Ar40\t25\thand\tAr40/Ar36\r\n"
                        "Ar38\t27\thand\t\r\n"
                        "Ar36\t30\tfilter\tAr36\r\n"
                        "Ar40\t35\tcorrection\tAr40, Ar40/Ar36\r\n"},
        // The disabled points became the disabled peaks; the ratio formed its points without
        // them (the Ar36 peak at 30 no longer serves its interpolation), and the Ar38 peak,
        // held by no record, is enabled again.
        {"after Update All", "unknown\r\n#Label\tTime\tReason\tRecords\r\n"
                             "Ar40\t25\thand\tAr40, Ar40/Ar36\r\n"
                             "Ar36\t30\tfilter\tAr36, Ar40/Ar36\r\n"
                             "Ar40\t35\tcorrection\tAr40, Ar40/Ar36\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        EXPECT_EQ(ExclusionsText(state, nullptr), c.text);
        KeepPointStates(state, kAllSheets, 0, port, 99.7);
    }
}

TEST_F(Exclusions, ReasonsDifferingBetweenRecordsGiveOneRowEach) {
    // The Ar40 peak at 15: by hand in the abundance, by the filter in the ratio.
    ASSERT_TRUE(ClickDataPoint(record(0), 0, PointButton::Left));
    record(2).points->at(0).flags = PointFlag::Disabled | PointFlag::ExcludedByFilter;
    const std::vector<ExcludedPeak> peaks = ExcludedPeaks(state);
    ASSERT_GE(peaks.size(), 2u);
    EXPECT_EQ(peaks[0].sheets, std::vector<int>{0});
    EXPECT_EQ(peaks[1].peak, 1u);
    EXPECT_EQ(peaks[1].reason, ExclusionReason::Filter);
}

TEST(ExclusionList, NothingExcludedIsTheHeadsAlone) {
    CalcState state;
    DataNote note;
    note.form = DataNoteForm::Pks;
    note.tags = {{"NAME", "AS-12"}};
    EXPECT_EQ(ExclusionsText(state, &note), "AS-12\r\n#Label\tTime\tReason\tRecords\r\n");
    state.peaks = {makePeak("Ar40", 1.5, 10)};
    state.results.emplace(1); // a record whose points could not be formed
    EXPECT_TRUE(ExclusionRows(state).empty());
}

} // namespace
} // namespace tarnova
