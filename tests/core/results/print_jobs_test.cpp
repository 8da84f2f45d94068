// Result pages, graph pages and reports on recording printers, as numbers per page.
#include "results/print_jobs.h"

#include "calc/calc_state.h"
#include "core/support/recording_printer.h"
#include "core/support/scripted_port.h"
#include "platform/codepage.h"
#include "platform/text_format.h"
#include "results/page_layout.h"
#include "results/printer_selection.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tarnova {
namespace {

using test::fontAt;
using test::pageOf;
using test::Primitive;
using test::PrimitiveKind;
using test::RecordingSpooler;
using test::RecordingSurface;

constexpr ReportFlags kAllReportItems =
    ReportFlag::Result | ReportFlag::DataPoints | ReportFlag::Graph;

// A ratio sheet with count points, value 295 + i / 100 at time 10 i + 5; the points listed in
// disabled are disabled.
RegressionResult sheetOf(const std::string& name, int count, std::vector<int> disabled = {}) {
    RegressionResult r;
    r.sheetName = name;
    r.numerator = "Ar40";
    r.denominator = "Ar36";
    r.status =
        StatusFlag::Statistics | StatusFlag::Correlation | StatusFlag::Line | StatusFlag::LineTest;
    r.points.emplace();
    for (int i = 0; i < count; ++i) {
        DataPoint point;
        point.time = 10.0 * i + 5.0;
        point.value = 295.0 + i / 100.0;
        r.points->push_back(point);
    }
    for (const int i : disabled) {
        (*r.points)[static_cast<std::size_t>(i)].flags |= PointFlag::Disabled;
    }
    r.pointCount = count;
    r.activeCount = count - static_cast<int>(disabled.size());
    r.mean = 295.0 + (count - 1) / 200.0;
    r.minValue = 295.0;
    r.maxValue = 295.0 + (count - 1) / 100.0;
    r.minTime = 5.0;
    r.maxTime = 10.0 * (count - 1) + 5.0;
    LineFit fit;
    fit.slope = 0.001;
    fit.intercept = 294.995;
    r.fit = fit;
    return r;
}

class PrintJobs : public ::testing::Test {
  protected:
    void usePage(const PageMetrics& page, int dpi) {
        spooler.behaviour.page = page;
        spooler.behaviour.font = fontAt(dpi);
    }
    bool report(std::span<RegressionResult> sheets, ReportFlags reportFlags,
                const DataNote* note = nullptr, ResultFlags resultFlags = {}) {
        return MakeReports(environment, sheets, note, {}, resultFlags, reportFlags,
                           [](ReportOptions&) { return true; });
    }
    const std::vector<RecordingSurface>& pages() const { return spooler.jobs.at(0).pages; }

