#include "editor/grid_editing.h"

#include "editor/cell_entry.h"
#include "editor/grid_model.h"
#include "editor/sheet_history.h"
#include "platform/user_interface_port.h"

#include <algorithm>
#include <climits>
#include <new>
#include <vector>

namespace tarnova {
namespace {

bool isNumberColumn(int column) {
    return column >= kTimeColumn && column <= kRangeColumn;
}

void beep(GridModel& grid) {
    grid.port().beep();
}

void moveRight(GridModel& grid, bool growAtEnd) {
    const int row = grid.cursorRow();
    if (grid.cursorColumn() < kRangeColumn) {
        grid.MoveCursor(row, grid.cursorColumn() + 1);
        return;
    }
    if (row + 1 < grid.GetRowCount()) {
        grid.MoveCursor(row + 1, kElemColumn);
        return;
    }
    if (growAtEnd && GrowTable(grid)) {
        grid.MoveCursor(row + 1, kElemColumn);
        return;
    }
    beep(grid);
}

void moveLeft(GridModel& grid) {
    const int row = grid.cursorRow();
    if (grid.cursorColumn() > kElemColumn) {
        grid.MoveCursor(row, grid.cursorColumn() - 1);
    } else if (row > 0) {
        grid.MoveCursor(row - 1, kRangeColumn);
    } else {
        beep(grid);
    }
}

// The edit buffer as the entry rules of a numeric cell see it.
template <typename Edit> auto withNumberEntry(EditBuffer& buffer, Edit edit) {
    int point = buffer.point.value_or(-1);
    auto result = edit(NumberEntry{buffer.text, buffer.insertion, point});
    buffer.point = point;
    return result;
}

bool cursorInTable(const GridModel& grid) {
    return grid.cursorRow() >= 0 && grid.cursorRow() < grid.GetRowCount();
}

// Typing changed the cursor's cell: repaint what the row shows of the edit and mark the sheet.
void showEdit(GridModel& grid) {
    const int column = grid.cursorColumn();
    grid.view().repaintCells(grid.cursorRow(), kElemColumn,
                             column == kElemColumn ? kElemColumn : kRangeColumn);
    grid.markModified();
}

// After a line was inserted or deleted: keep the cursor's row in view, with the view's last
// rows on the table's last rows, and repaint from the cursor's row down.
void showRowsFromCursor(GridModel& grid) {
    const int row = grid.cursorRow();
    if (grid.isRowVisible(row)) {
        grid.view().repaintFromRow(row);
    } else {
        grid.setTopRow(std::min(row, grid.lastTopRow()));
        grid.view().repaintAll();
    }
}

// PageUp and PageDown: the view moves by a page as the scroll bar's page does, and the
// cursor by the 25 rows of the view in its column; beeps on the first or last row.
void moveByPage(GridModel& grid, int direction) {
    const int row = grid.cursorRow();
    const int target = std::clamp(row + direction * kGridPageRows, 0, grid.GetRowCount() - 1);
    if (target == row || !cursorInTable(grid)) {
        beep(grid);
        return;
    }
    if (direction < 0) {
        grid.pageUp();
    } else {
        grid.pageDown();
    }
    grid.MoveCursor(target, -1);
}

} // namespace

void PressGridKey(GridModel& grid, GridKey key) {
    const int row = grid.cursorRow();
    switch (key) {
    case GridKey::Left:
        moveLeft(grid);
        break;
    case GridKey::Right:
        moveRight(grid, false);
        break;
    case GridKey::Enter:
        moveRight(grid, true);
        break;
    case GridKey::Up:
        if (row > 0) {
            grid.MoveCursor(row - 1, -1);
        } else {
            beep(grid);
        }
        break;
    case GridKey::Down:
        if (row + 1 < grid.GetRowCount()) {
            grid.MoveCursor(row + 1, -1);
        } else {
            beep(grid);
        }
        break;
    case GridKey::Home:
        grid.MoveCursor(0, kElemColumn);
        break;
    case GridKey::End:
        grid.MoveCursor(grid.GetRowCount() - 1, kElemColumn);
        break;
    case GridKey::Backspace:
        if (!cursorInTable(grid)) {
            beep(grid);
        } else if (grid.cursorColumn() == kElemColumn) {
            EraseLabelCharacter(grid.editBuffer().text);
            showEdit(grid);
        } else if (isNumberColumn(grid.cursorColumn())) {
            withNumberEntry(grid.editBuffer(), [](NumberEntry entry) {
                EraseNumberCharacter(entry);
                return 0;
            });
            showEdit(grid);
        }
        break;
    case GridKey::Insert:
        InsertLine(grid);
        break;
    case GridKey::Delete:
        DeleteLine(grid);
        break;
    case GridKey::Escape:
        grid.cancelTyping();
        break;
    case GridKey::PageUp:
        moveByPage(grid, -1);
        break;
    case GridKey::PageDown:
        moveByPage(grid, 1);
        break;
    }
}

void TypeCharacter(GridModel& grid, char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) {
        return;
    }
    // An empty table has no cell to type into.
    if (!cursorInTable(grid)) {
        beep(grid);
        return;
    }
    const int column = grid.cursorColumn();
    EntryResult result = EntryResult::Ignored;
    if (column == kElemColumn) {
        result = TypeLabelCharacter(grid.editBuffer().text, c);
    } else if (isNumberColumn(column)) {
        result = withNumberEntry(grid.editBuffer(),
                                 [c](NumberEntry entry) { return TypeNumberCharacter(entry, c); });
    }
    switch (result) {
    case EntryResult::Taken:
        showEdit(grid);
        break;
    case EntryResult::Refused:
        beep(grid);
        break;
    case EntryResult::PointMoved:
    case EntryResult::Ignored:
        break;
    }
}

bool GrowTable(GridModel& grid) {
    if (grid.GetRowCount() > INT_MAX - kGridPageRows) {
        return false;
    }
    try {
        grid.appendEmptyRows(kGridPageRows);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const int rowCount = grid.GetRowCount();
    grid.followRowCount();
    // New rows inside a view that the table did not fill show their placeholders at once.
    grid.view().repaintFromRow(rowCount - kGridPageRows);
    return true;
}

void InsertLine(GridModel& grid) {
    const int row = grid.cursorRow();
    const int column = grid.cursorColumn();
    grid.CommitEdit(row, column);
    if (row < 0 || row > grid.GetRowCount() || grid.GetRowCount() == INT_MAX) {
        beep(grid);
        return;
    }
    try {
        grid.insertRows(row, std::vector<RowState>(1));
    } catch (const std::bad_alloc&) {
        beep(grid);
        return;
    }
    grid.loadEditBuffer(row, column);
    grid.followRowCount();
    showRowsFromCursor(grid);
    grid.recordChange({RowsInserted{row, {RowState()}}});
}

void DeleteLine(GridModel& grid) {
    const int row = grid.cursorRow();
    const int column = grid.cursorColumn();
    grid.CommitEdit(row, column);
    if (row < 0 || row >= grid.GetRowCount()) {
        return;
    }
    RowDeleted deleted{row, grid.deleteRow(row)};
    grid.loadEditBuffer(row, column);
    grid.followRowCount();
    showRowsFromCursor(grid);
    grid.recordChange({std::move(deleted)});
}

} // namespace tarnova
