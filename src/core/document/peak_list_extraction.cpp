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

std::optional<std::vector<PeakRecord>> ExtractPeakList(GridModel& grid) {
    grid.CommitEdit(grid.cursorRow(), grid.cursorColumn());
    if (grid.GetRowCount() == 0) {
        LogLine("No retrievable peak.");
        return std::nullopt;
    }
    const int labelWidth = grid.columnFormat(kElemColumn).width;
    std::vector<EditorRow*> peakRows;
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
            continue;
        }
        const std::string& time = row->cell(kTimeColumn);
        const std::string& height = row->cell(kHeightColumn);
        const std::string& range = row->cell(kRangeColumn);
        if (logged) {
            LogLine(formatText("%d, %s, %s, %s, %s", index + 1, label.c_str(), time.c_str(),
                               height.c_str(), range.c_str()));
        }
        std::optional<std::string> name = recognizedLabel(label);
        if (!name) {
            LogLine("Impossible to recognize name.");
            return std::nullopt;
        }
        row->peak.elem = std::move(*name);
        row->peak.time = cellNumber(time);
        row->peak.height = cellNumber(height);
        row->peak.range = cellNumber(range);
        peakRows.push_back(row);
    }
    if (peakRows.empty()) {
        LogLine("Too few item to retrievable.");
        return std::nullopt;
    }
    // Exactly the rows read above: a row whose label was blanked keeps an old label in its
    // peak, but it is no peak any more.
    std::vector<PeakRecord> peaks;
    peaks.reserve(peakRows.size());
    for (const EditorRow* row : peakRows) {
        peaks.push_back(row->peak);
    }
    return peaks;
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
