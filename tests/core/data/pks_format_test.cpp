#include "data/pks_format.h"

#include "core/support/temp_folder.h"
#include "core/support/test_peaks.h"
#include "data/peak_value_split.h"
#include "platform/text_format.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tarnova {
namespace {

using test::makePeak;

TEST(PksReader, ReadsTaggedCommentsAndPeaks) {
    const auto file = parsePksFile("\"Sample:\",\"AS-12\"\r\n"
                                   "\"Date:\" , \"2026/11/24\"\r\n"
                                   "  120,   5.23000000E+002, \"Ar40\"\r\n"
                                   "\r\n"
                                   "-5,0.05,\"Ar36\"\n"
                                   "  130,   -2.5E-001, \"Ar37\"\r\n\x1A");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->note.form, DataNoteForm::Pks);
    ASSERT_EQ(file->note.tags.size(), 2u);
    EXPECT_EQ(file->note.tags[1].tag, "Date:");
    EXPECT_EQ(file->note.tags[1].text, "2026/11/24");
    ASSERT_EQ(file->peaks.size(), 4u);
    EXPECT_TRUE(test::peakIs(file->peaks[0], "Ar40", 1.2, 5.23, 100.0));
    EXPECT_EQ(file->peaks[1].elem, ""); // the empty line is an empty row
    EXPECT_EQ(file->peaks[1].range, 0.0);
    EXPECT_TRUE(test::peakIs(file->peaks[2], "Ar36", -0.05, 5.0, 0.01));
    // A value without a logarithm keeps itself as the height.
    EXPECT_TRUE(test::peakIs(file->peaks[3], "Ar37", 1.3, -0.25, 1.0));
}

TEST(PksReader, RefusesFilesWithoutHeaderOrPeaksOrWithBadLines) {
    EXPECT_FALSE(parsePksFile(""));
    EXPECT_FALSE(parsePksFile("  120,   5.23E+002, \"Ar40\"\r\n"));
    EXPECT_FALSE(parsePksFile("\"Sample:\",\"AS-12\"\r\n\"Date:\",\"x\"\r\n"));
    EXPECT_FALSE(parsePksFile("\"Sample:\"\r\n120,1,\"Ar40\"\r\n"));
    EXPECT_FALSE(parsePksFile("\"Sample:\",\"x\"\r\n120,1,\"Ar40\"\r\n\"Date:\",\"y\"\r\n"));
    EXPECT_FALSE(parsePksFile("\"Sample:\",\"x\"\r\n120,1,\"\"\r\n"));
    EXPECT_FALSE(parsePksFile("\"Sample:\",\"x\"\r\n120,1\r\n"));
    EXPECT_FALSE(parsePksFile("\"Sample:\",\"x\"\r\n   \r\n"));
}

TEST(PksReader, AcceptsEmptyTextsAndCutsLongOnesAtCharacters) {
    const std::string japanese = "\x93\xfa\x96\x7b"; // "日本" in code page 932
    std::string longText;
    for (int i = 0; i < 200; ++i) {
        longText += japanese;
    }
    const auto file = parsePksFile("\"\",\"\"\r\n\"" + std::string(40, 't') + "\",\"" + longText +
                                   "\"\r\n" + "1,1,\"" + std::string(28, 'a') + japanese +
                                   "\"\r\n" + "1,1,\"" + std::string(40, 'L') + "\"\r\n");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->note.tags[0].tag, "");
    EXPECT_EQ(file->note.tags[1].tag.size(), kMaxTagLength);
    EXPECT_EQ(file->note.tags[1].text.size(), 254u); // 255 would split a character
    EXPECT_EQ(file->peaks[0].elem, std::string(28, 'a'));
    EXPECT_EQ(file->peaks[1].elem, std::string(29, 'L'));
}

