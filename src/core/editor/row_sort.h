// Sorting the rows of the peak editor grid by a key chosen in the sort dialog ("データの整列").
#pragma once

#include <optional>
#include <string>

namespace tarnova {

class EditorPort;
class GridModel;

// The keys in the order of the dialog's list.
enum class SortKey { Label = 0, Time = 1, Peak = 2, Range = 3, Height = 4 };

struct SortOrder {
    SortKey key = SortKey::Label;
    bool descending = false;
    bool operator==(const SortOrder&) const = default;
};

// The sort dialog's result 2 x key index + 1 for descending + 1; none for 0 (cancelled) or a
// code outside the list.
std::optional<SortOrder> DecodeSortChoice(int code);

// What sorting compares of a row: the text of its label cell and, for a number key, the number
// the text of the key's cell reads as.
struct RowSortKey {
    std::string label;
    double value = 0.0;
};

// Whether row a goes before row b (nullptr: an empty row). Empty rows go last. By label:
// longer labels (fewer leading blanks) first, blank labels last, labels of one length in byte
// order, reversed for descending. By a number: rows with a blank label last, then by the
// value of the key's cell, ascending or descending; unreadable values (NaN) last.
// A strict weak ordering: rows whose keys are equal are equivalent.
bool SortPrecedes(const RowSortKey* a, const RowSortKey* b, SortOrder order);

// Asks for the key and the order, commits the edit and sorts the whole table, empty rows
// included. The cursor stays where it is; the modified mark is not touched.
void SortRows(GridModel& grid, EditorPort& port);

} // namespace tarnova
