// The text layout of one result sheet and the table of its data points, drawn on any surface:
// the result window, printed result pages and reports.
#pragma once

#include "calc/regression_method.h"
#include "calc/result_table.h"
#include "data/peak_sheet.h"
#include "platform/surface.h"
#include "settings/settings.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarnova {

// The describe operation of a regression method: draws the formula block of a fit.
using DescribeOperation = decltype(RegressionMethod::describe);

// The name of the measurement shown on a sheet (code page 932 bytes): the NAME of a DAT note;
// for a PKS note the text of the first comment tagged exactly "NAME", else of the first
// comment; none for a PKS note without comments.
std::optional<std::string> NoteDataName(const DataNote& note);

// Draws the sheet of result from (area.left, area.top) down, with the lines that resultFlags
// switch on (settings.h, ResultFlag) and the numbers as calcFlags shape them (CalcFlag::Conf95,
// CalcFlag::UseStdDev). note may be null. describe draws the formula block; the result window and
// the print jobs hand the linear method's (RegressionMethods()[0].describe), which hands a fit
// of another method to that method's. A failed fit shows its reason there. On return
// area.top lies one line below the last line drawn.
void DrawResultSheet(Surface& surface, SurfaceRect& area, const RegressionResult& result,
                     const DataNote* note, CalcFlags calcFlags, ResultFlags resultFlags,
                     DescribeOperation describe);

// The room DrawResultSheet needs for the sheet of result when it draws it from (0, 0) in the
// font measured by metrics and textWidth: x is the right of its widest line plus one average
// character width, y the line below its last line.
SurfacePoint ResultSheetExtent(FontMetrics metrics,
                               const std::function<int(std::string_view)>& textWidth,
                               const RegressionResult& result, const DataNote* note,
                               CalcFlags calcFlags, ResultFlags resultFlags,
                               DescribeOperation describe);

// Draws the enabled points among points[first] up to (not including) points[limit] (limit <= 0:
// to the end) as the two columns "時刻" and "データ" from (area.left, area.top) down; on return
// area.top lies below the last row.
void DrawDataPointTable(Surface& surface, SurfaceRect& area, std::span<const DataPoint> points,
                        int first, int limit);

} // namespace tarnova