// The height holds the digits the file wrote, as the nearest double: a split that divided or
// multiplied by the power of ten would round twice and could miss it in the last place (as for
// the first two values, from argon_air.pks). PKS splits 0.5 as 5 x 0.1, Micromass keeps it.
TEST(PeakValueSplit, HeightsAreTheDigitsOfTheValue) {
    const struct {
        double value;
        double pksHeight;
        double pksRange;
        double micromassHeight;
        double micromassRange;
    } cases[] = {
        {2.76471206e-4, 2.76471206, 1e-4, 2.76471206, 1e-4},
        {2.10585931e-2, 2.10585931, 1e-2, 2.10585931, 1e-2},
        {2.20642069e-4, 2.20642069, 1e-4, 2.20642069, 1e-4},
        {6.21481379, 6.21481379, 1, 6.21481379, 1},
        {0.123456789, 1.23456789, 0.1, 0.123456789, 1},
        {987654321.0, 9.87654321, 1e8, 9.87654321, 1e8},
        {0.01, 1, 0.01, 10, 1e-3},
        {0.3, 3, 0.1, 0.3, 1},
        {1.7976931348623157e308, 1.7976931348623157, 1e308, 1.7976931348623157, 1e308},
        {2.5e-300, 2.5, 1e-300, 2.5, 1e-300},
        {523, 5.23, 100, 5.23, 100},
        {0.05, 5, 0.01, 5, 0.01},
        {0.5, 5, 0.1, 0.5, 1},
        {3.2e-12, 3.2, 1e-12, 3.2, 1e-12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const HeightAndRange pks = splitPksValue(c.value);
        EXPECT_EQ(pks.height, c.pksHeight);
        EXPECT_EQ(pks.range, c.pksRange);
        const HeightAndRange micromass = splitMicromassValue(c.value);
        EXPECT_EQ(micromass.height, c.micromassHeight);
        EXPECT_EQ(micromass.range, c.micromassRange);
    }
    // Their product is the file's value again where the range is exact or the digits allow.
    EXPECT_EQ(splitPksValue(2.76471206e-4).height * splitPksValue(2.76471206e-4).range,
              2.76471206e-4);
    for (double value : {0.0, -3.5, HUGE_VAL, 5e-324}) {
        EXPECT_EQ(splitPksValue(value).height * splitPksValue(value).range, value);
        EXPECT_EQ(splitMicromassValue(value).height * splitMicromassValue(value).range, value);
    }
    EXPECT_TRUE(std::isnan(splitPksValue(NAN).height));
    EXPECT_EQ(splitPksValue(NAN).range, 1.0);
}

TEST(PksWriter, WritesHeaderAndPeakLines) {
    DataNote note;
    note.form = DataNoteForm::Pks;
    note.tags = {{"Sample:", "AS-12"}, {"Comments:", ""}};
    EXPECT_EQ(pksFileText({makePeak("Ar40", 12.5, 12345.678), makePeak("", 1, 1),
                           makePeak("Ar36", 0.29, -0.5)},
                          &note),
              "\"Sample:\",\"AS-12\"\r\n\"Comments:\",\"\"\r\n"
              " 1250,   1.23456780E+004, \"Ar40\"\r\n"
              "   29,   -5.00000000E-001, \"Ar36\"\r\n");
}

TEST(PksWriter, WritesHeadersOfDatNotesAndDefaults) {
    DataNote note;
    note.name = "N";
    note.date = "D";
    note.comment = "C";
    EXPECT_EQ(pksFileText({}, &note),
              "\"Comments:\",\"C\"\r\n\"Date:\",\"D\"\r\n\"Sample:\",\"N\"\r\n");
    const std::string defaults = "\"Comments:\",\"No Comment\"\r\n\"Date:\",\"1970/1/1\"\r\n";
    EXPECT_EQ(pksFileText({}, nullptr), defaults);
    note.form = DataNoteForm::Pks; // without entries the file would not read back
    EXPECT_EQ(pksFileText({}, &note), defaults);
}

TEST(PksWriter, HundredthsAreCutButNeverLostToRounding) {
    // Fractions far below a hundredth, and fractions of large times, are fractions all the same.
    const std::pair<double, long> cases[] = {{0.29, 29},
                                             {0.57, 57},
                                             {1.13, 113},
                                             {12.567, 1256},
                                             {-12.567, -1256},
                                             {-0.29, -29},
                                             {0.009, 0},
                                             {12.99999999, 1299},
                                             {-0.0099999999, 0},
                                             {5000000.567, 500000056},
                                             {123456789.29, 12345678929},
                                             {NAN, 0}};
    for (const auto& [time, hundredths] : cases) {
        EXPECT_EQ(pksHundredths(time), hundredths) << time;
    }
    for (int hundredths = -2000; hundredths <= 200000; hundredths += 7) {
        ASSERT_EQ(pksHundredths(hundredths / 100.0), hundredths);
    }
}

TEST(PksWriter, RoundTripKeepsHundredthsAndNineDigits) {
    test::TempFolder folder;
    DataNote note;
    note.form = DataNoteForm::Pks;
    note.tags = {{"Sample:", "x"}};
    InstallDataNote(note);
    std::vector<PeakRecord> peaks;
    for (int i = 0; i < 300; ++i) {
        peaks.push_back(makePeak("Ar" + std::to_string(36 + i % 5), i * 0.37,
                                 std::pow(10.0, i % 29 - 14) * (1.0 + i / 301.0)));
    }
    ASSERT_TRUE(WritePksFile(folder.path("r.pks"), peaks, true));
    const auto back = ReadPksFile(folder.path("r.pks"));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), peaks.size());
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        EXPECT_EQ((*back)[i].elem, peaks[i].elem);
        EXPECT_EQ(std::lround((*back)[i].time * 100), std::lround(peaks[i].time * 100));
        EXPECT_EQ(formatText("%.8E", (*back)[i].peakValue()),
                  formatText("%.8E", peaks[i].peakValue()));
    }
    ReleaseDataNote();
}

} // namespace
} // namespace tarnova
