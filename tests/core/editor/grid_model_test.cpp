#include "editor/grid_model.h"

#include "core/editor/grid_fixture.h"
#include "core/support/log_capture.h"
#include "editor/cell_number.h"
#include "editor/sheet_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnova {
namespace {

using test::numberedPeaks;
using test::peak;

constexpr const char* kOutOfRange =
    "値が現在の設定で表示可能な範囲を超えました。表示が異常になるか、値が0になります。";

using GridModelTest = test::GridFixture;

TEST_F(GridModelTest, NewGridIsAnEmptySheetOfOnePage) {
    EXPECT_EQ(grid.GetRowCount(), 25);
    EXPECT_FALSE(grid.IsModified());
    EXPECT_EQ(cursor(), (GridCell{0, kElemColumn}));
    EXPECT_EQ(grid.cellText(3, kNumColumn), "0004");
    EXPECT_EQ(grid.cellText(3, kPeakColumn), "0.000E+000");
    EXPECT_EQ(grid.editBuffer().text, "       ");
    EXPECT_EQ(grid.editBuffer().insertion, 6);
    EXPECT_FALSE(grid.editBuffer().point.has_value());
    EXPECT_EQ(grid.GetColumnBorders(), (std::array<int, 5>{5, 13, 22, 28, 36}));
    EXPECT_EQ(grid.GetColumnBorders(8), (std::array<int, 5>{40, 104, 176, 224, 288}));
}

// The Num column takes the digits of the last row's number where its width holds fewer.
TEST_F(GridModelTest, TheNumColumnHoldsTheLastRowNumber) {
    const struct {
        int rows;
        int numWidth;
        int shown;
    } cases[] = {{9999, 4, 4},   {10000, 4, 5}, {100000, 4, 6},
                 {100000, 8, 8}, {9, 1, 1},     {10, 1, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows);
        ASSERT_TRUE(grid.SetColumnFormat(kNumColumn, c.numWidth, 0, false));
        if (c.rows > grid.GetRowCount()) {
            grid.appendEmptyRows(c.rows - grid.GetRowCount());
        } else {
            grid.eraseRows(c.rows, grid.GetRowCount() - c.rows);
        }
        EXPECT_EQ(grid.shownColumnWidth(kNumColumn), c.shown);
        EXPECT_EQ(grid.shownColumnWidth(kElemColumn), 7);
        EXPECT_EQ(grid.GetColumnBorders()[0], c.shown + 1);
        EXPECT_EQ(grid.GetColumnBorders()[4], c.shown + 32);
        EXPECT_EQ(grid.cellText(c.rows - 1, kNumColumn).size(), static_cast<std::size_t>(c.shown));
    }
}

TEST_F(GridModelTest, CellTextsFollowTheColumnFormats) {
    ASSERT_TRUE(grid.SetColumnFormat(kTimeColumn, 8, 5, false));
    ASSERT_EQ(grid.AttachPeaks({peak("Ar40", 1.5, 1.2346, 1000.0), peak("Ar36", 12.5, 0, 1),
                                peak("He4", 123.25, 1, 1)}),
              3);
    EXPECT_EQ(grid.cellText(0, kTimeColumn), "01.50000");
    EXPECT_EQ(grid.cellText(1, kTimeColumn), "12.50000");
    EXPECT_EQ(grid.cellText(2, kTimeColumn), "123.25000"); // one wider than the column
    EXPECT_EQ(grid.cellText(0, kElemColumn), "   Ar40");
    EXPECT_EQ(grid.cellText(0, kHeightColumn), "1.235");
    EXPECT_EQ(grid.cellText(0, kPeakColumn), "1.235E+003");
    EXPECT_EQ(grid.cellText(1, kPeakColumn), "0.000E+000");
    EXPECT_EQ(grid.cellText(5, kTimeColumn), ""); // outside the table

    ASSERT_TRUE(grid.SetColumnFormat(kPeakColumn, 10, 3, false));
    grid.AttachPeaks({peak("Ar40", 0, 1234.5, 1.0)});
    EXPECT_EQ(grid.cellText(0, kPeakColumn), "1.235E+003");
    EXPECT_EQ(grid.placeholder(kPeakColumn), "0.000E+000");
    // Num is zero-padded to its width and widens past it.
    ASSERT_EQ(grid.AttachPeaks(numberedPeaks(12345)), 12345);
    EXPECT_EQ(grid.cellText(12344, kNumColumn), "12345");
}

TEST_F(GridModelTest, ColumnFormatRefusals) {
    const int refused[][3] = {{kTimeColumn, 8, 0},
                              {kPeakColumn, 10, 10},
                              {kHeightColumn, 0, 0},
                              {kNumColumn, 0, 0},
                              {kNumColumn, 5, 2},
                              {6, 5, 0},
                              {kRangeColumn, kMaxColumnWidth + 1, 4}};
    for (const auto& [column, width, decimals] : refused) {
        EXPECT_FALSE(grid.SetColumnFormat(column, width, decimals, true)) << column << width;
    }
    EXPECT_TRUE(view.calls.empty());
    int decimals = -1;
    EXPECT_EQ(grid.GetColumnFormat(kTimeColumn, decimals), 8);
    EXPECT_EQ(decimals, 2);
    EXPECT_EQ(grid.GetColumnFormat(6, decimals), 0);
    EXPECT_EQ(grid.GetColumnFormat(-1), 0);

    EXPECT_TRUE(grid.SetColumnFormat(kElemColumn, 9, 0, true));
    EXPECT_EQ(grid.GetColumnFormat(kElemColumn, decimals), 9);
    EXPECT_EQ(decimals, 0);
    EXPECT_EQ(grid.placeholder(kElemColumn), std::string(9, ' '));
    EXPECT_EQ(view.calls, std::vector<std::string>{"all"});
    EXPECT_TRUE(grid.SetColumnFormat(kPeakColumn, 10, 9, false));
}

TEST_F(GridModelTest, AttachPeaksWarnsOnceForValuesTheRangeColumnCannotShow) {
    // Range 7.4 shows peaks from 1e-4 up to below 1e2.
    grid.AttachPeaks({peak("a", 0, 5, 10), peak("b", 0, 1, 1e-4)});
    EXPECT_TRUE(port.messages.empty());
    grid.AttachPeaks({peak("a", 0, 1, 100), peak("b", 0, 1, 1000)});
    ASSERT_EQ(port.messages.size(), 1u);
    EXPECT_EQ(port.messages[0].caption, "Tarnova");
    EXPECT_EQ(port.messages[0].text, kOutOfRange);
    // A first peak of zero keeps the smallest value at zero.
    port.messages.clear();
    EXPECT_EQ(grid.AttachPeaks({peak("a", 0, 0, 1), peak("b", 0, 5, 1)}), 2);
    EXPECT_EQ(port.messages.size(), 1u);
    // A zero later on is no smallest value.
    port.messages.clear();
    grid.AttachPeaks({peak("a", 0, 5, 1), peak("b", 0, 0, 1)});
    EXPECT_TRUE(port.messages.empty());
    EXPECT_EQ(grid.AttachPeaks({}), 0);
    EXPECT_EQ(grid.GetRowCount(), 0);
    EXPECT_TRUE(port.messages.empty());
}

TEST_F(GridModelTest, AttachingResetsCursorViewAndModifiedFlag) {
    grid.AttachPeaks(numberedPeaks(100));
    grid.MoveCursor(80, kRangeColumn);
    grid.markModified();
    view.calls.clear();
    ASSERT_EQ(grid.AttachPeaks(numberedPeaks(10)), 10);
    EXPECT_EQ(grid.GetRowCount(), 10);
    EXPECT_EQ(grid.topRow(), 0);
    EXPECT_EQ(cursor(), (GridCell{0, kElemColumn}));
    EXPECT_EQ(grid.editBuffer().text, "   Ar40");
    EXPECT_FALSE(grid.IsModified());
    EXPECT_EQ(view.scrollBar, (ScrollBarState{1, 10, 25, 1}));
    EXPECT_EQ(view.calls, std::vector<std::string>{"all"});
    ASSERT_TRUE(grid.NewSheet());
    EXPECT_EQ(grid.GetRowCount(), 25);
    EXPECT_EQ(view.scrollBar, (ScrollBarState{1, 1, 25, 1}));
}

TEST_F(GridModelTest, CommitEditCreatesTheRowAndRecomputesThePeak) {
    grid.MoveCursor(4, kHeightColumn);
    grid.editBuffer().text = "2.500";
    // The cursor cell shows the buffer; the cell keeps its text until the commit.
    EXPECT_EQ(grid.displayText(4, kHeightColumn), "2.500");
    EXPECT_EQ(grid.cellText(4, kHeightColumn), "0.000");
    EXPECT_EQ(grid.displayText(3, kHeightColumn), "0.000");
    grid.MoveCursor(4, kRangeColumn); // commits Height
    ASSERT_NE(grid.row(4), nullptr);
    EXPECT_EQ(grid.cellText(4, kHeightColumn), "2.500");
    EXPECT_EQ(grid.cellText(4, kTimeColumn), "00000.00");
    EXPECT_EQ(grid.cellText(4, kPeakColumn), "0.000E+000");
    grid.editBuffer().text = "10.0000";
    grid.CommitEdit(4, kRangeColumn);
    EXPECT_EQ(grid.cellText(4, kPeakColumn), "2.500E+001");
    EXPECT_EQ(grid.row(4)->peak.height, 0.0); // the peak changes only by extraction
    grid.CommitEdit(25, kRangeColumn);
    grid.CommitEdit(4, kPeakColumn);
    EXPECT_EQ(grid.cellText(4, kPeakColumn), "2.500E+001");
}

TEST_F(GridModelTest, MoveCursorKeepsTheCursorInView) {
    grid.AttachPeaks(numberedPeaks(100));
    view.calls.clear();
    grid.MoveCursor(24, -1); // still visible
    EXPECT_EQ(grid.topRow(), 0);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"row 0", "row 24"}));
    view.calls.clear();
    grid.MoveCursor(25, kTimeColumn); // just below: scroll up by one row
    EXPECT_EQ(grid.topRow(), 1);
    EXPECT_EQ(grid.cursorColumn(), kTimeColumn);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"row 24", "scroll -1"}));
    EXPECT_EQ(view.scrollBar.position, 2);
    view.calls.clear();
    grid.MoveCursor(0, -1); // just above
    EXPECT_EQ(grid.topRow(), 0);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"row 25", "scroll 1"}));
    grid.MoveCursor(50, -1); // far: the row goes to the top
    EXPECT_EQ(grid.topRow(), 50);
    grid.MoveCursor(80, -1); // near the end: the view ends with the last row
    EXPECT_EQ(grid.topRow(), 75);
    EXPECT_EQ(view.scrollBar.position, 76);
    grid.MoveCursor(100, -1);
    grid.MoveCursor(-1, -1);
    grid.MoveCursor(3, 0);
    grid.MoveCursor(3, 5);
    EXPECT_EQ(grid.cursorRow(), 80);

    GridModel small(port);
    small.AttachPeaks(numberedPeaks(10));
    small.setTopRow(3);
    small.MoveCursor(1, -1);
    EXPECT_EQ(small.topRow(), 0); // never below 0
}

