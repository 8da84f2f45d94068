// Enabling and disabling the data points of one result sheet from the result views (a click on
// the graph, the Toggle dialog "データポイントの選択", Enable All), each followed at once by a
// new fit of that sheet alone.
#pragma once

#include "calc/result_table.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarnova {

struct CalcState;

// The record of sheet, or none when the number names no sheet of the table (below 0, past the
// end, or no table at all, as after "Redo calicuration excluding disabled").
RegressionResult* SheetRecord(CalcState& state, int sheet);

// The record's points as it holds them: none for a failed record, whatever pointCount says.
std::span<DataPoint> PointsOf(RegressionResult& record);
std::span<const DataPoint> PointsOf(const RegressionResult& record);

// Fits the sheet anew from its active points: the old line is released, the statistics are
// computed and, when there is an active point, the line is fitted, as the calculation does.
void RefitRecord(RegressionResult& record);

// Edit -> Regression -> a method: the sheet's record is fitted by method from now on (kept by
// name for a recalculation of the table) and refitted at once. False when sheet names no
// record or method no method.
bool SetSheetMethod(CalcState& state, int sheet, std::uint32_t method);

// The flags of a point the user enables (enable) or disables: a point that changes becomes the
// user's choice, whatever excluded it before; one left as it was keeps its reason.
PointFlags ChosenPointFlags(PointFlags flags, bool enable);

enum class PointButton { Left, Right };

// A point the user enables or disables is the user's choice from then on: the reason of an
// earlier exclusion is cleared, and a point enabled again is marked PointFlag::KeptByUser, which
// the outlier filter never disables. None of these refits runs the filter.

// A click on point index of record: the left button toggles the point, the right button only
// disables an enabled one. The record is refitted when the point changed. True when it did.
bool ClickDataPoint(RegressionResult& record, int index, PointButton button);

// Enables every point of the record and refits it; no point stays marked as kept in.
void EnableAllDataPoints(RegressionResult& record);

// Edit -> Data Points -> Filter Outliers: the calculation's outlier filter run afresh on the
// sheet's record (RefilterOutliers: the filter's earlier exclusions given back, the user's
// choices kept), which is refitted. The number of points disabled; none when sheet names no
// record.
std::optional<int> FilterSheetOutliers(CalcState& state, int sheet);

// The lines of the Toggle dialog's list, one per point: "%d: %G - %.4G" with the point's
// number counted from 1, its time and its value.
std::vector<std::string> ToggleListLines(const RegressionResult& record);
// Which points are enabled: the items the dialog selects when it opens.
std::vector<bool> EnabledPoints(const RegressionResult& record);
// "決定" of the Toggle dialog: a selected point is enabled, any other disabled; then the record
// is refitted. Items past the end of selected count as not selected.
void ApplyEnabledPoints(RegressionResult& record, const std::vector<bool>& selected);

} // namespace tarnova
