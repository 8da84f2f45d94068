#include "platform/emf_surface.h"

#include "platform/codepage.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace tarnova {
namespace {

// Record types.
constexpr std::uint32_t kEmrHeader = 1;
constexpr std::uint32_t kEmrEof = 14;
constexpr std::uint32_t kEmrSetBkMode = 18;
constexpr std::uint32_t kEmrSetTextAlign = 22;
constexpr std::uint32_t kEmrSetTextColor = 24;
constexpr std::uint32_t kEmrMoveToEx = 27;
constexpr std::uint32_t kEmrSelectObject = 37;
constexpr std::uint32_t kEmrCreatePen = 38;
constexpr std::uint32_t kEmrCreateBrushIndirect = 39;
constexpr std::uint32_t kEmrDeleteObject = 40;
constexpr std::uint32_t kEmrEllipse = 42;
constexpr std::uint32_t kEmrRectangle = 43;
constexpr std::uint32_t kEmrLineTo = 54;
constexpr std::uint32_t kEmrExtCreateFontIndirectW = 82;
constexpr std::uint32_t kEmrExtTextOutW = 84;

constexpr std::uint32_t kTransparent = 1;
constexpr std::uint32_t kTextAlignTopLeft = 0;
constexpr std::uint32_t kPenSolid = 0;
constexpr std::uint32_t kPenDash = 1;
constexpr std::uint32_t kBrushSolid = 0;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kGraphicsModeCompatible = 1;
constexpr std::uint32_t kTextClipped = 0x4;
constexpr std::uint8_t kShiftJisCharset = 128;
constexpr std::size_t kFaceNameLength = 32;

// The reference screen: 96 pixels to the inch, 1440 x 960 pixels (381 x 254 mm).
constexpr std::int32_t kDevicePixelsX = 1440;
constexpr std::int32_t kDevicePixelsY = 960;
constexpr std::int32_t kDeviceMillimetersX = 381;
constexpr std::int32_t kDeviceMillimetersY = 254;
constexpr double kHundredthsOfMillimeterPerPixel = 2540.0 / 96.0;

// Little-endian fields of a record body.
class Fields {
  public:
    Fields& u32(std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes_.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
        return *this;
    }
    Fields& i32(std::int32_t value) { return u32(static_cast<std::uint32_t>(value)); }
    Fields& u16(std::uint16_t value) {
        bytes_.push_back(static_cast<char>(value & 0xFF));
        bytes_.push_back(static_cast<char>(value >> 8));
        return *this;
    }
    Fields& u8(std::uint8_t value) {
        bytes_.push_back(static_cast<char>(value));
        return *this;
    }
    Fields& f32(float value) { return u32(std::bit_cast<std::uint32_t>(value)); }
    Fields& point(SurfacePoint p) { return i32(p.x).i32(p.y); }
    Fields& rect(const SurfaceRect& r) { return i32(r.left).i32(r.top).i32(r.right).i32(r.bottom); }
    // UTF-16 units, then zero units up to the next multiple of four bytes.
    Fields& text(std::u16string_view units) {
        for (const char16_t unit : units) {
            u16(static_cast<std::uint16_t>(unit));
        }
        while (bytes_.size() % 4 != 0) {
            u8(0);
        }
        return *this;
    }
    std::size_t size() const { return bytes_.size(); }
    const std::string& bytes() const { return bytes_; }

  private:
    std::string bytes_;
};

constexpr std::uint32_t kRecordHeadSize = 8;
// Fixed part of EMR_EXTTEXTOUTW: bounds, graphics mode, two scales and the EmrText fields.
constexpr std::uint32_t kTextRecordFixedSize = kRecordHeadSize + 16 + 12 + 40;
// EMR_HEADER up to its description: the fields of the first version and both extensions.
constexpr std::uint32_t kHeaderSize = kRecordHeadSize + 80 + 12 + 8;

std::int32_t hundredthsOfMillimeter(std::int32_t pixels) {
    return static_cast<std::int32_t>(pixels * kHundredthsOfMillimeterPerPixel + 0.5);
}

bool isWide(char16_t unit) {
    return unit >= 0x80 && !(unit >= 0xFF61 && unit <= 0xFF9F);
}

} // namespace

