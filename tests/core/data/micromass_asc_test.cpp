#include "data/micromass_asc.h"

#include "core/support/log_capture.h"
#include "core/support/scripted_port.h"
#include "core/support/temp_folder.h"
#include "core/support/test_peaks.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace tarnova {
namespace {

using ::testing::ElementsAre;

const std::string kUsualHeader = "\"Noble Gas Suite - Argon\" \"V2\"\r\n"
                                 "\"Sample\" \"AS-13\"\r\n"
                                 "\"Date\" \"25/11/2026\"\r\n"
                                 "\"Operator\" \"KT\"\r\n"
                                 "\"Cycle\" \"Mass\" \"Peak\"\r\n"
                                 "\"\" \"(V)\"\r\n";

std::string usualLine(const std::string& label, const std::string& kind, const std::string& value,
                      const std::string& time) {
    return "\"  1\" 39.962 \"" + label + "\" \"" + kind + "\" " + value + " " + time + "\r\n";
}

class MicromassAsc : public ::testing::Test {
  protected:
    test::LogCapture log;
    test::ScriptedPort port;
};

TEST_F(MicromassAsc, UsualAnalysisTakesTheCorrectedLines) {
    const auto file =
        parseMicromassAsc(kUsualHeader + "\"\" \"Cycle 1\"\r\n" +
                              usualLine("Ar40       ", "Raw Data   ", "5.3E+02", "7.5") +
                              usualLine("Ar40       ", "Corrected  ", "5.23E+02", "7.5") +
                              usualLine("Ar36 x     ", "Corrected  ", "3.2E-12", "13.5") +
                              usualLine("Ar37       ", "Corrected", "1.0", "19.5") +
                              usualLine("Ar37       ", "Corrected  ", "-1.5", "19.5") +
                              usualLine("Ar39       ", "Corrected  ", "0", "25.5") + "\r\n" +
                              usualLine("Ar38       ", "Corrected  ", "1.0", "31.5"),
                          port);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->note.form, DataNoteForm::Pks);
    ASSERT_EQ(file->note.tags.size(), 4u);
    EXPECT_EQ(file->note.tags[0].tag, "Noble Gas Suite - Argon");
    EXPECT_EQ(file->note.tags[1].text, "AS-13");
    ASSERT_EQ(file->peaks.size(), 4u);
    EXPECT_TRUE(test::peakIs(file->peaks[0], "Ar40", 7.5, 5.23, 100));
    EXPECT_TRUE(test::peakIs(file->peaks[1], "Ar36 x", 13.5, 3.2, 1e-12));
    EXPECT_TRUE(test::peakIs(file->peaks[2], "Ar37", 19.5, 0, 1)); // -1.5
    EXPECT_TRUE(test::peakIs(file->peaks[3], "Ar39", 25.5, 0, 1));
    EXPECT_THAT(log.lines(), ElementsAre("Usual analysis"));
    EXPECT_TRUE(port.messages.empty());
}

TEST_F(MicromassAsc, UsualAnalysisRefusesDamagedFiles) {
    const auto raw =
        parseMicromassAsc(kUsualHeader + usualLine("Ar40", "Raw Data   ", "1", "1"), port);
    ASSERT_TRUE(raw); // without corrected lines: no peaks, but no damage either
    EXPECT_TRUE(raw->peaks.empty());
    EXPECT_FALSE(parseMicromassAsc("", port));
    EXPECT_FALSE(parseMicromassAsc(kUsualHeader.substr(0, kUsualHeader.find("\"Cycle\"")), port));
    std::string noTitles = kUsualHeader;
    noTitles.replace(noTitles.find("\"Cycle\" "), 8, "\"Cycles\"");
    EXPECT_FALSE(parseMicromassAsc(noTitles, port));
    EXPECT_FALSE(parseMicromassAsc("\"Noble Gas Suite - Argon\" \"\"\r\n" +
                                       kUsualHeader.substr(kUsualHeader.find("\"Sample\"")),
                                   port));
    EXPECT_FALSE(
        parseMicromassAsc(kUsualHeader + "\"  1\" 39.962 \"Ar40\" \"Corrected  \" 1\r\n", port));
    EXPECT_TRUE(port.messages.empty());
}

std::string heliumFile(int runs, int blocks, int cycles, const std::string& data) {
    return "\"Noble Gas Suite - Helium Sample\"\r\n"
           "\"Sample\" \"HE-STD-07\"\r\n"
           "\"Date\" \"26/11/2026\"\r\n"
           "\"Operator\" \"KT\"\r\n"
           "\"Runs\" " +
           std::to_string(runs) + "\r\n\"Blocks\" " + std::to_string(blocks) + "\r\n\"Cycles\" " +
           std::to_string(cycles) +
           "\r\n\"Standard\" \"\" 2.73E-01 \"ncc STP\"\r\n\"Cycle\" \"3He\"\r\n\"\" \"(cps)\"\r\n" +
           data;
}

