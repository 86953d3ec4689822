// Tests of a photo's place in the panorama and its sampling shortcut.
#include <gtest/gtest.h>

#include "app/core/PhotoMapping.h"
#include "app/core/ProjectionMap.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

namespace {

// The photo's own sampling shortcut must give SampleImage's pixels everywhere, transparent ones
// and the last row and column included; an image without pixels must cover nothing.
TEST(PhotoMapping, SampleShortcutMatchesSampleImage)
{
    static uint32_t pixels[40 * 30];
    for (int i = 0; i < 40 * 30; i++)
        pixels[i] = (i * 2654435761u) & (i % 7 == 0 ? 0xFFFFFF00u : 0xFFFFFFFFu);
    Quor_image image{reinterpret_cast<uint8_t*>(pixels), 40, 30, 32, 4, 160};
    PhotoMapping photo;
    photo.Set(image, 0, 0, 0, PhotoMapping::CameraAngle(24.0f), ProjectionMap::kHorizontalSpherical);
    for (int trial = 0; trial < 5000; trial++) {
        const float x = static_cast<float>(trial % 97) * 0.43f - 1.0f, y = static_cast<float>(trial / 97) * 0.61f - 1.0f;
        ASSERT_EQ(photo.Sample(x, y), Quor_ImageOps::SampleImage(&image, x, y)) << x << ", " << y;
    }
    PhotoMapping empty;
    float tx, ty;
    empty.Set(Quor_image(), 0, 0, 0, PhotoMapping::CameraAngle(24.0f), 1);
    EXPECT_FALSE(empty.IsUsable());
    EXPECT_FALSE(empty.Locate(Quor_Vector3(0, 0, -1), tx, ty));
}

}  // namespace
