#include "data/stored_reduction.h"

#include "core/support/test_peaks.h"
#include "data/pks_format.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>

namespace tarnova {
namespace {

using test::makePeak;

TEST(StoredReduction, TimesAsThePksFileWritesThem) {
    const struct {
        long hundredths;
        const char* text;
    } cases[] = {{1150, "11.5"}, {1100, "11"}, {1234, "12.34"}, {5, "0.05"},
                 {-25, "-0.25"}, {0, "0"},     {-100, "-1"},    {99999, "999.99"}};
    for (const auto& c : cases) {
        EXPECT_EQ(PeakTimeText(c.hundredths), c.text);
        EXPECT_EQ(ParsePeakTime(c.text), c.hundredths) << c.text;
    }
    EXPECT_EQ(ParsePeakTime("11.50"), 1150);
    EXPECT_EQ(ParsePeakTime("007"), 700);
    EXPECT_EQ(PeakTimeText(LONG_MIN).front(), '-');
    for (const char* refused : {"", "1.", ".5", "1.234", "1e2", "+1", "1,5", "abc", "--1", "-",
                                "1 ", " 1", "99999999999999999999"}) {
        EXPECT_FALSE(ParsePeakTime(refused)) << refused;
    }
}

TEST(StoredReduction, ExclusionTexts) {
    // "ァ" in code page 932 ends with the byte of "@"; the label runs to the last "@".
    const std::string kana = "\x83\x40";
    const std::string longest(kMaxLabelLength, 'L'); // the longest label a file holds
    const struct {
        std::string text;
        bool reasonRequired;
        std::optional<StoredExclusion> read;
    } cases[] = {
        {"Ar40@11.5 hand", true, StoredExclusion{"Ar40", 1150, ExclusionReason::Hand}},
        {"Ar40@11.5 filter", true, StoredExclusion{"Ar40", 1150, ExclusionReason::Filter}},
        {"Ar40@-2 correction", true, StoredExclusion{"Ar40", -200, ExclusionReason::Correction}},
        {"Ar 40@11.5 hand", true, StoredExclusion{"Ar 40", 1150, ExclusionReason::Hand}},
        {"A@b@12 hand", true, StoredExclusion{"A@b", 1200, ExclusionReason::Hand}},
        {kana + "Ar@3 hand", true, StoredExclusion{kana + "Ar", 300, ExclusionReason::Hand}},
        {"Ar40@11.5", true, std::nullopt},
        {"Ar40@11.5", false, StoredExclusion{"Ar40", 1150, ExclusionReason::Hand}},
        {"Ar 40@11.5", false, StoredExclusion{"Ar 40", 1150, ExclusionReason::Hand}},
        {"Ar40@11.5 Hand", true, std::nullopt},
        {"Ar40@11.5 foo", false, std::nullopt},
        {"@12 hand", true, std::nullopt},
        {"Ar40@ hand", true, std::nullopt},
        {"Ar40 hand", true, std::nullopt},
        {longest + "@1 hand", true, StoredExclusion{longest, 100, ExclusionReason::Hand}},
        {longest + "L@1 hand", true, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseExclusion(c.text, c.reasonRequired), c.read) << c.text;
        if (c.read && c.reasonRequired) {
            EXPECT_EQ(ExclusionText(*c.read), c.text);
        }
    }
}

TEST(StoredReduction, ReasonsAndFlags) {
    for (const ExclusionReason reason :
         {ExclusionReason::Hand, ExclusionReason::Filter, ExclusionReason::Correction}) {
        const PeakFlags flags = PeakFlagsOf(reason);
        EXPECT_TRUE(flags.test(PeakFlag::Disabled));
        EXPECT_EQ(ExclusionReasonOf(flags), reason);
    }
    EXPECT_EQ(PeakFlagsOf(ExclusionReason::Hand), PeakFlags(PeakFlag::Disabled));
}

DataNote userNote() {
    DataNote note;
    note.form = DataNoteForm::Pks;
    note.tags = {{"Sample:", "AS-12"},
                 {std::string(kExcludedTag), "Ar40@1.5 hand"},
                 {"Date:", "2026/11/24"},
                 {std::string(kMethodTag), "Ar40/Ar36 parabolic"},
                 {std::string(kFilterTag), "sigma:2:1"},
                 {std::string(kKeptTag), "Ar 36@2"},
                 {std::string(kExcludedTag), "no time here"},
                 {"#tarnova:other", "a comment like any other"}};
    return note;
}

TEST(StoredReduction, EntriesReadFromAnywhereAndWrittenAfterTheUsersOwn) {
    DataNote note = userNote();
    const StoredReduction read = StoredReductionOf(note);
    EXPECT_EQ(read.exclusions,
              (std::vector<StoredExclusion>{{"Ar40", 150, ExclusionReason::Hand}}));
    EXPECT_EQ(read.methods, (std::vector<StoredMethod>{{"Ar40/Ar36", "parabolic"}}));
    EXPECT_EQ(read.filter, "sigma:2:1");
    EXPECT_EQ(read.kept, (std::vector<StoredExclusion>{{"Ar 36", 200}}));
    ASSERT_EQ(read.unreadable.size(), 1u);
    EXPECT_EQ(read.unreadable[0].text, "no time here");

    ReplaceStoredReduction(note, read);
    std::vector<std::string> tags;
    for (const TaggedComment& comment : note.tags) {
        tags.push_back(comment.tag);
    }
    EXPECT_EQ(tags,
              (std::vector<std::string>{"Sample:", "Date:", "#tarnova:other", "#tarnova:excluded",
                                        "#tarnova:method", "#tarnova:filter", "#tarnova:kept",
                                        "#tarnova:excluded"}));
    EXPECT_EQ(StoredReductionOf(note), read);

    ReplaceStoredReduction(note, {});
    EXPECT_EQ(note.tags.size(), 3u);
    EXPECT_TRUE(StoredReductionOf(note).empty());
}

// The lines of text that do not begin with one of the entries' tags.
std::string withoutEntries(const std::string& text) {
    std::string kept;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        const std::string line = text.substr(start, next - start);
        if (!line.starts_with("\"#tarnova:excluded\"") &&
            !line.starts_with("\"#tarnova:method\"") && !line.starts_with("\"#tarnova:filter\"")) {
            kept += line;
        }
        start = next;
    }
    return kept;
}

TEST(StoredReduction, APksFileWithEntriesReadsAsBeforeInAReaderThatKnowsNothingOfThem) {
    const std::vector<PeakRecord> peaks = {makePeak("Ar36", 1.0, 2.5, 0.01),
                                           makePeak("Ar40", 1.5, 7.25, 1.0),
                                           makePeak("Ar36", 2.0, 2.4, 0.01)};
    StoredReduction reduction;
    reduction.exclusions = {{"Ar40", 150, ExclusionReason::Hand},
                            {"Ar36", 200, ExclusionReason::Filter}};
    reduction.methods = {{"Ar40/Ar36", "exponential"}};
    reduction.filter = "chauvenet";

    DataNote pks;
    pks.form = DataNoteForm::Pks;
    pks.tags = {{"Sample:", "AS-12"}};
    DataNote dat;
    dat.name = "AS-13";
    dat.date = "2026/11/25";
    for (const DataNote* note : std::array<const DataNote*, 3>{&pks, &dat, nullptr}) {
        const std::string plain = pksFileText(peaks, note);
        const DataNote written = NoteWithReduction(note, reduction);
        const std::string text = pksFileText(peaks, &written);
        EXPECT_NE(text, plain);
        EXPECT_EQ(withoutEntries(text), plain);
        const std::optional<PeakFileContent> stored = parsePksFile(text);
        const std::optional<PeakFileContent> stripped = parsePksFile(withoutEntries(text));
        ASSERT_TRUE(stored && stripped);
        ASSERT_EQ(stored->peaks.size(), stripped->peaks.size());
        for (std::size_t i = 0; i < stored->peaks.size(); ++i) {
            EXPECT_TRUE(test::peakIs(stored->peaks[i], stripped->peaks[i].elem,
                                     stripped->peaks[i].time, stripped->peaks[i].height,
                                     stripped->peaks[i].range));
        }
        EXPECT_EQ(StoredReductionOf(stored->note), reduction);
        // The entries are the last header lines.
        const std::vector<TaggedComment>& tags = stored->note.tags;
        ASSERT_GE(tags.size(), 4u);
        EXPECT_EQ(tags[tags.size() - 4].tag, kExcludedTag);
        EXPECT_EQ(tags.back().tag, kFilterTag);
    }
    // Without entries the text is the one written before they existed.
    for (const DataNote* note : {&pks, &dat}) {
        const DataNote unchanged = NoteWithReduction(note, {});
        EXPECT_EQ(pksFileText(peaks, &unchanged), pksFileText(peaks, note));
    }
}

} // namespace
} // namespace tarnova
