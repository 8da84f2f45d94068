// What a calculation keeps with its measurement and how the next one takes it up.
#include "calc/reduction_keeping.h"

#include "calc/calculation_driver.h"
#include "calc/regression_method.h"
#include "core/calc/scripted_calculation_port.h"
#include "core/support/scripted_port.h"
#include "core/support/test_peaks.h"
#include "results/point_editing.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tarnova {
namespace {

using test::makePeak;

constexpr std::uint32_t kParabola = 1;

// Ar36 and Ar40 alternating by time.
std::vector<PeakRecord> measurement() {
    return {makePeak("Ar36", 10, 10),   makePeak("Ar40", 15, 3010), makePeak("Ar36", 20, 10.1),
            makePeak("Ar40", 25, 3020), makePeak("Ar36", 30, 10.0), makePeak("Ar40", 35, 3005),
            makePeak("Ar36", 40, 10.2), makePeak("Ar40", 45, 3030), makePeak("Ar36", 50, 10.1)};
}

class ReductionKeeping : public ::testing::Test {
  protected:
    CalcState state;
    test::ScriptedPort ui;
    test::ScriptedCalculationPort port;
    CalculationEnvironment environment{ui,          port, {}, 99.7, "/nonexistent/TARNOVA.INI",
                                       std::nullopt};
    std::vector<PeakRecord> peaks = measurement();

    ReductionKeeping() { ReleaseDataNote(); }
    ~ReductionKeeping() override { ReleaseDataNote(); }