TEST_F(GridModelTest, ScrollRules) {
    grid.AttachPeaks(numberedPeaks(60)); // the last first row is 35
    // Each step, the top row after it and how the view is told ("" when not checked).
    const struct {
        void (GridModel::*step)();
        int top;
        const char* call;
    } steps[] = {{&GridModel::lineUp, 0, ""},    {&GridModel::lineDown, 1, "scroll -1"},
                 {&GridModel::pageDown, 26, ""}, {&GridModel::pageDown, 35, ""}, // 51 is beyond
                 {&GridModel::lineDown, 35, ""}, {&GridModel::pageDown, 35, ""},
                 {&GridModel::pageUp, 10, ""},   {&GridModel::pageUp, 0, "all"},
                 {&GridModel::lineDown, 1, ""},  {&GridModel::lineUp, 0, "scroll 1"}};
    for (const auto& [step, top, call] : steps) {
        (grid.*step)();
        EXPECT_EQ(grid.topRow(), top);
        if (*call != '\0') {
            EXPECT_EQ(view.calls.back(), call);
        }
    }
    grid.thumbMovedTo(17);
    EXPECT_EQ(grid.topRow(), 16);
    EXPECT_EQ(view.scrollBar, (ScrollBarState{1, 60, 25, 17}));
}

