// Peak labels: one text per label in the table of the process, found again by any thread.
#include "data/peak_sheet.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace tarnova {
namespace {

TEST(PeakLabel, EqualTextsShareOneNumber) {
    const std::string longest(kMaxLabelLength, '\x82'); // CP932 lead bytes, as files hold them
    const std::string withZero("A\0B", 3);
    for (const std::string& text : {std::string("Ar40"), longest, withZero, std::string(" x")}) {
        SCOPED_TRACE(text);
        const PeakLabel first(text);
        const PeakLabel again(std::string_view(text.data(), text.size()));
        EXPECT_EQ(first.id(), again.id());
        EXPECT_EQ(first.str(), text);
        EXPECT_EQ(first.size(), text.size());
        EXPECT_FALSE(first.empty());
    }
    EXPECT_NE(PeakLabel("Ar40").id(), PeakLabel("Ar4").id());
    EXPECT_NE(PeakLabel("Ar40").id(), PeakLabel("ar40").id());
}

TEST(PeakLabel, EmptyTextIsTheEmptyLabel) {
    const PeakRecord peak;
    EXPECT_TRUE(peak.elem.empty());
    EXPECT_EQ(peak.elem.id(), 0u);
    EXPECT_EQ(PeakLabel("").id(), 0u);
    EXPECT_EQ(peak.elem.str(), "");
}

TEST(PeakLabel, FindEntersNothing) {
    EXPECT_FALSE(PeakLabel::find("never a label of any test 7f3a"));
    EXPECT_FALSE(PeakLabel::find("never a label of any test 7f3a"));
    const PeakLabel entered("entered by a peak 7f3a");
    const std::optional<PeakLabel> found = PeakLabel::find("entered by a peak 7f3a");
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, entered);
}

TEST(PeakLabel, ManyLabelsInTurnKeepTheirTexts) {
    // More labels in turn than a thread remembers without the table.
    std::vector<PeakRecord> peaks(400);
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        peaks[i].elem = "M" + std::to_string(i % 40);
    }
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        EXPECT_EQ(peaks[i].elem, "M" + std::to_string(i % 40));
        EXPECT_EQ(peaks[i].elem, peaks[i % 40].elem);
    }
}

TEST(PeakLabel, ThreadsEnteringTheSameTextsAgree) {
    // Both threads enter the same new labels at once; each text gets one number.
    constexpr int kLabels = 5000;
    std::vector<PeakLabel> a(kLabels);
    std::vector<PeakLabel> b(kLabels);
    const auto enter = [](std::vector<PeakLabel>& out) {
        for (int i = 0; i < kLabels; ++i) {
            out[static_cast<std::size_t>(i)] = PeakLabel("T" + std::to_string(i));
        }
    };
    std::thread first(enter, std::ref(a));
    std::thread second(enter, std::ref(b));
    first.join();
    second.join();
    for (int i = 0; i < kLabels; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        EXPECT_EQ(a[k].id(), b[k].id());
        EXPECT_EQ(a[k].str(), "T" + std::to_string(i));
    }
}

} // namespace
} // namespace tarnova
