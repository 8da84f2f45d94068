#include "results/page_layout.h"

#include <algorithm>
#include <cmath>

namespace tarnova {
namespace {

// The graph's physical width to height.
constexpr double kGraphAspect = 640.0 / 400.0;

int truncated(double value) {
    return static_cast<int>(std::trunc(value));
}

} // namespace

PageScale ScaleOfPage(const PageMetrics& page) {
    return {page.widthPx * 10.0 / page.widthMm, page.heightPx * 10.0 / page.heightMm};
}

SurfaceRect SheetPageArea(const PageMetrics& page) {
    const PageScale scale = ScaleOfPage(page);
    return {truncated(scale.cx), truncated(1.5 * scale.cy), page.widthPx - truncated(scale.cx),
            page.heightPx - truncated(2.0 * scale.cy)};
}

SurfaceRect FitGraphBox(const SurfaceRect& space, const PageScale& scale) {
    const double width = static_cast<double>(space.right) - space.left;
    const double height = static_cast<double>(space.bottom) - space.top;
    if (width <= 0.0 || height <= 0.0) {
        return {space.left, space.top, space.left, space.top};
    }
    const double heightForWidth = scale.cy / scale.cx / kGraphAspect * width;
    if (heightForWidth <= height) {
        return {space.left, space.top, space.right, space.top + truncated(heightForWidth)};
    }
    const double widthForHeight = scale.cx / scale.cy * kGraphAspect * height;
    return {space.left, space.top, std::min(space.left + truncated(widthForHeight), space.right),
            space.bottom};
}

bool ReportGraphNeedsNewPage(const PageMetrics& page, const SurfaceRect& area, int y) {
    const double rest = static_cast<double>(area.bottom) - y;
    if (rest <= 0.0) {
        return true;
    }
    const double width = static_cast<double>(area.right) - area.left;
    return page.heightPx > 3.0 * rest && width > 1.6 * rest;
}

int PeakListRowsPerPage(int pageHeight, int lineHeight) {
    const long long h = std::max(lineHeight, 1);
    // The largest k with 5h + kh <= pageHeight - 2h - 1.
    const long long rows = (static_cast<long long>(pageHeight) - 7 * h - 1) / h;
    return static_cast<int>(std::max<long long>(rows, 1));
}

} // namespace tarnova