TEST_F(GridModelTest, MousePressSelectsTheCellUnderIt) {
    grid.AttachPeaks(numberedPeaks(60));
    grid.setTopRow(10);
    // Borders at cx 8: 40, 104, 176, 224, 288; rows 16 pixels high.
    EXPECT_EQ(grid.cellAt(50, 0, 8, 16), (GridCell{10, kElemColumn}));
    EXPECT_EQ(grid.cellAt(50, 16, 8, 16), (GridCell{10, kElemColumn}));
    EXPECT_EQ(grid.cellAt(105, 17, 8, 16), (GridCell{11, kTimeColumn}));
    EXPECT_EQ(grid.cellAt(200, 40, 8, 16), (GridCell{12, kHeightColumn}));
    EXPECT_EQ(grid.cellAt(288, 40, 8, 16), (GridCell{12, kRangeColumn}));
    EXPECT_EQ(grid.cellAt(39, 40, 8, 16), std::nullopt);
    EXPECT_EQ(grid.cellAt(289, 40, 8, 16), std::nullopt);
    grid.pressAt(105, 17, 8, 16);
    EXPECT_EQ(cursor(), (GridCell{11, kTimeColumn}));
}

TEST_F(GridModelTest, PaintingCoversOnlyTheRowsOfTheRegion) {
    grid.AttachPeaks(numberedPeaks(10));
    const auto rows = [&](int top, int height) {
        const auto range = grid.rowsToPaint(top, height, 16);
        return std::pair{range.first, range.count};
    };
    EXPECT_EQ(rows(0, 400), (std::pair{0, 10}));
    EXPECT_EQ(rows(20, 20), (std::pair{1, 2})); // 16..48 reaches row 2
    EXPECT_EQ(rows(300, 40).second, 0);
}

