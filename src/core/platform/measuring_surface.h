// A surface that draws nothing and keeps the bounding box of what would have been drawn, so
// that a window can be made as large as its drawing needs.
#pragma once

#include "platform/surface.h"

#include <functional>
#include <optional>
#include <string_view>

namespace tarnova {

class MeasuringSurface final : public Surface {
  public:
    // metrics and textWidth: the font the drawing would be made with.
    MeasuringSurface(FontMetrics metrics, std::function<int(std::string_view)> textWidth)
        : metrics_(metrics), textWidth_(std::move(textWidth)) {}

    FontMetrics fontMetrics() const override { return metrics_; }
    int borderWidth() const override { return 1; }
    int textWidth(std::string_view text) const override { return textWidth_(text); }

    // A text covers its width and one line height from its top-left corner.
    void drawText(SurfacePoint topLeft, std::string_view text) override;
    // What of the text lies inside the rectangle, placed as aligned.
    void drawTextInRect(const SurfaceRect& rect, std::string_view text,
                        HorizontalAlignment horizontal, VerticalAlignment vertical) override;
    void drawLine(SurfacePoint from, SurfacePoint to) override;
    void drawRectangle(const SurfaceRect& rect) override { cover(rect); }
    void drawEllipse(const SurfaceRect& box) override { cover(box); }
    void drawDashedLine(SurfacePoint from, SurfacePoint to, int) override { drawLine(from, to); }

    // The smallest rectangle (right and bottom exclusive) around everything drawn so far; none
    // when nothing was.
    const std::optional<SurfaceRect>& extent() const { return extent_; }

  private:
    void cover(const SurfaceRect& rect);

    FontMetrics metrics_;
    std::function<int(std::string_view)> textWidth_;
    std::optional<SurfaceRect> extent_;
};

} // namespace tarnova
