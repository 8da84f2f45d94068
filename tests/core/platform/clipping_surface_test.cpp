// What lies outside the printable area does not reach the page.
#include "platform/clipping_surface.h"

#include "core/support/recording_surface.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

using test::boxOf;
using test::lineFrom;
using test::Primitive;
using test::PrimitiveKind;
using test::RecordingSurface;
using test::textAt;
using test::textIn;

constexpr SurfaceRect kClip{0, 0, 100, 50};

TEST(ClipSegment, KeepsThePartInside) {
    struct Row {
        const char* what;
        SurfacePoint from, to;
        bool visible;
        SurfacePoint clippedFrom, clippedTo;
    };
    const Row rows[] = {
        {"inside", {10, 10}, {20, 20}, true, {10, 10}, {20, 20}},
        {"past the right edge", {90, 10}, {150, 10}, true, {90, 10}, {99, 10}},
        {"across top and bottom", {5, -10}, {5, 60}, true, {5, 0}, {5, 49}},
        {"diagonal across the corner", {-10, -10}, {110, 110}, true, {0, 0}, {49, 49}},
        {"outside", {120, 10}, {130, 10}, false, {}, {}},
        {"on the right edge itself", {100, 0}, {100, 40}, false, {}, {}},
    };
    for (const Row& row : rows) {
        SurfacePoint from = row.from;
        SurfacePoint to = row.to;
        ASSERT_EQ(ClipSegment(kClip, from, to), row.visible) << row.what;
        if (row.visible) {
            EXPECT_EQ(from, row.clippedFrom) << row.what;
            EXPECT_EQ(to, row.clippedTo) << row.what;
        }
    }
}

TEST(ClippingSurface, PassesWhatFitsAndCutsOrLeavesOutTheRest) {
    RecordingSurface target; // h 16, w 8
    ClippingSurface clipped(target, kClip);
    clipped.drawText({10, 10}, "Ar40");      // 32 wide: fits
    clipped.drawText({60, 10}, "Ar40/Ar36"); // 72 wide: cut at the right edge
    clipped.drawText({10, 40}, "r");         // its line ends below the bottom: cut there
    clipped.drawText({-5, 10}, "x");         // starts outside: left out
    clipped.drawTextInRect({80, 0, 160, 16}, "9.5", HorizontalAlignment::Right,
                           VerticalAlignment::Top);
    clipped.drawTextInRect({120, 0, 160, 16}, "9.5", HorizontalAlignment::Right,
                           VerticalAlignment::Top);
    clipped.drawRectangle({10, 10, 90, 40});  // inside: whole and filled
    clipped.drawRectangle({50, 10, 150, 40}); // partly outside: the visible outline only
    clipped.drawEllipse({95, 10, 105, 20});   // partly outside: left out
    EXPECT_EQ(target.primitives,
              (std::vector<Primitive>{
                  textAt(10, 10, "Ar40"),
                  textIn({60, 10, 100, 26}, "Ar40/Ar36", HorizontalAlignment::Left),
                  textIn({10, 40, 100, 50}, "r", HorizontalAlignment::Left),
                  textIn({80, 0, 100, 16}, "9.5", HorizontalAlignment::Right),
                  boxOf(PrimitiveKind::Rectangle, {10, 10, 90, 40}),
                  lineFrom({50, 10}, {99, 10}),
                  lineFrom({99, 39}, {50, 39}),
                  lineFrom({50, 39}, {50, 10}),
              }));
}

TEST(ClippingSurface, DoubleByteTextsCountTwiceTheirCharacters) {
    RecordingSurface target;
    ClippingSurface clipped(target, kClip);
    clipped.drawText({50, 0}, "データ数:"); // 9 bytes of code page 932: 72 wide
    clipped.drawText({50, 20}, "平均値");   // 6 bytes: 48 wide, fits
    ASSERT_EQ(target.primitives.size(), 2u);
    EXPECT_EQ(target.primitives[0].kind, PrimitiveKind::TextInRect);
    EXPECT_EQ(target.primitives[1], textAt(50, 20, "平均値"));
}

} // namespace
} // namespace tarnova
