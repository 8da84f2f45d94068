#include "render/qpainter_surface.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPen>

namespace tarnova::render {
namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The rectangle whose outline runs along left and top and one unit inside right and bottom,
// as a Windows device draws (left, top, right, bottom); QPainter strokes a QRect of width
// w over w + 1 pixels.
QRect outlineRect(const SurfaceRect& rect) {
    return {rect.left, rect.top, rect.right - rect.left - 1, rect.bottom - rect.top - 1};
}

// GDI's dash of a thin pen: 18 units drawn, 6 left out.
const QList<qreal> kGdiDash{18, 6};

} // namespace

QPainterSurface::QPainterSurface(QPainter& painter, int thinnestLine)
    : painter_(painter), thinnestLine_(std::max(thinnestLine, 1)) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setBackgroundMode(Qt::TransparentMode);
    // A line leaves out its last pixel, as on a Windows device.
    QPen pen = painter_.pen();
    pen.setCapStyle(Qt::FlatCap);
    painter_.setPen(pen);
}

FontMetrics QPainterSurface::fontMetrics() const {
    return MetricsOf(painter_.font(), painter_.device());
}

int QPainterSurface::textWidth(std::string_view text) const {
    return QFontMetrics(painter_.font(), painter_.device()).horizontalAdvance(toQString(text));
}

void QPainterSurface::drawText(SurfacePoint topLeft, std::string_view text) {
    const QFontMetrics metrics(painter_.font(), painter_.device());
    painter_.drawText(QPoint(topLeft.x, topLeft.y + metrics.ascent()), toQString(text));
}

void QPainterSurface::drawTextInRect(const SurfaceRect& rect, std::string_view text,
                                     HorizontalAlignment horizontal, VerticalAlignment vertical) {
    int flags = Qt::TextSingleLine;
    flags |= horizontal == HorizontalAlignment::Left    ? Qt::AlignLeft
             : horizontal == HorizontalAlignment::Right ? Qt::AlignRight
                                                        : Qt::AlignHCenter;
    flags |= vertical == VerticalAlignment::Top ? Qt::AlignTop : Qt::AlignVCenter;
    const QRect box(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    painter_.save();
    painter_.setClipRect(box, Qt::IntersectClip);
    painter_.drawText(box, flags, toQString(text));
    painter_.restore();
}

void QPainterSurface::drawLine(SurfacePoint from, SurfacePoint to) {
    painter_.drawLine(QPoint(from.x, from.y), QPoint(to.x, to.y));
}

void QPainterSurface::drawRectangle(const SurfaceRect& rect) {
    painter_.drawRect(outlineRect(rect));
}

void QPainterSurface::drawEllipse(const SurfaceRect& box) {
    painter_.drawEllipse(outlineRect(box));
}

void QPainterSurface::drawDashedLine(SurfacePoint from, SurfacePoint to, int width) {
    const QPen previous = painter_.pen();
    QPen dashed(Qt::black, std::max(width, thinnestLine_));
    dashed.setDashPattern(kGdiDash);
    dashed.setCapStyle(Qt::FlatCap);
    painter_.setPen(dashed);
    drawLine(from, to);
    painter_.setPen(previous);
}

FontMetrics MetricsOf(const QFont& font, QPaintDevice* device) {
    const QFontMetrics metrics =
        device != nullptr ? QFontMetrics(font, device) : QFontMetrics(font);
    return {metrics.height(), metrics.averageCharWidth()};
}

QFont DrawingFont() {
    return QGuiApplication::font();
}

} // namespace tarnova::render