TEST_F(GridModelTest, ReformatRowsKeepsEditsAndRebuildsUneditedRowsFromTheirPeaks) {
    grid.AttachPeaks({peak("Ar40", 1.23456, 2.5, 10), peak("Ar36", 2, 1, 1)});
    // Row 1: edited label and time; a row typed into below.
    grid.MoveCursor(1, kElemColumn);
    grid.editBuffer().text = "   Kr84";
    grid.MoveCursor(1, kTimeColumn);
    grid.editBuffer().text = "00003.50";
    grid.MoveCursor(2 - 1, kHeightColumn); // commits the time
    grid.editBuffer().text = "7.000";      // typing in progress, not committed yet
    grid.SetColumnFormat(kTimeColumn, 9, 4, false);
    grid.SetColumnFormat(kElemColumn, 6, 0, false);
    grid.ReformatRows();
    EXPECT_EQ(grid.cellText(0, kElemColumn), "  Ar40");
    EXPECT_EQ(grid.cellText(0, kTimeColumn), "0001.2346"); // from the peak, not from "00001.23"
    EXPECT_EQ(grid.cellText(1, kElemColumn), "  Kr84");
    EXPECT_EQ(grid.cellText(1, kTimeColumn), "0003.5000");
    EXPECT_EQ(grid.cellText(1, kHeightColumn), "7.000");
    EXPECT_EQ(grid.cellText(1, kPeakColumn), "7.000E+000");
    EXPECT_EQ(grid.cellText(0, kPeakColumn), "2.500E+001");
    EXPECT_EQ(grid.row(2), nullptr); // empty rows stay empty
    EXPECT_EQ(grid.editBuffer().text, "7.000");
    EXPECT_EQ(view.calls.back(), "all");
}

