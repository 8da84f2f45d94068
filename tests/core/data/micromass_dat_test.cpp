#include "data/micromass_dat.h"

#include "core/support/scripted_port.h"
#include "core/support/temp_folder.h"
#include "core/support/test_peaks.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

namespace tarnova {
namespace {

std::string littleEndian(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    std::string bytes;
    for (int i = 0; i < 8; ++i) {
        bytes += static_cast<char>((bits >> (8 * i)) & 0xFF);
    }
    return bytes;
}

std::string header(double items, double cycles) {
    return "&" + std::string("24 NOVEMBER 2026 1042") + "AR261124" + littleEndian(items) +
           littleEndian(cycles);
}

std::string itemTable(const std::vector<std::string>& labels) {
    std::string table;
    for (const std::string& label : labels) {
        table += label + std::string(8, '\x01');
    }
    return table;
}

std::string samples(const std::vector<std::pair<double, double>>& valuesAndTimes) {
    std::string data;
    for (const auto& [value, time] : valuesAndTimes) {
        data += littleEndian(value) + littleEndian(time);
    }
    return data;
}

class MicromassDat : public ::testing::Test {
  protected:
    test::ScriptedPort port;

    void expectRefusal(const std::string& bytes, const std::string& message) {
        port.messages.clear();
        EXPECT_FALSE(parseMicromassDat(bytes, port));
        if (message.empty()) {
            EXPECT_TRUE(port.messages.empty());
        } else {
            EXPECT_EQ(port.messages, (std::vector<test::RecordedMessage>{{"Check", message}}));
        }
    }
};

TEST_F(MicromassDat, ReadsItemsCycleByCycle) {
    const auto file = parseMicromassDat(
        header(3, 2) + itemTable({"40   ", "4 0  ", std::string("36\t\0 ", 5)}) +
            samples({{523, 1}, {0.5, 2}, {0.05, 3}, {3.2e-12, 4}, {0, 5}, {-2, 6}}),
        port);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->peaks.size(), 6u);
    EXPECT_TRUE(test::peakIs(file->peaks[0], "40", 1, 5.23, 100));
    EXPECT_TRUE(test::peakIs(file->peaks[1], "4 0", 2, 0.5, 1));
    EXPECT_TRUE(test::peakIs(file->peaks[2], "36\t", 3, 5, 0.01)); // the zero byte stops the trim
    EXPECT_TRUE(test::peakIs(file->peaks[3], "40", 4, 3.2, 1e-12));
    // Zero and below keep their value, range 1.
    EXPECT_TRUE(test::peakIs(file->peaks[4], "4 0", 5, 0, 1));
    EXPECT_TRUE(test::peakIs(file->peaks[5], "36\t", 6, -2, 1));
    ASSERT_EQ(file->note.tags.size(), 2u);
    EXPECT_EQ(file->note.tags[0].tag, "Date:");
    EXPECT_EQ(file->note.tags[0].text, "24 NOVEMBER 2026 1042");
    EXPECT_EQ(file->note.tags[1].tag, "ID:");
    EXPECT_EQ(file->note.tags[1].text, "AR261124");
    EXPECT_TRUE(port.messages.empty());
}

TEST_F(MicromassDat, HeaderTextsEndAtAZeroByteAndCountsAreTruncated) {
    std::string bytes = header(1.9, 1.7) + itemTable({"Ar40 "}) + samples({{1, 2}});
    bytes[5] = '\0';
    const auto file = parseMicromassDat(bytes, port);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->note.tags[0].text, "24 N");
    EXPECT_EQ(file->peaks.size(), 1u);
    const auto none = parseMicromassDat(header(2, 0) + itemTable({"40   ", "36   "}), port);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->peaks.empty());
}

TEST_F(MicromassDat, RefusesDamagedHeadersAndCountsTheFileCannotHold) {
    // Files cut short are checked at every length in damaged_files_test.cpp.
    const std::string items = itemTable({"40   ", "36   "});
    const std::string data = samples({{1, 1}, {2, 2}, {3, 3}, {4, 4}});
    expectRefusal(header(0.99, 2) + items + data, "Header error");
    expectRefusal(header(NAN, 2) + items + data, "Header error");
    expectRefusal(header(-1e300, 2) + items + data, "Header error");
    expectRefusal(header(3, 2) + items, "Too small number of peak item.");
    expectRefusal(header(1e300, 2) + items + data, "Too small number of peak item.");
    expectRefusal(header(INFINITY, 2) + items + data, "Too small number of peak item.");
    expectRefusal(header(2, 3) + items + data, "");
    expectRefusal(header(2, 1e300) + items + data, "");
    expectRefusal(header(2, INFINITY) + items + data, "");
    expectRefusal(header(2, -1) + items + data, "Fail to get heap block.");
    expectRefusal(header(2, NAN) + items + data, "Fail to get heap block.");
    EXPECT_TRUE(parseMicromassDat(header(2, 2) + items + data, port));
}

TEST_F(MicromassDat, ATextDatFileIsRefusedByItsHeader) {
    // Bytes 30 to 37 of a DAT file's text, read as a number.
    expectRefusal("\"AS-12 air standard\",\"2026/11/24\"\r\n\"air\"\r\n0.000000\r\n"
                  "0,0.000000,0.000000\r\n5,75\r\n",
                  "Too small number of peak item.");
    expectRefusal(std::string(30, ' ') + std::string(8, '\0') + std::string(40, ' '),
                  "Header error");
}

TEST_F(MicromassDat, ItemLabelsLoseTrailingWhiteSpaceFromTheFifthByteBack) {
    const auto file =
        parseMicromassDat(header(4, 1) +
                              itemTable({std::string("40 \0X", 5), std::string("4\0  \t", 5),
                                         std::string(5, '\0'), "\tAr \n"}) +
                              samples({{1, 1}, {1, 1}, {1, 1}, {1, 1}}),
                          port);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->peaks.size(), 4u);
    EXPECT_EQ(file->peaks[0].elem, "40 "); // the trimming stops at the last byte X
    EXPECT_EQ(file->peaks[1].elem, "4");
    EXPECT_EQ(file->peaks[2].elem, "");
    EXPECT_EQ(file->peaks[3].elem, "\tAr");
}

TEST_F(MicromassDat, ReaderInstallsTheNoteOnlyOnSuccess) {
    test::TempFolder folder;
    test::KeptNote note;
    EXPECT_FALSE(ReadMicromassDat(folder.write("bad.dat", header(3, 1)), port));
    EXPECT_FALSE(ReadMicromassDat(folder.path("missing.dat"), port));
    EXPECT_TRUE(note.stillKept());
    const auto peaks = ReadMicromassDat(test::samplePath("argon_micromass.dat"), port);
    ASSERT_TRUE(peaks);
    EXPECT_EQ(peaks->size(), 60u);
    EXPECT_EQ((*peaks)[4].elem, "Ar40");
    EXPECT_EQ(currentDataNote()->tags[1].text, "AR261124");
}

} // namespace
} // namespace tarnova
