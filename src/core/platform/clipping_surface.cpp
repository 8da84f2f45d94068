#include "platform/clipping_surface.h"

#include "platform/codepage.h"

#include <algorithm>
#include <cmath>

namespace tarnova {
namespace {

bool isEmpty(const SurfaceRect& rect) {
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

SurfaceRect intersection(const SurfaceRect& a, const SurfaceRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

} // namespace

bool ClipSegment(const SurfaceRect& clip, SurfacePoint& from, SurfacePoint& to) {
    if (isEmpty(clip)) {
        return false;
    }
    // Liang-Barsky against the closed box of the pixels inside.
    const double x0 = from.x;
    const double y0 = from.y;
    const double dx = static_cast<double>(to.x) - from.x;
    const double dy = static_cast<double>(to.y) - from.y;
    double enter = 0.0;
    double leave = 1.0;
    const auto limit = [&](double p, double q) {
        if (p == 0.0) {
            return q >= 0.0;
        }
        const double t = q / p;
        if (p < 0.0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
        return enter <= leave;
    };
    const double left = clip.left;
    const double right = static_cast<double>(clip.right) - 1.0;
    const double top = clip.top;
    const double bottom = static_cast<double>(clip.bottom) - 1.0;
    if (!limit(-dx, x0 - left) || !limit(dx, right - x0) || !limit(-dy, y0 - top) ||
        !limit(dy, bottom - y0)) {
        return false;
    }
    const auto at = [&](double t) {
        return SurfacePoint{static_cast<int>(std::clamp(std::round(x0 + t * dx), left, right)),
                            static_cast<int>(std::clamp(std::round(y0 + t * dy), top, bottom))};
    };
    const SurfacePoint start = at(enter);
    const SurfacePoint end = at(leave);
    from = start;
    to = end;
    return true;
}

bool ClippingSurface::contains(const SurfaceRect& rect) const {
    return rect.left >= clip_.left && rect.top >= clip_.top && rect.right <= clip_.right &&
           rect.bottom <= clip_.bottom;
}

void ClippingSurface::drawText(SurfacePoint topLeft, std::string_view text) {
    if (topLeft.x < clip_.left || topLeft.x >= clip_.right || topLeft.y < clip_.top ||
        topLeft.y >= clip_.bottom) {
        return;
    }
    const FontMetrics metrics = target_.fontMetrics();
    const long long width =
        static_cast<long long>(utf8ToCp932(text).size()) * metrics.averageCharWidth;
    if (topLeft.x + width <= clip_.right && topLeft.y + metrics.lineHeight <= clip_.bottom) {
        target_.drawText(topLeft, text);
        return;
    }
    const SurfaceRect line{topLeft.x, topLeft.y, clip_.right,
                           std::min(clip_.bottom, topLeft.y + metrics.lineHeight)};
    target_.drawTextInRect(line, text, HorizontalAlignment::Left, VerticalAlignment::Top);
}

void ClippingSurface::drawTextInRect(const SurfaceRect& rect, std::string_view text,
                                     HorizontalAlignment horizontal, VerticalAlignment vertical) {
    const SurfaceRect visible = intersection(rect, clip_);
    if (isEmpty(visible)) {
        return;
    }
    target_.drawTextInRect(visible, text, horizontal, vertical);
}

void ClippingSurface::drawLine(SurfacePoint from, SurfacePoint to) {
    if (ClipSegment(clip_, from, to)) {
        target_.drawLine(from, to);
    }
}

void ClippingSurface::drawRectangle(const SurfaceRect& rect) {
    if (contains(rect)) {
        target_.drawRectangle(rect);
        return;
    }
    if (isEmpty(rect)) {
        return;
    }
    const SurfacePoint corners[] = {{rect.left, rect.top},
                                    {rect.right - 1, rect.top},
                                    {rect.right - 1, rect.bottom - 1},
                                    {rect.left, rect.bottom - 1}};
    for (std::size_t i = 0; i < 4; ++i) {
        drawLine(corners[i], corners[(i + 1) % 4]);
    }
}

void ClippingSurface::drawEllipse(const SurfaceRect& box) {
    if (contains(box)) {
        target_.drawEllipse(box);
    }
}

void ClippingSurface::drawDashedLine(SurfacePoint from, SurfacePoint to, int width) {
    if (ClipSegment(clip_, from, to)) {
        target_.drawDashedLine(from, to, width);
    }
}

} // namespace tarnova
