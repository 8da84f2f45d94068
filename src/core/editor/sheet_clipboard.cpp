#include "editor/sheet_clipboard.h"

#include "data/peak_value_split.h"
#include "editor/cell_number.h"
#include "editor/grid_model.h"
#include "editor/sheet_history.h"
#include "platform/text_format.h"
#include "platform/text_scanner.h"
#include "platform/user_interface_port.h"

#include <cmath>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace tarnova {
namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

// A field that is one finite number and nothing else.
std::optional<double> numberField(std::string_view field) {
    field = trimmed(field);
    TextScanner scanner(field);
    double value = 0.0;
    if (field.empty() || !scanner.readDouble(value) || !scanner.atEnd() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool isLabelText(std::string_view label) {
    if (label.size() > kMaxLabelLength) {
        return false;
    }
    for (const char c : label) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f') {
            return false;
        }
    }
    return true;
}

// A line read as a peak, or why it cannot be.
struct ReadLine {
    std::optional<PeakRecord> peak;
    const char* problem = "";
};

ReadLine readLine(std::string_view line) {
    std::vector<std::string_view> fields = split(line, '\t');
    // Empty columns at the end, as a spreadsheet may leave them, are no fields.
    while (fields.size() > 3 && trimmed(fields.back()).empty()) {
        fields.pop_back();
    }
    if (fields.size() < 3 || fields.size() > 5) {
        return {std::nullopt, "列の数が3から5ではない"};
    }
    PeakRecord peak;
    const std::string_view label = trimmed(fields[0]);
    if (!isLabelText(label)) {
        return {std::nullopt, "同位体ラベルが長すぎるか制御文字を含む"};
    }
    peak.elem = std::string(label);
    const std::optional<double> time = numberField(fields[1]);
    if (!time) {
        return {std::nullopt, "時刻が数値ではない"};
    }
    peak.time = *time;
    if (fields.size() == 3) {
        const std::optional<double> value = numberField(fields[2]);
        if (!value) {
            return {std::nullopt, "ピークが数値ではない"};
        }
        const HeightAndRange split = splitPksValue(*value);
        peak.height = split.height;
        peak.range = split.range;
        return {peak, ""};
    }
    const std::optional<double> height = numberField(fields[2]);
    if (!height) {
        return {std::nullopt, "ピークハイトが数値ではない"};
    }
    const std::optional<double> range = numberField(fields[3]);
    if (!range) {
        return {std::nullopt, "レンジが数値ではない"};
    }
    peak.height = *height;
    peak.range = *range;
    return {peak, ""};
}

bool isHeadLine(std::string_view line) {
    const std::string_view first = trimmed(split(line, '\t').front());
    return first.size() == 4 && std::equal(first.begin(), first.end(), "elem",
                                           [](char a, char b) { return (a | 0x20) == b; });
}

} // namespace

std::string CopiedRowText(const GridModel& grid, const EditorRow& row) {
    const double height = grid.cellValue(row, kHeightColumn);
    const double range = grid.cellValue(row, kRangeColumn);
    std::string text = grid.isCellUnedited(row, kElemColumn)
                           ? row.peak.elem.str()
                           : cellLabel(grid.cellText(row, kElemColumn));
    for (const double value : {grid.cellValue(row, kTimeColumn), height, range, height * range}) {
        text += '\t';
        text += shortestDecimal(value);
    }
    return text;
}

std::string CopySheetText(GridModel& grid) {
    grid.CommitEdit(grid.cursorRow(), grid.cursorColumn());
    std::string text = "Elem\tTime\tHeight\tRange\tPeak\n";
    for (int index = 0; index < grid.GetRowCount(); ++index) {
        if (const EditorRow* row = grid.row(index)) {
            text += CopiedRowText(grid, *row);
            text += '\n';
        }
    }
    return text;
}

bool PasteSheetText(GridModel& grid, std::string_view text) {
    grid.CommitEdit(grid.cursorRow(), grid.cursorColumn());
    RowsInserted inserted{std::max(grid.cursorRow(), 0), {}};
    try {
        const std::vector<std::string_view> lines = split(text, '\n');
        bool firstLine = true;
        for (std::size_t number = 0; number < lines.size(); ++number) {
            const std::string_view line = lines[number];
            if (trimmed(line).empty()) {
                continue;
            }
            if (std::exchange(firstLine, false) && isHeadLine(line)) {
                continue;
            }
            const ReadLine read = readLine(line);
            if (!read.peak) {
                grid.port().showMessage(
                    "Tarnova",
                    formatText("%zu行目を貼り付けられません(%s)。タブで区切った「同位体ラベル、"
                               "時刻、ピークハイト、レンジ」または「同位体ラベル、時刻、ピー"
                               "ク」の行だけを貼り付けられます。何も貼り付けていません。",
                               number + 1, read.problem));
                return false;
            }
            // A pasted row shows what its peak gives, whatever the formats.
            inserted.rows.emplace_back(EditorRow{std::move(*read.peak), {}});
        }
        if (inserted.rows.empty()) {
            grid.port().beep();
            return false;
        }
        grid.insertRows(std::min(inserted.row, grid.GetRowCount()), inserted.rows);
    } catch (const std::bad_alloc&) {
        grid.port().showMessage("Tarnova", "Not enough core.");
        return false;
    }
    const int first = inserted.row;
    grid.recordChange({std::move(inserted)});
    grid.placeCursor(first, grid.cursorColumn());
    return true;
}

} // namespace tarnova
