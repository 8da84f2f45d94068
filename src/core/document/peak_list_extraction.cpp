#include "document/peak_list_extraction.h"

#include "editor/cell_number.h"
#include "editor/grid_model.h"
#include "platform/run_log.h"
#include "platform/text_format.h"

#include <algorithm>
#include <cmath>

namespace tarnova {
namespace {

bool isLabelCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           (c >= '+' && c <= '=') || c == '!' || c == '#' || c == '$' || c == '%' || c == '&' ||
           c == ' ';
}

// A row is a peak when the last character of its right-aligned label field is not a blank.
bool isPeakRow(std::string_view labelText, int labelWidth) {
    const auto last = static_cast<std::size_t>(labelWidth - 1);
    return last < labelText.size() && labelText[last] != ' ';
}

bool timeBefore(const PeakRecord& a, const PeakRecord& b) {
    if (std::isnan(b.time)) {
        return !std::isnan(a.time);
    }
    return a.time < b.time;
}

} // namespace

std::optional<std::string> recognizedLabel(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start])) != 0) {
        ++start;
    }
    std::size_t end = start;
    while (end < text.size() && isLabelCharacter(text[end])) {
        ++end;
    }
    if (end == start) {
        return std::nullopt;
    }
    return std::string(text.substr(start, std::min(end - start, kMaxLabelLength)));
}

namespace {

enum class PeakValues { AsShown, AsKept };

bool holdsValues(const GridModel& grid, const EditorRow& row) {
    return grid.cellValue(row, kTimeColumn) != 0.0 || grid.cellValue(row, kHeightColumn) != 0.0 ||
           grid.cellValue(row, kRangeColumn) != 0.0;
}

// Reads a peak row. Its peak takes over the values of the edited cells and keeps its own for
// the others (they then keep their full precision); the result has the values as the cells
// show them, or as the peak now keeps them. None when a label must be read from its text and
// cannot be recognised.
std::optional<PeakRecord> readPeakRow(const GridModel& grid, EditorRow& row,
                                      const std::string& labelText, PeakValues values) {
    const bool labelEdited = !grid.isCellUnedited(row, kElemColumn);
    const bool timeEdited = !grid.isCellUnedited(row, kTimeColumn);
    const bool heightEdited = !grid.isCellUnedited(row, kHeightColumn);
    const bool rangeEdited = !grid.isCellUnedited(row, kRangeColumn);
    PeakRecord shown = row.peak;
    if (labelEdited || values == PeakValues::AsShown) {
        std::optional<std::string> name = recognizedLabel(labelText);
        if (!name) {
            LogLine("Impossible to recognize name.");
            return std::nullopt;
        }
        shown.elem = std::move(*name);
    }
    shown.time = cellNumber(row.cell(kTimeColumn));
    shown.height = cellNumber(row.cell(kHeightColumn));
    shown.range = cellNumber(row.cell(kRangeColumn));
    PeakRecord& kept = row.peak;
    if (labelEdited) {
        kept.elem = shown.elem;
    }
    if (timeEdited) {
        kept.time = shown.time;
    }
    if (heightEdited) {
        kept.height = shown.height;
    }
    if (rangeEdited) {
        kept.range = shown.range;
    }
    return values == PeakValues::AsShown ? shown : kept;
}

std::optional<SheetPeaks> extractPeaks(GridModel& grid, PeakValues values) {
    grid.CommitEdit(grid.cursorRow(), grid.cursorColumn());
    if (grid.GetRowCount() == 0) {
        LogLine("No retrievable peak.");
        return std::nullopt;
    }
    const int labelWidth = grid.columnFormat(kElemColumn).width;
    SheetPeaks sheet;
    // Two lines per row, formatted only while the run log can show them: a sheet of a million
    // rows would otherwise spend a good part of its time on dropped text.
    const bool logged = runLog().isOpen();
    for (int index = 0; index < grid.GetRowCount(); ++index) {
        EditorRow* row = grid.row(index);
        const std::string label = grid.cellText(index, kElemColumn);
        const bool peak = row != nullptr && isPeakRow(label, labelWidth);
        if (logged) {
            LogLine(formatText("%s, %d, %s", label.c_str(), labelWidth - 1, peak ? "YES" : "NO"));
        }
        if (!peak) {
            if (row != nullptr && holdsValues(grid, *row)) {
                sheet.unlabelledRows.push_back(index);
            }
            continue;
        }
        if (logged) {
            LogLine(formatText("%d, %s, %s, %s, %s", index + 1, label.c_str(),
                               row->cell(kTimeColumn).c_str(), row->cell(kHeightColumn).c_str(),
                               row->cell(kRangeColumn).c_str()));
        }
        std::optional<PeakRecord> read = readPeakRow(grid, *row, label, values);
        if (!read) {
            return std::nullopt;
        }
        sheet.peaks.push_back(std::move(*read));
        sheet.peakRows.push_back(index);
    }
    if (sheet.peaks.empty()) {
        LogLine("Too few item to retrievable.");
        return std::nullopt;
    }
    return sheet;
}

} // namespace

std::optional<std::vector<PeakRecord>> ExtractPeakList(GridModel& grid) {
    std::optional<SheetPeaks> sheet = extractPeaks(grid, PeakValues::AsShown);
    if (!sheet) {
        return std::nullopt;
    }
    return std::move(sheet->peaks);
}

std::optional<SheetPeaks> ExtractPeaksToSave(GridModel& grid) {
    return extractPeaks(grid, PeakValues::AsKept);
}

int PeakTimeOrder(const PeakRecord& a, const PeakRecord& b) {
    if (timeBefore(a, b)) {
        return -1;
    }
    return timeBefore(b, a) ? 1 : 0;
}

void SortPeaksByTime(std::vector<PeakRecord>& peaks) {
    std::stable_sort(peaks.begin(), peaks.end(), timeBefore);
}

} // namespace tarnova
