#include "render/qpainter_surface.h"

#include <QGuiApplication>
#include <QPainter>

namespace tarnova::render {

QPainterSurface::QPainterSurface(QPainter& painter) : painter_(painter) {}

FontMetrics QPainterSurface::fontMetrics() const {
    return MetricsOf(painter_.font(), painter_.device());
}
void QPainterSurface::drawText(SurfacePoint, std::string_view) {}
void QPainterSurface::drawTextInRect(const SurfaceRect&, std::string_view, HorizontalAlignment,
                                     VerticalAlignment) {}
void QPainterSurface::drawLine(SurfacePoint, SurfacePoint) {}
void QPainterSurface::drawRectangle(const SurfaceRect&) {}
void QPainterSurface::drawEllipse(const SurfaceRect&) {}
void QPainterSurface::drawDashedLine(SurfacePoint, SurfacePoint, int) {}

FontMetrics MetricsOf(const QFont& font, QPaintDevice* device) {
    const QFontMetrics metrics(font, device);
    return {metrics.height(), metrics.averageCharWidth()};
}

QFont DrawingFont() {
    return QGuiApplication::font();
}

} // namespace tarnova::render