TEST_F(GridModelTest, LongTextsAreKeptWholeAndTheFirstRowIsLogged) {
    const test::LogCapture log;
    grid.AttachPeaks({peak("Ar40", 1.0, 1, 1), peak("Ar36", 2, 1, 1)});
    ASSERT_TRUE(grid.SetColumnFormat(kTimeColumn, 53, 2, false));
    grid.ReformatRows();
    EXPECT_EQ(grid.cellText(0, kTimeColumn), std::string(49, '0') + "1.00");
    // 53 characters: three beyond the 50th.
    EXPECT_EQ(log.lines(), std::vector<std::string>(3, "Width may be over the limit at TIME."));
    ASSERT_TRUE(grid.SetColumnFormat(kPeakColumn, 60, 3, false));
    grid.AttachPeaks({peak("Ar40", 1e300, 1, 1)});
    EXPECT_EQ(grid.cellText(0, kPeakColumn), std::string(50, ' ') + "1.000E+000");
    EXPECT_EQ(grid.placeholder(kPeakColumn), std::string(50, '0') + "0.000E+000");
    EXPECT_EQ(grid.cellText(0, kTimeColumn).size(), 304u); // 1e300 with 2 decimals
    // Typing keeps the whole text too.
    grid.MoveCursor(0, kHeightColumn);
    grid.editBuffer().text = std::string(70, '0') + "2.000";
    grid.MoveCursor(0, kTimeColumn);
    EXPECT_EQ(grid.cellText(0, kHeightColumn).size(), 75u);
}

