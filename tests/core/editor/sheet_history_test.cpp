#include "editor/sheet_history.h"

#include "core/editor/grid_fixture.h"
#include "editor/editor_port.h"
#include "editor/grid_editing.h"
#include "editor/row_sort.h"
#include "platform/text_format.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tarnova {
namespace {

using test::peak;

class SortChoice final : public EditorPort {
  public:
    int choice = 0;
    std::optional<SortOrder> chooseSortOrder() override { return DecodeSortChoice(choice); }
    std::optional<JumpTarget> chooseJumpTarget() override { return std::nullopt; }
};

class SheetHistoryTest : public test::GridFixture {
  protected:
    // Everything a row holds: its peak and its texts; "(empty)" for an empty row.
    std::vector<std::string> sheet() const {
        std::vector<std::string> rows;
        for (int index = 0; index < grid.GetRowCount(); ++index) {
            const EditorRow* row = grid.row(index);
            if (row == nullptr) {
                rows.emplace_back("(empty)");
                continue;
            }
            std::string text = formatText("%s %.17g %.17g %.17g |", row->peak.elem.c_str(),
                                          row->peak.time, row->peak.height, row->peak.range);
            // A typed text is marked: undo must bring back what was typed, not only its look.
            for (int column = kElemColumn; column <= kPeakColumn; ++column) {
                text += grid.cellText(index, column) +
                        (GridModel::isCellUnedited(*row, column) ? "|" : "*|");
            }
            rows.push_back(text);
        }
        return rows;
    }
    void commitText(int row, int column, const std::string& text) {
        grid.MoveCursor(row, column);
        grid.editBuffer().text = text;
        grid.CommitEdit(row, column);
    }
    bool modified() const { return grid.IsModified(); }
    std::size_t position() { return grid.history().position(); }

    SortChoice sortChoice;
};

// Any mix of changes is taken back step by step to the loaded sheet and made again to the
// last one, each step giving exactly the sheet that stood there.
TEST_F(SheetHistoryTest, EveryChangeIsUndoneAndRedoneStepByStep) {
    std::mt19937 random(11);
    std::vector<PeakRecord> peaks;
    for (int i = 0; i < 40; ++i) {
        peaks.push_back(peak(i % 3 == 0 ? "Ar36" : "Ar40", 1.23456789 * i, 0.5 + i, 1e-3));
    }
    grid.AttachPeaks(peaks);
    std::vector<std::vector<std::string>> states{sheet()};
    const char* const texts[][4] = {{"   Ar38", "00012.50", "9.999", "01.0000"},
                                    {"     K9", "00000.01", "0.000", "00.0010"},
                                    {"       ", "99999.99", "1.500", "00.0000"}};
    for (int step = 0; step < 300; ++step) {
        const std::size_t before = position();
        const int row = static_cast<int>(random() % static_cast<unsigned>(grid.GetRowCount()));
        grid.MoveCursor(row, -1);
        switch (random() % 6) {
        case 0:
            InsertLine(grid);
            break;
        case 1:
            DeleteLine(grid);
            break;
        case 2:
            sortChoice.choice = static_cast<int>(1 + random() % 10);
            SortRows(grid, sortChoice);
            break;
        default: {
            const int column = static_cast<int>(kElemColumn + random() % 4);
            commitText(row, column, texts[random() % 3][column - 1]);
            break;
        }
        }
        ASSERT_LE(position(), before + 1);
        if (position() == before + 1) {
            states.push_back(sheet());
        }
    }
    ASSERT_GT(states.size(), 200u);
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(UndoSheetChange(grid));
        ASSERT_EQ(sheet(), states[i - 1]) << "undo to state " << i - 1;
    }
    EXPECT_FALSE(UndoSheetChange(grid));
    EXPECT_EQ(port.beeps, 1);
    for (std::size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(RedoSheetChange(grid));
        ASSERT_EQ(sheet(), states[i]) << "redo to state " << i;
    }
    EXPECT_FALSE(RedoSheetChange(grid));
}

