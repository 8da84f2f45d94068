// What of a calculation is kept with its measurement (data/stored_reduction.h): the excluded
// peaks, the method of each record and the outlier filter; how a new calculation takes them up;
// and how many points of a record were excluded, and why.
#pragma once

#include "calc/calc_state.h"
#include "data/stored_reduction.h"
#include "platform/user_interface_port.h"

#include <span>
#include <string>
#include <vector>

namespace tarnova {

// The reduction a save stores. With a calculation: its excluded peaks (a peak is excluded when
// a data point of it is disabled in any record, or, when no record has a point of it, when the
// peak itself is disabled; the reason is the hand's when any of its points was disabled by
// hand), the method of every record (and the methods note stores for records it did not make)
// unless all of them are lines, and the filter when it is on, or "off" when it is off while
// iniFilter (the filter a new calculation takes from the INI file) is on, so that a reload is
// not filtered where the user said no; so a calculation without exclusions, with lines and no
// filter stores nothing. Without a calculation: the entries of note.
StoredReduction ReductionToStore(const CalcState& state, const DataNote* note,
                                 const OutlierFilter& iniFilter);

// Whether two reductions store the same: the same peaks (as MatchExclusions compares them) for
// the same reasons, the same methods and the same filter, in whatever order.
bool SameReduction(const StoredReduction& a, const StoredReduction& b);

// Takes reduction up into a new calculation whose peak list is extracted but not yet sorted:
// the peaks it names are disabled with their reason, its methods are chosen over those of the
// INI file, and its filter replaces state.outlierFilter unless keepFilter (a filter chosen
// explicitly). Returns the entries that name no peak or do not read, as "TAG TEXT" lines.
std::vector<std::string> ApplyStoredReduction(CalcState& state, std::vector<PeakRecord>& peaks,
                                              const StoredReduction& reduction, bool keepFilter);

// Names the entries that were not applied in one message (caption "Tarnova") and one run-log
// line each; nothing when there are none.
void ReportUnappliedEntries(UserInterfacePort& ui, const std::vector<std::string>& entries);

// The points of a record that were excluded by hand and by the filter: its disabled points,
// and for a ratio its numerator peaks that are disabled in peaks (the calculation's peak list,
// ordered by time) where they would have given a point (between two enabled denominator peaks).
struct ExclusionCount {
    int byHand = 0;
    int byFilter = 0;

    bool any() const { return byHand > 0 || byFilter > 0; }
};
ExclusionCount CountExclusions(const RegressionResult& record, std::span<const PeakRecord> peaks);

} // namespace tarnova
