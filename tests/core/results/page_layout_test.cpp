// Page areas and graph boxes as numbers, for the papers and resolutions printers have.
#include "results/page_layout.h"

#include "core/support/recording_printer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tarnova {
namespace {

using test::pageOf;

struct Paper {
    const char* name;
    double widthMm;
    double heightMm;
};
constexpr Paper kA4{"A4", 210.0, 297.0};
constexpr Paper kLetter{"Letter", 215.9, 279.4};

std::vector<PageMetrics> everyPage() {
    std::vector<PageMetrics> pages;
    for (const Paper& paper : {kA4, kLetter}) {
        for (const int dpi : {300, 1200}) {
            pages.push_back(pageOf(paper.widthMm, paper.heightMm, dpi));
            pages.push_back(pageOf(paper.heightMm, paper.widthMm, dpi));
        }
    }
    pages.push_back(pageOf(60.0, 200.0, 300)); // a narrow custom paper
    return pages;
}

TEST(PageLayout, SheetAreasInDeviceUnits) {
    struct Row {
        PageMetrics page;
        SurfaceRect area;
    };
    // cx = Wpx * 10 / Wmm, cy = Hpx * 10 / Hmm; L = trunc(cx), T = trunc(1.5 cy),
    // R = Wpx - trunc(cx), B = Hpx - trunc(2 cy), worked out by hand.
    const Row rows[] = {
        {pageOf(210.0, 297.0, 300), {118, 177, 2362, 3272}},   // 2480 x 3508
        {pageOf(297.0, 210.0, 300), {118, 177, 3390, 2244}},   // 3508 x 2480
        {pageOf(279.4, 215.9, 1200), {472, 708, 12728, 9256}}, // 13200 x 10200
        {pageOf(210.0, 297.0, 1200), {472, 708, 9449, 13087}}, // 9921 x 14031
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SheetPageArea(row.page), row.area)
            << row.page.widthPx << "x" << row.page.heightPx;
    }
}

TEST(PageLayout, GraphBoxesKeepTheirAspectAndStayInTheirSpace) {
    struct Row {
        const char* what;
        PageMetrics page;
        int top; // 0: the area's top
        SurfaceRect box;
    };
    const Row rows[] = {
        // As wide as the area; (cy / cx) * 400 / 640 * 2244 = 1402.7.
        {"A4 portrait at the top", pageOf(210.0, 297.0, 300), 0, {118, 177, 2362, 1579}},
        // As written, the box of Letter landscape reached x = 118 + 1.6 * 2137 = 3537, past the
        // right margin (3182) and the page (3300); now it is as wide as the area.
        {"Letter landscape at the top", pageOf(279.4, 215.9, 300), 0, {118, 177, 3182, 2092}},
        // As written, a graph 16.5 cm down on Letter portrait ended at 7795 + 5785 = 13580,
        // below the page (13200); now it is as high as the rest and 1.6 times as wide.
        {"Letter portrait 16.5 cm down",
         pageOf(215.9, 279.4, 1200),
         7795,
         {472, 7795, 7609, 12256}},
        {"at the bottom margin", pageOf(210.0, 297.0, 300), 3272, {118, 3272, 118, 3272}},
    };
    for (const Row& row : rows) {
        SurfaceRect space = SheetPageArea(row.page);
        if (row.top != 0) {
            space.top = row.top;
        }
        EXPECT_EQ(FitGraphBox(space, ScaleOfPage(row.page)), row.box) << row.what;
    }
}

TEST(PageLayout, GraphBoxesFillTheAreaOnEveryPage) {
    for (const PageMetrics& page : everyPage()) {
        const PageScale scale = ScaleOfPage(page);
        const SurfaceRect area = SheetPageArea(page);
        for (const double down : {0.0, 0.3, 0.6, 0.9}) {
            SurfaceRect space = area;
            space.top += static_cast<int>(down * (area.bottom - area.top));
            const SurfaceRect box = FitGraphBox(space, scale);
            SCOPED_TRACE(testing::Message()
                         << page.widthPx << "x" << page.heightPx << " down " << down);
            EXPECT_EQ(box.left, space.left);
            EXPECT_EQ(box.top, space.top);
            EXPECT_LE(box.right, space.right);
            EXPECT_LE(box.bottom, space.bottom);
            // It touches the right or the bottom of its space ...
            EXPECT_TRUE(box.right == space.right || box.bottom == space.bottom);
            // ... and measures 16 : 10 in centimetres, to a unit.
            const double widthCm = (box.right - box.left) / scale.cx;
            const double heightCm = (box.bottom - box.top) / scale.cy;
            EXPECT_NEAR(widthCm, 1.6 * heightCm, 1.6 / scale.cy + 1.0 / scale.cx);
        }
    }
}

TEST(PageLayout, ReportGraphGoesToANewPageWhenLittleIsLeft) {
    const PageMetrics page = pageOf(210.0, 297.0, 300); // Hpx 3508, area 118..2362, 177..3272
    const SurfaceRect area = SheetPageArea(page);
    struct Row {
        int y;
        bool newPage;
    };
    const Row rows[] = {
        {177, false},  // a whole page
        {2100, false}, // 1172 left: more than a third of the page
        {2110, true},  // 1162 left: less than a third and flatter than the graph
        {3272, true},  // nothing left: as written this divided by zero
        {3400, true},  // below the bottom margin
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ReportGraphNeedsNewPage(page, area, row.y), row.newPage) << row.y;
    }
}

TEST(PageLayout, PeakListRowsPerPage) {
    struct Row {
        int pageHeight;
        int lineHeight;
        int rows;
    };
    const Row rows[] = {
        {3508, 45, 70}, // 5h + 70h = 3375 <= 3508 - 90 - 1
        {3466, 45, 70}, // exactly 5h + 70h = Hpx - 2h - 1
        {3465, 45, 69},
        {300, 45, 1}, // a short label: at least one row, as written none (and a division by 0)
        {100, 0, 92}, // a font without height counts one unit
    };
    for (const Row& row : rows) {
        EXPECT_EQ(PeakListRowsPerPage(row.pageHeight, row.lineHeight), row.rows)
            << row.pageHeight << " " << row.lineHeight;
    }
}

} // namespace
} // namespace tarnova
