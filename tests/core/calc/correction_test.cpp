// Interference corrections read from an INI file and applied to a time-ordered peak list.
#include "calc/calc_state.h"
#include "calc/correction.h"
#include "core/support/log_capture.h"
#include "core/support/scripted_port.h"
#include "core/support/temp_folder.h"
#include "core/support/test_peaks.h"
#include "platform/run_log.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

using test::makePeak;

class Corrections : public ::testing::Test {
  protected:
    test::TempFolder folder;
    std::string iniPath = folder.path("TARNOVA.INI");
    CalcState state;
    test::ScriptedPort port;

    void writeIni(const std::string& text) { folder.write("TARNOVA.INI", text); }

    bool apply(const char* set) {
        state.correctionSet = set;
        return ApplyCorrections(state, port, iniPath);
    }
};

TEST_F(Corrections, SubtractInterpolatedInterferingSignal) {
    writeIni("[general]\r\ninterferance=1\r\n[interferance]\r\nAtm=1\r\n"
             "[Atm]\r\nitem1=Ar40,Ar36,295.5\r\n");
    state.peaks = {makePeak("Ar36", 10, 2), makePeak("Ar40", 20, 1000), makePeak("Ar40", 25, 2, 10),
                   makePeak("Ar36", 30, 4)};
    ASSERT_TRUE(apply("Atm"));
    // The Ar36 signal at 20 is 3: 1000 - 295.5 x 3.
    EXPECT_DOUBLE_EQ(state.peaks[1].height, 113.5);
    // Height 2 at range 10 becomes 20 at range 1 before the subtraction of 295.5 x 3.5.
    EXPECT_DOUBLE_EQ(state.peaks[2].range, 1.0);
    EXPECT_DOUBLE_EQ(state.peaks[2].height, 20.0 - 295.5 * 3.5);
    EXPECT_TRUE(port.messages.empty());
}

TEST_F(Corrections, DisableCorrectedPeaksOutsideTheInterferingOnes) {
    writeIni("[interferance]\nS=1\n[S]\nitem1=A,B,1\n");
    state.peaks = {makePeak("A", 1, 5), makePeak("B", 2, 1), makePeak("A", 3, 5),
                   makePeak("B", 4, 1), makePeak("A", 5, 5), makePeak("C", 6, 5)};
    ASSERT_TRUE(apply("S"));
    EXPECT_TRUE(state.peaks[0].isDisabled());
    EXPECT_FALSE(state.peaks[2].isDisabled());
    EXPECT_DOUBLE_EQ(state.peaks[2].height, 4.0);
    EXPECT_TRUE(state.peaks[4].isDisabled());
    EXPECT_FALSE(state.peaks[5].isDisabled());
}

TEST_F(Corrections, OneInterferingPeakOrNone) {
    writeIni("[interferance]\nS=1\nT=1\n[S]\nitem1=A,B,1\n[T]\nitem1=A,X,1\n");
    state.peaks = {makePeak("A", 1, 5), makePeak("B", 2, 1), makePeak("A", 3, 5)};
    ASSERT_TRUE(apply("S"));
    // A corrected peak after the only interfering one stays, uncorrected.
    EXPECT_TRUE(state.peaks[0].isDisabled());
    EXPECT_FALSE(state.peaks[2].isDisabled());
    EXPECT_DOUBLE_EQ(state.peaks[2].height, 5.0);
    ASSERT_TRUE(apply("T"));
    EXPECT_TRUE(state.peaks[2].isDisabled());
}

TEST_F(Corrections, ItemsApplyInOrderAndBadItemsAreSkipped) {
    writeIni("[interferance]\nS=4\n[S]\nitem1=A,B,1\nitem2=A,B\nitem3=A,B,2\n");
    state.peaks = {makePeak("B", 0, 1), makePeak("A", 1, 10), makePeak("B", 2, 1)};
    ASSERT_TRUE(apply("S"));
    // item2 has no factor and item4 is missing: only 1 x 1 and 2 x 1 are subtracted.
    EXPECT_DOUBLE_EQ(state.peaks[1].height, 7.0);
}

