#include "editor/grid_editing.h"

#include "core/editor/grid_fixture.h"
#include "editor/cell_entry.h"
#include "editor/editor_port.h"
#include "editor/jump_to.h"
#include "editor/row_sort.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace tarnova {
namespace {

using test::peak;

class ScriptedEditorPort final : public EditorPort {
  public:
    std::deque<int> sortChoices;
    std::deque<std::string> jumpTexts;
    int sortDialogs = 0;

    std::optional<SortOrder> chooseSortOrder() override {
        ++sortDialogs;
        if (sortChoices.empty()) {
            return std::nullopt;
        }
        const int choice = sortChoices.front();
        sortChoices.pop_front();
        return DecodeSortChoice(choice);
    }
    std::optional<JumpTarget> chooseJumpTarget() override {
        if (jumpTexts.empty()) {
            return std::nullopt;
        }
        const std::string text = jumpTexts.front();
        jumpTexts.pop_front();
        return ParseJumpTarget(text);
    }
};

class GridEditingTest : public test::GridFixture {
  protected:
    void type(const std::string& text) {
        for (char c : text) {
            TypeCharacter(grid, c);
        }
    }
    void press(GridKey key, int times = 1) {
        for (int i = 0; i < times; ++i) {
            PressGridKey(grid, key);
        }
    }
    std::vector<std::string> labels() const {
        std::vector<std::string> result;
        for (int row = 0; row < grid.GetRowCount(); ++row) {
            result.push_back(grid.row(row) != nullptr ? grid.cellText(row, kElemColumn)
                                                      : std::string("(empty)"));
        }
        return result;
    }
    // The labels after sorting with the dialog's choice.
    std::vector<std::string> sortedLabels(int choice) {
        dialogs.sortChoices = {choice};
        SortRows(grid, dialogs);
        return labels();
    }
    using Texts = std::vector<std::string>;
    void jump(const char* text) {
        dialogs.jumpTexts = {text};
        JumpTo(grid, dialogs);
    }

