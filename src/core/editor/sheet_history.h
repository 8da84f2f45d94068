// Undo and redo of the sheet: every change the user makes to the rows (a committed cell,
// Insert Line, Delete Line, Sort, a paste) is kept, without limit, until the sheet is
// replaced (New, Open, a load). Whether the sheet counts as modified follows the position in
// this history: back at the state that was loaded or saved, it is unmodified again.
#pragma once

#include "editor/grid_model.h"
#include "settings/column_formats.h"

#include <cstddef>
#include <optional>
#include <variant>
#include <vector>

namespace tarnova {

// The edit buffer written into a cell: its row before and after.
struct CellCommitted {
    int row = 0;
    int column = 0;
    RowState before;
    RowState after;
};
// Rows put in before row: Insert Line puts one empty row, a paste its rows.
struct RowsInserted {
    int row = 0;
    std::vector<RowState> rows;
};
// Delete Line: the row taken out at row; an empty row came in at the end of the table.
struct RowDeleted {
    int row = 0;
    RowState removed;
};
// Sorting: for each row of the new order, its index before.
struct RowsReordered {
    std::vector<std::size_t> formerIndex;
};

struct SheetChange {
    std::variant<CellCommitted, RowsInserted, RowDeleted, RowsReordered> change;
    // Sorting leaves the modified mark alone; every other change sets it.
    bool marksModified = true;
    // The column formats the texts of the kept rows were built with (GridModel::recordChange
    // sets them).
    ColumnFormats textFormats{};
};

class SheetHistory final {
  public:
    // A change just made; the changes that could have been redone are dropped.
    void record(SheetChange change);
    // The number of changes before the current state.
    std::size_t position() const { return position_; }
    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ < changes_.size(); }
    // The change to take back (or to make again), moving the position past it; none when
    // there is none.
    const SheetChange* stepBack();
    const SheetChange* stepForward();
    // No changes; the sheet as it stands is the saved one.
    void clear();
    // No changes, and the saved state can no longer be reached (memory ran out).
    void forget();
    // The sheet as it stands is saved.
    void markSaved() { saved_ = position_; }
    // Whether a change that sets the modified mark lies between the saved state and now.
    bool differsFromSaved() const;

  private:
    std::vector<SheetChange> changes_;
    std::size_t position_ = 0;
    std::optional<std::size_t> saved_ = 0; // none: the saved state can no longer be reached
};

// Takes back the last change of the sheet, first committing the typing in the cursor's cell
// (so that typing is undone first). The cursor goes to the changed cell or row and the view
// follows it. Beeps and returns false when there is nothing to undo.
bool UndoSheetChange(GridModel& grid);
// Makes the change taken back last once more. Beeps and returns false when there is none.
bool RedoSheetChange(GridModel& grid);

} // namespace tarnova
