#include "editor/row_sort.h"

#include "editor/cell_number.h"
#include "editor/editor_port.h"
#include "editor/grid_model.h"
#include "editor/sheet_history.h"
#include "platform/user_interface_port.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numeric>
#include <string_view>
#include <vector>

namespace tarnova {
namespace {

constexpr int kSortKeyCount = 5;

int columnOf(SortKey key) {
    switch (key) {
    case SortKey::Label:
        return kElemColumn;
    case SortKey::Time:
        return kTimeColumn;
    case SortKey::Peak:
        return kPeakColumn;
    case SortKey::Range:
        return kRangeColumn;
    case SortKey::Height:
        return kHeightColumn;
    }
    return kElemColumn;
}

std::size_t leadingBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? text.size() : first;
}

bool isBlank(std::string_view text) {
    return leadingBlanks(text) == text.size();
}

bool labelPrecedes(std::string_view a, std::string_view b, bool descending) {
    const std::size_t blanksA = leadingBlanks(a);
    const std::size_t blanksB = leadingBlanks(b);
    if (blanksA != blanksB) {
        return blanksA < blanksB;
    }
    const bool blankA = blanksA == a.size();
    const bool blankB = blanksB == b.size();
    if (blankA || blankB) {
        return blankB && !blankA;
    }
    // Byte order, as the labels' code page 932 bytes compare.
    return descending ? b < a : a < b;
}

bool valuePrecedes(double a, double b, bool descending) {
    const bool unreadableA = std::isnan(a);
    const bool unreadableB = std::isnan(b);
    if (unreadableA || unreadableB) {
        return unreadableB && !unreadableA;
    }
    return descending ? a > b : a < b;
}

} // namespace

std::optional<SortOrder> DecodeSortChoice(int code) {
    if (code < 1 || code > 2 * kSortKeyCount) {
        return std::nullopt;
    }
    return SortOrder{static_cast<SortKey>((code - 1) / 2), (code - 1) % 2 == 1};
}

bool SortPrecedes(const RowSortKey* a, const RowSortKey* b, SortOrder order) {
    if (a == nullptr || b == nullptr) {
        return b == nullptr && a != nullptr;
    }
    if (order.key == SortKey::Label) {
        return labelPrecedes(a->label, b->label, order.descending);
    }
    const bool blankA = isBlank(a->label);
    const bool blankB = isBlank(b->label);
    if (blankA || blankB) {
        return blankB && !blankA;
    }
    return valuePrecedes(a->value, b->value, order.descending);
}

void SortRows(GridModel& grid, EditorPort& port) {
    if (grid.GetRowCount() == 0) {
        return;
    }
    const std::optional<SortOrder> order = port.chooseSortOrder();
    if (!order) {
        return;
    }
    grid.CommitEdit(grid.cursorRow(), grid.cursorColumn());
    // The cells' texts are made once per row, not once per comparison. The new order is kept
    // as the former place of each row, so that sorting can be undone.
    const auto rowCount = static_cast<std::size_t>(grid.GetRowCount());
    const int column = columnOf(order->key);
    std::vector<std::optional<RowSortKey>> keys;
    RowsReordered reordered;
    try {
        keys.resize(rowCount);
        for (std::size_t i = 0; i < rowCount; ++i) {
            const EditorRow* row = grid.row(static_cast<int>(i));
            if (row == nullptr) {
                continue;
            }
            RowSortKey& key = keys[i].emplace();
            key.label = grid.cellText(*row, kElemColumn);
            if (column != kElemColumn) {
                key.value = cellNumber(grid.cellText(*row, column));
            }
        }
        reordered.formerIndex.resize(rowCount);
    } catch (const std::bad_alloc&) {
        grid.port().beep();
        return;
    }
    const auto keyOf = [&](std::size_t index) { return keys[index] ? &*keys[index] : nullptr; };
    std::iota(reordered.formerIndex.begin(), reordered.formerIndex.end(), std::size_t{0});
    std::stable_sort(
        reordered.formerIndex.begin(), reordered.formerIndex.end(),
        [&](std::size_t a, std::size_t b) { return SortPrecedes(keyOf(a), keyOf(b), *order); });
    if (!std::is_sorted(reordered.formerIndex.begin(), reordered.formerIndex.end())) {
        try {
            grid.reorderRows(reordered.formerIndex, false);
        } catch (const std::bad_alloc&) {
            grid.port().beep();
            return;
        }
        grid.recordChange({std::move(reordered), false});
    }
    grid.loadEditBuffer(grid.cursorRow(), grid.cursorColumn());
    grid.view().repaintAll();
}

} // namespace tarnova