    ScriptedEditorPort dialogs;
};

TEST_F(GridEditingTest, TypingALabelAndCommittingIt) {
    type("Ar40");
    EXPECT_EQ(grid.editBuffer().text, "   Ar40");
    EXPECT_EQ(view.calls.back(), "cells 0 1-1");
    EXPECT_TRUE(grid.IsModified());
    // Not stored until the cursor leaves the cell.
    EXPECT_EQ(grid.cellText(0, kElemColumn), "       ");
    press(GridKey::Backspace);
    EXPECT_EQ(grid.editBuffer().text, "    Ar4");
    type("+-");
    EXPECT_EQ(port.beeps, 0);
    type("0xyz");
    EXPECT_EQ(grid.editBuffer().text, "Ar40xyz");
    type("1");
    EXPECT_EQ(port.beeps, 1);
    press(GridKey::Right);
    EXPECT_EQ(grid.cellText(0, kElemColumn), "Ar40xyz");
    EXPECT_EQ(grid.cursorColumn(), kTimeColumn);
}

TEST_F(GridEditingTest, TypingTimeDigitsPointAndFraction) {
    ASSERT_TRUE(grid.SetColumnFormat(kTimeColumn, 8, 5, false));
    grid.NewSheet();
    press(GridKey::Right);
    EXPECT_EQ(grid.editBuffer().text, "00.00000");
    type("12");
    EXPECT_EQ(grid.editBuffer().text, "12.00000");
    EXPECT_EQ(view.calls.back(), "cells 0 1-4");
    type("3");
    EXPECT_EQ(port.beeps, 1);
    view.calls.clear();
    type(".");
    EXPECT_TRUE(view.calls.empty()); // the point moves without a repaint
    type("56789");
    EXPECT_EQ(grid.editBuffer().text, "12.56789");
    type("1");
    EXPECT_EQ(port.beeps, 2);
    type("-e");
    EXPECT_EQ(port.beeps, 4);
    press(GridKey::Backspace, 4);
    EXPECT_EQ(grid.editBuffer().text, "12.50000");
    press(GridKey::Backspace);
    EXPECT_EQ(grid.editBuffer().text, "12.00000");
    press(GridKey::Backspace);
    EXPECT_EQ(grid.editBuffer().text, "01.00000");
    press(GridKey::Backspace);
    EXPECT_EQ(grid.editBuffer().text, "00.00000");
    press(GridKey::Down);
    EXPECT_EQ(grid.cellText(0, kTimeColumn), "00.00000");
}

TEST_F(GridEditingTest, HeightEditUpdatesPeakOnCommit) {
    grid.AttachPeaks({peak("Ar40", 1.0, 1.5, 10.0)});
    press(GridKey::Right, 2);
    EXPECT_EQ(grid.editBuffer().text, "1.500");
    type("."); // already 1.500: the whole part is full, so digits go to the fraction
    type("25");
    press(GridKey::Left);
    EXPECT_EQ(grid.cellText(0, kHeightColumn), "1.250");
    EXPECT_EQ(grid.cellText(0, kPeakColumn), "1.250E+001");
}

TEST_F(GridEditingTest, BackspaceAndTypingMarkTheSheetMovesDoNot) {
    press(GridKey::Right);
    press(GridKey::Down, 3);
    press(GridKey::Home);
    press(GridKey::End);
    press(GridKey::Enter); // End puts the cursor on Elem: Enter goes to Time
    EXPECT_FALSE(grid.IsModified());
    press(GridKey::Backspace); // nothing to erase, still a change
    EXPECT_TRUE(grid.IsModified());
    grid.ClearModified();
    type("!"); // ignored characters leave the mark alone
    type("\t\n\x7f");
    EXPECT_FALSE(grid.IsModified());
}

TEST_F(GridEditingTest, CursorKeysWrapAndBeepAtTheEdges) {
    press(GridKey::Left);
    press(GridKey::Up);
    EXPECT_EQ(port.beeps, 2);
    EXPECT_EQ(grid.cursorRow(), 0);
    press(GridKey::Down);
    press(GridKey::Left); // from Elem to Range of the row above
    EXPECT_EQ(cursor(), (GridCell{0, kRangeColumn}));
    press(GridKey::Right); // from Range to Elem of the next row
    EXPECT_EQ(cursor(), (GridCell{1, kElemColumn}));
    press(GridKey::End);
    EXPECT_EQ(grid.cursorRow(), 24);
    press(GridKey::Down);
    EXPECT_EQ(port.beeps, 3);
    press(GridKey::Right, 3);
    press(GridKey::Right);
    EXPECT_EQ(port.beeps, 4);
    EXPECT_EQ(grid.GetRowCount(), 25);
    press(GridKey::Home);
    EXPECT_EQ(cursor(), (GridCell{0, kElemColumn}));
    EXPECT_EQ(grid.topRow(), 0);
}

TEST_F(GridEditingTest, EnterOnTheLastRangeGrowsTheTable) {
    press(GridKey::End);
    press(GridKey::Right, 3);
    press(GridKey::Enter);
    EXPECT_EQ(grid.GetRowCount(), 50);
    EXPECT_EQ(cursor(), (GridCell{25, kElemColumn}));
    EXPECT_EQ(grid.topRow(), 1); // the row just below the view scrolls in
    EXPECT_EQ(view.scrollBar, (ScrollBarState{1, 50, 25, 2}));
    EXPECT_EQ(port.beeps, 0);
    EXPECT_FALSE(grid.IsModified());
}

TEST_F(GridEditingTest, GrowingAShortTableShowsTheNewRows) {
    grid.AttachPeaks({peak("Ar36", 1), peak("Ar40", 2)});
    press(GridKey::Down);
    press(GridKey::Right, 3);
    view.calls.clear();
    press(GridKey::Enter);
    EXPECT_EQ(grid.GetRowCount(), 27);
    EXPECT_EQ(view.calls, (Texts{"from 2", "row 1", "row 2"}));
    EXPECT_EQ(grid.cursorRow(), 2);
}

TEST_F(GridEditingTest, InsertThenDeleteRestoresTheSheetWithOneMoreRow) {
    grid.AttachPeaks({peak("Ar36", 1), peak("Ar38", 2), peak("Ar40", 3)});
    press(GridKey::Insert);
    EXPECT_EQ(labels(), (Texts{"(empty)", "   Ar36", "   Ar38", "   Ar40"}));
    EXPECT_EQ(grid.editBuffer().text, "       ");
    EXPECT_EQ(view.scrollBar.maximum, 4);
    EXPECT_EQ(view.calls.back(), "from 0");
    EXPECT_TRUE(grid.IsModified());
    grid.ClearModified();
    press(GridKey::Delete);
    EXPECT_EQ(labels(), (Texts{"   Ar36", "   Ar38", "   Ar40", "(empty)"}));
    EXPECT_EQ(grid.editBuffer().text, "   Ar36");
    EXPECT_TRUE(grid.IsModified());
}

TEST_F(GridEditingTest, TypingIntoAnInsertedLineIsCommittedBeforeTheNextInsert) {
    grid.AttachPeaks({peak("Ar36", 1), peak("Ar40", 3)});
    press(GridKey::Down);
    press(GridKey::Insert);
    type("Ar38");
    InsertLine(grid);
    EXPECT_EQ(labels(), (Texts{"   Ar36", "(empty)", "   Ar38", "   Ar40"}));
    DeleteLine(grid);
    DeleteLine(grid);
    EXPECT_EQ(labels(), (Texts{"   Ar36", "   Ar40", "(empty)", "(empty)"}));
}

TEST_F(GridEditingTest, LineOperationsOutOfViewShowTheLastRows) {
    std::vector<PeakRecord> peaks;
    for (int i = 0; i < 100; ++i) {
        peaks.push_back(peak("Ar40", i));
    }
    grid.AttachPeaks(peaks);
    grid.MoveCursor(90, -1); // the view ends with the last row
    EXPECT_EQ(grid.topRow(), 75);
    grid.setTopRow(0); // the cursor's row scrolled out of view
    InsertLine(grid);
    EXPECT_EQ(grid.GetRowCount(), 101);
    EXPECT_EQ(grid.topRow(), 76);
    EXPECT_EQ(view.scrollBar, (ScrollBarState{1, 101, 25, 77}));
    grid.setTopRow(0);
    DeleteLine(grid);
    EXPECT_EQ(grid.topRow(), 76);
    EXPECT_EQ(view.calls.back(), "all");
}

TEST_F(GridEditingTest, EmptyTableTakesNoTypingAndSurvivesEveryKey) {
    grid.AttachPeaks({});
    ASSERT_EQ(grid.GetRowCount(), 0);
    type("A1");
    press(GridKey::Backspace);
    EXPECT_EQ(port.beeps, 3);
    for (GridKey key : {GridKey::Left, GridKey::Right, GridKey::Up, GridKey::Down, GridKey::Home,
                        GridKey::End, GridKey::Delete}) {
        press(key);
    }
    EXPECT_EQ(grid.GetRowCount(), 0);
    EXPECT_FALSE(grid.IsModified());
    SortRows(grid, dialogs);
    EXPECT_EQ(dialogs.sortDialogs, 0);
    press(GridKey::Insert);
    EXPECT_EQ(grid.GetRowCount(), 1);
    type("He4");
    press(GridKey::Right);
    EXPECT_EQ(grid.cellText(0, kElemColumn), "    He4");
}

TEST_F(GridEditingTest, SortByLabelPutsLongerTextsFirstAndEmptyRowsLast) {
    grid.AttachPeaks({peak("He4", 1), peak("", 2), peak("Ar40", 3), peak("Ar36", 4)});
    grid.appendEmptyRows(1);                            // an empty row in the table
    grid.insertRows(grid.GetRowCount(), {EditorRow{}}); // a typed row, still all zero
    grid.ClearModified();
    // Label, ascending; descending reverses only labels of one length.
    EXPECT_EQ(sortedLabels(1),
              (Texts{"   Ar36", "   Ar40", "    He4", "       ", "       ", "(empty)"}));
    EXPECT_EQ(sortedLabels(2),
              (Texts{"   Ar40", "   Ar36", "    He4", "       ", "       ", "(empty)"}));
    EXPECT_FALSE(grid.IsModified());
    EXPECT_EQ(grid.editBuffer().text, "   Ar40");
    EXPECT_EQ(view.calls.back(), "all");
}

TEST_F(GridEditingTest, SortByTimeDescendingKeepsBlankTextsLast) {
    grid.AttachPeaks({peak("Ar36", 5), peak("", 99), peak("Ar40", 7), peak("Ar38", 6)});
    grid.insertRows(1, std::vector<RowState>(1)); // the cursor stays on Ar36
    // Time, descending then ascending.
    EXPECT_EQ(sortedLabels(4), (Texts{"   Ar40", "   Ar38", "   Ar36", "       ", "(empty)"}));
    EXPECT_EQ(sortedLabels(3), (Texts{"   Ar36", "   Ar38", "   Ar40", "       ", "(empty)"}));
}

TEST_F(GridEditingTest, SortCommitsTheEditAndCancelChangesNothing) {
    grid.AttachPeaks({peak("Ar36", 1, 3.0), peak("Ar40", 2, 1.0)});
    press(GridKey::Right, 2);
    type(".5");      // Height of Ar36: 3.500
    sortedLabels(0); // cancelled
    EXPECT_EQ(grid.cellText(0, kHeightColumn), "3.000");
    // Height, descending then ascending.
    EXPECT_EQ(sortedLabels(10), (Texts{"   Ar36", "   Ar40"}));
    EXPECT_EQ(grid.cellText(0, kHeightColumn), "3.500");
    EXPECT_EQ(sortedLabels(9), (Texts{"   Ar40", "   Ar36"}));
    // The cursor stays on row 1, Height, and now edits the other row.
    EXPECT_EQ(grid.editBuffer().text, "1.000");
}

// Rows sort by what their cells show: heights that show alike are equal keys and keep their
// order, and a typed height counts with its text, not with the peak it was loaded with.
TEST_F(GridEditingTest, SortUsesTheShownTexts) {
    const struct {
        int choice;
        Texts labels;
    } cases[] = {
        {9, {"      D", "      A", "      B", "      C"}},  // Height, ascending
        {10, {"      C", "      A", "      B", "      D"}}, // Height, descending
        {5, {"      D", "      A", "      B", "      C"}},  // Peak, ascending
        {6, {"      C", "      A", "      B", "      D"}},  // Peak, descending
    };
    for (const auto& c : cases) {
        grid.AttachPeaks(
            {peak("A", 1, 1.2344), peak("B", 2, 1.2341), peak("C", 3, 1.2346), peak("D", 4, 9.0)});
        grid.MoveCursor(3, kHeightColumn);
        grid.editBuffer().text = "1.000";
        EXPECT_EQ(sortedLabels(c.choice), c.labels) << c.choice;
    }
}

// The comparison must be a strict weak ordering, or sorting may run off the table: rows
// with equal keys (and blank or empty rows, and unreadable numbers) are equivalent.
TEST(SortOrder, IsAStrictWeakOrderingOnRowsWithManyEqualKeys) {
    std::mt19937 random(7);
    std::vector<std::unique_ptr<RowSortKey>> rows;
    const std::vector<std::string> labels = {"   Ar40", "   Ar36", "    He4",
                                             "       ", "Ar40abc", "   \x83\x41r"};
    const std::vector<double> values = {1.0, 2.0, 1.0, std::nan(""), 0.0};
    for (int i = 0; i < 30; ++i) {
        if (random() % 7 == 0) {
            rows.emplace_back();
            continue;
        }
        rows.push_back(std::make_unique<RowSortKey>(
            RowSortKey{labels[random() % labels.size()], values[random() % values.size()]}));
    }
    for (int code = 1; code <= 10; ++code) {
        const SortOrder order = *DecodeSortChoice(code);
        const auto precedes = [&](const auto& a, const auto& b) {
            return SortPrecedes(a.get(), b.get(), order);
        };
        const auto equivalent = [&](const auto& a, const auto& b) {
            return !precedes(a, b) && !precedes(b, a);
        };
        for (const auto& a : rows) {
            EXPECT_FALSE(precedes(a, a));
            for (const auto& b : rows) {
                EXPECT_FALSE(precedes(a, b) && precedes(b, a));
                for (const auto& c : rows) {
                    if (precedes(a, b) && precedes(b, c)) {
                        EXPECT_TRUE(precedes(a, c));
                    }
                    if (equivalent(a, b) && equivalent(b, c)) {
                        EXPECT_TRUE(equivalent(a, c));
                    }
                }
            }
        }
        std::sort(rows.begin(), rows.end(), precedes);
        EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), precedes));
    }
}

