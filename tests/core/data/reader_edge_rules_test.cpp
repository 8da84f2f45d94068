// Hand-made files at the edges of the readers' rules: long lines read in pieces, announced
// counts, the longest lines the writers make.
#include "core/support/log_capture.h"
#include "core/support/scripted_port.h"
#include "data/dat_format.h"
#include "data/micromass_asc.h"
#include "data/pks_format.h"
#include "platform/text_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarnova {
namespace {

using ::testing::ElementsAre;

const std::string kDatHeader = "\"S-1\",\"2026/11/24\"\r\n\"air\"\r\n0.5\r\n3,1.5,0.1\r\n";
const std::string kZeros = "0\r\n0\r\n0\r\n0\r\n";
const std::string kPksHeader = "\"Sample:\",\"S-1\"\r\n\"Date:\",\"2026/11/24\"\r\n";

std::vector<std::string> readLines(std::string_view content, LineReader::Mode mode,
                                   std::size_t maxLength) {
    LineReader lines(content, mode, maxLength);
    std::vector<std::string> result;
    while (const auto line = lines.next()) {
        result.emplace_back(*line);
    }
    return result;
}

TEST(LineReaderPieces, ALongLineIsReadInPiecesOfTheBufferLength) {
    // Five characters and the line feed fit a read of 6; a sixth character does not.
    EXPECT_THAT(readLines("abcde\r\nabcdef\r\nxy", LineReader::Mode::Text, 6),
                ElementsAre("abcde", "abcdef", "", "xy"));
    EXPECT_THAT(readLines("abcdefghij\nk", LineReader::Mode::Text, 4),
                ElementsAre("abcd", "efgh", "ij", "k"));
    // In binary mode the carriage return counts and stays.
    EXPECT_THAT(readLines("abcd\r\n", LineReader::Mode::Binary, 4), ElementsAre("abcd", "\r"));
    EXPECT_THAT(readLines(std::string("a\0bcdefg\n", 9), LineReader::Mode::Binary, 4),
                ElementsAre("a", "defg", ""));
    LineReader bound("abcdefghij", LineReader::Mode::Text, 4);
    EXPECT_GE(bound.remainingLineBound(), 3u);
}

TEST(LineReaderPieces, ReadersSeeTheRestOfALongLineAsTheNextLine) {
    const std::string blanks(1100, ' ');
    // DAT: the rest of a long peak line is the next peak line; after the last one it is not read.
    EXPECT_FALSE(
        parseDatFile(kDatHeader + "2,2\r\n" + kZeros + "40,1,2,3" + blanks + "\r\n36,1,2,3\r\n"));
    const auto last = parseDatFile(kDatHeader + "2,1\r\n" + kZeros + "40,1,2,3" + blanks + "\r\n");
    ASSERT_TRUE(last);
    EXPECT_EQ(last->peaks.size(), 1u);
    // A DAT name longer than a read leaves its line without the second text.
    EXPECT_FALSE(parseDatFile("\"" + std::string(1100, 'N') +
                              "\",\"D\"\r\n\"C\"\r\n0.5\r\n"
                              "3,1.5,0.1\r\n1,0\r\n" +
                              kZeros));

    // PKS: a label beyond 4095 characters leaves its closing quote to a line that does not scan.
    const std::string longLabel(5000, 'A');
    EXPECT_FALSE(parsePksFile(kPksHeader + "  100,   5.0E+000, \"" + longLabel + "\"\r\n"));
    const auto cut =
        parsePksFile(kPksHeader + "  100,   5.0E+000, \"" + std::string(40, 'A') + "\"\r\n");
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->peaks[0].elem, std::string(29, 'A'));
    // A peak line of exactly 4095 characters leaves its line feed as an empty row.
    const std::string peak = "  100,   5.0E+000, \"Ar40\"";
    const auto padded = parsePksFile(kPksHeader + peak + std::string(4095 - peak.size(), ' ') +
                                     "\r\n  200,   6.0E+000, \"Ar36\"\r\n");
    ASSERT_TRUE(padded);
    ASSERT_EQ(padded->peaks.size(), 3u);
    EXPECT_EQ(padded->peaks[1].elem, "");
    EXPECT_EQ(padded->peaks[2].elem, "Ar36");

    // Micromass ASC: the rest of a long data line is a table line that does not scan.
    test::ScriptedPort port;
    const std::string asc = "\"Noble Gas Suite - Argon\" \"V2\"\r\n\"Sample\" \"AS-13\"\r\n"
                            "\"Date\" \"25/11/2026\"\r\n\"Operator\" \"KT\"\r\n"
                            "\"Cycle\" \"Mass\"\r\n\"\" \"(V)\"\r\n";
    const std::string line = "\"  1\" 39.962 \"Ar40       \" \"Corrected  \" 5.23E+02 7.5";
    EXPECT_TRUE(parseMicromassAsc(asc + line + std::string(100, ' ') + "\r\n", port));
    EXPECT_FALSE(
        parseMicromassAsc(asc + line + std::string(4095 - line.size(), ' ') + "\"x\"\r\n", port));
}

TEST(DatReaderEdges, AnnouncedCountDecidesHowManyLinesAreRead) {
    const std::string peaks = "40,1,2,3\r\n36 , 2.5 , 4 , 0.01\r\n";
    // Fewer announced: the rest is not read, whatever it holds.
    const auto fewer = parseDatFile(kDatHeader + "9,1\r\n" + kZeros + peaks + "garbage\r\n");
    ASSERT_TRUE(fewer);
    EXPECT_EQ(fewer->peaks.size(), 1u);
    // The end-of-file mark cuts the file short.
    EXPECT_FALSE(parseDatFile(kDatHeader + "2,2\r\n" + kZeros + "40,1,2,3\r\n\x1A" + "36,1,2,3"));
    // The label is written back with "%d".
    const auto labels = parseDatFile(kDatHeader + "1,2\r\n" + kZeros + "+040,1,2,3\n-7,1,2,3\n");
    ASSERT_TRUE(labels);
    EXPECT_EQ(labels->peaks[0].elem, "40");
    EXPECT_EQ(labels->peaks[1].elem, "-7");
}

TEST(WrittenFilesEdges, TheLongestLinesTheWritersMakeFitTheReadersBuffers) {
    const double most = -1.7976931348623157e308;
    DataNote note;
    note.form = DataNoteForm::Pks;
    note.tags = {{std::string(29, 'T'), std::string(255, 'x')},
                 {"Sample:", std::string(255, 's')},
                 {"Date:", std::string(255, 'd')}};
    PeakRecord peak;
    peak.elem = "-2147483648";
    peak.time = most;
    peak.height = most;
    peak.range = most;
    const auto dat = datFileText({peak}, &note);
    ASSERT_TRUE(dat);
    const auto datBack = parseDatFile(*dat);
    ASSERT_TRUE(datBack);
    ASSERT_EQ(datBack->peaks.size(), 1u);
    EXPECT_EQ(datBack->peaks[0].elem, "-2147483648");
    EXPECT_EQ(datBack->peaks[0].range, most);
    const auto pksBack = parsePksFile(pksFileText({peak}, &note));
    ASSERT_TRUE(pksBack);
    EXPECT_EQ(pksBack->note.tags[0].text, std::string(255, 'x'));
    ASSERT_EQ(pksBack->peaks.size(), 1u);
}

} // namespace
} // namespace tarnova
