// The measuring surface: the box around what would have been drawn.
#include "platform/measuring_surface.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace tarnova {
namespace {

// h 16; every character 10 units wide.
MeasuringSurface measuring() {
    return MeasuringSurface(
        {16, 8}, [](std::string_view text) { return 10 * static_cast<int>(text.size()); });
}

TEST(MeasuringSurface, BoxAroundEachPrimitive) {
    struct Case {
        const char* name;
        std::function<void(Surface&)> draw;
        std::optional<SurfaceRect> extent;
    };
    const auto left = HorizontalAlignment::Left;
    const auto right = HorizontalAlignment::Right;
    const auto center = HorizontalAlignment::Center;
    const Case cases[] = {
        {"nothing", [](Surface&) {}, std::nullopt},
        {"text at a point",
         [](Surface& s) {
             s.drawText({5, 7}, "abc");
         },
         SurfaceRect{5, 7, 35, 23}},
        {"text left in a box",
         [&](Surface& s) {
             s.drawTextInRect({0, 0, 100, 20}, "ab", left);
         },
         SurfaceRect{0, 0, 20, 16}},
        {"text right in a box",
         [&](Surface& s) {
             s.drawTextInRect({0, 0, 100, 20}, "ab", right);
         },
         SurfaceRect{80, 0, 100, 16}},
        {"text centred both ways",
         [&](Surface& s) {
             s.drawTextInRect({0, 0, 100, 40}, "ab", center, VerticalAlignment::Center);
         },
         SurfaceRect{40, 12, 60, 28}},
        // A text wider than its box shows only what lies in the box.
        {"text cut by its box",
         [&](Surface& s) {
             s.drawTextInRect({50, 0, 70, 10}, "abcdef", right);
         },
         SurfaceRect{50, 0, 70, 10}},
        {"line up and left",
         [](Surface& s) {
             s.drawLine({30, 40}, {10, 5});
         },
         SurfaceRect{10, 5, 31, 41}},
        {"dashed line",
         [](Surface& s) {
             s.drawDashedLine({0, 3}, {9, 3}, 1);
         },
         SurfaceRect{0, 3, 10, 4}},
        {"several",
         [](Surface& s) {
             s.drawRectangle({10, 10, 20, 20});
             s.drawEllipse({-4, 15, 2, 30});
             s.drawText({0, 100}, "x");
         },
         SurfaceRect{-4, 10, 20, 116}},
    };
    for (const Case& c : cases) {
        MeasuringSurface surface = measuring();
        c.draw(surface);
        EXPECT_EQ(surface.extent(), c.extent) << c.name;
    }
}

} // namespace
} // namespace tarnova
