// The calculation as a whole: the driver, the settings dialog's rules, the result table and
// keeping point states between runs.
#include "calc/calc_state.h"
#include "calc/calculation_driver.h"
#include "calc/ird_export.h"
#include "core/calc/scripted_calculation_port.h"
#include "core/support/log_capture.h"
#include "core/support/scripted_port.h"
#include "core/support/temp_folder.h"
#include "results/point_editing.h"
#include "settings/settings.h"

#include "core/support/test_peaks.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

namespace tarnova {
namespace {

using test::makePeak;

// Ar36 and Ar40 alternating, Ar40/Ar36 about 300, listed out of time order.
std::vector<PeakRecord> measurement() {
    return {makePeak("Ar40", 15, 3010), makePeak("Ar36", 10, 10),   makePeak("Ar36", 20, 10.1),
            makePeak("Ar40", 25, 3020), makePeak("Ar36", 30, 10.0), makePeak("Ar40", 35, 3005),
            makePeak("Ar36", 40, 10.2), makePeak("Ar40", 45, 3030), makePeak("Ar36", 50, 10.1)};
}

class Calculation : public ::testing::Test {
  protected:
    test::TempFolder folder;
    std::string iniPath = folder.path("TARNOVA.INI");
    CalcState state;
    test::ScriptedPort ui;
    test::ScriptedCalculationPort port;
    CalculationEnvironment environment{
        ui, port, GeneralFlag::ShowGraph | GeneralFlag::ShowResult, 99.7, iniPath, std::nullopt};
    std::vector<PeakRecord> peaks = measurement();
    PeakListSource source = [this] { return std::optional(peaks); };

    void writeIni(const std::string& text) { folder.write("TARNOVA.INI", text); }