    test::ScriptedPort ui;
    RecordingSpooler spooler;
    std::string printer;
    PrintEnvironment environment{spooler, ui, printer};
};

// The rows of data-point tables on a page, as the times they list, in order: the texts
// right-aligned in the time column, 20 character widths from the area's left edge.
std::vector<std::string> listedTimes(const RecordingSurface& page, int left = 118) {
    std::vector<std::string> times;
    for (const Primitive& p : page.ofKind(PrimitiveKind::TextInRect)) {
        if (p.horizontal == HorizontalAlignment::Right && p.rect.left == left &&
            p.rect.right == left + 20 * page.metrics.averageCharWidth) {
            times.push_back(p.text);
        }
    }
    return times;
}

// The headings "時刻" of data-point tables on a page, as their tops.
std::vector<int> tableTops(const RecordingSurface& page) {
    std::vector<int> tops;
    for (const Primitive& p : page.ofKind(PrimitiveKind::TextInRect)) {
        if (p.text == "時刻") {
            tops.push_back(p.rect.top);
        }
    }
    return tops;
}

// The plot frames of graphs on a page.
std::vector<SurfaceRect> graphFrames(const RecordingSurface& page) {
    std::vector<SurfaceRect> frames;
    for (const Primitive& p : page.ofKind(PrimitiveKind::Rectangle)) {
        frames.push_back(p.rect);
    }
    return frames;
}

// Whether a primitive lies on the page: texts counted one average width per code page 932 byte.
bool onPage(const Primitive& p, const PageMetrics& page, const FontMetrics& font) {
    const auto inside = [&page](SurfacePoint point) {
        return point.x >= 0 && point.y >= 0 && point.x < page.widthPx && point.y < page.heightPx;
    };
    const auto rectInside = [&page](const SurfaceRect& r) {
        return r.left >= 0 && r.top >= 0 && r.right <= page.widthPx && r.bottom <= page.heightPx;
    };
    switch (p.kind) {
    case PrimitiveKind::Text:
        return inside(p.from) &&
               p.from.x +
                       static_cast<long long>(utf8ToCp932(p.text).size()) * font.averageCharWidth <=
                   page.widthPx &&
               p.from.y + font.lineHeight <= page.heightPx;
    case PrimitiveKind::Line:
    case PrimitiveKind::DashedLine:
        return inside(p.from) && inside(p.to);
    default:
        return rectInside(p.rect);
    }
}

TEST_F(PrintJobs, ResultPagesOnePerSheetWithTheSheetAtTheArea) {
    std::vector<RegressionResult> sheets{sheetOf("Ar40/Ar36", 4), sheetOf("Ar38/Ar36", 4),
                                         sheetOf("Ar39/Ar36", 4)};
    // "&Print" hands the current sheet alone.
    EXPECT_TRUE(PrintResults(environment, std::span(sheets).subspan(2, 1), nullptr, {},
                             ResultFlag::SheetName));
    EXPECT_TRUE(PrintResults(environment, sheets, nullptr, {}, ResultFlag::SheetName));
    ASSERT_EQ(spooler.jobs.size(), 2u);
    ASSERT_EQ(spooler.jobs[0].pages.size(), 1u);
    EXPECT_EQ(spooler.jobs[0].pages[0].primitives.front(), test::textAt(123, 182, "Ar39/Ar36"));
    ASSERT_EQ(spooler.jobs[1].pages.size(), 3u);
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        // The area of A4 at 300 dpi is (118, 177, 2362, 3272); the sheet begins 5 units in.
        EXPECT_EQ(spooler.jobs[1].pages[i].primitives.front(),
                  test::textAt(123, 182, sheets[i].sheetName));
    }
}

TEST_F(PrintJobs, GraphPagesFillTheAreaAt16To10OnEveryPaper) {
    struct Row {
        const char* what;
        PageMetrics page;
        int dpi;
        SurfaceRect box;
    };
    const Row rows[] = {
        {"A4 portrait 300 dpi", pageOf(210.0, 297.0, 300), 300, {118, 177, 2362, 1579}},
        // As written, landscape boxes were as high as the area and ran past its right edge.
        {"A4 landscape 300 dpi", pageOf(297.0, 210.0, 300), 300, {118, 177, 3390, 2221}},
        {"Letter landscape 1200 dpi", pageOf(279.4, 215.9, 1200), 1200, {472, 708, 12728, 8368}},
    };
    for (const Row& row : rows) {
        spooler.jobs.clear();
        usePage(row.page, row.dpi);
        std::vector<RegressionResult> sheets{sheetOf("Ar40/Ar36", 6), sheetOf("Ar38/Ar36", 6)};
        ASSERT_TRUE(PrintGraphs(environment, sheets, {})) << row.what;
        ASSERT_EQ(pages().size(), 2u) << row.what;
        // Without labels the plot frame is the box less a character width on the right and
        // half a line at the bottom.
        const FontMetrics font = fontAt(row.dpi);
        const SurfaceRect frame{row.box.left, row.box.top, row.box.right - font.averageCharWidth,
                                row.box.bottom - font.lineHeight / 2};
        for (const RecordingSurface& page : pages()) {
            EXPECT_EQ(graphFrames(page), std::vector<SurfaceRect>{frame}) << row.what;
        }
    }
}

TEST_F(PrintJobs, ReportWithOnlyTheGraphBeginsOneAndAHalfCentimetresDown) {
    std::vector<RegressionResult> sheets{sheetOf("Ar40/Ar36", 6), sheetOf("Ar38/Ar36", 6)};
    ASSERT_TRUE(report(sheets, ReportFlag::Graph));
    EXPECT_EQ(spooler.jobs[0].title, "Tarnova - Result");
    ASSERT_EQ(pages().size(), 2u);
    for (const RecordingSurface& page : pages()) {
        const std::vector<SurfaceRect> frames = graphFrames(page);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].top, 177); // trunc(1.5 cm * 118.11 per cm)
        EXPECT_EQ(frames[0].left, 118);
    }
}

