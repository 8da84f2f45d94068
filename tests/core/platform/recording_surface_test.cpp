#include "core/support/recording_surface.h"

#include <gtest/gtest.h>

namespace tarnova::test {
namespace {

// Layout code sees only the abstract surface; the record must keep what it drew, in order.
void drawSample(Surface& surface) {
    const FontMetrics m = surface.fontMetrics();
    surface.drawText({5, m.lineHeight}, "平均値");
    surface.drawTextInRect({0, 0, 100, m.lineHeight}, "Ar40/Ar36", HorizontalAlignment::Center);
    surface.drawDashedLine({0, 50}, {100, 50}, surface.borderWidth());
    surface.drawEllipse({1, 2, 3, 4});
}

TEST(RecordingSurface, KeepsPrimitivesInOrderWithTheTestsMetrics) {
    RecordingSurface surface;
    surface.metrics = {20, 9};
    surface.border = 2;
    drawSample(surface);

    ASSERT_EQ(surface.primitives.size(), 4u);
    EXPECT_EQ(surface.primitives[0].from, (SurfacePoint{5, 20}));
    EXPECT_EQ(surface.primitives[1].rect, (SurfaceRect{0, 0, 100, 20}));
    EXPECT_EQ(surface.primitives[1].vertical, VerticalAlignment::Top);
    EXPECT_EQ(surface.texts(), (std::vector<std::string>{"平均値", "Ar40/Ar36"}));
    const auto dashed = surface.ofKind(PrimitiveKind::DashedLine);
    ASSERT_EQ(dashed.size(), 1u);
    EXPECT_EQ(dashed[0].width, 2);
    EXPECT_EQ(dashed[0].to, (SurfacePoint{100, 50}));
}

} // namespace
} // namespace tarnova::test