    // One press of the dialog with these choices; no abundances leaves the form's own.
    void choose(std::vector<bool> numerators, std::vector<bool> denominators,
                std::vector<bool> abundances = {}) {
        port.presses.push_back([=](CalculationSettingsForm& form) {
            form.numerators = numerators;
            form.denominators = denominators;
            if (!abundances.empty()) {
                form.abundances = abundances;
            }
        });
    }
};

TEST_F(Calculation, NewCalculationFromStartToWindows) {
    choose({false, true}, {true, false}, {false, false});
    ASSERT_TRUE(RunCalculation(state, source, environment));
    // Sorted by time, elements by label.
    EXPECT_EQ(state.peaks.front().time, 10.0);
    EXPECT_EQ(state.peaks[1].time, 15.0);
    ASSERT_EQ(state.elements.size(), 2u);
    EXPECT_EQ(state.elements[0].label, "Ar36");
    EXPECT_EQ(state.elements[1].selection, kSelectNumerator);
    ASSERT_EQ(state.resultCount(), 1);
    EXPECT_EQ((*state.results)[0].sheetName, "Ar40/Ar36");
    EXPECT_EQ((*state.results)[0].pointCount, 4);
    EXPECT_EQ(state.calcFlags, CalcFlag::Confirmed | CalcFlag::ShowGraph | CalcFlag::ShowResult);
    EXPECT_EQ(port.calls, (std::vector<std::string>{"dialog", "Graph - untitled",
                                                    "Result - untitled", "arrange 110"}));
    EXPECT_EQ(port.openedForms[0].labels, (std::vector<std::string>{"Ar36", "Ar40"}));
}

TEST_F(Calculation, ConfirmRefusesEmptyChoicesAndMissingSets) {
    choose({false, false}, {true, false}, {false, false});
    port.presses.push_back([](CalculationSettingsForm& form) {
        form.numerators = {false, true};
        form.correct = true;
        form.correctionSet = "";
    });
    port.presses.push_back([](CalculationSettingsForm& form) { form.correct = false; });
    ASSERT_TRUE(RunCalculation(state, source, environment));
    EXPECT_EQ(
        ui.messages,
        (std::vector<test::RecordedMessage>{
            {"Tarnova", "計算を実行するには、同位体比が一組以上か存在度が1つ選択されてい"
                        "なければなりません。"},
            {"Tarnova", "妨害イオンの補正を行うためには、補正式を選択しなければなりません。"}}));
}

// A ticked "全て選択" chooses every element; the lists are always filled, so that clearing the
// box counts only the items really selected.
TEST_F(Calculation, SelectAllChoosesEveryElementAndClearingItKeepsTheSelection) {
    port.presses.push_back([](CalculationSettingsForm& form) { form.allAbundances = true; });
    ASSERT_TRUE(RunCalculation(state, source, environment));
    ASSERT_EQ(state.resultCount(), 2);

    KeepPointStates(state, kAllSheets, 1, port, 99.7);
    port.presses.push_back([](CalculationSettingsForm& form) {
        form.allAbundances = false;
        form.abundances = {false, true};
    });
    ASSERT_TRUE(RunCalculation(state, source, environment));
    const CalculationSettingsForm& reopened = port.openedForms[1];
    EXPECT_TRUE(reopened.allAbundances);
    EXPECT_EQ(reopened.abundances, (std::vector<bool>{true, true}));
    ASSERT_EQ(state.resultCount(), 1);
    EXPECT_EQ((*state.results)[0].sheetName, "Ar40");
    EXPECT_FALSE(state.calcFlags.test(CalcFlag::AllAbundances));
}

TEST_F(Calculation, SameLabelOnBothSidesFails) {
    choose({true, false}, {true, false}, {false, false});
    EXPECT_FALSE(RunCalculation(state, source, environment));
    EXPECT_EQ(ui.messages.back().text, "回帰計算に失敗しました。");
    EXPECT_TRUE(state.calcFlags.none());
}

TEST_F(Calculation, NoPeaksOrNoDialog) {
    PeakListSource empty = [] { return std::optional<std::vector<PeakRecord>>(); };
    EXPECT_FALSE(RunCalculation(state, empty, environment));
    EXPECT_EQ(ui.messages.back().text, "No peak in editor.");
    EXPECT_FALSE(OpenCalculationSettings(state, iniPath));
}

TEST_F(Calculation, CorrectionSetsFromTheIni) {
    writeIni("[general]\ninterferance=2\n[interferance]\nAtm=1\nBlank=1\n[Atm]\n"
             "item1=Ar40,Ar36,10\n");
    port.presses.push_back([](CalculationSettingsForm& form) {
        form.numerators = {false, true};
        form.denominators = {true, false};
        form.correct = true;
        form.correctionSet = "Atm";
    });
    ASSERT_TRUE(RunCalculation(state, source, environment));
    EXPECT_EQ(port.openedForms[0].correctionSets, (std::vector<std::string>{"Atm", "Blank"}));
    EXPECT_EQ(state.correctionSet, "Atm");
    EXPECT_EQ(state.calcFlags & CalcFlag::Correct, CalcFlag::Correct);
    // 3010 - 10 x 10.05 at time 15.
    EXPECT_DOUBLE_EQ(state.peaks[1].height, 3010 - 100.5);

    // A recalculation corrects the extracted values again, not the corrected ones.
    KeepPointStates(state, 0, 1, port, 99.7);
    port.presses.push_back([](CalculationSettingsForm&) {});
    ASSERT_TRUE(RunCalculation(state, source, environment));
    EXPECT_TRUE(port.openedForms[1].correct);
    EXPECT_EQ(port.openedForms[1].correctionSet, "Atm");
    EXPECT_DOUBLE_EQ(state.peaks[1].height, 3010 - 100.5);
}

TEST_F(Calculation, DamagedSetCountOpensWithoutCorrections) {
    writeIni("[general]\ninterferance=2\n");
    state.correctionSet = "Atm";
    choose({false, true}, {true, false});
    ASSERT_TRUE(RunCalculation(state, source, environment));
    EXPECT_TRUE(port.openedForms[0].correctionSets.empty());
    EXPECT_TRUE(port.openedForms[0].correctionSetsUnnamed);

    // A recalculation that had corrections on opens with them off.
    state.calcFlags |= CalcFlag::Correct;
    const auto form = OpenCalculationSettings(state, iniPath);
    ASSERT_TRUE(form);
    EXPECT_FALSE(form->correct);
    EXPECT_FALSE(state.calcFlags.test(CalcFlag::Correct));

    writeIni("[general]\ninterferance=0\n[interferance]\nAtm=1\n");
    EXPECT_FALSE(OpenCalculationSettings(state, iniPath)->correctionSetsUnnamed);
    EXPECT_TRUE(OpenCalculationSettings(state, iniPath)->correctionSets.empty());
}

TEST_F(Calculation, PlacementAndPrintJobs) {
    environment.generalFlags = GeneralFlag::ShowResult | GeneralFlag::ArrangeVertical |
                               GeneralFlag::PrintReport | GeneralFlag::PrintPeakList;
    DataNote note;
    note.path = "/data/run.PKS";
    InstallDataNote(note);
    choose({false, true}, {true, false}, {false, false});
    test::LogCapture log;
    ASSERT_TRUE(RunCalculation(state, source, environment));
    ReleaseDataNote();
    EXPECT_EQ(port.calls, (std::vector<std::string>{"dialog", "Result - run.PKS", "arrange 012",
                                                    "print peaks", "print reports"}));
    EXPECT_THAT(log.lines(), ::testing::IsSupersetOf(
                                 {"Peak list has been printed.", "Reports have been printed."}));

    // Refused print jobs are not logged as printed.
    port.printed = false;
    ReleaseCalculation(state, &port);
    choose({false, true}, {true, false}, {false, false});
    test::LogCapture refused;
    ASSERT_TRUE(RunCalculation(state, source, environment));
    EXPECT_THAT(refused.lines(),
                ::testing::Not(::testing::Contains(::testing::HasSubstr("printed"))));
}

// A new calculation beside a confirmed one: the old table, its windows and its disabled points
// stay through a cancel or an editor without peaks; only a
// confirmed "開始" closes the windows and replaces the table.
TEST_F(Calculation, NewCalculationReplacesTheOldOneOnlyWhenConfirmed) {
    choose({false, true}, {true, false}, {false, true});
    ASSERT_TRUE(RunCalculation(state, source, environment));
    ClickDataPoint((*state.results)[1], 2, PointButton::Left);
    const RegressionResult before = (*state.results)[1];
    ASSERT_EQ(before.activeCount, 3);
    const CalcFlags flags = state.calcFlags;

    const PeakListSource nothing = [] { return std::optional<std::vector<PeakRecord>>(); };
    const PeakListSource empty = [] { return std::optional(std::vector<PeakRecord>()); };
    struct Attempt {
        const PeakListSource* source;
        bool dialogShown;
    };
    for (const Attempt attempt :
         {Attempt{&source, true}, Attempt{&nothing, false}, Attempt{&empty, false}}) {
        port.presses.clear(); // the dialog is cancelled
        port.calls.clear();
        EXPECT_FALSE(RunNewCalculation(state, *attempt.source, environment));
        EXPECT_EQ(port.calls, (attempt.dialogShown ? std::vector<std::string>{"dialog"}
                                                   : std::vector<std::string>{}));
        EXPECT_EQ(state.calcFlags, flags);
        ASSERT_EQ(state.resultCount(), 2);
        EXPECT_EQ((*state.results)[1].activeCount, 3);
        EXPECT_EQ((*state.results)[1].fit->slope, before.fit->slope);
    }

    port.calls.clear();
    choose({false, true}, {true, false}, {false, false});
    test::LogCapture log;
    ASSERT_TRUE(RunNewCalculation(state, source, environment));
    EXPECT_EQ(port.calls, (std::vector<std::string>{"dialog", "close", "Graph - untitled",
                                                    "Result - untitled", "arrange 110"}));
    EXPECT_THAT(log.lines(),
                ::testing::IsSupersetOf({"Result table is removed", "Calicuration is set up."}));
    ASSERT_EQ(state.resultCount(), 1);
    EXPECT_EQ((*state.results)[0].activeCount, 4);
}

// "Redo calicuration excluding disabled" carries the disabled points of the sheet into the
// peak list and asks for the recalculation; the table stays shown through a cancelled dialog
// and is replaced only when the new settings are confirmed.
TEST_F(Calculation, RecalculationReplacesTheTableOnlyWhenConfirmed) {
    choose({false, true}, {true, false}, {false, true});
    ASSERT_TRUE(RunCalculation(state, source, environment));
    RegressionResult& ratio = (*state.results)[1];
    ClickDataPoint(ratio, 1, PointButton::Left);
    const std::uint32_t peak = ratio.points->at(1).peakIndex;
    const double slope = ratio.fit->slope;
    const CalcFlags flags = state.calcFlags;
    port.calls.clear();

    KeepPointStates(state, 1, 1, port, 99.7);
    EXPECT_EQ(port.calls, std::vector<std::string>{"recalc"});
    EXPECT_TRUE(state.peaks[peak].isDisabled());
    port.presses.clear();
    EXPECT_FALSE(RunCalculation(state, source, environment));
    EXPECT_EQ(port.calls, (std::vector<std::string>{"recalc", "dialog"}));
    EXPECT_EQ(state.calcFlags, flags);
    ASSERT_EQ(state.resultCount(), 2);
    EXPECT_EQ((*state.results)[1].activeCount, 3);

    KeepPointStates(state, 1, 1, port, 99.7);
    port.calls.clear();
    port.presses.push_back([](CalculationSettingsForm&) {});
    ASSERT_TRUE(RunCalculation(state, source, environment));
    EXPECT_EQ(port.calls.at(1), "close");
    // The ratio leaves the disabled peak out; the abundance holds it as a disabled point.
    EXPECT_EQ((*state.results)[1].pointCount, 3);
    EXPECT_EQ((*state.results)[1].fit->slope, slope);
    EXPECT_EQ((*state.results)[0].activeCount, 3);
}

// The peaks behind the record's disabled points, and behind all its points.
std::set<std::uint32_t> disabledPeaks(const RegressionResult& record) {
    std::set<std::uint32_t> found;
    for (const DataPoint& point : PointsOf(record)) {
        if (!point.isActive()) {
            found.insert(point.peakIndex);
        }
    }
    return found;
}

std::set<std::uint32_t> heldPeaks(const RegressionResult& record) {
    std::set<std::uint32_t> found;
    for (const DataPoint& point : PointsOf(record)) {
        found.insert(point.peakIndex);
    }
    return found;
}

// An Ar40 point disabled on the Ar40 sheet and carried to every record by Update All stays
// excluded after "Redo calicuration excluding disabled" from the Ar40/Ar36 sheet, which no
// longer holds it.
TEST_F(Calculation, RedoFromAnotherSheetKeepsAnExclusionCarriedByUpdateAll) {
    choose({false, true}, {true, false}, {false, true});
    ASSERT_TRUE(RunCalculation(state, source, environment));
    ASSERT_TRUE(ClickDataPoint((*state.results)[0], 2, PointButton::Left));
    const std::uint32_t peak = (*state.results)[0].points->at(2).peakIndex;
    KeepPointStates(state, kAllSheets, 0, port, 99.7);
    ASSERT_EQ(heldPeaks((*state.results)[1]).count(peak), 0u);

    RedoCalculationExcludingDisabled(state, port);
    EXPECT_EQ(port.calls.back(), "recalc");
    port.presses.push_back([](CalculationSettingsForm&) {});
    ASSERT_TRUE(RunCalculation(state, source, environment));
    EXPECT_EQ(disabledPeaks((*state.results)[0]), std::set<std::uint32_t>{peak});
    EXPECT_EQ((*state.results)[0].activeCount, 3);
    EXPECT_EQ(heldPeaks((*state.results)[1]).count(peak), 0u);
    EXPECT_EQ((*state.results)[1].pointCount, 3);
}

// Whichever sheets hold disabled points, every record of the new table has them again: as
// disabled points of an abundance, or left out of a ratio; the other points stay enabled.
TEST_F(Calculation, RedoKeepsTheDisabledPointsOfEverySheet) {
    peaks = measurement();
    for (const double time : {55.0, 65.0, 75.0}) {
        peaks.push_back(makePeak("Ar38", time, 2.0 + time / 100));
    }
    peaks.push_back(makePeak("Ar36", 80, 10.0));
    // Elements by label: Ar36, Ar38, Ar40. Sheets: Ar38, Ar40, Ar38/Ar36, Ar40/Ar36.
    choose({false, true, true}, {true, false, false}, {false, true, true});
    ASSERT_TRUE(RunCalculation(state, source, environment));
    ASSERT_EQ(state.resultCount(), 4);
    const struct {
        int sheet;
        int point;
    } clicks[] = {{0, 0}, {1, 3}, {3, 1}};
    std::set<std::uint32_t> excluded;
    for (const auto& click : clicks) {
        RegressionResult& record = (*state.results)[static_cast<std::size_t>(click.sheet)];
        ASSERT_TRUE(ClickDataPoint(record, click.point, PointButton::Left));
        excluded.insert(record.points->at(static_cast<std::size_t>(click.point)).peakIndex);
    }
    std::vector<std::set<std::uint32_t>> heldBefore;
    for (const RegressionResult& record : *state.results) {
        heldBefore.push_back(heldPeaks(record));
    }

    RedoCalculationExcludingDisabled(state, port);
    port.presses.push_back([](CalculationSettingsForm&) {});
    ASSERT_TRUE(RunCalculation(state, source, environment));
    ASSERT_EQ(state.resultCount(), 4);
    for (std::size_t sheet = 0; sheet < 4; ++sheet) {
        SCOPED_TRACE(sheet);
        const RegressionResult& record = (*state.results)[sheet];
        std::set<std::uint32_t> expectedHeld;
        std::set<std::uint32_t> expectedDisabled;
        for (const std::uint32_t peak : heldBefore[sheet]) {
            if (excluded.count(peak) == 0) {
                expectedHeld.insert(peak);
            } else if (!record.isRatio()) {
                expectedHeld.insert(peak);
                expectedDisabled.insert(peak);
            }
        }
        EXPECT_EQ(heldPeaks(record), expectedHeld);
        EXPECT_EQ(disabledPeaks(record), expectedDisabled);
    }
}

// The next new calculation opens with the ratios, abundances, confidence level, estimate and
// correction set of the last confirmed one, also after the results were removed; elements are
// matched by label, and the display options come from the options again.
TEST_F(Calculation, NewCalculationOpensWithTheLastChoices) {
    writeIni("[general]\ninterferance=2\n[interferance]\nAtm=1\nBlank=1\n[Blank]\n"
             "item1=Ar40,Ar36,0\n");
    port.presses.push_back([](CalculationSettingsForm& form) {
        form.numerators = {false, true};
        form.denominators = {true, false};
        form.abundances = {true, false};
        form.conf95 = true;
        form.useStdDev = true;
        form.showResult = false;
        form.correct = true;
        form.correctionSet = "Blank";
    });
    ASSERT_TRUE(RunCalculation(state, source, environment));
    ReleaseCalculation(state, &port);

    // Ar38 is new and stands between the two.
    peaks.push_back(makePeak("Ar38", 60, 1));
    ASSERT_FALSE(RunNewCalculation(state, source, environment));
    const CalculationSettingsForm& opened = port.openedForms.at(1);
    EXPECT_EQ(opened.labels, (std::vector<std::string>{"Ar36", "Ar38", "Ar40"}));
    EXPECT_EQ(opened.numerators, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(opened.denominators, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(opened.abundances, (std::vector<bool>{true, false, false}));
    EXPECT_TRUE(opened.conf95 && opened.useStdDev && opened.correct && opened.showResult);
    EXPECT_EQ(opened.correctionSet, "Blank");
}

// With corrections off, the list still offers a set for the box: the last one chosen when the
// INI still has it, else the only set of the INI, else none.
TEST_F(Calculation, CorrectionListOffersTheOnlyOrTheLastSet) {
    struct Case {
        const char* ini;
        std::optional<std::string> last;
        const char* offered;
    };
    const Case cases[] = {
        {"[general]\ninterferance=1\n[interferance]\nAtm=1\n", std::nullopt, "Atm"},
        {"[general]\ninterferance=2\n[interferance]\nAtm=1\nBlank=1\n", std::nullopt, ""},
        {"[general]\ninterferance=2\n[interferance]\nAtm=1\nBlank=1\n", "Blank", "Blank"},
        {"[general]\ninterferance=1\n[interferance]\nAtm=1\n", "Gone", "Atm"},
        {"[general]\ninterferance=0\n", std::nullopt, ""},
    };
    for (const Case& c : cases) {
        writeIni(c.ini);
        CalcState fresh;
        fresh.elements = {{0, "Ar36"}};
        fresh.correctionSet = c.last;
        const auto form = OpenCalculationSettings(fresh, iniPath);
        ASSERT_TRUE(form);
        EXPECT_FALSE(form->correct) << c.ini;
        EXPECT_EQ(form->correctionSet, c.offered) << c.ini;
    }
}

TEST(ResultTable, CreateAbundancesThenRatios) {
    CalcState state;
    state.elements = {{kSelectNumerator | kSelectAbundance, "A"},
                      {kSelectNumerator | kSelectDenominator, "B"}};
    {
        test::LogCapture log;
        ASSERT_TRUE(CreateResults(state));
        EXPECT_EQ(log.lines()[0], "3 results will be created.");
    }
    ASSERT_EQ(state.resultCount(), 2);
    EXPECT_EQ((*state.results)[0].recordType(), 'A');
    EXPECT_EQ((*state.results)[1].denominator, "B");

    CalcState same;
    same.elements = {{kSelectNumerator | kSelectDenominator, "A"}};
    EXPECT_TRUE(CreateResults(same));
    EXPECT_EQ(same.resultCount(), 0);
    CalcState none;
    none.elements = {{0, "A"}};
    EXPECT_FALSE(CreateResults(none));
}

TEST_F(Calculation, KeepPointStatesCarriesDisabledPoints) {
    choose({false, true}, {true, false}, {false, true});
    ASSERT_TRUE(RunCalculation(state, source, environment));
    // Sheet 0 is the Ar40 abundance, sheet 1 Ar40/Ar36; disable the second Ar40 of sheet 1.
    (*state.results)[1].points->at(1).flags = PointFlag::Disabled;
    const std::uint32_t peakIndex = (*state.results)[1].points->at(1).peakIndex;
    test::LogCapture log;
    KeepPointStates(state, kAllSheets, 0, port, 99.7);
    EXPECT_THAT(log.lines(), ::testing::Contains("1->3 - Invalidated"));
    EXPECT_TRUE(state.peaks[peakIndex].isDisabled());
    EXPECT_EQ((*state.results)[1].pointCount, 3);
    EXPECT_EQ((*state.results)[0].pointCount, 4);
    EXPECT_EQ((*state.results)[0].activeCount, 3);
    EXPECT_EQ(port.calls.back(), "repaint");
}

TEST_F(Calculation, UpdatedRecordWithoutPointsShowsAsFailed) {
    choose({false, true}, {true, false}, {true, false});
    ASSERT_TRUE(RunCalculation(state, source, environment));
    // Every Ar40 of Ar40/Ar36 (sheet 1) disabled: the ratio has no point left.
    for (DataPoint& point : *(*state.results)[1].points) {
        point.flags = PointFlag::Disabled;
    }
    KeepPointStates(state, 1, 0, port, 99.7);
    const RegressionResult& ratio = (*state.results)[1];
    EXPECT_FALSE(ratio.points);
    EXPECT_EQ(ratio.pointCount, kPointsNone);
    EXPECT_EQ(ratio.sheetName, "");
    EXPECT_EQ((*WriteIrd(std::span(&ratio, 1), nullptr, state.calcFlags, {})),
              "\r\n\tR\t0.000000E+00\t0.000000E+00\t6.800000E-01\t0.000000E+00\t"
              "0.000000E+00\t1.000000E+00\tr=0\t\t\r\n");
    EXPECT_EQ((*state.results)[0].sheetName, "Ar36");
}

TEST_F(Calculation, FailedUpdateKeepsTheCalculation) {
    peaks = {makePeak("A", 1, 1), makePeak("A", 2, 2), makePeak("B", 3, 1)};
    port.presses.push_back([](CalculationSettingsForm& form) { form.abundances = {true, false}; });
    ASSERT_TRUE(RunCalculation(state, source, environment));
    const CalcFlags flags = state.calcFlags;
    for (DataPoint& point : *(*state.results)[0].points) {
        point.flags = PointFlag::Disabled;
    }
    KeepPointStates(state, kAllSheets, 0, port, 99.7);
    EXPECT_EQ(state.calcFlags, flags);
    EXPECT_EQ((*state.results)[0].status, StatusFlag::NoActivePoint);

    ReleaseCalculation(state, &port);
    EXPECT_TRUE(state.calcFlags.none());
    EXPECT_FALSE(state.results);
}

// The settings dialog opens with the program's method where the options set one, else with the
// method of the INI; the choices of names stay the INI's.
TEST_F(Calculation, DialogOpensWithTheMethodOfTheOptions) {
    writeIni("[regression]\r\nmethod=mean\r\n[regressionmethods]\r\nAr40=parabolic\r\n");
    const std::optional<std::uint32_t> options[] = {std::nullopt, 0u, 2u};
    const std::uint32_t opened[] = {3, 0, 2};
    for (std::size_t i = 0; i < std::size(options); ++i) {
        CalcState fresh;
        environment.regressionMethod = options[i];
        std::uint32_t shown = 99;
        port.presses.push_back([&shown](CalculationSettingsForm& form) {
            shown = form.fitMethod;
            form.numerators = {false, true};
            form.denominators = {true, false};
        });
        ASSERT_TRUE(RunCalculation(fresh, source, environment)) << i;
        EXPECT_EQ(shown, opened[i]) << i;
        ASSERT_FALSE(fresh.fitChoices.byName.empty());
        EXPECT_EQ(fresh.fitChoices.byName.front().first, "Ar40");
        ReleaseCalculation(fresh, nullptr);
    }
}

} // namespace
} // namespace tarnova
