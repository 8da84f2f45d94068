// Every sample, loaded into the grid and saved, reads back to the rows that were saved.
#include "core/support/sheet_session.h"
#include "data/dat_format.h"
#include "data/pks_format.h"
#include "document/peak_list_extraction.h"
#include "platform/text_format.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tarnova {
namespace {

class RoundTrip : public ::testing::TestWithParam<const char*>, protected test::SheetSession {
  protected:
    std::vector<PeakRecord> loadAndExtract(const std::string& path) {
        EXPECT_TRUE(load(path).loaded);
        auto peaks = ExtractPeakList(grid);
        EXPECT_TRUE(peaks);
        return peaks.value_or(std::vector<PeakRecord>{});
    }
};

TEST_P(RoundTrip, PksKeepsLabelsHundredthsAndNineDigits) {
    const auto saved = loadAndExtract(test::samplePath(GetParam()));
    ASSERT_FALSE(saved.empty());
    ASSERT_TRUE(WritePksFile(folder.path("back.pks"), saved, true));
    const DataNote noteBefore = *currentDataNote();
    const auto back = loadAndExtract(folder.path("back.pks"));
    if (noteBefore.form == DataNoteForm::Pks) { // texts stay code page 932 bytes
        ASSERT_EQ(currentDataNote()->tags.size(), noteBefore.tags.size());
        for (std::size_t i = 0; i < noteBefore.tags.size(); ++i) {
            EXPECT_EQ(currentDataNote()->tags[i].tag, noteBefore.tags[i].tag);
            EXPECT_EQ(currentDataNote()->tags[i].text, noteBefore.tags[i].text);
        }
    }
    ASSERT_EQ(back.size(), saved.size());
    for (std::size_t i = 0; i < saved.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back[i].elem, saved[i].elem);
        EXPECT_EQ(pksHundredths(back[i].time), pksHundredths(saved[i].time));
        EXPECT_EQ(formatText("%.8E", back[i].peakValue()),
                  formatText("%.8E", saved[i].peakValue()));
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_P(RoundTrip, DatKeepsNumberedLabelsAndSixDecimals) {
    const auto saved = loadAndExtract(test::samplePath(GetParam()));
    if (!WriteDatFile(folder.path("back.dat"), saved, false)) {
        // Only sheets with numbered labels can be saved as DAT.
        EXPECT_EQ(std::atoi(saved[0].elem.c_str()), 0);
        return;
    }
    const auto back = loadAndExtract(folder.path("back.dat"));
    ASSERT_EQ(back.size(), saved.size());
    for (std::size_t i = 0; i < saved.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back[i].elem, std::to_string(std::atoi(saved[i].elem.c_str())));
        EXPECT_EQ(formatFixed(back[i].time, 0, 6), formatFixed(saved[i].time, 0, 6));
        EXPECT_EQ(formatFixed(back[i].height, 0, 6), formatFixed(saved[i].height, 0, 6));
        EXPECT_EQ(formatFixed(back[i].range, 0, 6), formatFixed(saved[i].range, 0, 6));
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, RoundTrip,
                         ::testing::Values("argon_air.pks", "argon_air.dat", "argon_micromass.asc",
                                           "helium_micromass.asc", "argon_micromass.dat"));

} // namespace
} // namespace tarnova