TEST_F(SheetHistoryTest, TheModifiedMarkFollowsTheSavedState) {
    grid.AttachPeaks({peak("Ar36", 1), peak("Ar40", 2)});
    commitText(0, kTimeColumn, "00009.00");
    EXPECT_TRUE(modified());
    grid.ClearModified(); // saved
    EXPECT_TRUE(UndoSheetChange(grid));
    EXPECT_EQ(grid.cellText(0, kTimeColumn), "00001.00");
    EXPECT_TRUE(modified()); // differs from the saved file
    EXPECT_TRUE(RedoSheetChange(grid));
    EXPECT_FALSE(modified());
    // Sorting does not mark the sheet, nor does taking it back.
    sortChoice.choice = 3; // time, ascending: Ar40 at 2 before Ar36 at 9
    SortRows(grid, sortChoice);
    EXPECT_EQ(grid.cellText(0, kElemColumn), "   Ar40");
    EXPECT_FALSE(modified());
    EXPECT_TRUE(UndoSheetChange(grid));
    EXPECT_EQ(grid.cellText(0, kElemColumn), "   Ar36");
    EXPECT_FALSE(modified());
    // A change after an undo drops what could be redone; the saved state is then out of reach.
    EXPECT_TRUE(UndoSheetChange(grid));
    commitText(1, kHeightColumn, "5.000");
    EXPECT_FALSE(RedoSheetChange(grid));
    EXPECT_TRUE(UndoSheetChange(grid));
    EXPECT_TRUE(modified());
}

TEST_F(SheetHistoryTest, UndoTakesBackTypingBeforeItIsCommitted) {
    grid.AttachPeaks({peak("Ar36", 1), peak("Ar40", 2)});
    grid.MoveCursor(1, kElemColumn);
    TypeCharacter(grid, 'K');
    EXPECT_TRUE(modified());
    EXPECT_TRUE(UndoSheetChange(grid));
    EXPECT_EQ(grid.editBuffer().text, "   Ar40");
    EXPECT_EQ(cursor(), (GridCell{1, kElemColumn}));
    EXPECT_FALSE(modified());
    EXPECT_TRUE(RedoSheetChange(grid));
    EXPECT_EQ(grid.cellText(1, kElemColumn), "  Ar40K");
    EXPECT_TRUE(modified());
}

TEST_F(SheetHistoryTest, NewSheetsAndLoadsStartAFreshHistory) {
    commitText(0, kElemColumn, "   Ar40");
    InsertLine(grid);
    ASSERT_TRUE(grid.history().canUndo());
    grid.NewSheet();
    EXPECT_FALSE(grid.history().canUndo());
    EXPECT_FALSE(modified());
    commitText(0, kElemColumn, "   Ar40");
    grid.AttachPeaks({peak("Ar36", 1)});
    EXPECT_FALSE(UndoSheetChange(grid));
    EXPECT_FALSE(modified());
}

TEST_F(SheetHistoryTest, AnUnchangedCellIsNoChange) {
    commitText(3, kTimeColumn, "00000.00"); // the placeholder of the empty row
    EXPECT_EQ(grid.row(3), nullptr);
    EXPECT_FALSE(grid.history().canUndo());
    EXPECT_FALSE(modified());
}

TEST_F(SheetHistoryTest, RowsComeBackInTheColumnFormatsOfTheMoment) {
    grid.AttachPeaks({peak("Ar40", 1.25)});
    commitText(0, kTimeColumn, "00002.50");
    ASSERT_TRUE(grid.SetColumnFormat(kTimeColumn, 10, 4, false));
    grid.ReformatRows();
    EXPECT_EQ(grid.cellText(0, kTimeColumn), "00002.5000");
    EXPECT_TRUE(UndoSheetChange(grid));
    EXPECT_EQ(grid.cellText(0, kTimeColumn), "00001.2500");
    EXPECT_TRUE(RedoSheetChange(grid));
    EXPECT_EQ(grid.cellText(0, kTimeColumn), "00002.5000");
}

