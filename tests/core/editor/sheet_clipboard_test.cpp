#include "editor/sheet_clipboard.h"

#include "core/editor/grid_fixture.h"
#include "editor/grid_editing.h"
#include "editor/sheet_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnova {
namespace {

using test::peak;
using test::RecordedMessage;

using SheetClipboardTest = test::GridFixture;

TEST_F(SheetClipboardTest, CopyWritesEveryRowAtFullPrecision) {
    grid.AttachPeaks({peak("Ar36", 1.2, 2.10585931, 0.01), peak("Ar40long", 10000.02, 2.5, 1e-15),
                      peak("", 3, 0, 0)});
    grid.appendEmptyRows(1); // an empty row is no line
    grid.MoveCursor(2, kTimeColumn);
    for (char c : std::string("7.25")) {
        TypeCharacter(grid, c); // typed after the 3 there, not yet committed
    }
    EXPECT_EQ(CopySheetText(grid), "Elem\tTime\tHeight\tRange\tPeak\n"
                                   "Ar36\t1.2\t2.10585931\t0.01\t0.021058593100000002\n"
                                   "Ar40long\t10000.02\t2.5\t1e-15\t2.5000000000000004e-15\n"
                                   "\t37.25\t0\t0\t0\n");
}

// A peak value read as a PKS file gives it (label, time, peak) is copied with the digits it was
// written with: the split keeps them, and the texts are the shortest that read back.
TEST_F(SheetClipboardTest, CopiedPeakValuesKeepTheirDigits) {
    const struct {
        const char* pasted;
        const char* copied;
    } cases[] = {
        {"Ar37\t1.33\t2.76471206E-004", "Ar37\t1.33\t2.76471206\t0.0001\t0.000276471206"},
        {"Ar39\t1.59\t2.20642069E-004", "Ar39\t1.59\t2.20642069\t0.0001\t0.000220642069"},
        {"Ar40\t1.72\t6.21481379E+000", "Ar40\t1.72\t6.21481379\t1\t6.21481379"},
        {"X\t120\t1.5E+005", "X\t120\t1.5\t100000\t150000"},
        {"Y\t0.5\t1.2345E-005", "Y\t0.5\t1.2345\t1e-05\t1.2345e-05"},
    };
    for (const auto& c : cases) {
        grid.NewSheet();
        ASSERT_TRUE(PasteSheetText(grid, c.pasted));
        EXPECT_EQ(CopySheetText(grid),
                  std::string("Elem\tTime\tHeight\tRange\tPeak\n") + c.copied + "\n");
    }
}

// Pasted rows show in the formats of the rows around them, also when the formats changed
// and the rows were not formatted again yet, and keep no texts of their own.
TEST_F(SheetClipboardTest, PastedRowsShowLikeTheRowsAroundThem) {
    grid.AttachPeaks({peak("Ar36", 1.25, 2.5, 1.0)});
    ASSERT_TRUE(grid.SetColumnFormat(kTimeColumn, 9, 4, false));
    ASSERT_TRUE(PasteSheetText(grid, "Ar40\t3.5\t1.5\t10\n"));
    EXPECT_EQ(grid.cellText(0, kTimeColumn), "00003.50");
    EXPECT_EQ(grid.cellText(1, kTimeColumn), "00001.25");
    EXPECT_TRUE(grid.row(0)->typed.empty());
    grid.ReformatRows();
    EXPECT_EQ(grid.cellText(0, kTimeColumn), "0003.5000");
    EXPECT_EQ(grid.cellText(0, kPeakColumn), "1.500E+001");
    // Undone and made again, the row still shows its peak in the formats of the moment.
    ASSERT_TRUE(UndoSheetChange(grid));
    EXPECT_EQ(grid.cellText(0, kTimeColumn), "0001.2500");
    ASSERT_TRUE(RedoSheetChange(grid));
    EXPECT_EQ(grid.cellText(0, kTimeColumn), "0003.5000");
    EXPECT_TRUE(grid.row(0)->typed.empty());
}

TEST_F(SheetClipboardTest, ACopiedSheetPastesIntoANewSheetAsTheSameRows) {
    const std::vector<PeakRecord> peaks = {peak("Ar36", 1.2, 2.10585931, 0.01),
                                           peak("Ar40", 1.72, 6.21481379, 1.0),
                                           peak("\x83\x41r", 0.1, 3.2e-7, 1e-12)};
    grid.AttachPeaks(peaks);
    const std::vector<std::string> texts = {grid.cellText(0, kTimeColumn),
                                            grid.cellText(1, kPeakColumn)};
    const std::string copied = CopySheetText(grid);
    grid.NewSheet();
    ASSERT_TRUE(PasteSheetText(grid, copied));
    EXPECT_EQ(grid.GetRowCount(), 3 + kGridPageRows);
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        const EditorRow* row = grid.row(static_cast<int>(i));
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->peak.elem, peaks[i].elem);
        EXPECT_EQ(row->peak.time, peaks[i].time);
        EXPECT_EQ(row->peak.height, peaks[i].height);
        EXPECT_EQ(row->peak.range, peaks[i].range);
    }
    EXPECT_EQ(grid.cellText(0, kTimeColumn), texts[0]);
    EXPECT_EQ(grid.cellText(1, kPeakColumn), texts[1]);
    EXPECT_EQ(grid.row(3), nullptr);
    EXPECT_EQ(CopySheetText(grid), copied);
}