TEST_F(Corrections, UnknownSetIsReportedAndChangesNothing) {
    writeIni("[interferance]\nS=0\n");
    state.peaks = {makePeak("A", 1, 10)};
    EXPECT_FALSE(apply("S"));
    EXPECT_FALSE(apply("Missing"));
    ASSERT_EQ(port.messages.size(), 2u);
    EXPECT_EQ(
        port.messages[1],
        (test::RecordedMessage{"Tarnova", "Missingという妨害ピーク補正テーブルはありません。"}));
    EXPECT_FALSE(state.peaks[0].isDisabled());

    state.correctionSet.reset();
    EXPECT_FALSE(ApplyCorrections(state, port, iniPath));
    EXPECT_EQ(port.beeps, 1);
}

TEST_F(Corrections, ReadASetWithItsNumberedItems) {
    writeIni("[interferance]\nAtm=3\nNone=0\n[Atm]\nitem1=Ar40,Ar36,295.5\nitem2=bad\n"
             "ITEM3=Ar38,Ar36,0.188\nitem3=ignored\nitem03=ignored\n");
    const std::optional<CorrectionSet> set = ReadCorrectionSet(iniPath, "Atm");
    ASSERT_TRUE(set);
    ASSERT_EQ(set->items.size(), 3u);
    EXPECT_FALSE(set->items[1].item);
    EXPECT_EQ(set->items[2].item->corrected, "Ar38");
    EXPECT_FALSE(ReadCorrectionSet(iniPath, "None"));
    EXPECT_FALSE(ReadCorrectionSet(iniPath, "Missing"));
}

// The count of a set is not trusted: the items end at the count or at the last item present,
// whichever comes first, and missing items cost nothing beyond their log lines.
TEST_F(Corrections, ItemsEndAtTheCountOrTheLastItemPresent) {
    const struct {
        const char* ini;
        int itemCount;
        std::size_t items;
        double height; // of the A peak, from 10
    } cases[] = {
        {"[interferance]\nS=2\n[S]\nitem1=A,B,1\nitem2=A,B,2\nitem3=A,B,4\n", 2, 2, 7.0},
        {"[interferance]\nS=2147483647\n[S]\nitem2=A,B,1\nitem2000000000=A,B,2\n", 2000000000, 2,
         7.0},
        {"[interferance]\nS=5\n[S]\nitem1=A,B,1\nitem9=A,B,2\n", 5, 1, 9.0},
        {"[interferance]\nS=3\n[S]\n", 0, 0, 10.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini);
        writeIni(c.ini);
        const std::optional<CorrectionSet> set = ReadCorrectionSet(iniPath, "S");
        ASSERT_TRUE(set);
        EXPECT_EQ(set->itemCount, c.itemCount);
        EXPECT_EQ(set->items.size(), c.items);
        state.peaks = {makePeak("B", 0, 1), makePeak("A", 1, 10), makePeak("B", 2, 1)};
        ASSERT_TRUE(apply("S"));
        EXPECT_DOUBLE_EQ(state.peaks[1].height, c.height);
    }
}

// Each missing item logs its default text and the format line, as far as the log can show.
TEST_F(Corrections, MissingItemsAreLoggedAsTheLogShowsThem) {
    const test::LogCapture log;
    writeIni("[interferance]\nS=4\n[S]\nitem1=A,B,1\nitem4=A,B,1\n");
    state.peaks = {makePeak("A", 1, 10)};
    ASSERT_TRUE(apply("S"));
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"A,B,1", " --NOENTORY-- ", "Invalid format of item.",
                                        " --NOENTORY-- ", "Invalid format of item.", "A,B,1"}));
    writeIni("[interferance]\nS=2147483647\n[S]\nitem2147483647=A,B,1\n");
    ASSERT_TRUE(apply("S"));
    EXPECT_EQ(runLog().lineCount(), RunLog::kSlotCount);
    EXPECT_EQ(runLog().line(RunLog::kSlotCount - 1), "A,B,1");
    EXPECT_EQ(runLog().line(RunLog::kSlotCount - 2), "Invalid format of item.");
}

TEST(CorrectionItem, ParsesThreeFields) {
    const auto item = ParseCorrectionItem("Ar40,Ar36,295.5");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->interfering, "Ar36");
    EXPECT_EQ(item->factor, 295.5);
    EXPECT_FALSE(ParseCorrectionItem("Ar40,Ar36"));
    EXPECT_FALSE(ParseCorrectionItem(",Ar36,1"));
    EXPECT_FALSE(ParseCorrectionItem("Ar40,Ar36,x"));
    EXPECT_FALSE(ParseCorrectionItem(" --NOENTORY-- "));
}

} // namespace
} // namespace tarnova
