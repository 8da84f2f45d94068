// The drawing surface on a QPainter: the graph and result windows, SVG and PNG pictures.
// Coordinates keep the meaning they have on a Windows device: a text at a point has the top of
// its character cell there, a rectangle or ellipse (left, top, right, bottom) leaves out its
// right and bottom edge, a line leaves out its last pixel, and texts are drawn on a transparent
// background.
#pragma once

#include "platform/surface.h"

#include <QFont>

class QPainter;
class QPaintDevice;

namespace tarnova::render {

class QPainterSurface final : public Surface {
  public:
    // Draws with the painter's current font, pen and brush; the painter must be active. Without
    // antialiasing, so that lines and markers fall on whole pixels as on a Windows device.
    // thinnestLine: the width of the thinnest line the device shows well (a border line, the
    // dashed mean line), in device units.
    explicit QPainterSurface(QPainter& painter, int thinnestLine = 1);

    FontMetrics fontMetrics() const override;
    int borderWidth() const override { return thinnestLine_; }
    int textWidth(std::string_view text) const override;
    void drawText(SurfacePoint topLeft, std::string_view text) override;
    void drawTextInRect(const SurfaceRect& rect, std::string_view text,
                        HorizontalAlignment horizontal, VerticalAlignment vertical) override;
    void drawLine(SurfacePoint from, SurfacePoint to) override;
    void drawRectangle(const SurfaceRect& rect) override;
    void drawEllipse(const SurfaceRect& box) override;
    void drawDashedLine(SurfacePoint from, SurfacePoint to, int width) override;

  private:
    QPainter& painter_;
    int thinnestLine_;
};

// The line height and average character width of font on device (the screen when null).
FontMetrics MetricsOf(const QFont& font, QPaintDevice* device = nullptr);

// The font sheets and graphs are drawn with on the screen and in pictures: the application's
// font, so that tarnova-cli draws what the windows draw.
QFont DrawingFont();

} // namespace tarnova::render