TEST_F(GridEditingTest, JumpToNamedCells) {
    std::vector<PeakRecord> peaks(30, peak("Ar40", 1));
    grid.AttachPeaks(peaks);
    jump("12 : 3");
    EXPECT_EQ(cursor(), (GridCell{11, kHeightColumn}));
    jump(" 28");
    EXPECT_EQ(cursor(), (GridCell{27, kHeightColumn}));
    EXPECT_EQ(grid.topRow(), 5); // 28 is far below the view: it ends with the last row
    for (const char* text :
         {"0", "31", "-2147483648", "99999999999", "3 : 5", "3 : 0", "3 : 99999999999"}) {
        jump(text);
        EXPECT_EQ(cursor(), (GridCell{27, kHeightColumn})) << text;
    }
    JumpTo(grid, dialogs); // cancelled
    EXPECT_EQ(cursor(), (GridCell{27, kHeightColumn}));
    EXPECT_FALSE(grid.IsModified());
}

// A Time buffer of width 8 with 5 decimals: point at 2, insertion on the last whole digit.
struct NumberBuffer {
    std::string text = "00.00000";
    int insertion = 1;
    int point = 2;
    NumberEntry entry() { return {text, insertion, point}; }
    std::vector<EntryResult> type(const std::string& keys) {
        std::vector<EntryResult> results;
        for (char c : keys) {
            results.push_back(TypeNumberCharacter(entry(), c));
        }
        return results;
    }
};

