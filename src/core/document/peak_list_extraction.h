// The compact list of peaks that calculations, saving and printing take from the editor: the
// peaks of the labelled rows, with what was typed into their cells.
#pragma once

#include "data/peak_sheet.h"

#include <compare>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova {

class GridModel;

// Commits the pending cell edit, then reads every row whose label field is not empty, in
// editor order. An edited cell gives its text's value (or label); an unedited one leaves the
// row's peak its own value at full precision, so the column formats change only what the
// cells show. The row's peak takes over the values of the edited cells. Each label is the part
// of the edited text, or of the peak's own label, that recognizedLabel recognises. None (with
// a run-log line) when the editor has no rows, a label cannot be recognised, or no row has a
// label; the rows read before a failure keep their re-read values.
std::optional<std::vector<PeakRecord>> ExtractPeakList(GridModel& grid);

// The peaks of the sheet as a save writes them.
struct SheetPeaks {
    // The rows with a label, in editor order, with their values as ExtractPeakList reads them.
    std::vector<PeakRecord> peaks;
    std::vector<int> peakRows;       // the row (from 0) of each peak
    std::vector<int> unlabelledRows; // rows without a label that hold a nonzero number
};

// As ExtractPeakList, but an unedited label is taken whole, as a save writes it.
std::optional<SheetPeaks> ExtractPeaksToSave(GridModel& grid);

// The label in an Elem text: after leading white space, the longest run of digits, letters,
// "+" to "=" in code order, "!", "#", "$", "%", "&" and blanks, cut to kMaxLabelLength; none
// when the run is empty ("(Ar40" has no label; "Ar40*" gives Ar40; "Ar 40" keeps its blank).
std::optional<std::string> recognizedLabel(std::string_view text);

// The peak order for sorting by time: less when a is earlier, equivalent for equal times (two
// peaks without a time among them), greater when a is later.
std::weak_ordering PeakTimeOrder(const PeakRecord& a, const PeakRecord& b);
// Sorts peaks by time (peaks without a time, NaN, go last); equal times keep their order.
void SortPeaksByTime(std::vector<PeakRecord>& peaks);

} // namespace tarnova
