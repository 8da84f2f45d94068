#include "data/dat_format.h"

#include "core/support/temp_folder.h"
#include "core/support/test_peaks.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tarnova {
namespace {

using test::makePeak;

const std::string kHeader = "\"AS-12\",\"2026/11/24\"\r\n\"air\"\r\n0.250000\r\n3,1.5,0.02\r\n";

std::string datFile(const std::string& counts, const std::string& peaks) {
    return kHeader + counts + "\r\n0\r\n0\r\n0\r\n0\r\n" + peaks;
}

TEST(DatReader, ReadsHeaderAndPeaks) {
    const auto file = parseDatFile(datFile("2,3", "36,1.2,2.105859,0.01\r\n"
                                                  " 40 , 1.72 , 6.214814 , 1\r\n"
                                                  "36,2.5,2.0,0.01\r\n"
                                                  "99,9,9,9\r\n"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->note.form, DataNoteForm::Dat);
    EXPECT_EQ(file->note.name, "AS-12");
    EXPECT_EQ(file->note.date, "2026/11/24");
    EXPECT_EQ(file->note.comment, "air");
    EXPECT_DOUBLE_EQ(file->note.weight, 0.25);
    EXPECT_EQ(file->note.spikeId, 3);
    EXPECT_DOUBLE_EQ(file->note.spikeVolume, 1.5);
    EXPECT_DOUBLE_EQ(file->note.spikeError, 0.02);
    ASSERT_EQ(file->peaks.size(), 3u); // lines after the announced count are not read
    EXPECT_TRUE(test::peakIs(file->peaks[1], "40", 1.72, 6.214814, 1.0));
    EXPECT_TRUE(file->peaks[1].flags.none());
}

TEST(DatReader, AcceptsBareLineFeedsEmptyTextsAndTheEndOfFileMark) {
    const auto file = parseDatFile("\"\",\"\"\n\"\"\n0\n0,0,0\n7,1\n0\n0\n0\n0\n40,1,2,3\n\x1A"
                                   "garbage after the mark");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->note.name, "");
    EXPECT_EQ(file->note.comment, "");
    ASSERT_EQ(file->peaks.size(), 1u);
    const auto none = parseDatFile(datFile("0,0", ""));
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->peaks.empty());
}

TEST(DatReader, RefusesDamagedFiles) {
    EXPECT_FALSE(parseDatFile(""));
    EXPECT_FALSE(parseDatFile("\"AS-12\"\r\n\"air\"\r\n0\r\n0,0,0\r\n1,1\r\n0\r\n0\r\n0\r\n0\r\n"));
    EXPECT_FALSE(parseDatFile(kHeader + "2\r\n0\r\n0\r\n0\r\n0\r\n40,1,2,3\r\n")); // one count
    EXPECT_FALSE(parseDatFile(kHeader + "1,1\r\n0\r\n0\r\n0\r\n")); // three lines of 0
    EXPECT_FALSE(parseDatFile(datFile("1,2", "40,1,2,3\r\n")));     // a line short
    EXPECT_FALSE(parseDatFile(datFile("1,1", "40,1,2\r\n")));       // three values
    EXPECT_FALSE(parseDatFile(datFile("1,1", "Ar40,1,2,3\r\n")));
    EXPECT_FALSE(parseDatFile(datFile("1,-1", "")));
    EXPECT_FALSE(parseDatFile(datFile("1,2147483647", "40,1,2,3\r\n")));
    EXPECT_FALSE(
        parseDatFile("\"a\",\"b\"\r\n\"c\"\r\nweight\r\n0,0,0\r\n1,0\r\n0\r\n0\r\n0\r\n0"));
}

TEST(DatReader, LongHeaderTextsAreCutToTheNote) {
    const std::string longDate(100, 'd');
    const std::string longName(300, 'n');
    const auto file = parseDatFile("\"" + longName + "\",\"" + longDate +
                                   "\"\r\n\"c\"\r\n0\r\n0,0,0\r\n0,0\r\n0\r\n0\r\n0\r\n0\r\n");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->note.date.size(), kMaxDateLength);
    EXPECT_EQ(file->note.name.size(), kMaxCommentLength);
}

TEST(DatReader, FailureLeavesTheCurrentNote) {
    test::TempFolder folder;
    test::KeptNote note;
    EXPECT_FALSE(ReadDatFile(folder.write("bad.dat", datFile("1,2", "40,1,2,3\r\n"))));
    EXPECT_FALSE(ReadDatFile(folder.path("missing.dat")));
    EXPECT_TRUE(note.stillKept());
    ASSERT_TRUE(ReadDatFile(folder.write("good.dat", datFile("1,1", "40,1,2,3\r\n"))));
    EXPECT_EQ(currentDataNote()->name, "AS-12");
    EXPECT_FALSE(currentDataNote()->path);
}

TEST(DatWriter, WritesTheDefaultHeaderWithoutANote) {
    const auto text = datFileText({makePeak("40", 1.5, 2.25, 10.0)}, nullptr);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "\"unknown\",\"1970/01/01\"\r\n\"No comment\"\r\n0.000000\r\n"
                     "0,0.000000,0.000000\r\n1,1\r\n0\r\n0\r\n0\r\n0\r\n"
                     "40,1.500000,2.250000,10.000000\r\n");
}