std::vector<std::int32_t> FixedPitchMeasure::advances(std::u16string_view text) const {
    std::vector<std::int32_t> result;
    result.reserve(text.size());
    const int w = metrics_.averageCharWidth;
    for (const char16_t unit : text) {
        const bool trailingSurrogate = unit >= 0xDC00 && unit <= 0xDFFF;
        result.push_back(trailingSurrogate ? 0 : isWide(unit) ? 2 * w : w);
    }
    return result;
}

EmfSurface::EmfSurface(const EmfFontMeasure& font, const SurfaceRect& frame,
                       std::string_view application, std::string_view picture)
    : font_(font), frame_(frame) {
    description_ = utf8ToUtf16(application);
    description_.push_back(u'\0');
    description_ += utf8ToUtf16(picture);
    description_.append(2, u'\0');

    // A fresh device's state, stated explicitly: black text at the top-left of its cell on a
    // transparent background, a solid black pen of width 1, a white brush, and the font.
    record(kEmrSetBkMode, Fields().u32(kTransparent).bytes());
    record(kEmrSetTextAlign, Fields().u32(kTextAlignTopLeft).bytes());
    record(kEmrSetTextColor, Fields().u32(kBlack).bytes());
    solidPen_ = nextHandle_++;
    record(kEmrCreatePen, Fields().u32(solidPen_).u32(kPenSolid).i32(1).i32(0).u32(kBlack).bytes());
    selectObject(solidPen_);
    const std::uint32_t brush = nextHandle_++;
    record(kEmrCreateBrushIndirect,
           Fields().u32(brush).u32(kBrushSolid).u32(kWhite).u32(0).bytes());
    selectObject(brush);

    const std::uint32_t fontHandle = nextHandle_++;
    Fields logFont;
    logFont.u32(fontHandle)
        .i32(font.metrics().lineHeight) // positive: the height of the character cell
        .i32(0)
        .i32(0)
        .i32(0)
        .i32(font.weight())
        .u8(0)
        .u8(0)
        .u8(0)
        .u8(kShiftJisCharset)
        .u8(0)
        .u8(0)
        .u8(0)
        .u8(0);
    std::u16string face = font.faceName().substr(0, kFaceNameLength - 1);
    face.resize(kFaceNameLength, u'\0');
    logFont.text(face);
    record(kEmrExtCreateFontIndirectW, logFont.bytes());
    selectObject(fontHandle);
}

FontMetrics EmfSurface::fontMetrics() const {
    return font_.metrics();
}

void EmfSurface::drawText(SurfacePoint topLeft, std::string_view text) {
    const std::u16string units = utf8ToUtf16(text);
    textRecord(topLeft, nullptr, units, font_.advances(units));
}

int EmfSurface::textWidth(std::string_view text) const {
    const std::vector<std::int32_t> advances = font_.advances(utf8ToUtf16(text));
    return static_cast<int>(std::accumulate(advances.begin(), advances.end(), std::int64_t{0}));
}

void EmfSurface::drawTextInRect(const SurfaceRect& rect, std::string_view text,
                                HorizontalAlignment horizontal, VerticalAlignment vertical) {
    const std::u16string units = utf8ToUtf16(text);
    const std::vector<std::int32_t> advances = font_.advances(units);
    const std::int64_t width = std::accumulate(advances.begin(), advances.end(), std::int64_t{0});
    std::int64_t x = rect.left;
    if (horizontal == HorizontalAlignment::Right) {
        x = rect.right - width;
    } else if (horizontal == HorizontalAlignment::Center) {
        x = rect.left + (static_cast<std::int64_t>(rect.right) - rect.left - width) / 2;
    }
    std::int64_t y = rect.top;
    if (vertical == VerticalAlignment::Center) {
        y = rect.top +
            (static_cast<std::int64_t>(rect.bottom) - rect.top - font_.metrics().lineHeight) / 2;
    }
    textRecord({static_cast<int>(x), static_cast<int>(y)}, &rect, units, advances);
}

void EmfSurface::drawLine(SurfacePoint from, SurfacePoint to) {
    record(kEmrMoveToEx, Fields().point(from).bytes());
    record(kEmrLineTo, Fields().point(to).bytes());
}

void EmfSurface::drawRectangle(const SurfaceRect& rect) {
    record(kEmrRectangle, Fields().rect(rect).bytes());
}

void EmfSurface::drawEllipse(const SurfaceRect& box) {
    record(kEmrEllipse, Fields().rect(box).bytes());
}

