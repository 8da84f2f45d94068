// An enhanced-metafile (EMF) writer that is a drawing surface: what is drawn on it becomes the
// records of an EMF file (header, pens, brushes, fonts, rectangles, ellipses, lines, texts with
// their advances, end of file), which Windows programs paste and emf2svg-conv converts.
//
// Logical units are pixels of a 96 dpi reference screen; the frame of the header covers the
// area given at construction. GDI draws a rectangle or ellipse without its right and bottom
// edge, a text at a point with the top of its character cell there (TA_TOP), and a line
// without its last pixel; the records keep those meanings, so the coordinates of the surface
// go into the records as they are. Texts are written with a transparent background.
#pragma once

#include "platform/surface.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova {

// The font the texts of a metafile name, with the metrics the drawing lays its lines out by
// and the advance of every character, so that a reader without that font keeps the spacing.
class EmfFontMeasure {
  public:
    virtual ~EmfFontMeasure() = default;
    virtual std::u16string faceName() const = 0;
    virtual FontMetrics metrics() const = 0;
    virtual int weight() const = 0; // 400 normal, 700 bold
    // The advance of each UTF-16 code unit of text, in logical units (0 for the second half
    // of a surrogate pair).
    virtual std::vector<std::int32_t> advances(std::u16string_view text) const = 0;
};

// A font of fixed character widths: every character advances w, a double-width (East Asian
// wide) one 2 w. For tests and for writers without a real font.
class FixedPitchMeasure final : public EmfFontMeasure {
  public:
    FixedPitchMeasure(std::u16string face, FontMetrics metrics)
        : face_(std::move(face)), metrics_(metrics) {}
    std::u16string faceName() const override { return face_; }
    FontMetrics metrics() const override { return metrics_; }
    int weight() const override { return 400; }
    std::vector<std::int32_t> advances(std::u16string_view text) const override;

  private:
    std::u16string face_;
    FontMetrics metrics_;
};

class EmfSurface final : public Surface {
  public:
    // frame: the picture's extent in logical units (its left-top is normally 0, 0).
    // application and picture (UTF-8) make the description "application\0picture\0\0".
    EmfSurface(const EmfFontMeasure& font, const SurfaceRect& frame, std::string_view application,
               std::string_view picture);

    FontMetrics fontMetrics() const override;
    int borderWidth() const override { return 1; }
    int textWidth(std::string_view text) const override;
    void drawText(SurfacePoint topLeft, std::string_view text) override;
    void drawTextInRect(const SurfaceRect& rect, std::string_view text,
                        HorizontalAlignment horizontal, VerticalAlignment vertical) override;
    void drawLine(SurfacePoint from, SurfacePoint to) override;
    void drawRectangle(const SurfaceRect& rect) override;
    void drawEllipse(const SurfaceRect& box) override;
    void drawDashedLine(SurfacePoint from, SurfacePoint to, int width) override;

    // The whole file: the header, the records drawn so far and the end-of-file record.
    std::string finish() const;

  private:
    void record(std::uint32_t type, const std::string& body);
    void selectObject(std::uint32_t handle);
    // ExtTextOutW at reference (the top-left of the character cell), clipped to clip when
    // given.
    void textRecord(SurfacePoint reference, const SurfaceRect* clip, std::u16string_view text,
                    const std::vector<std::int32_t>& advances);

    const EmfFontMeasure& font_;
    SurfaceRect frame_;
    std::u16string description_;
    std::string records_; // every record after the header
    std::uint32_t recordCount_ = 0;
    std::uint32_t nextHandle_ = 1; // handle 0 is the metafile itself
    std::uint32_t solidPen_ = 0;
};

} // namespace tarnova
