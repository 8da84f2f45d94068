#include "data/file_kind.h"

#include "core/support/log_capture.h"
#include "core/support/temp_folder.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

TEST(KindFromContent, RecognisesTheSamples) {
    test::LogCapture log;
    const auto kind = [](const char* name) { return kindFromContent(test::sampleBytes(name)); };
    EXPECT_EQ(kind("argon_air.pks"), FileKind::Pks);
    EXPECT_EQ(kind("argon_air.dat"), FileKind::Dat);
    EXPECT_EQ(kind("argon_micromass.asc"), FileKind::MicromassAsc);
    EXPECT_EQ(kind("helium_micromass.asc"), FileKind::MicromassAsc);
    EXPECT_EQ(kind("argon_micromass.dat"), FileKind::MicromassDat);
    EXPECT_EQ(log.lines()[0], "\"Sample:\",\"AS-12 air standard, pipette 3\"");
    EXPECT_EQ(log.lines()[1], "PKS");
    EXPECT_EQ(log.lines()[3], "DAT file or PKSx file");
    EXPECT_EQ(log.lines().back(), "Micromass DAT");
}

TEST(KindFromContent, FollowsTheShapesOfTheFirstThreeLines) {
    test::LogCapture log;
    // A DAT file, also with empty header texts; with a negative weight it looks like PKS.
    EXPECT_EQ(kindFromContent("\"S\",\"D\"\r\n\"C\"\r\n0.5\r\n"), FileKind::Dat);
    EXPECT_EQ(kindFromContent("\"\" , \"\"\n\"\"\n1\n"), FileKind::Dat);
    EXPECT_EQ(kindFromContent("\"S\",\"D\"\r\n\"C\"\r\n-0.5\r\n"), FileKind::Pks);
    // PKS with two tag lines, then a peak or a third tag line.
    EXPECT_EQ(kindFromContent("\"a\",\"b\"\r\n\"c\",\"d\"\r\n  120,   1.0E+000, \"Ar40\"\r\n"),
              FileKind::Pks);
    EXPECT_EQ(kindFromContent("\"a\",\"b\"\r\n\"c\",\"d\"\r\n\"e\",\"f\"\r\n"), FileKind::Pks);
    // PKS with one tag line: the second line must be a whole peak line.
    EXPECT_EQ(kindFromContent("\"a\",\"b\"\r\n  120,   1.0E+000, \"Ar40\"\r\n"), FileKind::Pks);
    EXPECT_EQ(kindFromContent("\"a\",\"b\"\r\n120,1,\"\"\r\n"), std::nullopt);
    EXPECT_EQ(kindFromContent("\"a\",\"b\"\r\n-120,1,\"Ar40\"\r\n"), std::nullopt);
    // Undecidable: no tag line, a single line, two lines only, a first line of another shape.
    EXPECT_EQ(kindFromContent("  120,   1.0E+000, \"Ar40\"\r\n"), std::nullopt);
    EXPECT_EQ(kindFromContent("\"a\",\"b\"\r\n"), std::nullopt);
    EXPECT_EQ(kindFromContent("\"a\",\"b\"\r\n\"c\",\"d\"\r\n"), std::nullopt);
    EXPECT_EQ(kindFromContent("\"a\";\"b\"\r\n\"c\"\r\n1\r\n"), std::nullopt);
    EXPECT_EQ(kindFromContent(""), std::nullopt);
    EXPECT_EQ(kindFromContent("\x1A\"a\",\"b\"\r\n\"c\"\r\n1\r\n"), std::nullopt);
    // Results and instrument files.
    EXPECT_EQ(kindFromContent("SOURCE\tAr40/Ar36\r\n"), FileKind::Ird);
    EXPECT_EQ(kindFromContent("\"Noble Gas Suite - anything\r\n"), FileKind::MicromassAsc);
    EXPECT_EQ(kindFromContent("&12 MAY 2026"), FileKind::MicromassDat);
    EXPECT_EQ(kindFromContent(std::string("&12\0 MAY", 8)), std::nullopt);
    EXPECT_EQ(kindFromContent("&" + std::string(255, ' ') + "MAY"), std::nullopt);
    EXPECT_EQ(kindFromContent("&12 may 2026"), std::nullopt);
}

} // namespace
} // namespace tarnova