TEST(DatWriter, NumbersLabelsAndDropsThoseWithoutANumber) {
    DataNote note;
    note.name = "S";
    note.date = "D";
    note.comment = "C";
    note.weight = -1.25;
    note.spikeId = 7;
    note.spikeVolume = 0.5;
    note.spikeError = 0.001;
    const auto text =
        datFileText({makePeak("Ar40", 1, 1, 1), makePeak("40", 2, 2, 1), makePeak(" 40", 3, 3, 1),
                     makePeak("40Ar", 4, 4, 1), makePeak("36", 5, 5, 1), makePeak("0", 6, 6, 1)},
                    &note);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "\"S\",\"D\"\r\n\"C\"\r\n-1.250000\r\n7,0.500000,0.001000\r\n2,4\r\n"
                     "0\r\n0\r\n0\r\n0\r\n40,2.000000,2.000000,1.000000\r\n"
                     "40,3.000000,3.000000,1.000000\r\n40,4.000000,4.000000,1.000000\r\n"
                     "36,5.000000,5.000000,1.000000\r\n");
}

TEST(DatWriter, TakesTheHeaderFromTaggedComments) {
    DataNote note;
    note.form = DataNoteForm::Pks;
    note.tags = {{"sample:", "x"}, {"Sample:", "first"}, {"Sample:", "second"}, {"Date:", "d"}};
    const auto text = datFileText({makePeak("40", 1, 1, 1)}, &note);
    ASSERT_TRUE(text);
    EXPECT_TRUE(
        text->starts_with("\"first\",\"d\"\r\n\"\"\r\n0.000000\r\n0,0.000000,0.000000\r\n"));
    // Such a file (empty comment) reads back.
    EXPECT_TRUE(parseDatFile(*text));
}

TEST(DatWriter, KeepsTinyValuesInExponentForm) {
    const auto text = datFileText(
        {makePeak("40", 0.0000001, 3.2e-7, 1e-12), makePeak("36", 0, 0, -4e-7)}, nullptr);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("40,0.000000,3.200000E-007,1.000000E-012\r\n"), std::string::npos);
    EXPECT_NE(text->find("36,0.000000,0.000000,-4.000000E-007\r\n"), std::string::npos);
    const auto file = parseDatFile(*text);
    ASSERT_TRUE(file);
    EXPECT_DOUBLE_EQ(file->peaks[0].height * file->peaks[0].range, 3.2e-19);
}

TEST(DatWriter, KeepsTheFirstFiftyNumberedLabelsAndRefusesTheRest) {
    EXPECT_FALSE(datFileText({makePeak("Ar40", 1, 1, 1), makePeak("x", 1, 1, 1)}, nullptr));
    std::vector<PeakRecord> peaks;
    for (int label = 1; label <= 50; ++label) {
        peaks.push_back(makePeak(std::to_string(label), label, 1, 1));
    }
    peaks.push_back(makePeak("51", 51, 1, 1));
    peaks.push_back(makePeak("Ar40", 52, 1, 1));
    peaks.push_back(makePeak("50", 53, 1, 1)); // a label already kept
    const std::vector<DatRefusal> refusals = datRefusals(peaks);
    EXPECT_EQ(std::count(refusals.begin(), refusals.end(), DatRefusal::None), 51);
    EXPECT_EQ(refusals[50], DatRefusal::TooManyLabels);
    EXPECT_EQ(refusals[51], DatRefusal::NoMassNumber);
    EXPECT_EQ(refusals[52], DatRefusal::None);
    const auto text = datFileText(peaks, nullptr);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("\r\n50,51\r\n"), std::string::npos); // labels, peaks
    EXPECT_EQ(text->find("\r\n51,"), std::string::npos);
    EXPECT_TRUE(text->ends_with("50,53.000000,1.000000,1.000000\r\n"));
}

TEST(DatWriter, QuotesInHeaderTextsBecomeBlanksSoTheFileReadsBack) {
    DataNote note;
    note.name = "a\"b";
    note.comment = "line\nbreak";
    const auto text = datFileText({makePeak("40", 1, 1, 1)}, &note);
    ASSERT_TRUE(text);
    const auto file = parseDatFile(*text);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->note.name, "a b");
    EXPECT_EQ(file->note.comment, "line break");
}

TEST(DatWriter, WritesTheFileWithTheEndOfFileMarkOnRequest) {
    test::TempFolder folder;
    ReleaseDataNote();
    ASSERT_TRUE(WriteDatFile(folder.path("a.dat"), {makePeak("40", 1, 2, 3)}, true));
    const std::string bytes = folder.read("a.dat");
    EXPECT_TRUE(bytes.ends_with("40,1.000000,2.000000,3.000000\r\n\x1A"));
    EXPECT_TRUE(ReadDatFile(folder.path("a.dat")));
    EXPECT_FALSE(WriteDatFile(folder.path("none/a.dat"), {makePeak("40", 1, 2, 3)}, false));
    ReleaseDataNote();
}

} // namespace
} // namespace tarnova