void EmfSurface::drawDashedLine(SurfacePoint from, SurfacePoint to, int width) {
    const std::uint32_t dashed = nextHandle_++;
    record(kEmrCreatePen, Fields().u32(dashed).u32(kPenDash).i32(width).i32(0).u32(kBlack).bytes());
    selectObject(dashed);
    drawLine(from, to);
    selectObject(solidPen_);
    record(kEmrDeleteObject, Fields().u32(dashed).bytes());
}

std::string EmfSurface::finish() const {
    // The end-of-file record: no palette entries, their offset, and the record's size again.
    Fields eof;
    eof.u32(kEmrEof).u32(20).u32(0).u32(16).u32(20);

    Fields description;
    description.text(description_);
    const std::uint32_t headerSize = kHeaderSize + static_cast<std::uint32_t>(description.size());
    const auto totalSize = static_cast<std::uint32_t>(headerSize + records_.size() + eof.size());
    const SurfaceRect inclusive{frame_.left, frame_.top, frame_.right - 1, frame_.bottom - 1};
    const SurfaceRect frameInHundredths{
        hundredthsOfMillimeter(frame_.left), hundredthsOfMillimeter(frame_.top),
        hundredthsOfMillimeter(frame_.right) - 1, hundredthsOfMillimeter(frame_.bottom) - 1};

    Fields header;
    header.u32(kEmrHeader)
        .u32(headerSize)
        .rect(inclusive)
        .rect(frameInHundredths)
        .u32(0x464D4520) // " EMF"
        .u32(0x00010000)
        .u32(totalSize)
        .u32(recordCount_ + 2)
        .u16(static_cast<std::uint16_t>(nextHandle_))
        .u16(0)
        .u32(static_cast<std::uint32_t>(description_.size()))
        .u32(kHeaderSize)
        .u32(0)
        .i32(kDevicePixelsX)
        .i32(kDevicePixelsY)
        .i32(kDeviceMillimetersX)
        .i32(kDeviceMillimetersY)
        .u32(0) // no pixel format
        .u32(0)
        .u32(0) // no OpenGL records
        .u32(static_cast<std::uint32_t>(kDeviceMillimetersX * 1000))
        .u32(static_cast<std::uint32_t>(kDeviceMillimetersY * 1000));
    return header.bytes() + description.bytes() + records_ + eof.bytes();
}

void EmfSurface::record(std::uint32_t type, const std::string& body) {
    Fields head;
    head.u32(type).u32(static_cast<std::uint32_t>(kRecordHeadSize + body.size()));
    records_ += head.bytes();
    records_ += body;
    ++recordCount_;
}

void EmfSurface::selectObject(std::uint32_t handle) {
    record(kEmrSelectObject, Fields().u32(handle).bytes());
}

void EmfSurface::textRecord(SurfacePoint reference, const SurfaceRect* clip,
                            std::u16string_view text, const std::vector<std::int32_t>& advances) {
    const std::int64_t width = std::accumulate(advances.begin(), advances.end(), std::int64_t{0});
    SurfaceRect bounds{
        reference.x, reference.y,
        static_cast<int>(std::clamp<std::int64_t>(reference.x + width - 1, INT32_MIN, INT32_MAX)),
        reference.y + font_.metrics().lineHeight - 1};
    if (clip != nullptr) {
        bounds = {std::max(bounds.left, clip->left), std::max(bounds.top, clip->top),
                  std::min(bounds.right, clip->right - 1),
                  std::min(bounds.bottom, clip->bottom - 1)};
    }
    Fields string;
    string.text(text);
    const auto count = static_cast<std::uint32_t>(text.size());
    const std::uint32_t dxOffset = kTextRecordFixedSize + static_cast<std::uint32_t>(string.size());

    Fields body;
    body.rect(bounds)
        .u32(kGraphicsModeCompatible)
        .f32(static_cast<float>(kHundredthsOfMillimeterPerPixel))
        .f32(static_cast<float>(kHundredthsOfMillimeterPerPixel))
        .point(reference)
        .u32(count)
        .u32(kTextRecordFixedSize)
        .u32(clip != nullptr ? kTextClipped : 0)
        .rect(clip != nullptr ? *clip : SurfaceRect{})
        .u32(dxOffset);
    std::string bytes = body.bytes() + string.bytes();
    Fields dx;
    for (std::size_t i = 0; i < text.size(); ++i) {
        dx.i32(i < advances.size() ? advances[i] : 0);
    }
    record(kEmrExtTextOutW, bytes + dx.bytes());
}

} // namespace tarnova