TEST(CellEntry, NumberWiderThanItsColumnEditsAroundItsOwnPoint) {
    // 123.25 in a Time column of width 8 and 5 decimals is one character too wide; the
    // column format puts the point at 2, the text has it at 3.
    NumberBuffer time;
    time.text = "123.25000";
    EXPECT_EQ(time.type("."), std::vector{EntryResult::PointMoved});
    EXPECT_EQ(time.point, 3);
    EXPECT_EQ(time.type("9"), std::vector{EntryResult::Taken});
    EXPECT_EQ(time.text, "123.95000");
    time.type("9999");
    EXPECT_EQ(time.text, "123.99999");
    EXPECT_EQ(time.type("9"), std::vector{EntryResult::Refused});
    EXPECT_EQ(time.text.size(), 9U);
}

TEST(CellEntry, NumberWithoutPointTakesNothing) {
    std::string text = "1234";
    int insertion = 1;
    int point = 2;
    EXPECT_EQ(TypeNumberCharacter({text, insertion, point}, '5'), EntryResult::Refused);
    EraseNumberCharacter({text, insertion, point});
    EXPECT_EQ(text, "1234");
}

TEST(JumpTarget, ReadsRowAndOptionalColumn) {
    EXPECT_EQ(ParseJumpTarget("12 : 3"), (JumpTarget{12, 3}));
    EXPECT_EQ(ParseJumpTarget("  12:3"), (JumpTarget{12, 3}));
    EXPECT_EQ(ParseJumpTarget("12"), (JumpTarget{12, -1}));
    EXPECT_EQ(ParseJumpTarget(" 7abc"), (JumpTarget{7, -1}));
    // A colon without a column still names the row.
    EXPECT_EQ(ParseJumpTarget("12:"), (JumpTarget{12, -1}));
    EXPECT_EQ(ParseJumpTarget("0"), (JumpTarget{0, -1}));
    EXPECT_FALSE(ParseJumpTarget(""));
    EXPECT_FALSE(ParseJumpTarget("abc"));
    EXPECT_FALSE(ParseJumpTarget(": 3"));
    // Only the first 1023 characters are read.
    EXPECT_FALSE(ParseJumpTarget(std::string(1023, ' ') + "5"));
}

} // namespace
} // namespace tarnova
