// The one calculation of the process: its peak list, element list, result table and options,
// and the operations that create, release and rebuild the result table.
#pragma once

#include "calc/calc_flags.h"
#include "calc/element_list.h"
#include "calc/fit_choice.h"
#include "calc/outlier_filter.h"
#include "calc/result_table.h"
#include "data/peak_sheet.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarnova {

class CalculationPort;

// Height and range of a peak before interference corrections changed them.
struct PeakValue {
    double height = 0.0;
    double range = 0.0;
};

// What the user chose in the last confirmed settings dialog, kept across ReleaseCalculation so
// that the next new calculation opens with the same ratios, abundances, confidence level,
// estimate and correction set.
struct CalculationChoices {
    // The calcFlags bits that are carried over (kCarriedCalcFlags).
    CalcFlags calcFlags;
    // The selection bits of each element, by label.
    std::map<std::string, std::uint32_t> selections;
    std::optional<std::string> correctionSet;
};

// The bits of calcFlags that a new calculation takes over from the previous one; the display
// and print bits start from the options.
inline constexpr CalcFlags kCarriedCalcFlags = CalcFlag::AllNumerators | CalcFlag::AllAbundances |
                                               CalcFlag::Conf95 | CalcFlag::UseStdDev |
                                               CalcFlag::Correct;

struct CalcState {
    CalcFlags calcFlags;
    ElementList elements;          // empty: no element list
    std::vector<PeakRecord> peaks; // ordered by time; empty: no peak list
    std::optional<ResultTable> results;
    std::optional<std::string> correctionSet;
    // The peak values as extracted, kept once a correction changed them, so that a
    // recalculation corrects them afresh.
    std::vector<PeakValue> uncorrectedValues;
    // The choices of the last confirmed calculation; ReleaseCalculation leaves them.
    std::optional<CalculationChoices> lastChoices;
    // The regression method of each new record; kept when the calculation is released.
    FitChoices fitChoices;
    // The outlier filter the regressions run with; off unless the user turned it on.
    OutlierFilter outlierFilter;

    int elementCount() const { return static_cast<int>(elements.size()); }
    int peakCount() const { return static_cast<int>(peaks.size()); }
    int resultCount() const { return results ? static_cast<int>(results->size()) : 0; }
};

// Builds results from the selection flags of the element list: the abundances first, then the
// ratios, denominator by denominator. False when nothing was chosen.
bool CreateResults(CalcState& state);

// The choices that state's calcFlags, element selections and correction set hold.
CalculationChoices ChoicesOf(const CalcState& state);
// Starts the flags and selections of a new calculation (whose element list is built) from the
// choices of an earlier one: elements are matched by label, unknown labels stay unselected.
void ApplyChoices(CalcState& state, const CalculationChoices& choices);

// Removes everything of the calculation (closing the result views through port when given).
void ReleaseCalculation(CalcState& state, CalculationPort* port);

inline constexpr int kAllSheets = -2;

// Carries the disabled data points of sheet (or of every sheet, kAllSheets) into the peak list
// as disabled peaks. Mode 0 ("Update All excluding disabled") frees every record's points,
// runs the regressions again on the same records with testLevel (percent) and repaints the
// views; mode 1 ("Redo calicuration excluding disabled") asks for a recalculation, which
// replaces the table once its settings are confirmed.
void KeepPointStates(CalcState& state, int sheet, int mode, CalculationPort& port,
                     double testLevel);

// "Redo calicuration excluding disabled", from whichever sheet: the disabled points of every
// sheet become the disabled peaks (so no sheet loses its exclusions to the new table), and the
// recalculation is asked for.
void RedoCalculationExcludingDisabled(CalcState& state, CalculationPort& port);

} // namespace tarnova
