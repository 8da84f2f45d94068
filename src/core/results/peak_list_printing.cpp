#include "results/peak_list_printing.h"

#include "document/peak_list_extraction.h"
#include "editor/grid_model.h"
#include "platform/codepage.h"
#include "platform/text_format.h"
#include "results/page_layout.h"
#include "results/print_job.h"
#include "results/printer_selection.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace tarnova {
namespace {

// A cell's text after one blank, built by appending (GCC 12 at -O3 misreads " " + text as
// overlapping copies).
std::string leadingBlank(const std::string& text) {
    std::string cell = " ";
    cell += text;
    return cell;
}

constexpr std::array<const char*, kGridColumnCount> kHeadings{"No.",    "Element", "Time",
                                                              "Height", "Range",   "Peak"};

// The text of one cell of a row: a blank, then the value right-aligned in the column's width.
std::string cellText(int column, const PeakRecord& peak, int number, const ColumnFormat& format) {
    switch (column) {
    case kNumColumn:
        return formatText(" %*d", format.width, number);
    case kElemColumn:
        return cp932ToUtf8(formatText(" %*s", format.width, peak.elem.c_str()));
    case kTimeColumn:
        return leadingBlank(formatFixed(peak.time, format.width, format.decimals));
    case kHeightColumn:
        return leadingBlank(formatFixed(peak.height, format.width, format.decimals));
    case kRangeColumn:
        return leadingBlank(formatFixed(peak.range, format.width, format.decimals));
    default:
        return leadingBlank(formatExponent(peak.peakValue(), format.width, format.decimals));
    }
}

// The columns printed on a page pageWidth wide: Height and Range only when all six fit
// between margins of four character widths.
std::vector<int> printedColumns(int pageWidth, int charWidth, const ColumnFormats& formats) {
    long long total = 0;
    for (const ColumnFormat& format : formats) {
        total += format.width + 2;
    }
    const bool amounts = total * charWidth < static_cast<long long>(pageWidth) - 8LL * charWidth;
    std::vector<int> columns{kNumColumn, kElemColumn, kTimeColumn};
    if (amounts) {
        columns.push_back(kHeightColumn);
        columns.push_back(kRangeColumn);
    }
    columns.push_back(kPeakColumn);
    return columns;
}

} // namespace

void DrawPeakListPage(Surface& surface, int pageWidth, std::span<const PeakRecord> peaks,
                      int firstNumber, int pageNumber, const ColumnFormats& formats) {
    const FontMetrics metrics = surface.fontMetrics();
    const int w = metrics.averageCharWidth;
    const int h = metrics.lineHeight;
    const std::vector<int> columns = printedColumns(pageWidth, w, formats);
    const int left = 4 * w;
    std::vector<int> columnEnds;
    int x = left;
    for (const int column : columns) {
        x += (formats[static_cast<std::size_t>(column)].width + 2) * w;
        columnEnds.push_back(x);
    }
    const int right = x;
    const int top = 4 * h;
    const int bottom = 5 * h + 1 + static_cast<int>(peaks.size()) * h;

    // The frame first: it is filled, and would hide the texts drawn before it.
    surface.drawRectangle({left, top, right, bottom});
    surface.drawText({left, 2 * h}, "Tarnova");
    surface.drawTextInRect({left, 2 * h, pageWidth - 4 * w, 3 * h},
                           formatText("Page %d", pageNumber), HorizontalAlignment::Right);

    x = left;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const auto column = static_cast<std::size_t>(columns[i]);
        surface.drawText({x, top},
                         formatText("%-*s", formats[column].width + 1, kHeadings[column]));
        x = columnEnds[i];
    }
    int y = 5 * h + 1;
    for (std::size_t row = 0; row < peaks.size(); ++row) {
        x = left;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const int column = columns[i];
            surface.drawText({x, y},
                             cellText(column, peaks[row], firstNumber + static_cast<int>(row),
                                      formats[static_cast<std::size_t>(column)]));
            x = columnEnds[i];
        }
        y += h;
    }
    for (std::size_t i = 0; i + 1 < columnEnds.size(); ++i) {
        surface.drawLine({columnEnds[i], top}, {columnEnds[i], bottom});
    }
    surface.drawLine({left, 5 * h}, {right, 5 * h});
}

bool PrintPeakList(PrintEnvironment& environment, GridModel& grid) {
    const std::optional<std::vector<PeakRecord>> peaks = ExtractPeakList(grid);
    if (!peaks) {
        environment.ui.showMessage("Tarnova", "ピークデータが取得できません。");
        return false;
    }
    const std::unique_ptr<PrinterSurface> printer = GetPrinterSurface(environment);
    if (!printer) {
        return false;
    }
    PrintJob job(*printer, environment.ui);
    if (!job.start(kPeakListJobTitle, "プリントジョブを開始できませんでした。")) {
        return false;
    }
    ColumnFormats formats{};
    for (int column = kNumColumn; column <= kPeakColumn; ++column) {
        ColumnFormat& format = formats[static_cast<std::size_t>(column)];
        format.width = grid.GetColumnFormat(column, format.decimals);
    }
    const std::size_t rowsPerPage = static_cast<std::size_t>(
        PeakListRowsPerPage(job.metrics().heightPx, job.page().fontMetrics().lineHeight));
    const std::span<const PeakRecord> all(*peaks);
    int pageNumber = 1;
    for (std::size_t first = 0; first < all.size(); first += rowsPerPage, ++pageNumber) {
        if (!job.newPage()) {
            break;
        }
        DrawPeakListPage(job.page(), job.metrics().widthPx,
                         all.subspan(first, std::min(rowsPerPage, all.size() - first)),
                         static_cast<int>(first) + 1, pageNumber, formats);
    }
    return job.finish();
}

} // namespace tarnova
