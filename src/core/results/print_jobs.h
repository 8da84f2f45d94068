// The print jobs of result sheets: result pages, graph pages and reports. Each takes a run of
// sheets of the result table (the current sheet alone, or all of them) and goes to the chosen
// printer (printer_selection.h). They answer true when every page reached the printer and false
// when nothing or not everything was printed, after telling the user why.
#pragma once

#include "calc/calc_flags.h"
#include "calc/result_table.h"
#include "data/peak_sheet.h"
#include "results/printer_port.h"
#include "settings/settings.h"

#include <cstdint>
#include <functional>
#include <span>

namespace tarnova {

// The spooler's names of the jobs.
inline constexpr const char* kResultJobTitle = "Tarnova - Result";
inline constexpr const char* kGraphJobTitle = "Tarnova - Graph";

// One page per sheet with the sheet's text, as the result window shows it. note may be null.
bool PrintResults(PrintEnvironment& environment, std::span<RegressionResult> sheets,
                  const DataNote* note, CalcFlags calcFlags, ResultFlags resultFlags);

// One page per sheet with its graph, 16 : 10 in centimetres, at the top of the page's area.
bool PrintGraphs(PrintEnvironment& environment, std::span<RegressionResult> sheets,
                 ResultFlags resultFlags);

// What one report holds: the choices of the report options dialog.
struct ReportOptions {
    bool result = false;     // "計算結果"
    bool dataPoints = false; // "データポイント"
    bool graph = false;      // "グラフ"
    bool operator==(const ReportOptions&) const = default;
};
// The choices that reportFlags (settings.h, ReportFlag) preset.
ReportOptions ReportOptionsOf(ReportFlags reportFlags);

// The report options dialog: shows options, lets the user change them, and returns true when
// the user started the report ("作成開始"), false for "ｷｬﾝｾﾙ".
using AskReportOptions = std::function<bool(ReportOptions& options)>;

// One report per sheet, each beginning on a new page: the file name of note, the sheet's text,
// its enabled data points and its graph, as the dialog (always shown, preset from reportFlags;
// its choices are not written back) asks. False without a message when the dialog was
// cancelled, and with "レポートのアイテムがありません。レポートを作成できません。" when reportFlags
// holds no report item and no reconfirm. peaks is the calculation's peak list: a sheet from
// which points were excluded by hand or by the filter says how many below the file name
// (CountExclusions).
bool MakeReports(PrintEnvironment& environment, std::span<RegressionResult> sheets,
                 const DataNote* note, CalcFlags calcFlags, ResultFlags resultFlags,
                 ReportFlags reportFlags, const AskReportOptions& dialog,
                 std::span<const PeakRecord> peaks = {});

} // namespace tarnova
