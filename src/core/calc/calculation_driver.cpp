#include "calc/calculation_driver.h"

#include "calc/calc_state.h"
#include "calc/correction.h"
#include "calc/reduction_keeping.h"
#include "calc/regression.h"
#include "document/peak_list_extraction.h"
#include "platform/run_log.h"
#include "settings/ini_file.h"
#include "settings/settings.h"

#include <algorithm>
#include <new>

namespace tarnova {
namespace {

struct FlagPair {
    GeneralFlag general;
    CalcFlag calc;
};
constexpr FlagPair kStartFlags[] = {
    {GeneralFlag::UseStdDev, CalcFlag::UseStdDev},
    {GeneralFlag::Conf95, CalcFlag::Conf95},
    {GeneralFlag::PrintReport, CalcFlag::PrintReports},
    {GeneralFlag::PrintPeakList, CalcFlag::PrintPeakList},
    {GeneralFlag::ShowGraph, CalcFlag::ShowGraph},
    {GeneralFlag::ShowResult, CalcFlag::ShowResult},
};

constexpr std::size_t kCorrectionSetNameRoom = 80;

template <typename Word, typename Bit> void setBit(Word& word, Bit bit, bool on) {
    word = on ? (word | bit) : (word & ~bit);
}

ViewPlacement placementOf(GeneralFlags generalFlags) {
    const bool horizontal = generalFlags.test(GeneralFlag::ArrangeHorizontal);
    const bool vertical = generalFlags.test(GeneralFlag::ArrangeVertical);
    if (horizontal == vertical) {
        return ViewPlacement::Overlapping;
    }
    return horizontal ? ViewPlacement::SideBySide : ViewPlacement::Stacked;
}

// A recalculation corrects the peak values as they were extracted, not the heights that an
// earlier correction already changed; the disabled marks stay as they are.
void restoreUncorrectedValues(CalcState& state) {
    if (state.uncorrectedValues.size() != state.peaks.size()) {
        return;
    }
    for (std::size_t i = 0; i < state.peaks.size(); ++i) {
        state.peaks[i].height = state.uncorrectedValues[i].height;
        state.peaks[i].range = state.uncorrectedValues[i].range;
    }
}

// Kept when a correction first changes the peaks.
bool keepUncorrectedValues(CalcState& state) {
    if (state.uncorrectedValues.size() == state.peaks.size()) {
        return true;
    }
    try {
        state.uncorrectedValues.resize(state.peaks.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (std::size_t i = 0; i < state.peaks.size(); ++i) {
        state.uncorrectedValues[i] = {state.peaks[i].height, state.peaks[i].range};
    }
    return true;
}

// The measurement's stored exclusions, methods and filter, with the exclusions of this run.
void takeUpStoredReduction(CalcState& state, const CalculationEnvironment& environment) {
    StoredReduction reduction;
    const std::optional<DataNote>& note = currentDataNote();
    if (environment.useStoredReduction && note) {
        reduction = StoredReductionOf(*note);
    }
    reduction.exclusions.insert(reduction.exclusions.end(), environment.exclusions.begin(),
                                environment.exclusions.end());
    if (reduction.empty()) {
        return;
    }
    ReportUnappliedEntries(environment.ui, ApplyStoredReduction(state, state.peaks, reduction,
                                                                environment.filterChosen));
}

int startNewCalculation(CalcState& state, const PeakListSource& extract,
                        const CalculationEnvironment& environment,
                        const std::optional<CalculationChoices>& previous) {
    std::optional<std::vector<PeakRecord>> peaks = extract();
    if (!peaks || peaks->empty()) {
        environment.ui.showMessage("Tarnova", "No peak in editor.");
        return 0;
    }
    LogLine("Retrieve the peak list.");
    SortPeaksByTime(*peaks);
    LogLine("The list is sorted.");
    state.peaks = std::move(*peaks);
    if (!BuildElementList(state)) {
        environment.ui.showMessage("Tarnova", "Can't create element list.");
        state.peaks = {};
        state.elements = {};
        return 0;
    }
    LogLine("Element List has been made.");
    state.calcFlags = InitialCalcFlags(environment.generalFlags);
    state.fitChoices = ReadFitChoices(environment.iniPath);
    state.fitChoices.method = environment.regressionMethod.value_or(state.fitChoices.method);
    takeUpStoredReduction(state, environment);
    if (previous) {
        ApplyChoices(state, *previous);
    }
    return 1;
}

// The settings dialog on state; true when it ended with a confirmed "開始".
bool runSettingsDialog(CalcState& state, const CalculationEnvironment& environment) {
    std::optional<CalculationSettingsForm> form =
        OpenCalculationSettings(state, environment.iniPath);
    return form && environment.port.runSettingsDialog(*form, [&](CalculationSettingsForm& filled) {
        return ConfirmCalculationSettings(state, filled, environment.ui);
    });
}

// Everything after a confirmed settings dialog: the result table, the corrections, the
// regressions, the windows and the print jobs.
bool calculateConfirmed(CalcState& state, const CalculationEnvironment& environment) {
    CalculationPort& port = environment.port;
    LogLine("Calicuration is set up."); // the run log's spelling, which log readers match
    state.calcFlags |= CalcFlag::Confirmed;
    state.lastChoices = ChoicesOf(state);

    if (!CreateResults(state)) {
        state.calcFlags = {};
        return false;
    }
    LogLine("Result table is ready.");
    if (state.calcFlags.test(CalcFlag::Correct)) {
        keepUncorrectedValues(state);
        ApplyCorrections(state, environment.ui, environment.iniPath);
    }
    if (RunRegressions(state, environment.testLevel, RegressionRun::Calculation) ==
        RecordsFitted::None) {
        environment.ui.showMessage("Tarnova", "回帰計算に失敗しました。");
        state.calcFlags = {};
        return false;
    }

    const bool graphOpen = state.calcFlags.test(CalcFlag::ShowGraph);
    const bool resultOpen = state.calcFlags.test(CalcFlag::ShowResult);
    if (graphOpen) {
        port.openGraphWindow(ResultViewTitle("Graph"));
        LogLine("Graph has been opened.");
    }
    if (resultOpen) {
        port.openResultWindow(ResultViewTitle("Result"));
        LogLine("Table has been opened.");
    }
    if (graphOpen || resultOpen) {
        port.arrangeResultViews(graphOpen, resultOpen, placementOf(environment.generalFlags));
    }
    // A job that the printer refused, or that was not made, is not logged as printed.
    if (state.calcFlags.test(CalcFlag::PrintPeakList) && port.printPeakList()) {
        LogLine("Peak list has been printed.");
    }
    if (state.calcFlags.test(CalcFlag::PrintReports) && port.printReports()) {
        LogLine("Reports have been printed.");
    }
    return true;
}

} // namespace

std::string ResultViewTitle(std::string_view kind) {
    const std::optional<DataNote>& note = currentDataNote();
    if (note && note->path && !note->path->empty()) {
        const std::string name = note->fileName();
        if (!name.empty()) {
            return std::string(kind) + " - " + name;
        }
    }
    return std::string(kind) + " - untitled";
}

CalcFlags InitialCalcFlags(GeneralFlags generalFlags) {
    CalcFlags flags;
    for (const FlagPair& pair : kStartFlags) {
        if (generalFlags.test(pair.general)) {
            flags |= pair.calc;
        }
    }
    return flags;
}

std::optional<CalculationSettingsForm> OpenCalculationSettings(CalcState& state,
                                                               const std::string& iniPath) {
    if (state.elements.empty()) {
        return std::nullopt;
    }
    const CalcFlags flags = state.calcFlags;
    CalculationSettingsForm form;
    form.allNumerators = flags.test(CalcFlag::AllNumerators);
    form.allAbundances = flags.test(CalcFlag::AllAbundances);
    for (const ElementEntry& element : state.elements) {
        form.labels.push_back(element.label);
        form.numerators.push_back((element.selection & kSelectNumerator) != 0);
        form.denominators.push_back((element.selection & kSelectDenominator) != 0);
        form.abundances.push_back((element.selection & kSelectAbundance) != 0);
    }
    form.conf95 = flags.test(CalcFlag::Conf95);
    form.useStdDev = flags.test(CalcFlag::UseStdDev);
    form.showGraph = flags.test(CalcFlag::ShowGraph);
    form.showResult = flags.test(CalcFlag::ShowResult);
    form.printReports = flags.test(CalcFlag::PrintReports);
    form.printPeakList = flags.test(CalcFlag::PrintPeakList);
    form.fitMethod = state.fitChoices.method;
    form.outlierFilter = state.outlierFilter;

    const int setCount = ReadProfileInt(iniPath, "general", kCorrectionSetsSection, -1);
    if (setCount > 0) {
        form.correctionSets = ReadProfileKeyNames(iniPath, kCorrectionSetsSection);
        form.correctionSetsUnnamed = form.correctionSets.empty();
        for (std::string& name : form.correctionSets) {
            if (name.size() >= kCorrectionSetNameRoom) {
                name.resize(kCorrectionSetNameRoom - 1);
            }
        }
    }
    // A set count without set names is a damaged file: calculating stays possible, without
    // corrections.
    if (form.correctionSets.empty()) {
        state.calcFlags &= ~CalcFlag::Correct;
    }
    form.correct = state.calcFlags.test(CalcFlag::Correct) && state.correctionSet.has_value();
    // The list shows the set in use, else the last one chosen, else the only one there is, so
    // that ticking the box offers it at once.
    const auto listed = [&form](const std::string& name) {
        return std::find(form.correctionSets.begin(), form.correctionSets.end(), name) !=
               form.correctionSets.end();
    };
    if (form.correct || (state.correctionSet && listed(*state.correctionSet))) {
        form.correctionSet = *state.correctionSet;
    } else if (form.correctionSets.size() == 1) {
        form.correctionSet = form.correctionSets.front();
    }
    return form;
}

bool ConfirmCalculationSettings(CalcState& state, const CalculationSettingsForm& form,
                                UserInterfacePort& ui) {
    CalcFlags& flags = state.calcFlags;
    setBit(flags, CalcFlag::AllNumerators, form.allNumerators);
    setBit(flags, CalcFlag::AllAbundances, form.allAbundances);
    setBit(flags, CalcFlag::Conf95, form.conf95);
    setBit(flags, CalcFlag::UseStdDev, form.useStdDev);
    setBit(flags, CalcFlag::ShowGraph, form.showGraph);
    setBit(flags, CalcFlag::ShowResult, form.showResult);
    setBit(flags, CalcFlag::PrintReports, form.printReports);
    setBit(flags, CalcFlag::PrintPeakList, form.printPeakList);
    state.fitChoices.method = form.fitMethod;
    for (const auto& [name, method] : form.fitMethodsByName) {
        state.fitChoices.choose(name, method);
    }
    state.outlierFilter = form.outlierFilter;

    const auto selected = [](const std::vector<bool>& items, std::size_t i) {
        return i < items.size() && items[i];
    };
    int numerators = 0;
    int denominators = 0;
    int abundances = 0;
    for (std::size_t i = 0; i < state.elements.size(); ++i) {
        std::uint32_t& selection = state.elements[i].selection;
        const bool numerator = form.allNumerators || selected(form.numerators, i);
        const bool denominator = selected(form.denominators, i);
        const bool abundance = form.allAbundances || selected(form.abundances, i);
        setBit(selection, kSelectNumerator, numerator);
        setBit(selection, kSelectDenominator, denominator);
        setBit(selection, kSelectAbundance, abundance);
        numerators += numerator ? 1 : 0;
        denominators += denominator ? 1 : 0;
        abundances += abundance ? 1 : 0;
    }
    if ((numerators == 0 || denominators == 0) && abundances == 0) {
        ui.showMessage("Tarnova", "計算を実行するには、同位体比が一組以上か存在度が1つ選択されて"
                                  "いなければなりません。");
        return false;
    }
    if (!form.correct) {
        flags &= ~CalcFlag::Correct;
        return true;
    }
    std::string name = form.correctionSet.substr(0, kCorrectionSetNameRoom - 1);
    if (name.empty()) {
        ui.showMessage("Tarnova",
                       "妨害イオンの補正を行うためには、補正式を選択しなければなりません。");
        return false;
    }
    state.correctionSet = std::move(name);
    flags |= CalcFlag::Correct;
    return true;
}

bool RunNewCalculation(CalcState& state, const PeakListSource& extract,
                       const CalculationEnvironment& environment) {
    // The new calculation is set up beside the old one, which stays whole (windows, records,
    // disabled points) until the new settings are confirmed.
    CalcState fresh;
    fresh.lastChoices = state.lastChoices;
    fresh.outlierFilter = state.outlierFilter;
    if (startNewCalculation(fresh, extract, environment, state.lastChoices) == 0) {
        return false;
    }
    if (!runSettingsDialog(fresh, environment)) {
        if (state.calcFlags.none()) {
            // Without a calculation to keep, the extracted lists stay, as after a cancel.
            state.peaks = std::move(fresh.peaks);
            state.elements = std::move(fresh.elements);
        }
        return false;
    }
    // Only a calculation can have views open.
    ReleaseCalculation(state, state.calcFlags.any() ? &environment.port : nullptr);
    state = std::move(fresh);
    return calculateConfirmed(state, environment);
}

bool RunCalculation(CalcState& state, const PeakListSource& extract,
                    const CalculationEnvironment& environment) {
    if (state.calcFlags.none()) {
        return RunNewCalculation(state, extract, environment);
    }
    // RECALC: the settings are tried on a copy of the lists, so that a cancel leaves the table,
    // its windows and its disabled points as they are.
    CalcState again;
    again.calcFlags = state.calcFlags;
    again.elements = state.elements;
    again.peaks = state.peaks;
    again.correctionSet = state.correctionSet;
    again.uncorrectedValues = state.uncorrectedValues;
    again.lastChoices = state.lastChoices;
    again.fitChoices = state.fitChoices;
    again.outlierFilter = state.outlierFilter;
    restoreUncorrectedValues(again);
    if (!runSettingsDialog(again, environment)) {
        return false;
    }
    environment.port.closeResultViews();
    state = std::move(again);
    return calculateConfirmed(state, environment);
}

bool RunCalculation(CalcState& state, GridModel& editor,
                    const CalculationEnvironment& environment) {
    return RunCalculation(
        state, [&editor] { return ExtractPeakList(editor); }, environment);
}

bool RunNewCalculation(CalcState& state, GridModel& editor,
                       const CalculationEnvironment& environment) {
    return RunNewCalculation(
        state, [&editor] { return ExtractPeakList(editor); }, environment);
}

} // namespace tarnova
