#include "calc/calc_state.h"

#include "calc/calculation_port.h"
#include "calc/regression.h"
#include "platform/run_log.h"
#include "platform/text_format.h"

#include <new>

namespace tarnova {
namespace {

// A peak left out by several records keeps a reason (the filter's, a correction's) only while
// every one of them gives it: one record where the user excluded it makes it the user's.
PeakFlags excludedPeakFlags(PeakFlags peakFlags, PointFlags pointFlags) {
    constexpr PeakFlags reasons = PeakFlag::ExcludedByFilter | PeakFlag::ExcludedByCorrection;
    const PeakFlags kept = peakFlags.test(PeakFlag::Disabled) ? peakFlags & pointFlags & reasons
                                                              : pointFlags & reasons;
    return (peakFlags & ~reasons) | PeakFlag::Disabled | kept;
}

} // namespace

bool CreateResults(CalcState& state) {
    int numerators = 0;
    int denominators = 0;
    int abundances = 0;
    for (const ElementEntry& element : state.elements) {
        numerators += (element.selection & kSelectNumerator) != 0 ? 1 : 0;
        denominators += (element.selection & kSelectDenominator) != 0 ? 1 : 0;
        abundances += (element.selection & kSelectAbundance) != 0 ? 1 : 0;
    }
    const long long planned = static_cast<long long>(numerators) * denominators + abundances;
    LogLine(formatText("%lld results will be created.", planned));
    if (planned < 1) {
        LogLine("No result.");
        return false;
    }
    ResultTable table;
    try {
        table.reserve(static_cast<std::size_t>(planned));
        for (const ElementEntry& element : state.elements) {
            if ((element.selection & kSelectAbundance) == 0) {
                continue;
            }
            RegressionResult record;
            record.numerator = element.label;
            record.fitMethod = ChosenFitMethod(state.fitChoices, record.numerator, {});
            table.push_back(std::move(record));
            LogLine(element.label);
        }
        for (const ElementEntry& denominator : state.elements) {
            if ((denominator.selection & kSelectDenominator) == 0) {
                continue;
            }
            for (const ElementEntry& numerator : state.elements) {
                if ((numerator.selection & kSelectNumerator) == 0 ||
                    numerator.label == denominator.label) {
                    continue;
                }
                RegressionResult record;
                record.numerator = numerator.label;
                record.denominator = denominator.label;
                record.fitMethod =
                    ChosenFitMethod(state.fitChoices, record.numerator, record.denominator);
                table.push_back(std::move(record));
                LogLine(formatText("%s/%s", numerator.label.c_str(), denominator.label.c_str()));
            }
        }
    } catch (const std::bad_alloc&) {
        LogLine("Not enough heap");
        return false;
    }
    state.results = std::move(table);
    return true;
}

CalculationChoices ChoicesOf(const CalcState& state) {
    CalculationChoices choices;
    choices.calcFlags = state.calcFlags & kCarriedCalcFlags;
    for (const ElementEntry& element : state.elements) {
        choices.selections[element.label] = element.selection & kSelectAll;
    }
    choices.correctionSet = state.correctionSet;
    return choices;
}

void ApplyChoices(CalcState& state, const CalculationChoices& choices) {
    state.calcFlags = (state.calcFlags & ~kCarriedCalcFlags) | choices.calcFlags;
    for (ElementEntry& element : state.elements) {
        const auto found = choices.selections.find(element.label);
        const std::uint32_t chosen = found == choices.selections.end() ? 0 : found->second;
        element.selection = (element.selection & ~kSelectAll) | chosen;
    }
    state.correctionSet = choices.correctionSet;
}

void ReleaseCalculation(CalcState& state, CalculationPort* port) {
    if (port != nullptr) {
        port->closeResultViews();
    }
    if (!state.elements.empty()) {
        state.elements = {};
        LogLine("Element list is removed");
    }
    if (!state.peaks.empty()) {
        state.peaks = {};
        state.uncorrectedValues = {};
        LogLine("Peak list is removed");
    }
    if (state.results) {
        state.results.reset();
        LogLine("Result table is removed");
    }
    state.correctionSet.reset();
    state.calcFlags = {};
}

void KeepPointStates(CalcState& state, int sheet, int mode, CalculationPort& port,
                     double testLevel) {
    if (state.calcFlags.none()) {
        return;
    }
    if (state.results) {
        for (PeakRecord& peak : state.peaks) {
            peak.flags &= ~(kPeakExclusionBits | PeakFlag::KeptByUser);
        }
        const bool logged = runLog().isOpen();
        int index = 0;
        for (RegressionResult& record : *state.results) {
            const bool saved = index == sheet || sheet == kAllSheets;
            ++index;
            if (!record.points) {
                continue;
            }
            if (saved) {
                LogLine("Saving peak attributes");
                int j = 0;
                for (const DataPoint& point : *record.points) {
                    std::string line;
                    if (logged) {
                        line = formatText("%d->%u", j, point.peakIndex);
                    }
                    if (point.peakIndex < state.peaks.size()) {
                        PeakRecord& peak = state.peaks[point.peakIndex];
                        if (!point.isActive()) {
                            peak.flags = excludedPeakFlags(peak.flags, point.flags);
                            line += " - Invalidated";
                        } else {
                            peak.flags |= point.flags & PointFlag::KeptByUser;
                        }
                    }
                    if (logged) {
                        LogLine(line);
                    }
                    ++j;
                }
            }
            if (mode == 0) {
                record.points.reset();
                record.fit.reset();
                record.status &= StatusFlags::fromRaw(
                    0xFFFF0000u); // nothing of the old points and line is valid now
            }
        }
    }
    if (mode == 1) {
        // The table stays shown until the recalculation's settings are confirmed.
        port.requestRecalculation();
        return;
    }
    // The records still exist (and show as failed) when none of them succeeds again, so the
    // calculation's bits stay for the windows and the commands that follow.
    const CalcFlags flags = state.calcFlags;
    if (RunRegressions(state, testLevel) == RecordsFitted::None) {
        state.calcFlags = flags;
    }
    port.repaintResultViews();
}

void RedoCalculationExcludingDisabled(CalcState& state, CalculationPort& port) {
    // The test level serves only the update in place, which mode 1 does not run.
    KeepPointStates(state, kAllSheets, 1, port, 0.0);
}

} // namespace tarnova
