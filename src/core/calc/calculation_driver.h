// The calculation as the user runs it: CALC (a new calculation from the editor's peaks) and
// RECALC (again, on the same peak and element lists, after "Redo calicuration excluding
// disabled"), with the rules of the settings dialog "回帰計算の設定".
#pragma once

#include "calc/calc_flags.h"
#include "calc/calculation_port.h"
#include "data/peak_sheet.h"
#include "data/stored_reduction.h"
#include "platform/user_interface_port.h"
#include "settings/settings.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova {

struct CalcState;
class GridModel;

// What a calculation needs from its surroundings.
struct CalculationEnvironment {
    UserInterfacePort& ui;     // messages ("Tarnova" caption) and the beep
    CalculationPort& port;     // the settings dialog, the result views, the print jobs
    GeneralFlags generalFlags; // Settings::generalFlags: start options of a new calculation
    double testLevel = 99.7;   // Settings::testLevel, percent
    std::string iniPath;       // TARNOVA.INI, for the correction sets
    // The method a new calculation starts with when the program's options set it; otherwise
    // the one of the INI's section "regression".
    std::optional<std::uint32_t> regressionMethod;
    // A new calculation takes up the exclusions, methods and outlier filter stored with the
    // measurement (the entries of currentDataNote) unless this is false (--ignore-stored).
    bool useStoredReduction = true;
    // Peaks excluded by hand for this calculation only (tarnova-cli --exclude).
    std::vector<StoredExclusion> exclusions = {};
    // The outlier filter was chosen explicitly for this calculation: a stored one does not
    // replace it.
    bool filterChosen = false;
};

// The editor's peaks as a new peak list, or none when there is none to be had.
using PeakListSource = std::function<std::optional<std::vector<PeakRecord>>()>;

// CALC when state.calcFlags is 0 (the caller has run ReleaseCalculation), RECALC otherwise.
// RECALC keeps the table and its views until the settings are confirmed; a cancel changes
// nothing. True when a new calculation was made.
bool RunCalculation(CalcState& state, const PeakListSource& extract,
                    const CalculationEnvironment& environment);
// The same with the peaks of the editor grid (ExtractPeakList).
bool RunCalculation(CalcState& state, GridModel& editor, const CalculationEnvironment& environment);

// CALC beside an existing calculation: the new peak and element lists are set up apart, the
// dialog opens with the choices of the last confirmed calculation (and the outlier filter that
// state holds: the caller puts the options' filter there), and only a confirmed "開始"
// releases the old calculation (closing its views) and takes the new one's place. A cancel,
// or a failure before the dialog, leaves the old calculation as it was. Returns as
// RunCalculation.
bool RunNewCalculation(CalcState& state, const PeakListSource& extract,
                       const CalculationEnvironment& environment);
bool RunNewCalculation(CalcState& state, GridModel& editor,
                       const CalculationEnvironment& environment);

// The title of a result view: kind ("Graph" or "Result"), " - " and the file name of the current
// data note, or kind and " - untitled" when there is no note or it names no file.
std::string ResultViewTitle(std::string_view kind);

// calcFlags of a new calculation, from the [regression] options of generalFlags.
CalcFlags InitialCalcFlags(GeneralFlags generalFlags);

// The settings dialog as it opens, or none when it must not open (no element list).
std::optional<CalculationSettingsForm> OpenCalculationSettings(CalcState& state,
                                                               const std::string& iniPath);
// "開始": takes the form over into state and returns true, or shows why it cannot and returns
// false (the dialog then stays open).
bool ConfirmCalculationSettings(CalcState& state, const CalculationSettingsForm& form,
                                UserInterfacePort& ui);

} // namespace tarnova
