// Tests of the example generator's sampling of its equirectangular picture at the edges, where the
// round trip through the renderer cannot see a fault: the yaw seam and the poles. Where each photo
// pixel looks is judged by that round trip (ExampleProjectTests).
#include <gtest/gtest.h>

#include "tests/support/ImageFixtures.h"
#include "toolkit/math/Quor_Math.h"
#include "tools/examplegen/EquirectSource.h"

// Fault: columns clamped instead of wrapped at the yaw seam (the last column must blend with the
// first), and rows read past the poles instead of repeating the edge rows.
TEST(EquirectSource, ColumnsWrapAtTheSeamAndRowsStopAtThePoles)
{
    constexpr double kPi = Quor_Math::kPi;
    // 2 x 2: red names the column (0, 200), green the row (0, 100).
    Quor_BaseImage sphere;
    quor_test::Make(&sphere, 2, 2, [](int x, int y) { return quor_test::Px(200 * x, 100 * y, 77); });
    const EquirectSource source(sphere.Image());
    const struct {
        double yaw, pitch;
        uint32_t red, green;
    } cases[] = {
        {-kPi / 2, 0.0, 100, 100},  // column 1.5: halfway from the last column back to the first
        {-kPi, 0.0, 0, 100},        // column 2 is column 0 again
        {0.0, -kPi / 2, 200, 100},  // row 2, below the last row
    };
    for (const auto& c : cases) {
        const uint32_t p = source.Sample(c.yaw, c.pitch);
        EXPECT_EQ((std::pair{p >> 8 & 255, p >> 16 & 255}), (std::pair{c.red, c.green})) << "yaw " << c.yaw << " pitch " << c.pitch;
    }
}
