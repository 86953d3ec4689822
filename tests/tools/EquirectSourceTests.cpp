// Tests of the example generator's cutter: where each photo pixel looks, which way a roll turns a
// photo and the wrap at the yaw seam. The expected directions are worked out here in closed form
// from the camera model and the rotation order (roll about z, then pitch about x, then yaw about
// y, each right-handed).
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "tests/support/ImageFixtures.h"
#include "toolkit/math/Quor_Math.h"
#include "tools/examplegen/EquirectSource.h"
#include "tools/examplegen/PhotoFrame.h"

namespace {

constexpr double kPi = Quor_Math::kPi;

double Radians(double degrees)
{
    return degrees * kPi / 180.0;
}

// The column and twice the row (as the coordinate sphere below encodes them) of a yaw and pitch.
double ColumnOf(double yaw)
{
    return 128.0 * (1.0 - yaw / kPi);
}
double GreenOf(double pitch)
{
    return 128.0 * (1.0 - pitch / (kPi / 2));
}

}  // namespace

// Fault: a photo centred elsewhere than its yaw and pitch (a mirrored axis, a swapped sign, a roll
// that moves the centre, a half-pixel offset in the source position), rows read past the poles, a
// mirrored photo (right of the centre must look to smaller yaw, above it to larger pitch), a wrong
// camera distance, a roll with the wrong sign or order (a positive roll turns the photo
// counter-clockwise: the point 50 pixels right of the centre, (50, 0, -50), looks along
// (50 cos r, 50 sin r, -50)), or columns clamped instead of wrapped at the yaw seam.
TEST(EquirectSource, EveryPixelLooksWhereTheCameraModelSays)
{
    // A 256 x 128 sphere whose pixels name themselves: red is the column, green twice the row,
    // blue 77. A bilinear sample between neighbours therefore reads back the fractional position.
    Quor_BaseImage sphere;
    quor_test::Make(&sphere, 256, 128, [](int x, int y) { return quor_test::Px(x, 2 * y, 77); });
    const EquirectSource source(sphere.Image());
    // With F = 12 mm the shorter side spans 90 degrees: a 200 x 100 photo lies at d = 50.
    const auto centre = [](int column, int row, double roll) {
        return std::array<double, 7>{kPi * (1.0 - column / 128.0), (kPi / 2) * (1.0 - row / 64.0), Radians(roll), 0, 0,
                                     double(column), 2.0 * row};
    };
    const auto rolled = [](double degrees) {
        const double r = Radians(degrees), x = 50.0 * std::cos(r), y = 50.0 * std::sin(r);
        return std::array<double, 7>{0, 0, r, 50, 0, ColumnOf(std::atan2(-x, 50.0)),
                                     GreenOf(std::atan2(y, std::hypot(x, 50.0)))};
    };
    const double seam = 128.0 * std::atan(10.0 / 50.0) / kPi, straddle = 128.0 * std::atan(1.0 / 50.0) / kPi;
    // yaw, pitch, roll; the pixel's offset from the photo's centre; the expected red (NaN: not
    // checked) and green. Whole expected values must match exactly, others within a rounding.
    const std::array<double, 7> cases[] = {
        centre(64, 32, 0.0), centre(192, 32, 25.0), centre(32, 96, -40.0), centre(160, 80, 170.0), centre(100, 64, 90.0),
        {1.0, kPi / 2, 0.3, 0, 0, NAN, 0.0}, {1.0, -kPi / 2, 0.3, 0, 0, NAN, 254.0},
        {0, 0, 0, -90, 0, ColumnOf(std::atan(90.0 / 50.0)), 128}, {0, 0, 0, -20, 0, ColumnOf(std::atan(20.0 / 50.0)), 128},
        {0, 0, 0, 50, 0, ColumnOf(-std::atan(1.0)), 128}, {0, 0, 0, 90, 0, ColumnOf(-std::atan(90.0 / 50.0)), 128},
        {0, 0, 0, 0, -45, 128, GreenOf(std::atan(45.0 / 50.0))}, {0, 0, 0, 0, 25, 128, GreenOf(std::atan(-25.0 / 50.0))},
        rolled(30.0), rolled(-30.0), rolled(75.0),
        // A quarter turn puts the photo's top edge on the viewer's left: 40 pixels above the centre
        // looks along (-40, 0, -50), to a larger yaw.
        {0, 0, kPi / 2, 0, -40, ColumnOf(std::atan2(40.0, 50.0)), 128},
        // Across yaw pi: to the right just short of it (column 8.04), to the left round to the far
        // end of the picture, and one pixel left between column 255 (red 255) and column 0.
        {kPi, 0, 0, 10, 0, seam, 128}, {kPi, 0, 0, -10, 0, 256.0 - seam, 128}, {kPi, 0, 0, -1, 0, 255.0 * straddle, 128},
    };
    for (const auto& c : cases) {
        Quor_BaseImage photo;
        ASSERT_EQ(source.Cut(PhotoFrame(200, 100, 12.0, c[0], c[1], c[2]), &photo), 0);
        ASSERT_EQ(photo.Width(), 200);
        ASSERT_EQ(photo.Height(), 100);
        const uint32_t p = photo.Image().Row32(50 + int(c[4]))[100 + int(c[3])];
        SCOPED_TRACE(testing::Message() << "yaw " << c[0] << " pitch " << c[1] << " roll " << c[2] << " at "
                                        << c[3] << ", " << c[4]);
        if (!std::isnan(c[5])) {
            EXPECT_NEAR(double(p >> 8 & 255), c[5], c[5] == std::floor(c[5]) ? 0.0 : 0.51);
        }
        EXPECT_NEAR(double(p >> 16 & 255), c[6], c[6] == std::floor(c[6]) ? 0.0 : 1.01);
        EXPECT_EQ(p >> 24, 77u);
    }
    EXPECT_EQ(source.Sample(-kPi, 0.0) >> 8 & 255, 0u) << "yaw -pi wraps to column 0";
    // The shorter side spans the frame height also for a portrait photo.
    EXPECT_NEAR(PhotoFrame::CameraDistance(900, 1200, 35.0), 450.0 * 35.0 / 12.0, 1e-9);
}