    // Ar40 (abundance, sheet 0) and Ar40/Ar36 (sheet 1).
    void calculate() {
        port.presses.push_back([](CalculationSettingsForm& form) {
            form.numerators = {false, true};
            form.denominators = {true, false};
            form.abundances = {false, true};
        });
        ASSERT_TRUE(RunNewCalculation(
            state, [this] { return std::optional(peaks); }, environment));
    }
    RegressionResult& sheet(int index) { return (*state.results)[static_cast<std::size_t>(index)]; }
    void installNote(std::vector<TaggedComment> entries) {
        DataNote note;
        note.form = DataNoteForm::Pks;
        note.tags = {{"Sample:", "AS-12"}};
        note.tags.insert(note.tags.end(), entries.begin(), entries.end());
        InstallDataNote(note);
    }
};

TEST_F(ReductionKeeping, StoresExcludedPeaksMethodsAndFilter) {
    calculate();
    EXPECT_TRUE(ReductionToStore(state, nullptr, {}).empty()); // a plain calculation stores nothing
    // The second Ar40 peak by hand in the abundance; the third by the filter in the ratio.
    ASSERT_TRUE(ClickDataPoint(sheet(0), 1, PointButton::Left));
    (*sheet(1).points)[2].flags |= PointFlag::Disabled | PointFlag::ExcludedByFilter;
    StoredReduction stored = ReductionToStore(state, nullptr, {});
    EXPECT_EQ(stored.exclusions,
              (std::vector<StoredExclusion>{{"Ar40", 2500, ExclusionReason::Hand},
                                            {"Ar40", 3500, ExclusionReason::Filter}}));
    EXPECT_TRUE(stored.methods.empty());
    EXPECT_FALSE(stored.filter);

    // The same peak out by the filter in one record and by hand in another is the hand's.
    (*sheet(1).points)[1].flags |= PointFlag::Disabled | PointFlag::ExcludedByFilter;
    // A method other than the line stores the method of every record.
    ASSERT_TRUE(SetSheetMethod(state, 1, kParabola));
    state.outlierFilter = {OutlierRule::Sigma, 2.5, 3};
    stored = ReductionToStore(state, nullptr, {});
    EXPECT_EQ(stored.exclusions[0].reason, ExclusionReason::Hand);
    EXPECT_EQ(stored.methods,
              (std::vector<StoredMethod>{{"Ar40", "linear"}, {"Ar40/Ar36", "parabolic"}}));
    EXPECT_EQ(stored.filter, "sigma:2.5:3");

    // A point enabled again is no exclusion; a disabled peak without a point is one.
    ASSERT_TRUE(ClickDataPoint(sheet(0), 1, PointButton::Left));
    (*sheet(1).points)[1].flags = {};
    state.peaks[4].flags = PeakFlag::Disabled | PeakFlag::ExcludedByCorrection;
    stored = ReductionToStore(state, nullptr, {});
    EXPECT_EQ(stored.exclusions,
              (std::vector<StoredExclusion>{{"Ar36", 3000, ExclusionReason::Correction},
                                            {"Ar40", 3500, ExclusionReason::Filter}}));
}

TEST_F(ReductionKeeping, MethodsOfRecordsNotMadeStayStored) {
    calculate();
    DataNote note;
    note.tags = {{std::string(kMethodTag), "Ar40/Ar36 parabolic"},
                 {std::string(kMethodTag), "Ar38/Ar36 exponential"}};
    EXPECT_EQ(ReductionToStore(state, &note, {}).methods,
              (std::vector<StoredMethod>{
                  {"Ar40", "linear"}, {"Ar40/Ar36", "linear"}, {"Ar38/Ar36", "exponential"}}));
    note.tags = {{std::string(kMethodTag), "Ar38/Ar36 linear"}};
    EXPECT_TRUE(ReductionToStore(state, &note, {}).empty());

    // Without a calculation the note's entries are stored as they are.
    note.tags = {{std::string(kExcludedTag), "Ar40@25 hand"}, {"Date:", "x"}};
    EXPECT_EQ(ReductionToStore(CalcState{}, &note, {}).exclusions,
              (std::vector<StoredExclusion>{{"Ar40", 2500, ExclusionReason::Hand}}));
}

TEST(SameReduction, ComparesWhatIsStoredNotHowItIsWritten) {
    StoredReduction a;
    a.exclusions = {{"Ar40", 150, ExclusionReason::Hand}, {"Ar36", 200, ExclusionReason::Filter}};
    a.methods = {{"Ar40", "parabolic"}, {"Ar40/Ar36", "linear"}};
    StoredReduction b;
    b.exclusions = {{"Ar36", 200, ExclusionReason::Filter}, {"Ar40*", 150, ExclusionReason::Hand}};
    b.methods = {{"Ar40/Ar36", "一次回帰"}, {"Ar40", "parabolic"}};
    EXPECT_TRUE(SameReduction(a, b));
    const struct {
        const char* name;
        void (*change)(StoredReduction&);
    } changes[] = {
        {"reason", [](StoredReduction& r) { r.exclusions[0].reason = ExclusionReason::Filter; }},
        {"time", [](StoredReduction& r) { r.exclusions[0].hundredths = 151; }},
        {"method", [](StoredReduction& r) { r.methods[0].method = "mean"; }},
        {"filter", [](StoredReduction& r) { r.filter = "chauvenet"; }},
    };
    for (const auto& c : changes) {
        StoredReduction changed = a;
        c.change(changed);
        EXPECT_FALSE(SameReduction(changed, b)) << c.name;
    }
}

TEST_F(ReductionKeeping, ANewCalculationStartsFromTheStoredEntries) {
    installNote({{std::string(kExcludedTag), "Ar40@25 hand"},
                 {std::string(kExcludedTag), "Ar40@35 filter"},
                 {std::string(kExcludedTag), "Ar40@99 hand"},
                 {std::string(kMethodTag), "Ar40/Ar36 parabolic"},
                 {std::string(kMethodTag), "Ar40 cubic"},
                 {std::string(kFilterTag), "chauvenet"}});
    calculate();
    EXPECT_EQ(state.peaks[3].flags, PeakFlag::Disabled);
    // The filter decides its own exclusions afresh: Chauvenet's criterion keeps the peak at 35 s.
    EXPECT_TRUE(state.peaks[5].flags.none());
    // The abundance keeps the hand's exclusion as a disabled point; the ratio leaves it out.
    EXPECT_EQ(sheet(0).activeCount, 3);
    EXPECT_EQ(sheet(1).pointCount, 3);
    EXPECT_EQ(sheet(1).fitMethod, kParabola);
    EXPECT_EQ(state.outlierFilter.rule, OutlierRule::Chauvenet);
    // One message names the two entries that were not applied.
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("#tarnova:method Ar40 cubic"), std::string::npos);
}

TEST_F(ReductionKeeping, TheRecalculationKeepsTheFilterAndTheExclusions) {
    installNote(
        {{std::string(kExcludedTag), "Ar40@25 hand"}, {std::string(kFilterTag), "sigma:3:2"}});
    calculate();
    ReleaseDataNote(); // what the recalculation keeps comes from the calculation itself
    RedoCalculationExcludingDisabled(state, port);
    port.presses.push_back([](CalculationSettingsForm&) {});
    ASSERT_TRUE(RunCalculation(
        state, [this] { return std::optional(peaks); }, environment));
    EXPECT_EQ(state.outlierFilter, (OutlierFilter{OutlierRule::Sigma, 3.0, 2}));
    EXPECT_EQ(sheet(0).activeCount, 3);
}

TEST_F(ReductionKeeping, ExplicitChoicesComeBeforeStoredOnes) {
    installNote(
        {{std::string(kExcludedTag), "Ar40@25 hand"}, {std::string(kFilterTag), "sigma:3:2"}});
    environment.filterChosen = true;
    calculate();
    EXPECT_EQ(state.outlierFilter.rule, OutlierRule::Off);
    EXPECT_EQ(state.peaks[3].flags, PeakFlag::Disabled);

    environment.useStoredReduction = false;
    environment.exclusions = {{"Ar40", 4500, ExclusionReason::Hand}};
    calculate();
    EXPECT_TRUE(state.peaks[3].flags.none());
    EXPECT_EQ(state.peaks[7].flags, PeakFlag::Disabled);
    EXPECT_TRUE(ui.messages.empty());
}

