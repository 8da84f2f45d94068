#include "document/peak_list_extraction.h"

#include "core/support/log_capture.h"
#include "core/support/scripted_port.h"
#include "core/support/test_peaks.h"
#include "editor/grid_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <compare>
#include <string>
#include <utility>
#include <vector>

namespace tarnova {
namespace {

using ::testing::ElementsAre;

class Extraction : public ::testing::Test {
  protected:
    test::LogCapture log;
    test::ScriptedPort ui;
    GridModel grid{ui};

    void type(int row, int column, const std::string& text) {
        grid.MoveCursor(row, column);
        grid.editBuffer().text = text;
    }
};

TEST_F(Extraction, EditedCellsGiveTheirTextsAndTheOthersTheFileValues) {
    grid.AttachPeaks(
        {test::makePeak("Ar40", 100.7, 1.23456, 0.01), test::makePeak("Ar36", 100.2, 2.5, 0.001)});
    type(1, kHeightColumn, "9.870"); // a pending edit is committed first
    const auto peaks = ExtractPeakList(grid);
    ASSERT_TRUE(peaks);
    ASSERT_EQ(peaks->size(), 2u);
    EXPECT_EQ((*peaks)[0].elem, "Ar40");
    EXPECT_EQ((*peaks)[0].height, 1.23456); // shown as 1.235, read as the file gave it
    EXPECT_EQ((*peaks)[0].time, 100.7);
    EXPECT_EQ((*peaks)[1].height, 9.87);
    EXPECT_EQ((*peaks)[1].range, 0.001);
    // The rows keep the values read from edited cells and their own values for the others.
    EXPECT_EQ(grid.row(0)->peak.height, 1.23456);
    EXPECT_EQ(grid.row(1)->peak.height, 9.87);
    EXPECT_THAT(log.lines(),
                ElementsAre("   Ar40, 6, YES", "1,    Ar40, 00100.70, 1.235, 00.0100",
                            "   Ar36, 6, YES", "2,    Ar36, 00100.20, 9.870, 00.0010"));
}

// The column formats change what the cells show, never the peaks a calculation reads; labels
// are recognised in the peak's own label, not in the narrower text the label field shows.
TEST_F(Extraction, ColumnFormatsDoNotChangeThePeaks) {
    const std::vector<PeakRecord> file{test::makePeak(" Ar40*", 100.123456789, 6.21481379, 1e-4),
                                       test::makePeak("Ar36", 1e-7, 2.10585931, 0.01),
                                       test::makePeak("Ar40-long-label", 3.5, 1.000001, 1e3)};
    const struct {
        int column;
        int width;
        int decimals;
    } formats[] = {{kHeightColumn, 6, 1}, {kHeightColumn, 12, 9}, {kHeightColumn, 3, 1},
                   {kTimeColumn, 5, 1},   {kRangeColumn, 4, 1},   {kElemColumn, 3, 0}};
    const char* labels[] = {"Ar40", "Ar36", "Ar40-long-label"};
    for (const auto& format : formats) {
        for (const bool beforeLoading : {true, false}) {
            SCOPED_TRACE(format.column * 1000 + format.width * 10 + format.decimals);
            SCOPED_TRACE(beforeLoading ? "set before loading" : "set on a loaded sheet");
            GridModel sheet{ui};
            if (!beforeLoading) {
                sheet.AttachPeaks(file);
            }
            ASSERT_TRUE(sheet.SetColumnFormat(format.column, format.width, format.decimals, false));
            if (beforeLoading) {
                sheet.AttachPeaks(file);
            } else {
                sheet.ReformatRows();
            }
            const auto peaks = ExtractPeakList(sheet);
            ASSERT_TRUE(peaks);
            ASSERT_EQ(peaks->size(), 3u);
            for (std::size_t k = 0; k < file.size(); ++k) {
                EXPECT_EQ((*peaks)[k].elem, labels[k]);
                EXPECT_EQ((*peaks)[k].time, file[k].time);
                EXPECT_EQ((*peaks)[k].height, file[k].height);
                EXPECT_EQ((*peaks)[k].range, file[k].range);
            }
        }
    }
}

// A typed label is recognised in its text; the peak keeps what was recognised.
TEST_F(Extraction, TypedLabelsAreRecognisedInTheirText) {
    grid.AttachPeaks({test::makePeak("Ar40", 1, 1), test::makePeak("Ar36", 2, 2)});
    type(1, kElemColumn, "  Kr84*");
    const auto peaks = ExtractPeakList(grid);
    ASSERT_TRUE(peaks);
    ASSERT_EQ(peaks->size(), 2u);
    EXPECT_EQ((*peaks)[1].elem, "Kr84");
    EXPECT_EQ(grid.row(1)->peak.elem, "Kr84");
    EXPECT_EQ((*peaks)[1].height, 2.0);
}

// Wide columns and long numbers reach the calculation whole: nothing is cut from a cell.
TEST_F(Extraction, WideColumnsAndLongNumbersAreReadWhole) {
    const struct {
        int column;
        int width;
        int decimals;
        PeakRecord peak;
    } cases[] = {
        {kTimeColumn, 60, 5, test::makePeak("Ar40", 60.5, 2.0)},
        {kElemColumn, 50, 0, test::makePeak("Ar40", 1.5, 2.0)},
        {kTimeColumn, 8, 5, test::makePeak("Ar40", 1e300, 2.0)},
        {kHeightColumn, 255, 200, test::makePeak("Ar40", 1.5, 1.25)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        ASSERT_TRUE(grid.SetColumnFormat(c.column, c.width, c.decimals, false));
        grid.AttachPeaks({c.peak});
        const auto peaks = ExtractPeakList(grid);
        ASSERT_TRUE(peaks);
        ASSERT_EQ(peaks->size(), 1u);
        EXPECT_TRUE(test::peakIs(peaks->front(), "Ar40", c.peak.time, c.peak.height, 1.0));
    }
}

TEST_F(Extraction, RecognisesTheLabelCharacters) {
    EXPECT_EQ(recognizedLabel("   Ar40*"), "Ar40");
    EXPECT_EQ(recognizedLabel(" Ar 40"), "Ar 40");
    EXPECT_EQ(recognizedLabel("\t+,-./:;<=!#$%&x"), "+,-./:;<=!#$%&x");
    EXPECT_EQ(recognizedLabel("  (Ar40"), std::nullopt);
    EXPECT_EQ(recognizedLabel("   "), std::nullopt);
    EXPECT_EQ(recognizedLabel("\x83\x41"), std::nullopt);
    EXPECT_EQ(recognizedLabel(std::string(40, 'x'))->size(), kMaxLabelLength);
}

TEST_F(Extraction, RowsWithABlankLabelFieldAreNoPeaks) {
    grid.AttachPeaks(
        {test::makePeak("Ar40", 1, 1), test::makePeak("Ar36", 2, 2), test::makePeak("Ar38", 3, 3)});
    grid.appendEmptyRows(1); // an empty row nobody typed into
    type(0, kElemColumn, "       ");
    const auto peaks = ExtractPeakList(grid);
    ASSERT_TRUE(peaks);
    // The blanked row still holds Ar40 in its peak, but only rows 2 and 3 are peaks.
    ASSERT_EQ(peaks->size(), 2u);
    EXPECT_EQ((*peaks)[0].elem, "Ar36");
    EXPECT_EQ((*peaks)[1].elem, "Ar38");
    EXPECT_EQ(log.lines()[0], "       , 6, NO");
    EXPECT_EQ(log.lines().back(), "       , 6, NO");
}

TEST_F(Extraction, FailuresAndTheirLogLines) {
    grid.AttachPeaks({});
    EXPECT_FALSE(ExtractPeakList(grid));
    EXPECT_EQ(log.lines().back(), "No retrievable peak.");
    grid.NewSheet();
    EXPECT_FALSE(ExtractPeakList(grid));
    EXPECT_EQ(log.lines().back(), "Too few item to retrievable.");
    grid.AttachPeaks({test::makePeak("Ar40", 1, 1), test::makePeak("(Ar36", 2, 2),
                      test::makePeak("Ar38", 3, 3)});
    type(0, kTimeColumn, "05.00");
    EXPECT_FALSE(ExtractPeakList(grid));
    EXPECT_EQ(log.lines().back(), "Impossible to recognize name.");
    EXPECT_DOUBLE_EQ(grid.row(0)->peak.time, 5.0); // rows passed keep their values
    EXPECT_DOUBLE_EQ(grid.row(2)->peak.time, 3.0);
}

// Orders already sorted, or nearly, come out as a stable sort by (undefined, time) gives them:
// ties and undefined times keep their order.
TEST(PeakOrder, SortedAndNearlySortedListsAsAStableSortLeavesThem) {
    const struct {
        const char* name;
        std::vector<double> times;
    } rows[] = {
        {"sorted", {1, 2, 3, 4}},
        {"ties", {1, 2, 2, 2, 3}},
        {"undefined last", {1, 2, NAN, NAN}},
        {"undefined inside", {1, NAN, 2, 3}},
        {"one late", {1, 3, 2, 4}},
        {"reversed", {4, 3, 3, 1}},
        {"negative and zero", {-1, -0.0, 0, 1}},
        {"mixed", {100.7, NAN, 100.2, -1, 100.2}},
        {"empty", {}},
    };
    for (const auto& row : rows) {
        std::vector<PeakRecord> peaks;
        std::vector<std::pair<std::pair<bool, double>, std::size_t>> keys;
        for (std::size_t i = 0; i < row.times.size(); ++i) {
            peaks.push_back(test::makePeak(std::to_string(i), row.times[i], 1));
            const bool undefined = std::isnan(row.times[i]);
            keys.push_back({{undefined, undefined ? 0.0 : row.times[i]}, i});
        }
        std::stable_sort(keys.begin(), keys.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        SortPeaksByTime(peaks);
        std::vector<std::string> order;
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < peaks.size(); ++i) {
            order.push_back(peaks[i].elem);
            expected.push_back(std::to_string(keys[i].second));
        }
        EXPECT_EQ(order, expected) << row.name;
    }
}

} // namespace
} // namespace tarnova
