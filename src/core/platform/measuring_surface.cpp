#include "platform/measuring_surface.h"

#include <algorithm>

namespace tarnova {

void MeasuringSurface::drawText(SurfacePoint topLeft, std::string_view text) {
    cover({topLeft.x, topLeft.y, topLeft.x + textWidth(text), topLeft.y + metrics_.lineHeight});
}

void MeasuringSurface::drawTextInRect(const SurfaceRect& rect, std::string_view text,
                                      HorizontalAlignment horizontal, VerticalAlignment vertical) {
    const int width = textWidth(text);
    int left = rect.left;
    if (horizontal == HorizontalAlignment::Right) {
        left = rect.right - width;
    } else if (horizontal == HorizontalAlignment::Center) {
        left = rect.left + (rect.right - rect.left - width) / 2;
    }
    const int top = vertical == VerticalAlignment::Center
                        ? rect.top + (rect.bottom - rect.top - metrics_.lineHeight) / 2
                        : rect.top;
    const SurfaceRect clipped{std::max(left, rect.left), std::max(top, rect.top),
                              std::min(left + width, rect.right),
                              std::min(top + metrics_.lineHeight, rect.bottom)};
    if (clipped.left < clipped.right && clipped.top < clipped.bottom) {
        cover(clipped);
    }
}

void MeasuringSurface::drawLine(SurfacePoint from, SurfacePoint to) {
    cover({std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x) + 1,
           std::max(from.y, to.y) + 1});
}

void MeasuringSurface::cover(const SurfaceRect& rect) {
    if (!extent_) {
        extent_ = rect;
        return;
    }
    extent_->left = std::min(extent_->left, rect.left);
    extent_->top = std::min(extent_->top, rect.top);
    extent_->right = std::max(extent_->right, rect.right);
    extent_->bottom = std::max(extent_->bottom, rect.bottom);
}

} // namespace tarnova
