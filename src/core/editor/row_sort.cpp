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

bool SortPrecedes(const EditorRow* a, const EditorRow* b, SortOrder order) {
    if (a == nullptr || b == nullptr) {
        return b == nullptr && a != nullptr;
    }
    const std::string& labelA = a->cell(kElemColumn);
    const std::string& labelB = b->cell(kElemColumn);
    if (order.key == SortKey::Label) {
        return labelPrecedes(labelA, labelB, order.descending);
    }
    const bool blankA = isBlank(labelA);
    const bool blankB = isBlank(labelB);
    if (blankA || blankB) {
        return blankB && !blankA;
    }
    const int column = columnOf(order.key);
    return valuePrecedes(cellNumber(a->cell(column)), cellNumber(b->cell(column)),
                         order.descending);
}

void SortRows(GridModel& grid, EditorPort& port) {
    if (grid.GetRowCount() == 0) {
        return;
    }
    const std::optional<SortOrder> order = DecodeSortChoice(port.chooseSortOrder());
    if (!order) {
        return;
    }
    grid.CommitEdit(grid.cursorRow(), grid.cursorColumn());
    GridModel::RowTable& rows = grid.rows();
    // The new order is kept as the former place of each row, so that sorting can be undone.
    RowsReordered reordered;
    GridModel::RowTable sorted;
    try {
        reordered.formerIndex.resize(rows.size());
        sorted.resize(rows.size());
    } catch (const std::bad_alloc&) {
        grid.port().beep();
        return;
    }
    std::iota(reordered.formerIndex.begin(), reordered.formerIndex.end(), std::size_t{0});
    std::stable_sort(reordered.formerIndex.begin(), reordered.formerIndex.end(),
                     [&](std::size_t a, std::size_t b) {
                         return SortPrecedes(rows[a].get(), rows[b].get(), *order);
                     });
    if (!std::is_sorted(reordered.formerIndex.begin(), reordered.formerIndex.end())) {
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            sorted[i] = std::move(rows[reordered.formerIndex[i]]);
        }
        rows = std::move(sorted);
        grid.recordChange({std::move(reordered), false, grid.textFormats()});
    }
    grid.loadEditBuffer(grid.cursorRow(), grid.cursorColumn());
    grid.view().repaintAll();
}

} // namespace tarnova
