// Hand-made files at the edges of the readers' rules: long lines read in pieces, labels of the
// instrument's item table, counts and splits of damaged files.
#include "core/support/log_capture.h"
#include "core/support/scripted_port.h"
#include "data/dat_format.h"
#include "data/micromass_asc.h"
#include "data/micromass_dat.h"
#include "data/pks_format.h"
#include "data/text_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

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

std::string littleEndian(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    std::string bytes;
    for (int i = 0; i < 8; ++i) {
        bytes += static_cast<char>((bits >> (8 * i)) & 0xFF);
    }
    return bytes;
}

std::string micromassDat(double items, double cycles, const std::string& table,
                         const std::string& data) {
    return "&24 NOVEMBER 2026 1042AR261124" + littleEndian(items) + littleEndian(cycles) + table +
           data;
}

TEST(MicromassDatEdges, ItemLabelsLoseTrailingWhiteSpaceFromTheFifthByteBack) {
    test::ScriptedPort port;
    const std::string labels[] = {std::string("40   "), std::string("4 0  "),
                                  std::string("40 \0X", 5), std::string("4\0  \t", 5),
                                  std::string("\0\0\0\0\0", 5)};
    std::string table;
    std::string data;
    for (const std::string& label : labels) {
        table += label + std::string(8, 'x');
        data += littleEndian(1.0) + littleEndian(2.0);
    }
    const auto file = parseMicromassDat(micromassDat(5, 1, table, data), port);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->peaks.size(), 5u);
    EXPECT_EQ(file->peaks[0].elem, "40");
    EXPECT_EQ(file->peaks[1].elem, "4 0");
    EXPECT_EQ(file->peaks[2].elem, "40 ");
    EXPECT_EQ(file->peaks[3].elem, "4");
    EXPECT_EQ(file->peaks[4].elem, "");
    EXPECT_TRUE(port.messages.empty());
}

TEST(MicromassDatEdges, CountsAreTruncatedAndCheckedAgainstTheFileSize) {
    const std::string table =
        std::string("Ar40 ") + std::string(8, ' ') + "Ar36 " + std::string(8, ' ');
    const std::string cycle =
        littleEndian(523.0) + littleEndian(1.0) + littleEndian(-2.0) + littleEndian(2.0);
    const auto refusal = [](const std::string& bytes) {
        test::ScriptedPort port;
        const bool read = parseMicromassDat(bytes, port).has_value();
        return read ? std::string("read") : port.messages.empty() ? "" : port.messages[0].text;
    };
    // 2.9 items are 2, 1.9 cycles are 1.
    test::ScriptedPort port;
    const auto file = parseMicromassDat(micromassDat(2.9, 1.9, table, cycle + cycle), port);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->peaks.size(), 2u);
    EXPECT_DOUBLE_EQ(file->peaks[0].height, 5.23);
    EXPECT_DOUBLE_EQ(file->peaks[0].range, 100.0);
    EXPECT_DOUBLE_EQ(file->peaks[1].height, -2.0); // a negative value is kept whole
    EXPECT_DOUBLE_EQ(file->peaks[1].range, 1.0);
    EXPECT_EQ(refusal(micromassDat(0.9, 1, table, cycle)), "Header error");
    EXPECT_EQ(refusal(micromassDat(-5, 1, table, cycle)), "Header error");
    // The data bytes after the table count as items as long as they last.
    EXPECT_EQ(refusal(micromassDat(4, 1, table, cycle)), "");
    EXPECT_EQ(refusal(micromassDat(5, 1, table, cycle)), "Too small number of peak item.");
    EXPECT_EQ(refusal(micromassDat(1e300, 1, table, cycle)), "Too small number of peak item.");
    EXPECT_EQ(refusal(micromassDat(2, 2, table, cycle)), "");
    EXPECT_EQ(refusal(micromassDat(2, 1e18, table, cycle)), "");
    EXPECT_EQ(refusal(micromassDat(2, -0.5, table, cycle)), "read"); // no cycle at all
}

