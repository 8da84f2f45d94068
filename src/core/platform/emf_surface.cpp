#include "platform/emf_surface.h"

namespace tarnova {

std::vector<std::int32_t> FixedPitchMeasure::advances(std::u16string_view text) const {
    return std::vector<std::int32_t>(text.size(), metrics_.averageCharWidth);
}

EmfSurface::EmfSurface(const EmfFontMeasure& font, const SurfaceRect& frame, std::string_view,
                       std::string_view)
    : font_(font), frame_(frame) {}

FontMetrics EmfSurface::fontMetrics() const {
    return font_.metrics();
}
void EmfSurface::drawText(SurfacePoint, std::string_view) {}
void EmfSurface::drawTextInRect(const SurfaceRect&, std::string_view, HorizontalAlignment,
                                VerticalAlignment) {}
void EmfSurface::drawLine(SurfacePoint, SurfacePoint) {}
void EmfSurface::drawRectangle(const SurfaceRect&) {}
void EmfSurface::drawEllipse(const SurfaceRect&) {}
void EmfSurface::drawDashedLine(SurfacePoint, SurfacePoint, int) {}
std::string EmfSurface::finish() const {
    return {};
}
void EmfSurface::record(std::uint32_t, const std::string&) {}
void EmfSurface::textRecord(SurfacePoint, const SurfaceRect*, std::u16string_view,
                            const std::vector<std::int32_t>&) {}
void EmfSurface::include(const SurfaceRect&) {}

} // namespace tarnova