const std::string kHeliumData = "\"1\" 45.4 0.4 2.34 0.001 3.1 37.5\r\n"
                                "\"2\" 0.3 0.4 2.33 0.001 3.0 62.5\r\n"
                                "\"3\" 46.0 0.4 2.32 0.001 3.0 87.5\r\n";

TEST_F(MicromassAsc, HeliumAnalysisFormsDifferencesOfTheCycles) {
    const auto file = parseMicromassAsc(heliumFile(1, 1, 3, kHeliumData), port);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->note.tags.size(), 8u);
    EXPECT_EQ(file->note.tags[0].tag, "Analysis:");
    EXPECT_EQ(file->note.tags[0].text, "Noble Gas Suite - Helium Sample");
    EXPECT_EQ(file->note.tags[4].tag, "Runs");
    EXPECT_EQ(file->note.tags[4].text, "1");
    EXPECT_EQ(file->note.tags[6].text, "3");
    EXPECT_EQ(file->note.tags[7].tag, "Standard");
    EXPECT_EQ(file->note.tags[7].text, "2.73000000E-001 ncc STP");
    ASSERT_EQ(file->peaks.size(), 4u);
    EXPECT_EQ(file->peaks[0].elem, "3He");
    EXPECT_DOUBLE_EQ(file->peaks[0].height * file->peaks[0].range, 45.0);
    EXPECT_DOUBLE_EQ(file->peaks[0].range, 10.0);
    EXPECT_EQ(file->peaks[1].elem, "4He");
    EXPECT_DOUBLE_EQ(file->peaks[1].height * file->peaks[1].range, 2.339);
    EXPECT_DOUBLE_EQ(file->peaks[1].time, 37.5);
    // A difference below zero stays as it is.
    EXPECT_DOUBLE_EQ(file->peaks[2].height, 0.3 - 0.4);
    EXPECT_EQ(file->peaks[2].range, 1.0);
    EXPECT_THAT(log.lines(),
                ElementsAre("Helium analysis", "Noble Gas Suite - Helium Sample", "HE-STD-07",
                            "26/11/2026", "KT", "1", "1", "3", "2.73000000E-001 ncc STP",
                            "\"1\" 45.4 0.4 2.34 0.001 3.1 37.5",
                            "\"2\" 0.3 0.4 2.33 0.001 3.0 62.5"));
}

TEST_F(MicromassAsc, HeliumAnalysisRefusalsAndTheirReports) {
    EXPECT_FALSE(parseMicromassAsc(heliumFile(2, 1, 3, kHeliumData), port));
    EXPECT_FALSE(parseMicromassAsc(heliumFile(1, 2, 3, kHeliumData), port));
    ASSERT_EQ(port.messages.size(), 2u);
    EXPECT_EQ(port.messages[0].caption, "Tarnova");
    EXPECT_EQ(port.messages[0].text,
              "ファイル中に１以上の測定が含まれています。未知試料を２スタンダードではさむ場合などで"
              "も、各測定は個別にRunを1として行ってください。");
    EXPECT_EQ(port.messages[1].text, "ファイル中に2つ以上のブロックが含まれています。同位体比測定"
                                     "であっても、複数のブロックには対応していません。");
    EXPECT_FALSE(parseMicromassAsc(heliumFile(1, 1, 1, kHeliumData), port));
    EXPECT_FALSE(parseMicromassAsc(heliumFile(1, 1, 5, kHeliumData), port));
    EXPECT_FALSE(parseMicromassAsc(heliumFile(1, 1, 2147483647, kHeliumData), port));
    EXPECT_FALSE(parseMicromassAsc(heliumFile(1, 1, 3, "\"1\" 1 2 3 4 5\r\n"), port));
    const auto lines = log.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Lexical analysis falls in data."), 3);
    std::string badSecondLine = heliumFile(1, 1, 3, kHeliumData);
    badSecondLine.replace(badSecondLine.find("\"Sample\" "), 9, "Sample ");
    EXPECT_FALSE(parseMicromassAsc(badSecondLine, port));
    EXPECT_EQ(log.lines().back(), "Lexical analysis is fall at line 2.");
    EXPECT_EQ(port.messages.size(), 2u);
}

TEST_F(MicromassAsc, ReaderLogsAndInstallsTheNoteOnlyOnSuccess) {
    test::TempFolder folder;
    test::KeptNote note;
    EXPECT_FALSE(ReadMicromassAsc(folder.path("missing.asc"), port));
    EXPECT_FALSE(ReadMicromassAsc(folder.write("bad.asc", heliumFile(2, 1, 3, kHeliumData)), port));
    EXPECT_TRUE(note.stillKept());
    EXPECT_EQ(log.lines()[0], "MM ASC handler");
    EXPECT_EQ(log.lines()[1], "File can't be opened.");
    const auto peaks = ReadMicromassAsc(test::samplePath("helium_micromass.asc"), port);
    ASSERT_TRUE(peaks);
    EXPECT_EQ(peaks->size(), 20u);
    EXPECT_EQ(currentDataNote()->tags.size(), 8u);
}

} // namespace
} // namespace tarnova
