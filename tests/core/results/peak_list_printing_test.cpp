// The printed peak list on recording printers: columns, page numbers, page breaks, refusals.
#include "results/peak_list_printing.h"

#include "core/support/log_capture.h"
#include "core/support/recording_printer.h"
#include "core/support/scripted_port.h"
#include "core/support/test_peaks.h"
#include "editor/grid_model.h"
#include "results/printer_selection.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

using test::boxOf;
using test::lineFrom;
using test::pageOf;
using test::Primitive;
using test::PrimitiveKind;
using test::textAt;
using test::textIn;

class PeakListPrinting : public ::testing::Test {
  protected:
    void attach(int count) {
        std::vector<PeakRecord> peaks;
        for (int i = 0; i < count; ++i) {
            peaks.push_back(test::makePeak("Ar40", i, 1.0));
        }
        grid.AttachPeaks(peaks);
    }
    const std::vector<test::RecordingSurface>& pages() const { return spooler.jobs.at(0).pages; }

    test::LogCapture log;
    test::ScriptedPort ui;
    GridModel grid{ui};
    test::RecordingSpooler spooler; // A4 at 300 dpi, h 45, w 21
    std::string printer;
    PrintEnvironment environment{spooler, ui, printer};
};

TEST_F(PeakListPrinting, APageInTheGridsColumnFormats) {
    // Column formats 4, 7, 8.2, 5.3, 7.4, 10.3: the columns end at 84 + (width + 2) * 21.
    grid.AttachPeaks(
        {test::makePeak("Ar40", 12.5, 2.5, 0.25), test::makePeak("Ar36", 20.25, 0.125, 4.0)});
    ASSERT_TRUE(PrintPeakList(environment, grid));
    EXPECT_EQ(spooler.jobs[0].title, "Tarnova - Peak List");
    ASSERT_EQ(pages().size(), 1u);
    EXPECT_EQ(pages()[0].primitives,
              (std::vector<Primitive>{
                  boxOf(PrimitiveKind::Rectangle, {84, 180, 1197, 316}),
                  textAt(84, 90, "Tarnova"),
                  textIn({84, 90, 2396, 135}, "Page 1", HorizontalAlignment::Right),
                  textAt(84, 180, "No.  "),
                  textAt(210, 180, "Element "),
                  textAt(399, 180, "Time     "),
                  textAt(609, 180, "Height"),
                  textAt(756, 180, "Range   "),
                  textAt(945, 180, "Peak       "),
                  textAt(84, 226, "    1"),
                  textAt(210, 226, "    Ar40"),
                  textAt(399, 226, "    12.50"),
                  textAt(609, 226, " 2.500"),
                  textAt(756, 226, "  0.2500"),
                  textAt(945, 226, " 6.250E-001"),
                  textAt(84, 271, "    2"),
                  textAt(210, 271, "    Ar36"),
                  textAt(399, 271, "    20.25"),
                  textAt(609, 271, " 0.125"),
                  textAt(756, 271, "  4.0000"),
                  textAt(945, 271, " 5.000E-001"),
                  lineFrom({210, 180}, {210, 316}),
                  lineFrom({399, 180}, {399, 316}),
                  lineFrom({609, 180}, {609, 316}),
                  lineFrom({756, 180}, {756, 316}),
                  lineFrom({945, 180}, {945, 316}),
                  lineFrom({84, 225}, {1197, 225}),
              }));
}

TEST_F(PeakListPrinting, ANarrowPageLeavesOutHeightAndRange) {
    // 100 mm at 300 dpi is 1181 units: 53 characters of the six columns do not fit within
    // 1181 - 8 * 21.
    spooler.behaviour.page = pageOf(100.0, 297.0, 300);
    grid.AttachPeaks({test::makePeak("Ar40", 12.5, 2.5, 0.25)});
    ASSERT_TRUE(PrintPeakList(environment, grid));
    const test::RecordingSurface& page = pages().at(0);
    EXPECT_EQ(page.primitives.front(), boxOf(PrimitiveKind::Rectangle, {84, 180, 861, 271}));
    EXPECT_EQ(page.texts(), (std::vector<std::string>{"Tarnova", "Page 1", "No.  ", "Element ",
                                                      "Time     ", "Peak       ", "    1",
                                                      "    Ar40", "    12.50", " 6.250E-001"}));
}

TEST_F(PeakListPrinting, PagesAreNumberedAndTheNumbersRunOn) {
    attach(150); // 70 rows a page on A4 at 300 dpi
    ASSERT_TRUE(PrintPeakList(environment, grid));
    ASSERT_EQ(pages().size(), 3u);
    const int rows[] = {70, 70, 10};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string number = "Page " + std::to_string(i + 1);
        EXPECT_EQ(pages()[i].primitives[2],
                  textIn({84, 90, 2396, 135}, number, HorizontalAlignment::Right));
        // Six texts a row after the top line and the headings.
        EXPECT_EQ(pages()[i].texts().size(), 8u + 6u * static_cast<std::size_t>(rows[i]));
    }
    EXPECT_EQ(pages()[1].primitives[9], textAt(84, 226, "   71"));
}

TEST_F(PeakListPrinting, FailuresAreTold) {
    EXPECT_FALSE(PrintPeakList(environment, grid)); // no labelled row
    attach(3);
    spooler.behaviour.refuseDocument = true;
    EXPECT_FALSE(PrintPeakList(environment, grid));
    spooler.behaviour.refuseDocument = false;
    spooler.behaviour.refusePage = 1;
    EXPECT_FALSE(PrintPeakList(environment, grid));
    EXPECT_EQ(
        ui.messages,
        (std::vector<test::RecordedMessage>{
            {"Tarnova", "ピークデータが取得できません。"},
            {"Tarnova", "プリントジョブを開始できませんでした。\nOffice: refused by the test"},
            {"Tarnova", "Printer Error\nOffice: refused by the test"}}));
}

} // namespace
} // namespace tarnova
