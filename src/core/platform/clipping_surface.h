// A surface that passes on only what lies inside a rectangle: the printable area of a page.
// Layouts laid out for a page of any size (a narrow custom paper, a short label) then draw
// nothing outside the area, whatever their texts and tables need.
#pragma once

#include "platform/surface.h"

namespace tarnova {

class ClippingSurface final : public Surface {
  public:
    // Draws on target what lies inside clip: a point (x, y) lies inside when
    // clip.left <= x < clip.right and clip.top <= y < clip.bottom.
    ClippingSurface(Surface& target, const SurfaceRect& clip) : target_(target), clip_(clip) {}

    FontMetrics fontMetrics() const override { return target_.fontMetrics(); }
    int borderWidth() const override { return target_.borderWidth(); }
    int textWidth(std::string_view text) const override { return target_.textWidth(text); }

    // A text whose start lies outside is left out; one that would run past the right or
    // bottom edge (its width taken as one average character width per byte of code page
    // 932, which is how wide a text of the monospaced printer font is) is cut there.
    void drawText(SurfacePoint topLeft, std::string_view text) override;
    // The rectangle is narrowed to the clip; left out when nothing of it remains.
    void drawTextInRect(const SurfaceRect& rect, std::string_view text,
                        HorizontalAlignment horizontal, VerticalAlignment vertical) override;
    // The part of the line inside.
    void drawLine(SurfacePoint from, SurfacePoint to) override;
    // Drawn whole when inside; otherwise the visible parts of its outline, unfilled.
    void drawRectangle(const SurfaceRect& rect) override;
    // Drawn only when its whole box lies inside.
    void drawEllipse(const SurfaceRect& box) override;
    void drawDashedLine(SurfacePoint from, SurfacePoint to, int width) override;

  private:
    bool contains(const SurfaceRect& rect) const;

    Surface& target_;
    SurfaceRect clip_;
};

// The part of the segment from..to inside clip (points as ClippingSurface counts them), with
// its ends rounded to whole units; false when no part of it lies inside.
bool ClipSegment(const SurfaceRect& clip, SurfacePoint& from, SurfacePoint& to);

} // namespace tarnova
