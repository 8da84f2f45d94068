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
        : grid_(grid), rows_(grid.rows()), change_(change), direction_(direction) {}

    // The cursor's place after the change, or none when it could not be applied.
    std::optional<GridCell> operator()(const CellCommitted& commit) {
        if (!inTable(commit.row)) {
            return std::nullopt;
        }
        slot(commit.row) = made(direction_ == Direction::Back ? commit.before : commit.after);
        return GridCell{commit.row, commit.column};
    }

    std::optional<GridCell> operator()(const RowsInserted& inserted) {
        const auto count = static_cast<std::ptrdiff_t>(inserted.rows.size());
        const auto end = static_cast<std::ptrdiff_t>(rows_.size());
        if (inserted.row < 0 || inserted.row > end ||
            (direction_ == Direction::Back && inserted.row + count > end)) {
            return std::nullopt;
        }
        const auto at = rows_.begin() + inserted.row;
        if (direction_ == Direction::Back) {
            rows_.erase(at, at + count);
        } else {
            GridModel::RowTable table;
            for (const RowState& state : inserted.rows) {
                table.push_back(made(state));
            }
            rows_.insert(at, std::make_move_iterator(table.begin()),
                         std::make_move_iterator(table.end()));
        }
        return GridCell{inserted.row, grid_.cursorColumn()};
    }

    std::optional<GridCell> operator()(const RowDeleted& deleted) {
        if (!inTable(deleted.row)) {
            return std::nullopt;
        }
        const auto at = rows_.begin() + deleted.row;
        if (direction_ == Direction::Back) {
            // The empty row that came in at the end goes again.
            if (rows_.back()) {
                return std::nullopt;
            }
            std::rotate(at, rows_.end() - 1, rows_.end());
            *at = made(deleted.removed);
        } else {
            std::rotate(at, at + 1, rows_.end());
            rows_.back().reset();
        }
        return GridCell{deleted.row, grid_.cursorColumn()};
    }

    std::optional<GridCell> operator()(const RowsReordered& reordered) {
        // Growing the table at its end (Enter on the last row) is no change of the sheet: the
        // empty rows it added stay where they are.
        const std::size_t count = reordered.formerIndex.size();
        if (count > rows_.size() ||
            std::any_of(rows_.begin() + static_cast<std::ptrdiff_t>(count), rows_.end(),
                        [](const auto& row) { return row != nullptr; })) {
            return std::nullopt;
        }
        GridModel::RowTable table(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t former = reordered.formerIndex[i];
            if (direction_ == Direction::Back) {
                table[former] = std::move(rows_[i]);
            } else {
                table[i] = std::move(rows_[former]);
            }
        }
        std::move(table.begin(), table.end(), rows_.begin());
        return GridCell{grid_.cursorRow(), grid_.cursorColumn()};
    }

  private:
    bool inTable(int row) const { return row >= 0 && row < grid_.GetRowCount(); }
    std::unique_ptr<EditorRow>& slot(int row) { return rows_[static_cast<std::size_t>(row)]; }
    // A row of the table made from a kept state, in the formats of the table's texts.
    std::unique_ptr<EditorRow> made(const RowState& state) const {
        if (!state) {
            return nullptr;
        }
        auto row = std::make_unique<EditorRow>(*state);
        grid_.adoptRow(*row, change_.textFormats);
        return row;
    }

    GridModel& grid_;
    GridModel::RowTable& rows_;
    const SheetChange& change_;
    Direction direction_;
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