TEST_F(PrintJobs, ReportTableContinuesOnTheNextPageAndTheGraphFollowsIt) {
    // A4 at 300 dpi, h = 45: a page holds (3272 - 177 - 94) / 45 rows of a table of its own.
    std::vector<int> disabled{3, 4, 70, 71, 72, 150};
    std::vector<RegressionResult> sheets{sheetOf("Ar40/Ar36", 160, disabled)};
    DataNote note;
    note.path = "/data/runs/argon_air.pks";
    ASSERT_TRUE(report(sheets, kAllReportItems, &note, ResultFlag::SheetName));
    ASSERT_GE(pages().size(), 3u);

    // The file name first, then how many points were excluded, each a centimetre above what
    // follows.
    EXPECT_EQ(pages()[0].primitives[0], test::textAt(118, 177, "argon_air.pks"));
    EXPECT_EQ(pages()[0].primitives[1],
              test::textAt(118, 177 + 118, "除外したポイント: 手動 6, フィルタ 0"));
    EXPECT_EQ(pages()[0].primitives[2], test::textAt(123, 177 + 2 * 118 + 5, "Ar40/Ar36"));

    // Every enabled point once, in order, and no disabled one.
    std::vector<std::string> listed;
    for (std::size_t i = 0; i < pages().size(); ++i) {
        const std::vector<std::string> times = listedTimes(pages()[i]);
        listed.insert(listed.end(), times.begin(), times.end());
        if (i > 0 && !times.empty()) {
            // Continued pages begin with the table's heading at the top of the area.
            EXPECT_EQ(tableTops(pages()[i]), std::vector<int>{177}) << "page " << i + 1;
        }
    }
    std::vector<std::string> expected;
    for (int i = 0; i < 160; ++i) {
        if (std::find(disabled.begin(), disabled.end(), i) == disabled.end()) {
            expected.push_back(formatGeneral(10.0 * i + 5.0));
        }
    }
    EXPECT_EQ(listed, expected);

    // The graph comes after the last row, a centimetre below the table's end or on a page of
    // its own.
    const RecordingSurface& last = pages().back();
    const std::vector<SurfaceRect> frames = graphFrames(last);
    ASSERT_EQ(frames.size(), 1u);
    const std::vector<Primitive> rules = last.ofKind(PrimitiveKind::Line);
    if (!tableTops(last).empty()) {
        const int tableEnd = rules[1].to.y; // the vertical rule ends below the last row
        EXPECT_EQ(frames[0].top, tableEnd + 118);
    } else {
        EXPECT_EQ(frames[0].top, 177);
    }
}

// With every box cleared a report page carries the file name and, below it, how many points
// were excluded, where any were.
TEST_F(PrintJobs, ReportWithAllBoxesClearedCarriesTheFileNameAndTheExclusions) {
    std::vector<RegressionResult> sheets{sheetOf("Ar40/Ar36", 6, {1, 4}), sheetOf("Ar38/Ar36", 6)};
    (*sheets[0].points)[4].flags |= PointFlag::ExcludedByFilter;
    DataNote note;
    note.path = "run 7.pks";
    const std::vector<PeakRecord> peaks;
    ASSERT_TRUE(MakeReports(
        environment, sheets, &note, {}, ResultFlag::SheetName, kAllReportItems,
        [](ReportOptions& options) {
            EXPECT_EQ(options, (ReportOptions{true, true, true}));
            options = {};
            return true;
        },
        peaks));
    ASSERT_EQ(pages().size(), 2u);
    EXPECT_EQ(
        pages()[0].primitives,
        (std::vector<Primitive>{test::textAt(118, 177, "run 7.pks"),
                                test::textAt(118, 295, "除外したポイント: 手動 1, フィルタ 1")}));
    EXPECT_EQ(pages()[1].primitives, std::vector<Primitive>{test::textAt(118, 177, "run 7.pks")});
}

