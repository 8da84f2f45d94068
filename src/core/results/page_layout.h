// Where the print jobs put things on a page: everything follows from the page's size in
// millimetres and in device units, so a page looks the same in centimetres on any printer.
// Lengths are worked out in floating point and cut to whole units at the end.
#pragma once

#include "platform/surface.h"
#include "results/printer_port.h"

namespace tarnova {

// Device units per centimetre, across and down.
struct PageScale {
    double cx = 0.0;
    double cy = 0.0;
};
PageScale ScaleOfPage(const PageMetrics& page);

// The area of result pages, graph pages and reports: 1 cm in from the left and the right,
// 1.5 cm down from the top and 2 cm up from the bottom.
SurfaceRect SheetPageArea(const PageMetrics& page);

// The graph's box: its physical width to height is 640 : 400, its top-left corner is the
// space's, and it is as large as the space allows in both directions. Empty (right = left,
// bottom = top) when the space is.
SurfaceRect FitGraphBox(const SurfaceRect& space, const PageScale& scale);

// Whether a report's graph goes to a new page: less than a third of the page is left below y
// and that rest is flatter than the graph (or nothing is left at all).
bool ReportGraphNeedsNewPage(const PageMetrics& page, const SurfaceRect& area, int y);

// How many rows of the peak list one page holds: the rows below the heading that end at least
// two line heights above the bottom, but at least one, so every page makes progress.
int PeakListRowsPerPage(int pageHeight, int lineHeight);

} // namespace tarnova
