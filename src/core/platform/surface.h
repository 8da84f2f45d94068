// The drawing surface that the result sheet, the graph and the printed pages are drawn on.
// The GUI implements it with QPainter (screen, printer, PDF, images), the metafile writer
// with EMF records, and the tests with a recording surface.
//
// Coordinates are whole numbers in the surface's units, y growing downwards. Texts are
// UTF-8; document texts (labels, sheet names, data-note texts, CP932 bytes) are converted
// by the caller with cp932ToUtf8 before they are drawn.
#pragma once

#include <string_view>

namespace tarnova {

struct SurfacePoint {
    int x = 0;
    int y = 0;
    bool operator==(const SurfacePoint&) const = default;
};

struct SurfaceRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const SurfaceRect&) const = default;
};

// Metrics of the surface's current font.
struct FontMetrics {
    int lineHeight = 0;       // h: the full height of a character cell, no extra leading
    int averageCharWidth = 0; // w
    bool operator==(const FontMetrics&) const = default;
};

enum class HorizontalAlignment { Left, Right, Center };
enum class VerticalAlignment { Top, Center };

class Surface {
  public:
    virtual ~Surface() = default;

    virtual FontMetrics fontMetrics() const = 0;
    // Width of a window border line on this platform (normally 1), the width of the mean line.
    virtual int borderWidth() const = 0;
    // The width of one line of text in the current font, in the surface's units: what a text
    // drawn at a point covers to its right.
    virtual int textWidth(std::string_view text) const = 0;

    // One line of text with its top-left corner at the point.
    virtual void drawText(SurfacePoint topLeft, std::string_view text) = 0;
    // One line of text inside the rectangle, aligned as asked and clipped to the rectangle.
    virtual void drawTextInRect(const SurfaceRect& rect, std::string_view text,
                                HorizontalAlignment horizontal,
                                VerticalAlignment vertical = VerticalAlignment::Top) = 0;
    // A straight line with the current pen (on a fresh surface solid black, width 1).
    virtual void drawLine(SurfacePoint from, SurfacePoint to) = 0;
    // A rectangle outlined with the current pen and filled with the current brush (on a
    // fresh surface white).
    virtual void drawRectangle(const SurfaceRect& rect) = 0;
    // An ellipse inside the bounding box, outlined with the pen and filled with the brush.
    virtual void drawEllipse(const SurfaceRect& box) = 0;
    // A black dashed line of the given width; the current pen is restored afterwards.
    virtual void drawDashedLine(SurfacePoint from, SurfacePoint to, int width) = 0;
};

} // namespace tarnova
