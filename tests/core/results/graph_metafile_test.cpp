// A graph drawn into an EMF file and converted by emf2svg-conv (Debian package emf2svg): the
// frame, the points and the line must come out of a reader that is not ours.
#include "core/support/temp_folder.h"
#include "platform/emf_surface.h"
#include "results/graph.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

namespace tarnova {
namespace {

constexpr const char* kConverter = "/usr/bin/emf2svg-conv";

std::size_t countOf(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

TEST(GraphMetafile, ConvertedByEmf2svg) {
    if (!std::filesystem::exists(kConverter)) {
        GTEST_SKIP() << "emf2svg-conv is not installed (Debian package emf2svg)";
    }
    RegressionResult record;
    record.sheetName = "Ar40/Ar36";
    record.status = StatusFlag::Statistics | StatusFlag::Correlation | StatusFlag::Line;
    record.points = std::vector<DataPoint>(3);
    const double times[] = {1, 2, 4};
    const double values[] = {295.5, 296.25, 295.75};
    for (std::size_t i = 0; i < 3; ++i) {
        (*record.points)[i].time = times[i];
        (*record.points)[i].value = values[i];
    }
    record.pointCount = 3;
    record.minTime = 1;
    record.maxTime = 4;
    record.minValue = 295.5;
    record.maxValue = 296.25;
    record.mean = 295.8333;
    LineFit fit;
    fit.intercept = 295.75;
    fit.slope = 0.03;
    record.fit = fit;

    const FixedPitchMeasure font(u"IPAGothic", {16, 8});
    EmfSurface surface(font, kMetafileGraphArea, "Tarnova", "Ar40/Ar36");
    DrawGraph(surface, kMetafileGraphArea, record, kAllResultItems, nullptr, nullptr);
    test::TempFolder folder;
    folder.write("graph.emf", surface.finish());
    const std::string command = std::string(kConverter) + " -i '" + folder.path("graph.emf") +
                                "' -o '" + folder.path("graph.svg") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string svg = folder.read("graph.svg");

    EXPECT_EQ(countOf(svg, "<rect"), 1u) << svg; // the frame
    EXPECT_EQ(countOf(svg, "<ellipse"), 3u) << svg;
    EXPECT_NE(svg.find("Ar40/Ar36"), std::string::npos);
    EXPECT_NE(svg.find("295.75 +"), std::string::npos); // the formula
    // The fitted line runs from the intercept at the plot's left edge (x 104) to the right.
    const std::regex line("M 104\\.0+,[0-9.]+ L 632\\.0+,[0-9.]+");
    EXPECT_TRUE(std::regex_search(svg, line)) << svg;
}

} // namespace
} // namespace tarnova
