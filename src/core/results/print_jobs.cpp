#include "results/print_jobs.h"

#include "calc/reduction_keeping.h"
#include "calc/regression_method.h"
#include "platform/codepage.h"
#include "platform/text_format.h"
#include "results/graph.h"
#include "results/page_layout.h"
#include "results/print_job.h"
#include "results/printer_selection.h"
#include "results/result_sheet.h"
#include "settings/settings.h"

#include <cmath>

namespace tarnova {
namespace {

int truncated(double value) {
    return static_cast<int>(std::trunc(value));
}

// Opens the printer and the document, runs drawSheet on a new page for each sheet and closes
// the document. drawSheet may turn to further pages; it returns false when one was refused.
template <typename DrawSheet>
bool printSheets(PrintEnvironment& environment, const char* title,
                 std::span<RegressionResult> sheets, DrawSheet&& drawSheet) {
    if (sheets.empty()) {
        return false;
    }
    const std::unique_ptr<PrinterSurface> printer = GetPrinterSurface(environment);
    if (!printer) {
        return false;
    }
    PrintJob job(*printer, environment.ui);
    if (!job.start(title, kPrinterError)) {
        return false;
    }
    for (RegressionResult& sheet : sheets) {
        if (!job.newPage() || !drawSheet(job, sheet)) {
            break;
        }
    }
    return job.finish();
}

// The first enabled point at or after index from, or the end of the points.
std::size_t firstEnabledPoint(std::span<const DataPoint> points, std::size_t from) {
    while (from < points.size() && !points[from].isActive()) {
        ++from;
    }
    return from;
}

// The end of the points from first that fit on the page below y: the index of the first
// enabled point whose row would not begin above bottom, or the end of the points.
std::size_t pointsFittingBelow(std::span<const DataPoint> points, std::size_t first, int y,
                               int lineHeight, int bottom) {
    // Below the heading and its rule.
    long long rowTop = static_cast<long long>(y) + 2LL * lineHeight;
    for (std::size_t i = first; i < points.size(); ++i) {
        if (!points[i].isActive()) {
            continue;
        }
        if (rowTop >= bottom) {
            return i;
        }
        rowTop += lineHeight;
    }
    return points.size();
}

// The enabled data points of sheet as tables from y down, continued on new pages, each with its
// heading. A page that holds no row at all is not begun with a table: the table moves on to
// a new page, and a new page holds at least one row, so the job always ends.
bool printDataPoints(PrintJob& job, const RegressionResult& sheet, const SurfaceRect& area,
                     int& y) {
    const std::span<const DataPoint> points =
        sheet.points ? std::span<const DataPoint>(*sheet.points) : std::span<const DataPoint>();
    const int h = job.page().fontMetrics().lineHeight;
    std::size_t first = 0;
    bool freshPage = y == area.top;
    for (;;) {
        std::size_t end = pointsFittingBelow(points, first, y, h, area.bottom);
        if (end < points.size() && firstEnabledPoint(points, first) == end) {
            if (!freshPage) {
                if (!job.newPage()) {
                    return false;
                }
                y = area.top;
                freshPage = true;
                continue;
            }
            ++end;
        }
        SurfaceRect table = area;
        table.top = y;
        DrawDataPointTable(job.page(), table, points, static_cast<int>(first),
                           static_cast<int>(end));
        y = table.top;
        if (end >= points.size()) {
            return true;
        }
        if (!job.newPage()) {
            return false;
        }
        y = area.top;
        freshPage = true;
        first = end;
    }
}

struct ReportContent {
    const DataNote* note;
    CalcFlags calcFlags;
    ResultFlags resultFlags;
    ReportOptions options;
    std::span<const PeakRecord> peaks;
};

bool printReport(PrintJob& job, RegressionResult& sheet, const ReportContent& content) {
    const PageMetrics& metrics = job.metrics();
    const PageScale scale = ScaleOfPage(metrics);
    const SurfaceRect area = SheetPageArea(metrics);
    const int gap = truncated(scale.cy);
    Surface& page = job.page();
    int y = area.top;
    if (content.note != nullptr) {
        if (const std::string name = content.note->fileName(); !name.empty()) {
            page.drawText({area.left, y}, cp932ToUtf8(name));
            y += gap;
        }
    }
    if (const ExclusionCount excluded = CountExclusions(sheet, content.peaks); excluded.any()) {
        page.drawText({area.left, y}, formatText("除外したポイント: 手動 %d, フィルタ %d",
                                                 excluded.byHand, excluded.byFilter));
        y += gap;
    }
    if (content.options.result) {
        SurfaceRect text = area;
        text.top = y;
        DrawResultSheet(page, text, sheet, content.note, content.calcFlags, content.resultFlags,
                        RegressionMethods()[0].describe);
        y = text.top + gap;
    }
    if (content.options.dataPoints) {
        if (!printDataPoints(job, sheet, area, y)) {
            return false;
        }
        y += gap;
    }
    if (content.options.graph) {
        if (ReportGraphNeedsNewPage(metrics, area, y)) {
            if (!job.newPage()) {
                return false;
            }
            y = area.top;
        }
        const SurfaceRect box = FitGraphBox({area.left, y, area.right, area.bottom}, scale);
        if (box.right > box.left && box.bottom > box.top) {
            DrawGraph(job.page(), box, sheet, content.resultFlags, nullptr, nullptr);
        }
    }
    return true;
}

} // namespace

bool PrintResults(PrintEnvironment& environment, std::span<RegressionResult> sheets,
                  const DataNote* note, CalcFlags calcFlags, ResultFlags resultFlags) {
    return printSheets(environment, kResultJobTitle, sheets,
                       [&](PrintJob& job, RegressionResult& sheet) {
                           SurfaceRect area = SheetPageArea(job.metrics());
                           DrawResultSheet(job.page(), area, sheet, note, calcFlags, resultFlags,
                                           RegressionMethods()[0].describe);
                           return true;
                       });
}

bool PrintGraphs(PrintEnvironment& environment, std::span<RegressionResult> sheets,
                 ResultFlags resultFlags) {
    return printSheets(
        environment, kGraphJobTitle, sheets, [&](PrintJob& job, RegressionResult& sheet) {
            const SurfaceRect box =
                FitGraphBox(SheetPageArea(job.metrics()), ScaleOfPage(job.metrics()));
            if (box.right > box.left && box.bottom > box.top) {
                DrawGraph(job.page(), box, sheet, resultFlags, nullptr, nullptr);
            }
            return true;
        });
}

ReportOptions ReportOptionsOf(ReportFlags reportFlags) {
    return {reportFlags.test(ReportFlag::Result), reportFlags.test(ReportFlag::DataPoints),
            reportFlags.test(ReportFlag::Graph)};
}

bool MakeReports(PrintEnvironment& environment, std::span<RegressionResult> sheets,
                 const DataNote* note, CalcFlags calcFlags, ResultFlags resultFlags,
                 ReportFlags reportFlags, const AskReportOptions& dialog,
                 std::span<const PeakRecord> peaks) {
    constexpr ReportFlags kReportItems =
        ReportFlag::Result | ReportFlag::DataPoints | ReportFlag::Graph | ReportFlag::Reconfirm;
    if (!reportFlags.test(kReportItems)) {
        environment.ui.showMessage("Tarnova",
                                   "レポートのアイテムがありません。レポートを作成できません。");
        return false;
    }
    ReportContent content{note, calcFlags, resultFlags, ReportOptionsOf(reportFlags), peaks};
    if (!dialog(content.options)) {
        return false;
    }
    return printSheets(
        environment, kResultJobTitle, sheets,
        [&](PrintJob& job, RegressionResult& sheet) { return printReport(job, sheet, content); });
}

} // namespace tarnova
