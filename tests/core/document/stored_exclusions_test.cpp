#include "document/stored_exclusions.h"

#include "core/support/test_peaks.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

using test::makePeak;

TEST(StoredExclusions, EachExclusionNamesItsOwnPeak) {
    const std::vector<PeakRecord> peaks = {makePeak("Ar40", 11.5, 1),   makePeak("Ar36", 11.5, 1),
                                           makePeak("Ar40", 11.5, 2),   makePeak("Ar40*", 12.0, 1),
                                           makePeak("Ar39", 12.509, 1), makePeak("", 13.0, 0),
                                           makePeak("Ar39", 0.29, 1)};
    const auto hand = [](std::string label, long hundredths) {
        return StoredExclusion{std::move(label), hundredths, ExclusionReason::Hand};
    };
    const struct {
        const char* name;
        std::vector<StoredExclusion> exclusions;
        std::vector<int> peaks;
    } cases[] = {
        {"label and time", {hand("Ar36", 1150)}, {1}},
        // Two peaks of one label at one time: one each, in order, and none for a third.
        {"same label and time",
         {hand("Ar40", 1150), hand("Ar40", 1150), hand("Ar40", 1150)},
         {0, 2, -1}},
        // Labels as a calculation recognises them, on either side.
        {"recognised label", {hand("Ar40", 1200), hand("Ar40*", 1200)}, {3, -1}},
        {"recognised label of the entry", {hand("  Ar36", 1150)}, {1}},
        // Times as the file writes them: cut to hundredths, never lost to rounding.
        {"time cut to hundredths", {hand("Ar39", 1250), hand("Ar39", 1251)}, {4, -1}},
        {"time without rounding loss", {hand("Ar39", 29)}, {6}},
        {"edited label or time", {hand("Ar37", 1150), hand("Ar40", 1160)}, {-1, -1}},
        {"empty row", {hand("", 1300)}, {-1}},
        {"nothing", {}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchExclusions(c.exclusions, peaks), c.peaks) << c.name;
    }
}

} // namespace
} // namespace tarnova