// A row nobody typed into keeps no texts: they are made from its peak with the formats of the
// moment, and follow every change of the formats once the rows are formatted again.
TEST_F(GridModelTest, UntypedCellsAreMadeFromThePeakInTheFormatsOfTheRows) {
    grid.AttachPeaks({peak("Ar40", 1.23456, 1.2344, 10.0), peak("He4", 100.5, 9.8765, 1e-3)});
    const struct {
        int column;
        int width;
        int decimals;
        bool reformat;
        const char* row0;
        const char* row1;
    } cases[] = {
        {kTimeColumn, 8, 2, true, "00001.23", "00100.50"},
        {kTimeColumn, 9, 4, false, "00001.23", "00100.50"}, // not yet formatted again
        {kTimeColumn, 9, 4, true, "0001.2346", "0100.5000"},
        {kElemColumn, 3, 0, true, "Ar40", "He4"},
        {kHeightColumn, 7, 5, true, "1.23440", "9.87650"},
        {kPeakColumn, 12, 5, true, "1.23440E+001", "9.87650E-003"},
        {kRangeColumn, 3, 1, true, "10.0", "0.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row0);
        ASSERT_TRUE(grid.SetColumnFormat(c.column, c.width, c.decimals, false));
        if (c.reformat) {
            grid.ReformatRows();
        }
        EXPECT_EQ(grid.cellText(0, c.column), c.row0);
        EXPECT_EQ(grid.cellText(1, c.column), c.row1);
        EXPECT_TRUE(grid.row(0)->typed.empty());
        EXPECT_TRUE(grid.row(1)->typed.empty());
    }
}

// A typed text is kept only while it differs from what the row's peak shows: one that the
// formats make equal to it gives the peak's own value back to calculations.
TEST_F(GridModelTest, ATypedTextThatThePeakShowsIsNotKept) {
    grid.AttachPeaks({peak("Ar40", 1.234, 5.0, 1.0)});
    grid.MoveCursor(0, kTimeColumn);
    grid.editBuffer().text = "00001.20";
    grid.CommitEdit(0, kTimeColumn);
    EXPECT_FALSE(GridModel::isCellUnedited(*grid.row(0), kTimeColumn));
    EXPECT_EQ(GridModel::cellValue(*grid.row(0), kTimeColumn), 1.2);
    ASSERT_TRUE(grid.SetColumnFormat(kTimeColumn, 8, 1, false));
    grid.ReformatRows(); // 1.20 and 1.234 both show as 000001.2
    EXPECT_EQ(grid.cellText(0, kTimeColumn), "000001.2");
    EXPECT_TRUE(grid.row(0)->typed.empty());
    EXPECT_EQ(GridModel::cellValue(*grid.row(0), kTimeColumn), 1.234);
    // Typing the text the cell shows is no edit at all.
    const std::size_t changes = grid.history().position();
    grid.editBuffer().text = "000001.2";
    grid.CommitEdit(0, kTimeColumn);
    EXPECT_TRUE(grid.row(0)->typed.empty());
    EXPECT_EQ(grid.history().position(), changes);
}

// The peak takes the values read back from typed cells; the texts shown stay as they were.
TEST_F(GridModelTest, TakingAPeakKeepsTheTextsShown) {
    grid.AttachPeaks({peak("Ar40", 1.5, 1.23456, 1.0), peak("Ar36", 2.5, 3.0, 1.0)});
    grid.MoveCursor(0, kHeightColumn);
    grid.editBuffer().text = "2.000";
    grid.CommitEdit(0, kHeightColumn);
    grid.MoveCursor(1, kTimeColumn);
    grid.editBuffer().text = "00007.00";
    grid.CommitEdit(1, kTimeColumn);
    const struct {
        int row;
        PeakRecord peak;
        bool untyped; // the new peak shows every text by itself
        const char* height;
        const char* time;
        const char* peakText;
    } cases[] = {
        {0, peak("Ar40", 1.5, 2.0, 1.0), true, "2.000", "00001.50", "2.000E+000"},
        {1, peak("Ar36", 6.0, 3.0, 1.0), false, "3.000", "00007.00", "3.000E+000"},
        {1, peak("Ar36", 7.0, 3.5, 1.0), false, "3.000", "00007.00", "3.000E+000"},
    };
    for (const auto& c : cases) {
        grid.takePeak(c.row, c.peak);
        EXPECT_EQ(grid.row(c.row)->peak.time, c.peak.time);
        EXPECT_EQ(grid.row(c.row)->typed.empty(), c.untyped);
        EXPECT_EQ(grid.cellText(c.row, kHeightColumn), c.height);
        EXPECT_EQ(grid.cellText(c.row, kTimeColumn), c.time);
        EXPECT_EQ(grid.cellText(c.row, kPeakColumn), c.peakText);
    }
    grid.takePeak(5, peak("X", 1)); // outside the table: nothing happens
    EXPECT_EQ(grid.GetRowCount(), 2);
}

TEST_F(GridModelTest, RowOperationsKeepTheTableWhole) {
    grid.AttachPeaks({peak("A", 1), peak("B", 2), peak("C", 3)});
    const auto labels = [&] {
        std::string text;
        for (int row = 0; row < grid.GetRowCount(); ++row) {
            text += grid.row(row) != nullptr ? grid.row(row)->peak.elem.str() : std::string("-");
        }
        return text;
    };
    EXPECT_EQ(grid.deleteRow(0)->peak.elem, "A");
    EXPECT_EQ(labels(), "BC-");
    EXPECT_TRUE(grid.restoreRow(1, EditorRow{peak("A", 1), {}}, grid.columnFormats()));
    EXPECT_EQ(labels(), "BAC");
    EXPECT_FALSE(grid.restoreRow(0, std::nullopt, grid.columnFormats())); // no empty last row
    EXPECT_TRUE(grid.reorderRows({2, 0, 1}, false));
    EXPECT_EQ(labels(), "CBA");
    EXPECT_TRUE(grid.reorderRows({2, 0, 1}, true));
    EXPECT_EQ(labels(), "BAC");
    EXPECT_FALSE(grid.reorderRows({0, 1, 2, 3}, false)); // longer than the table
    grid.appendEmptyRows(2);
    EXPECT_TRUE(grid.reorderRows({1, 0, 2}, false)); // the empty rows after them stay
    EXPECT_EQ(labels(), "ABC--");
    grid.insertRows(1, {EditorRow{peak("D", 4), {}}, std::nullopt});
    EXPECT_EQ(labels(), "AD-BC--");
    EXPECT_FALSE(grid.reorderRows({0}, false)); // a row after it is not empty
    grid.eraseRows(5, 10);
    grid.eraseRows(0, 2);
    EXPECT_EQ(labels(), "-BC");
    EXPECT_FALSE(grid.deleteRow(3).has_value());
}

TEST(CellNumber, ReadsTheLeadingNumberOrZero) {
    EXPECT_EQ(cellNumber("00012.50"), 12.5);
    EXPECT_EQ(cellNumber("  1.5E+003"), 1500.0);
    EXPECT_EQ(cellNumber("1.5abc"), 1.5);
    EXPECT_EQ(cellNumber("abc"), 0.0);
    EXPECT_EQ(cellNumber(""), 0.0);
    EXPECT_EQ(cellLabel("   Ar 40"), "Ar 40");
    EXPECT_EQ(cellLabel("       "), "");
}

} // namespace
} // namespace tarnova
