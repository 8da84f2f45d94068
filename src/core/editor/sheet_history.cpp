#include "editor/sheet_history.h"

#include "platform/user_interface_port.h"

#include <algorithm>
#include <new>

namespace tarnova {

void SheetHistory::record(SheetChange change) {
    changes_.resize(position_);
    if (saved_ && *saved_ > position_) {
        saved_.reset();
    }
    changes_.push_back(std::move(change));
    ++position_;
}

const SheetChange* SheetHistory::stepBack() {
    if (!canUndo()) {
        return nullptr;
    }
    --position_;
    return &changes_[position_];
}

const SheetChange* SheetHistory::stepForward() {
    if (!canRedo()) {
        return nullptr;
    }
    ++position_;
    return &changes_[position_ - 1];
}

void SheetHistory::clear() {
    changes_.clear();
    position_ = 0;
    saved_ = 0;
}

void SheetHistory::forget() {
    clear();
    saved_.reset();
}

bool SheetHistory::differsFromSaved() const {
    if (!saved_) {
        return true;
    }
    const auto first = changes_.begin() + static_cast<std::ptrdiff_t>(std::min(*saved_, position_));
    const auto last = changes_.begin() + static_cast<std::ptrdiff_t>(std::max(*saved_, position_));
    return std::any_of(first, last, [](const SheetChange& change) { return change.marksModified; });
}

namespace {

enum class Direction { Back, Forward };

// Applying a change to rows that no longer match it (the table was changed behind the
// history's back) would corrupt the sheet; such a change is not applied.
class ChangeApplier {
  public:
    ChangeApplier(GridModel& grid, const SheetChange& change, Direction direction)
        : grid_(grid), builtWith_(change.textFormats), back_(direction == Direction::Back) {}

    // The cursor's place after the change, or none when it could not be applied.
    std::optional<GridCell> operator()(const CellCommitted& commit) {
        if (!inTable(commit.row)) {
            return std::nullopt;
        }
        grid_.replaceRow(commit.row, back_ ? commit.before : commit.after, builtWith_);
        return GridCell{commit.row, commit.column};
    }

    std::optional<GridCell> operator()(const RowsInserted& inserted) {
        const auto count = static_cast<int>(inserted.rows.size());
        const int end = grid_.GetRowCount();
        if (inserted.row < 0 || inserted.row > end || (back_ && inserted.row > end - count)) {
            return std::nullopt;
        }
        if (back_) {
            grid_.eraseRows(inserted.row, count);
        } else {
            grid_.insertRows(inserted.row, inserted.rows, builtWith_);
        }
        return GridCell{inserted.row, grid_.cursorColumn()};
    }

    std::optional<GridCell> operator()(const RowDeleted& deleted) {
        if (!inTable(deleted.row)) {
            return std::nullopt;
        }
        if (back_) {
            // The empty row that came in at the end goes again.
            if (!grid_.restoreRow(deleted.row, deleted.removed, builtWith_)) {
                return std::nullopt;
            }
        } else {
            grid_.deleteRow(deleted.row);
        }
        return GridCell{deleted.row, grid_.cursorColumn()};
    }

    std::optional<GridCell> operator()(const RowsReordered& reordered) {
        // Growing the table at its end (Enter on the last row) is no change of the sheet: the
        // empty rows it added stay where they are.
        if (!grid_.reorderRows(reordered.formerIndex, back_)) {
            return std::nullopt;
        }
        return GridCell{grid_.cursorRow(), grid_.cursorColumn()};
    }

  private:
    bool inTable(int row) const { return row >= 0 && row < grid_.GetRowCount(); }

    GridModel& grid_;
    const ColumnFormats& builtWith_;
    bool back_;
};

bool applyStep(GridModel& grid, Direction direction) {
    grid.CommitEdit(grid.cursorRow(), grid.cursorColumn());
    SheetHistory& history = grid.history();
    const SheetChange* change =
        direction == Direction::Back ? history.stepBack() : history.stepForward();
    if (change == nullptr) {
        grid.port().beep();
        return false;
    }
    std::optional<GridCell> cursor;
    try {
        cursor = std::visit(ChangeApplier(grid, *change, direction), change->change);
    } catch (const std::bad_alloc&) {
        cursor.reset();
    }
    if (!cursor) {
        // Nothing further can be undone or redone safely.
        history.forget();
        grid.refreshModified();
        grid.port().beep();
        grid.placeCursor(grid.cursorRow(), grid.cursorColumn());
        return false;
    }
    grid.refreshModified();
    grid.placeCursor(cursor->row, cursor->column);
    return true;
}

} // namespace

bool UndoSheetChange(GridModel& grid) {
    return applyStep(grid, Direction::Back);
}

bool RedoSheetChange(GridModel& grid) {
    return applyStep(grid, Direction::Forward);
}

} // namespace tarnova
