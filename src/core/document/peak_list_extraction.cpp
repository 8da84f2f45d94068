#include "document/peak_list_extraction.h"

#include "editor/grid_model.h"
#include "platform/run_log.h"
#include "platform/text_format.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>

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

// What the peaks are taken for: a calculation (or a printed list) uses recognised labels, a
// save writes an unedited label as it is.
enum class PeakUse { Calculation, Save };

bool holdsValues(const EditorRow& row) {
    return GridModel::cellValue(row, kTimeColumn) != 0.0 ||
           GridModel::cellValue(row, kHeightColumn) != 0.0 ||
           GridModel::cellValue(row, kRangeColumn) != 0.0;
}

double PeakRecord::*numberField(int column) {
    switch (column) {
    case kTimeColumn:
        return &PeakRecord::time;
    case kHeightColumn:
        return &PeakRecord::height;
    default:
        return &PeakRecord::range;
    }
}

// The recognised label of each peak label met in one extraction: a long sheet repeats a few
// labels, whose texts are then read once.
using RecognizedLabels = std::unordered_map<std::uint32_t, std::optional<PeakLabel>>;

std::optional<PeakLabel> recognizedPeakLabel(std::string_view text) {
    if (std::optional<std::string> name = recognizedLabel(text)) {
        return PeakLabel(*name);
    }
    return std::nullopt;
}

// Reads a peak row. Its peak takes over the values of the edited cells and keeps its own for
// the others, which keep the full precision the file gave them: the column formats change only
// what the cells show. The label is that of the label cell when it was edited, the peak's own
// otherwise; a calculation takes the recognised part of it. None when a label must be
// recognised and cannot be.
std::optional<PeakRecord> readPeakRow(GridModel& grid, int index, const std::string& labelText,
                                      PeakUse use, RecognizedLabels& recognized) {
    const EditorRow& row = *grid.row(index);
    const bool labelEdited = !GridModel::isCellUnedited(row, kElemColumn);
    PeakRecord kept = row.peak;
    PeakLabel label = kept.elem;
    if (labelEdited || use == PeakUse::Calculation) {
        std::optional<PeakLabel> name;
        if (labelEdited) {
            name = recognizedPeakLabel(labelText);
        } else {
            const auto [known, added] = recognized.try_emplace(kept.elem.id());
            if (added) {
                known->second = recognizedPeakLabel(kept.elem.str());
            }
            name = known->second;
        }
        if (!name) {
            LogLine("Impossible to recognize name.");
            return std::nullopt;
        }
        label = *name;
    }
    if (!row.typed.empty()) {
        if (labelEdited) {
            kept.elem = label;
        }
        for (const int column : {kTimeColumn, kHeightColumn, kRangeColumn}) {
            if (!GridModel::isCellUnedited(row, column)) {
                kept.*numberField(column) = GridModel::cellValue(row, column);
            }
        }
        grid.takePeak(index, kept);
    }
    PeakRecord read = kept;
    read.elem = label;
    return read;
}

std::optional<SheetPeaks> extractPeaks(GridModel& grid, PeakUse use) {
    grid.CommitEdit(grid.cursorRow(), grid.cursorColumn());
    if (grid.GetRowCount() == 0) {
        LogLine("No retrievable peak.");
        return std::nullopt;
    }
    const int labelWidth = grid.columnFormat(kElemColumn).width;
    SheetPeaks sheet;
    // Room for every row at once: a table grown step by step would hold up to twice its size
    // while it is copied.
    sheet.peaks.reserve(static_cast<std::size_t>(grid.GetRowCount()));
    // Two lines per row, formatted only while the run log can show them: a sheet of a million
    // rows would otherwise spend a good part of its time on dropped text.
    const bool logged = runLog().isOpen();
    RecognizedLabels recognized;
    for (int index = 0; index < grid.GetRowCount(); ++index) {
        const EditorRow* row = grid.row(index);
        const std::string label = grid.cellText(index, kElemColumn);
        const bool peak = row != nullptr && isPeakRow(label, labelWidth);
        if (logged) {
            LogLine(formatText("%s, %d, %s", label.c_str(), labelWidth - 1, peak ? "YES" : "NO"));
        }
        if (!peak) {
            if (row != nullptr && holdsValues(*row)) {
                sheet.unlabelledRows.push_back(index);
            }
            continue;
        }
        if (logged) {
            LogLine(formatText("%d, %s, %s, %s, %s", index + 1, label.c_str(),
                               grid.cellText(*row, kTimeColumn).c_str(),
                               grid.cellText(*row, kHeightColumn).c_str(),
                               grid.cellText(*row, kRangeColumn).c_str()));
        }
        std::optional<PeakRecord> read = readPeakRow(grid, index, label, use, recognized);
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
    std::optional<SheetPeaks> sheet = extractPeaks(grid, PeakUse::Calculation);
    if (!sheet) {
        return std::nullopt;
    }
    return std::move(sheet->peaks);
}

std::optional<SheetPeaks> ExtractPeaksToSave(GridModel& grid) {
    return extractPeaks(grid, PeakUse::Save);
}

std::weak_ordering PeakTimeOrder(const PeakRecord& a, const PeakRecord& b) {
    if (timeBefore(a, b)) {
        return std::weak_ordering::less;
    }
    return timeBefore(b, a) ? std::weak_ordering::greater : std::weak_ordering::equivalent;
}

void SortPeaksByTime(std::vector<PeakRecord>& peaks) {
    // A measurement arrives in time order: one look at each neighbour then spares the sort,
    // whose result would be the same order.
    if (std::is_sorted(peaks.begin(), peaks.end(), timeBefore)) {
        return;
    }
    std::stable_sort(peaks.begin(), peaks.end(), timeBefore);
}

} // namespace tarnova