TEST_F(SheetClipboardTest, SpreadsheetLinesInEachForm) {
    grid.AttachPeaks({peak("He4", 9)});
    const std::string text = "elem\ttime\tpeak\r\n"
                             "Ar40\t12.5\t523\r\n"               // label, time, peak
                             "\r\n"                              // skipped
                             " Ar36 \t 1.5 \t 2.25\t0.001\t\t\n" // four fields, empty columns
                             "Ar38\t2\t3\t0.1\t99\n"             // the peak of a copy is ignored
                             "\t4\t0.05";                        // no label, no line end
    ASSERT_TRUE(PasteSheetText(grid, text));
    const std::vector<PeakRecord> expected = {
        peak("Ar40", 12.5, 5.23, 100), peak("Ar36", 1.5, 2.25, 0.001), peak("Ar38", 2, 3, 0.1),
        peak("", 4, 5, 0.01), peak("He4", 9)};
    ASSERT_EQ(grid.GetRowCount(), 5);
    for (int i = 0; i < 5; ++i) {
        const PeakRecord& got = grid.row(i)->peak;
        const PeakRecord& want = expected[static_cast<std::size_t>(i)];
        EXPECT_EQ(got.elem, want.elem) << i;
        EXPECT_DOUBLE_EQ(got.time, want.time) << i;
        EXPECT_DOUBLE_EQ(got.height, want.height) << i;
        EXPECT_DOUBLE_EQ(got.range, want.range) << i;
    }
    EXPECT_EQ(grid.cellText(0, kElemColumn), "   Ar40");
    EXPECT_EQ(cursor(), (GridCell{0, kElemColumn}));
    EXPECT_TRUE(port.messages.empty());
}

TEST_F(SheetClipboardTest, ALineThatCannotBeReadPastesNothing) {
    const struct {
        const char* text;
        const char* named;
    } cases[] = {
        {"Ar40\t1\t2\t3\nAr36\tnoon\t2\t3", "2行目を貼り付けられません(時刻が数値ではない)"},
        {"Ar40\t1.5x\t2", "1行目を貼り付けられません(時刻が数値ではない)"},
        {"Ar40\t1\tnan", "1行目を貼り付けられません(ピークが数値ではない)"},
        {"Ar40\t1\t\t", "1行目を貼り付けられません(ピークが数値ではない)"},
        {"Ar40\t1\t\t3", "1行目を貼り付けられません(ピークハイトが数値ではない)"},
        {"Ar40\t1\t2\tinf", "1行目を貼り付けられません(レンジが数値ではない)"},
        {"Ar40 1 2 3", "1行目を貼り付けられません(列の数が3から5ではない)"},
        {"a\tb\tc\td\te\tf", "1行目を貼り付けられません(列の数が3から5ではない)"},
        {"Elem\tTime\tPeak\nElem\tTime\tPeak", "2行目を貼り付けられません(時刻が数値ではない)"},
        {"ThirtyCharacterLabelIsTooLong!\t1\t2",
         "1行目を貼り付けられません(同位体ラベルが長すぎるか制御文字を含む)"},
    };
    grid.AttachPeaks({peak("Ar36", 1)});
    for (const auto& c : cases) {
        port.messages.clear();
        EXPECT_FALSE(PasteSheetText(grid, c.text)) << c.text;
        ASSERT_EQ(port.messages.size(), 1u) << c.text;
        EXPECT_TRUE(port.messages[0].text.starts_with(c.named)) << port.messages[0].text;
        EXPECT_TRUE(port.messages[0].text.ends_with("何も貼り付けていません。"));
        EXPECT_EQ(grid.GetRowCount(), 1);
    }
    EXPECT_FALSE(grid.history().canUndo());
    EXPECT_FALSE(grid.IsModified());
    // Nothing at all to paste.
    port.messages.clear();
    EXPECT_FALSE(PasteSheetText(grid, "Elem\tTime\n\r\n"));
    EXPECT_FALSE(PasteSheetText(grid, ""));
    EXPECT_EQ(port.beeps, 2);
    EXPECT_TRUE(port.messages.empty());
}

TEST_F(SheetClipboardTest, APasteIsOneUndoStep) {
    grid.AttachPeaks({peak("Ar36", 1), peak("Ar40", 2)});
    grid.MoveCursor(1, kTimeColumn);
    ASSERT_TRUE(PasteSheetText(grid, "K39\t1\t2\t3\nK41\t4\t5\t6\n"));
    EXPECT_EQ(grid.GetRowCount(), 4);
    EXPECT_EQ(grid.cellText(1, kElemColumn), "    K39");
    EXPECT_EQ(grid.cellText(3, kElemColumn), "   Ar40");
    EXPECT_EQ(cursor(), (GridCell{1, kTimeColumn}));
    EXPECT_TRUE(grid.IsModified());
    ASSERT_TRUE(UndoSheetChange(grid));
    EXPECT_EQ(grid.GetRowCount(), 2);
    EXPECT_EQ(grid.cellText(1, kElemColumn), "   Ar40");
    EXPECT_FALSE(grid.IsModified());
    ASSERT_TRUE(RedoSheetChange(grid));
    EXPECT_EQ(grid.GetRowCount(), 4);
    EXPECT_EQ(grid.cellText(2, kElemColumn), "    K41");
}

} // namespace
} // namespace tarnova
