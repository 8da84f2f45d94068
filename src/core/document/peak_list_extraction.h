// The compact list of peaks that calculations, saving and printing take from the editor:
// labels and numbers read back from the cell texts.
#pragma once

#include "data/peak_sheet.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova {

class GridModel;

// Commits the pending cell edit, then reads every row whose label field is not empty: its
// label as recognised by recognizedLabel and its Time, Height and Range texts as numbers are
// written into the row's peak, and the peak is copied into the list, in editor order. None
// (with a run-log line) when the editor has no rows, a label cannot be recognised, or no row
// has a label; the rows read before a failure keep their re-read values.
std::optional<std::vector<PeakRecord>> ExtractPeakList(GridModel& grid);

// The label in an Elem text: after leading white space, the longest run of digits, letters,
// "+" to "=" in code order, "!", "#", "$", "%", "&" and blanks, cut to kMaxLabelLength; none
// when the run is empty ("(Ar40" has no label; "Ar40*" gives Ar40; "Ar 40" keeps its blank).
std::optional<std::string> recognizedLabel(std::string_view text);

// The peak order for sorting by time: negative when a is earlier, zero for equal times,
// positive when a is later.
int PeakTimeOrder(const PeakRecord& a, const PeakRecord& b);
// Sorts peaks by time (peaks without a time, NaN, go last); equal times keep their order.
void SortPeaksByTime(std::vector<PeakRecord>& peaks);

} // namespace tarnova