TEST_F(SheetHistoryTest, RowsAddedByEnterAtTheEndStayThroughUndo) {
    grid.AttachPeaks({peak("Ar40", 2), peak("Ar36", 1)});
    sortChoice.choice = 3; // time, ascending
    SortRows(grid, sortChoice);
    grid.MoveCursor(1, kRangeColumn);
    PressGridKey(grid, GridKey::Enter); // grows the table by 25 rows
    ASSERT_EQ(grid.GetRowCount(), 27);
    commitText(2, kElemColumn, "   Ar38");
    ASSERT_TRUE(UndoSheetChange(grid));
    ASSERT_TRUE(UndoSheetChange(grid));
    EXPECT_EQ(grid.cellText(0, kElemColumn), "   Ar40");
    EXPECT_EQ(grid.GetRowCount(), 27);
    ASSERT_TRUE(RedoSheetChange(grid));
    EXPECT_EQ(grid.cellText(0, kElemColumn), "   Ar36");
}

TEST_F(SheetHistoryTest, ChangesThatNoLongerFitTheTableAreRefused) {
    grid.AttachPeaks({peak("Ar36", 1), peak("Ar40", 2)});
    grid.MoveCursor(1, -1);
    DeleteLine(grid);
    grid.eraseRows(grid.GetRowCount() - 1, 1); // the table changed behind the history's back
    EXPECT_FALSE(UndoSheetChange(grid));
    EXPECT_FALSE(grid.history().canUndo());
    EXPECT_TRUE(modified());
    EXPECT_EQ(grid.GetRowCount(), 1);
}

TEST_F(SheetHistoryTest, EscapeRestoresTheCellWithoutMovingTheCursor) {
    grid.AttachPeaks({peak("Ar36", 1.5)});
    grid.MoveCursor(0, kTimeColumn);
    for (char c : std::string("12.5")) {
        TypeCharacter(grid, c);
    }
    EXPECT_TRUE(modified());
    PressGridKey(grid, GridKey::Escape);
    EXPECT_EQ(grid.editBuffer().text, "00001.50");
    EXPECT_EQ(grid.editBuffer().insertion, 4);
    EXPECT_EQ(cursor(), (GridCell{0, kTimeColumn}));
    EXPECT_FALSE(modified());
    EXPECT_EQ(view.calls.back(), "cells 0 2-2");
    PressGridKey(grid, GridKey::Right);
    EXPECT_EQ(grid.cellText(0, kTimeColumn), "00001.50");
    EXPECT_FALSE(grid.history().canUndo());
}

TEST_F(SheetHistoryTest, PageKeysMoveTheCursorByTheRowsOfTheView) {
    grid.AttachPeaks(test::numberedPeaks(100));
    grid.MoveCursor(3, kHeightColumn);
    const struct {
        GridKey key;
        int row;
        int topRow;
        int beeps;
    } steps[] = {{GridKey::PageDown, 28, 25, 0}, {GridKey::PageDown, 53, 50, 0},
                 {GridKey::PageDown, 78, 75, 0}, {GridKey::PageDown, 99, 75, 0},
                 {GridKey::PageDown, 99, 75, 1}, {GridKey::PageUp, 74, 50, 1},
                 {GridKey::PageUp, 49, 25, 1},   {GridKey::PageUp, 24, 0, 1},
                 {GridKey::PageUp, 0, 0, 1},     {GridKey::PageUp, 0, 0, 2}};
    for (const auto& step : steps) {
        PressGridKey(grid, step.key);
        EXPECT_EQ(cursor(), (GridCell{step.row, kHeightColumn}));
        EXPECT_EQ(grid.topRow(), step.topRow) << step.row;
        EXPECT_EQ(port.beeps, step.beeps) << step.row;
    }
}

} // namespace
} // namespace tarnova
