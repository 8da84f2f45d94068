// tarnova-cli graph, run as a process: the picture formats, the size, the record, the INI's
// graph options and the failures.
#include "core/support/cli_run.h"
#include "core/support/emf_records.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <regex>
#include <string>

namespace tarnova {
namespace {

using test::CliRun;

std::size_t countOf(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

// Width and height from a PNG's IHDR chunk.
std::pair<std::uint32_t, std::uint32_t> pngSize(const std::string& png) {
    if (png.size() < 24 || png.compare(1, 3, "PNG") != 0 || png.compare(12, 4, "IHDR") != 0) {
        return {0, 0};
    }
    const auto be32 = [&png](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            value = (value << 8) | static_cast<unsigned char>(png[at + i]);
        }
        return value;
    };
    return {be32(16), be32(20)};
}

class GraphCommand : public ::testing::Test {
  protected:
    test::TempFolder folder;

    void SetUp() override {
        test::writeRatioRun(folder);
        folder.write("PLAIN.INI", "[result]\r\ngraphname=false\r\ngraphformula=false\r\n");
    }

    CliRun graph(const std::string& arguments, const std::string& ini = "TARNOVA.INI") {
        return test::runCli(folder, "graph run.pks --ini '" + folder.path(ini) +
                                        "' --numerator N --denominator D " + arguments);
    }
};

TEST_F(GraphCommand, ThreePictureFormats) {
    for (const char* name : {"g.png", "g.svg", "g.EMF"}) {
        const CliRun run = graph(std::string("--size 500x300 --output ") + name);
        EXPECT_EQ(run.exitCode, 0) << name << run.err;
        EXPECT_EQ(run.err, "") << name;
    }
    EXPECT_EQ(pngSize(folder.read("g.png")), std::make_pair(500u, 300u));

    const std::string svg = folder.read("g.svg");
    EXPECT_NE(svg.find("viewBox=\"0 0 500 300\""), std::string::npos) << svg.substr(0, 600);
    EXPECT_NE(svg.find("<title>N/D</title>"), std::string::npos);
    EXPECT_EQ(countOf(svg, ">N/D<"), 2u);                 // the title and the sheet name
    EXPECT_NE(svg.find("0.0375 * x"), std::string::npos); // the formula, 3 + 0.0375 t

    const std::vector<test::EmfRecord> records = test::readEmfRecords(folder.read("g.EMF"));
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(records.front().type, 1u);
    EXPECT_EQ(records.front().field(8), 499); // the picture's bounds
    EXPECT_EQ(records.front().field(12), 299);
    EXPECT_EQ(records.back().type, 14u);
}

TEST_F(GraphCommand, WindowSizeRecordsAndTheIniOptions) {
    // Without --size: the graph window's size, 60 by 25 character cells of the font.
    ASSERT_EQ(graph("--output window.png").exitCode, 0);
    const auto [width, height] = pngSize(folder.read("window.png"));
    EXPECT_GT(width, 200u);
    EXPECT_GT(height, 200u);

    // The abundance D of the same file, named as the IRD names it.
    ASSERT_EQ(graph("--abundance D --record D --output d.svg").exitCode, 0);
    EXPECT_EQ(countOf(folder.read("d.svg"), ">D<"), 2u);

    // The INI's result options switch the name and the formula off.
    ASSERT_EQ(graph("--output plain.svg", "PLAIN.INI").exitCode, 0);
    const std::string plain = folder.read("plain.svg");
    EXPECT_EQ(countOf(plain, ">N/D<"), 1u); // the title only
    EXPECT_EQ(plain.find(" * x"), std::string::npos);
}

// Value labels of small ratios ("5.6914E-005") are drawn whole: every label's text begins inside
// the graph area, which starts 5 pixels into the picture.
TEST_F(GraphCommand, ValueLabelsStartInsideThePicture) {
    const CliRun run =
        test::runCli(folder, "graph '" TARNOVA_SOURCE_DIR "/samples/argon_air.pks' --ini '" +
                                 folder.path("none.ini") +
                                 "' --numerator Ar37 --denominator Ar40 "
                                 "--output labels.svg");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string svg = folder.read("labels.svg");
    static const std::regex text(R"re(<text[^>]* x="([-0-9.]+)"[^>]*>([^<]*)</text>)re");
    int labels = 0;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), text); it != std::sregex_iterator();
         ++it) {
        const std::string content = (*it)[2];
        if (content.find("E-0") == std::string::npos || content.starts_with("y =")) {
            continue;
        }
        EXPECT_GE(std::stod((*it)[1]), 5.0) << content;
        ++labels;
    }
    EXPECT_EQ(labels, 3);
}

TEST_F(GraphCommand, Failures) {
    struct Case {
        const char* arguments;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {"", 2, "usage:"},
        {"--output g.jpg", 2, "g.jpg names no .emf, .svg or .png file"},
        {"", 2, "tarnova-cli: --output is missing"},
        {"--size 0x300 --output g.png", 2, "--size 0x300 is no WxH"},
        {"--size 500 --output g.png", 2, "--size 500 is no WxH"},
        {"--size 20001x10 --output g.png", 2, "--size 20001x10 is no WxH"},
        {"--record A --record B --output g.png", 2, "--record is given twice"},
        {"--record Kr84 --output g.png", 2, "Kr84 is not a record of the calculation"},
        {"--numerator Kr84 --output g.png", 2, "Kr84 is not in the element list"},
        {"--output missing/g.png", 1, "Tarnova: missing/g.pngに書き込めませんでした("},
    };
    for (const Case& c : cases) {
        const CliRun run = graph(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
    }
    EXPECT_FALSE(folder.exists("g.png"));
}

} // namespace
} // namespace tarnova