TEST_F(PrintJobs, ReportsThatAreNotMade) {
    std::vector<RegressionResult> sheets{sheetOf("Ar40/Ar36", 6)};
    // Neither an item nor reconfirm: the message, and no dialog.
    bool asked = false;
    EXPECT_FALSE(MakeReports(environment, sheets, nullptr, {}, {}, {},
                             [&asked](ReportOptions&) { return asked = true; }));
    EXPECT_FALSE(asked);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "レポートのアイテムがありません。レポートを作成できません。");
    // Reconfirm alone shows the dialog with every box cleared; its cancel ends the report.
    EXPECT_FALSE(MakeReports(environment, sheets, nullptr, {}, {}, ReportFlag::Reconfirm,
                             [&asked](ReportOptions& options) {
                                 asked = true;
                                 EXPECT_EQ(options, ReportOptions{});
                                 return false;
                             }));
    EXPECT_TRUE(asked);
    EXPECT_TRUE(spooler.opened.empty());
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(PrintJobs, ReportsEndOnPagesThatHoldAlmostNothing) {
    // A label 100 x 40 mm: the area is 59 units high, less than a table's heading and a row,
    // so every page of the table holds one row; as written the job started pages for ever.
    usePage(pageOf(100.0, 40.0, 300), 300);
    std::vector<RegressionResult> sheets{sheetOf("Ar40/Ar36", 5, {1})};
    ASSERT_TRUE(report(sheets, kAllReportItems, nullptr, ResultFlag::SheetName));
    // The sheet's page, four pages of one row each, the graph's page.
    ASSERT_EQ(pages().size(), 6u);
    EXPECT_TRUE(listedTimes(pages()[0]).empty());
    for (std::size_t i = 1; i <= 4; ++i) {
        EXPECT_EQ(listedTimes(pages()[i]).size(), 1u) << "page " << i + 1;
    }
}

TEST_F(PrintJobs, NothingIsDrawnOutsideThePrintableArea) {
    struct Row {
        const char* what;
        PageMetrics page;
        int dpi;
    };
    const Row rows[] = {
        {"A4 portrait 300 dpi", pageOf(210.0, 297.0, 300), 300},
        {"Letter landscape 1200 dpi", pageOf(279.4, 215.9, 1200), 1200},
        {"narrow custom paper", pageOf(50.0, 250.0, 300), 300},
        {"short custom paper", pageOf(150.0, 45.0, 1200), 1200},
    };
    for (const Row& row : rows) {
        spooler.jobs.clear();
        usePage(row.page, row.dpi);
        std::vector<RegressionResult> sheets{sheetOf("Ar40/Ar36", 60, {7}),
                                             sheetOf("Ar38/Ar36", 2)};
        DataNote note;
        note.path = "argon_air.pks";
        ASSERT_TRUE(report(sheets, kAllReportItems, &note, kAllResultItems)) << row.what;
        ASSERT_TRUE(PrintGraphs(environment, sheets, kAllResultItems)) << row.what;
        ASSERT_TRUE(PrintResults(environment, sheets, &note, {}, kAllResultItems)) << row.what;
        for (const test::PrintRecord& job : spooler.jobs) {
            for (std::size_t i = 0; i < job.pages.size(); ++i) {
                for (const Primitive& p : job.pages[i].primitives) {
                    EXPECT_TRUE(onPage(p, row.page, fontAt(row.dpi)))
                        << row.what << ", " << job.title << " page " << i + 1 << ": " << p;
                }
            }
        }
    }
}

TEST_F(PrintJobs, RefusalsEndTheJobNamingThePrinter) {
    struct Row {
        const char* what;
        bool refuseDocument;
        int refusePage;
        bool refuseDelivery;
        std::size_t pages;
    };
    const Row rows[] = {
        {"document", true, 0, false, 0},
        {"second page", false, 2, false, 1},
        {"delivery", false, 0, true, 3},
    };
    for (const Row& row : rows) {
        spooler.jobs.clear();
        ui.messages.clear();
        spooler.behaviour.refuseDocument = row.refuseDocument;
        spooler.behaviour.refusePage = row.refusePage;
        spooler.behaviour.refuseDelivery = row.refuseDelivery;
        std::vector<RegressionResult> sheets{sheetOf("A/B", 3), sheetOf("C/B", 3),
                                             sheetOf("D/B", 3)};
        EXPECT_FALSE(PrintGraphs(environment, sheets, {})) << row.what;
        EXPECT_EQ(pages().size(), row.pages) << row.what;
        EXPECT_EQ(ui.messages, (std::vector<test::RecordedMessage>{
                                   {"Tarnova", "Printer Error\nOffice: refused by the test"}}))
            << row.what;
        // The pages printed before a refused page still go out.
        EXPECT_EQ(spooler.jobs[0].documentEnded, !row.refuseDocument) << row.what;
    }
}

} // namespace
} // namespace tarnova