TEST(MicromassAscEdges, ZeroAndNegativeValuesNeverBecomeNaN) {
    test::LogCapture log;
    test::ScriptedPort port;
    const std::string usual = "\"Noble Gas Suite - Argon\" \"V2\"\r\n\"Sample\" \"AS-13\"\r\n"
                              "\"Date\" \"25/11/2026\"\r\n\"Operator\" \"KT\"\r\n"
                              "\"Cycle\" \"Mass\"\r\n\"\" \"(V)\"\r\n"
                              "\"  1\" 39.962 \"Ar40  \" \"Corrected  \" 0 7.5\r\n"
                              "\"  1\" 35.9 \"Ar36\" \"Corrected  \" -1.5 8.5\r\n"
                              "\"  1\" 35.9 \"Ar36\" \"Corrected\" 4 9.5\r\n"
                              "not a table line\r\n\"  1\" x\r\n";
    const auto file = parseMicromassAsc(usual, port);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->peaks.size(), 2u);
    EXPECT_EQ(file->peaks[0].elem, "Ar40");
    EXPECT_EQ(file->peaks[0].height, 0.0);
    EXPECT_EQ(file->peaks[0].range, 1.0);
    EXPECT_EQ(file->peaks[1].height, 0.0);
    EXPECT_EQ(file->peaks[1].range, 1.0);
    EXPECT_EQ(file->peaks[1].time, 8.5);

    const std::string helium = "\"Noble Gas Suite - Helium Sample\"\r\n\"Sample\" \"HE-1\"\r\n"
                               "\"Date\" \"25/11/2026\"\r\n\"Operator\" \"KT\"\r\n"
                               "\"Runs\" 1\r\n\"Blocks\" 1\r\n\"Cycles\" 3\r\n"
                               "\"Weight\" \"\" 1.25 \"g\"\r\ntitles\r\nunits\r\n"
                               "\"1\" 5 5 1 3 0 10.5\r\n\"2\" 6 2 4 1 0 20.5\r\n";
    const auto he = parseMicromassAsc(helium, port);
    ASSERT_TRUE(he);
    ASSERT_EQ(he->peaks.size(), 4u);
    EXPECT_EQ(he->peaks[0].elem, "3He");
    EXPECT_EQ(he->peaks[0].height, 0.0);
    EXPECT_EQ(he->peaks[0].range, 1.0);
    EXPECT_EQ(he->peaks[1].height, -2.0);
    EXPECT_EQ(he->peaks[1].range, 1.0);
    EXPECT_EQ(he->peaks[2].height, 4.0);
    EXPECT_EQ(he->peaks[3].height, 3.0);
    EXPECT_EQ(he->peaks[3].time, 20.5);
    EXPECT_EQ(he->note.tags[7].text, "1.25000000E+000 g");
    EXPECT_TRUE(port.messages.empty());
}

TEST(DatReaderEdges, AnnouncedCountDecidesHowManyLinesAreRead) {
    const std::string peaks = "40,1,2,3\r\n36 , 2.5 , 4 , 0.01\r\n";
    // Fewer announced: the rest is not read, whatever it holds.
    const auto fewer = parseDatFile(kDatHeader + "9,1\r\n" + kZeros + peaks + "garbage\r\n");
    ASSERT_TRUE(fewer);
    EXPECT_EQ(fewer->peaks.size(), 1u);
    EXPECT_FALSE(parseDatFile(kDatHeader + "2,3\r\n" + kZeros + peaks));
    EXPECT_FALSE(parseDatFile(kDatHeader + "2,-1\r\n" + kZeros + peaks));
    EXPECT_FALSE(parseDatFile(kDatHeader + "2,2147483647\r\n" + kZeros + peaks));
    EXPECT_FALSE(parseDatFile(kDatHeader + "2\r\n" + kZeros + peaks));
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