// A point the user enabled again against the filter is stored as kept, so that a reload, which
// runs the stored filter, leaves it in; without the entry the filter takes it out again.
TEST_F(ReductionKeeping, APeakKeptInAgainstTheFilterStaysInAfterAReload) {
    state.outlierFilter = {.rule = OutlierRule::Sigma, .k = 0.5, .iterations = 1};
    calculate();
    const std::vector<DataPoint>& points = *sheet(0).points;
    const auto filtered = std::find_if(points.begin(), points.end(), [](const DataPoint& point) {
        return point.flags.test(PointFlag::ExcludedByFilter);
    });
    ASSERT_NE(filtered, points.end());
    const int index = static_cast<int>(filtered - points.begin());
    ASSERT_TRUE(ClickDataPoint(sheet(0), index, PointButton::Left));
    const StoredReduction stored = ReductionToStore(state, nullptr, {});
    ASSERT_EQ(stored.kept.size(), 1u);
    EXPECT_EQ(stored.kept[0].label, "Ar40");

    for (const bool withKept : {true, false}) {
        SCOPED_TRACE(withKept);
        StoredReduction written = stored;
        if (!withKept) {
            written.kept.clear();
        }
        installNote(StoredReductionComments(written));
        state = CalcState{};
        calculate();
        EXPECT_EQ(state.outlierFilter.rule, OutlierRule::Sigma);
        EXPECT_EQ((*sheet(0).points)[static_cast<std::size_t>(index)].isActive(), withKept);
    }
}

// A calculation without the filter the INI file turns on stores "off", so that a reload under
// that INI file is not filtered where the user said no.
TEST_F(ReductionKeeping, AFilterTurnedOffAgainstTheIniStaysOffAfterAReload) {
    const OutlierFilter iniFilter{.rule = OutlierRule::Sigma, .k = 0.5, .iterations = 1};
    calculate();
    EXPECT_TRUE(ReductionToStore(state, nullptr, {}).empty());
    const StoredReduction stored = ReductionToStore(state, nullptr, iniFilter);
    EXPECT_EQ(stored.filter, "off");
    installNote(StoredReductionComments(stored));
    state = CalcState{};
    state.outlierFilter = iniFilter;
    calculate();
    EXPECT_EQ(state.outlierFilter.rule, OutlierRule::Off);
    EXPECT_TRUE(std::all_of(sheet(0).points->begin(), sheet(0).points->end(),
                            [](const DataPoint& point) { return point.isActive(); }));
}

TEST_F(ReductionKeeping, CountsThePointsExcludedFromARecord) {
    // D N N D N D N: numerator peaks at 2, 3, 5 lie between enabled denominators, 7 does not.
    const std::vector<PeakRecord> list = {
        makePeak("D", 1, 1),
        makePeak("N", 2, 3, 1, PeakFlag::Disabled),
        makePeak("N", 3, 3, 1, PeakFlagsOf(ExclusionReason::Filter)),
        makePeak("D", 4, 1),
        makePeak("N", 5, 3, 1, PeakFlagsOf(ExclusionReason::Correction)),
        makePeak("D", 6, 1),
        makePeak("N", 7, 3, 1, PeakFlag::Disabled)};
    RegressionResult ratio;
    ratio.numerator = "N";
    ratio.denominator = "D";
    DataPoint enabled;
    DataPoint byHand;
    byHand.flags = PointFlag::Disabled;
    DataPoint byFilter;
    byFilter.flags = PointFlag::Disabled | PointFlag::ExcludedByFilter;
    ratio.points = std::vector<DataPoint>{enabled, byHand, byFilter, byFilter};
    RegressionResult abundance = ratio;
    abundance.denominator.clear();

    const struct {
        const char* name;
        const RegressionResult& record;
        std::span<const PeakRecord> peaks;
        int byHand;
        int byFilter;
    } cases[] = {
        {"ratio with its peaks", ratio, list, 2, 3},
        {"ratio without peaks", ratio, {}, 1, 2},
        {"abundance: its points only", abundance, list, 1, 2},
    };
    for (const auto& c : cases) {
        const ExclusionCount count = CountExclusions(c.record, c.peaks);
        EXPECT_EQ(count.byHand, c.byHand) << c.name;
        EXPECT_EQ(count.byFilter, c.byFilter) << c.name;
    }
    RegressionResult failed = ratio;
    failed.points.reset();
    EXPECT_FALSE(CountExclusions(failed, list).any());
}

} // namespace
} // namespace tarnova
