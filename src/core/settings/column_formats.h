// The column formats of the peak editor grid as plain values: the width of each column in
// characters and the decimals of its numbers. The options keep them; the grid shows with them.
#pragma once

#include <array>

namespace tarnova {

// Column indexes of the grid.
enum GridColumn : int {
    kNumColumn = 0,
    kElemColumn = 1,
    kTimeColumn = 2,
    kHeightColumn = 3,
    kRangeColumn = 4,
    kPeakColumn = 5,
};
inline constexpr int kGridColumnCount = 6;

// Widest column accepted: wider formats could not be shown and would only waste memory.
inline constexpr int kMaxColumnWidth = 255;

struct ColumnFormat {
    int width = 0;
    int decimals = 0;
    bool operator==(const ColumnFormat&) const = default;
};

using ColumnFormats = std::array<ColumnFormat, kGridColumnCount>;

// The formats the grid starts with, until the settings are read.
inline constexpr ColumnFormats kBuiltInColumnFormats{{
    {4, 0},  // Num
    {7, 0},  // Elem
    {8, 2},  // Time
    {5, 3},  // Height
    {7, 4},  // Range
    {10, 3}, // Peak
}};

// A width from 1 to kMaxColumnWidth; Num and Elem take no decimals, the number columns at least
// one and fewer than the width.
constexpr bool isValidColumnFormat(int column, int width, int decimals) {
    if (column < kNumColumn || column > kPeakColumn || width < 1 || width > kMaxColumnWidth) {
        return false;
    }
    if (column == kNumColumn || column == kElemColumn) {
        return decimals == 0;
    }
    return decimals >= 1 && decimals <= width - 1;
}

} // namespace tarnova
