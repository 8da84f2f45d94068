// The audit of a calculation's exclusions: why each point or peak is out (by hand, by the outlier
// filter, by an interference correction), and the list of every excluded peak with the records
// it left, which Edit -> Data Points -> Exclusions shows and copies and tarnova-cli prints.
#pragma once

#include "data/peak_sheet.h"
#include "data/stored_reduction.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarnova {

struct CalcState;

// The reason as the dialogs show it: "手動", "フィルタ", "補正" (UTF-8).
const char* ReasonLabel(ExclusionReason reason);

// The state of a point as the Toggle dialog shows it beside the point: "有効" for a point that
// counts, "無効 (手動)" and the like for one that is out (UTF-8).
std::string PointStateText(PeakFlags flags);

struct ExcludedPeak {
    std::uint32_t peak = 0; // index in the calculation's peak list
    ExclusionReason reason = ExclusionReason::Hand;
    std::vector<int> sheets; // the records it left, in table order; may be none
};

// Every excluded peak of the calculation, in the order of the peak list: the peaks behind the
// disabled points of the records, and the disabled peaks of the peak list, which left every
// record of their label that holds no point of them (a ratio drops such a peak, as numerator or
// as denominator). A peak that is out of records for different reasons appears once per reason.
std::vector<ExcludedPeak> ExcludedPeaks(const CalcState& state);

// One excluded peak as the list shows it.
struct ExclusionRow {
    std::string label; // code page 932 bytes
    std::string time;  // "%G" of the time
    ExclusionReason reason = ExclusionReason::Hand;
    std::string records; // the names of the records it left, ", " between them
};
std::vector<ExclusionRow> ExclusionRows(const CalcState& state);

// The list as text: the data name (as copied data points name it), the heads
// "#Label\tTime\tReason\tRecords", and one line per excluded peak with its reason word, each
// line ended by "\r\n". Code page 932 bytes.
std::string ExclusionsText(const CalcState& state, const DataNote* note);

} // namespace tarnova
