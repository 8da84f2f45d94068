// A drawing surface for tests: fixed font metrics chosen by the test, and a record of every
// primitive drawn, with its coordinates and text, so layouts are checked as numbers.
#pragma once

#include "platform/codepage.h"
#include "platform/emf_surface.h"
#include "platform/surface.h"

#include <functional>
#include <numeric>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova::test {

enum class PrimitiveKind { Text, TextInRect, Line, Rectangle, Ellipse, DashedLine };

struct Primitive {
    PrimitiveKind kind = PrimitiveKind::Text;
    SurfacePoint from; // Text: the top-left corner; Line, DashedLine: the start
    SurfacePoint to;   // Line, DashedLine: the end
    SurfaceRect rect;  // TextInRect, Rectangle, Ellipse
    std::string text;  // Text, TextInRect (UTF-8)
    HorizontalAlignment horizontal = HorizontalAlignment::Left; // TextInRect
    VerticalAlignment vertical = VerticalAlignment::Top;        // TextInRect
    int width = 0;                                              // DashedLine
    bool operator==(const Primitive&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Primitive& p) {
    static constexpr const char* kNames[] = {"Text",      "TextInRect", "Line",
                                             "Rectangle", "Ellipse",    "DashedLine"};
    out << kNames[static_cast<int>(p.kind)];
    switch (p.kind) {
    case PrimitiveKind::Text:
        return out << " (" << p.from.x << "," << p.from.y << ") \"" << p.text << "\"";
    case PrimitiveKind::Line:
    case PrimitiveKind::DashedLine:
        out << " (" << p.from.x << "," << p.from.y << ")-(" << p.to.x << "," << p.to.y << ")";
        return p.kind == PrimitiveKind::DashedLine ? out << " width " << p.width : out;
    case PrimitiveKind::TextInRect:
    case PrimitiveKind::Rectangle:
    case PrimitiveKind::Ellipse:
        out << " [" << p.rect.left << "," << p.rect.top << "," << p.rect.right << ","
            << p.rect.bottom << "]";
        if (p.kind == PrimitiveKind::TextInRect) {
            out << " align " << static_cast<int>(p.horizontal) << "/"
                << static_cast<int>(p.vertical) << " \"" << p.text << "\"";
        }
        return out;
    }
    return out;
}

// Primitives as a test expects them.
inline Primitive textAt(int x, int y, std::string text) {
    Primitive p;
    p.kind = PrimitiveKind::Text;
    p.from = {x, y};
    p.text = std::move(text);
    return p;
}
inline Primitive textIn(SurfaceRect rect, std::string text, HorizontalAlignment horizontal,
                        VerticalAlignment vertical = VerticalAlignment::Top) {
    Primitive p;
    p.kind = PrimitiveKind::TextInRect;
    p.rect = rect;
    p.text = std::move(text);
    p.horizontal = horizontal;
    p.vertical = vertical;
    return p;
}
inline Primitive lineFrom(SurfacePoint from, SurfacePoint to) {
    Primitive p;
    p.kind = PrimitiveKind::Line;
    p.from = from;
    p.to = to;
    return p;
}
inline Primitive dashedLine(SurfacePoint from, SurfacePoint to, int width) {
    Primitive p = lineFrom(from, to);
    p.kind = PrimitiveKind::DashedLine;
    p.width = width;
    return p;
}
inline Primitive boxOf(PrimitiveKind kind, SurfaceRect rect) {
    Primitive p;
    p.kind = kind;
    p.rect = rect;
    return p;
}

class RecordingSurface : public Surface {
  public:
    FontMetrics metrics{16, 8}; // h and w, set by the test
    int border = 1;
    // The width of a text; when not set, w per character and 2 w per double-width one.
    std::function<int(std::string_view)> measure;
    std::vector<Primitive> primitives; // in drawing order

    FontMetrics fontMetrics() const override { return metrics; }
    int borderWidth() const override { return border; }
    int textWidth(std::string_view text) const override {
        if (measure) {
            return measure(text);
        }
        const std::vector<std::int32_t> advances =
            FixedPitchMeasure(u"", metrics).advances(utf8ToUtf16(text));
        return std::accumulate(advances.begin(), advances.end(), 0);
    }

    void drawText(SurfacePoint topLeft, std::string_view text) override {
        Primitive& p = add(PrimitiveKind::Text);
        p.from = topLeft;
        p.text = text;
    }
    void drawTextInRect(const SurfaceRect& rect, std::string_view text,
                        HorizontalAlignment horizontal, VerticalAlignment vertical) override {
        Primitive& p = add(PrimitiveKind::TextInRect);
        p.rect = rect;
        p.text = text;
        p.horizontal = horizontal;
        p.vertical = vertical;
    }
    void drawLine(SurfacePoint from, SurfacePoint to) override {
        Primitive& p = add(PrimitiveKind::Line);
        p.from = from;
        p.to = to;
    }
    void drawRectangle(const SurfaceRect& rect) override {
        add(PrimitiveKind::Rectangle).rect = rect;
    }
    void drawEllipse(const SurfaceRect& box) override { add(PrimitiveKind::Ellipse).rect = box; }
    void drawDashedLine(SurfacePoint from, SurfacePoint to, int width) override {
        Primitive& p = add(PrimitiveKind::DashedLine);
        p.from = from;
        p.to = to;
        p.width = width;
    }

    // The primitives of one kind, in drawing order.
    std::vector<Primitive> ofKind(PrimitiveKind kind) const {
        std::vector<Primitive> result;
        for (const Primitive& p : primitives) {
            if (p.kind == kind) {
                result.push_back(p);
            }
        }
        return result;
    }
    // Every text drawn (at a point or in a rectangle), in drawing order.
    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const Primitive& p : primitives) {
            if (p.kind == PrimitiveKind::Text || p.kind == PrimitiveKind::TextInRect) {
                result.push_back(p.text);
            }
        }
        return result;
    }

  private:
    Primitive& add(PrimitiveKind kind) {
        primitives.emplace_back().kind = kind;
        return primitives.back();
    }
};

} // namespace tarnova::test
