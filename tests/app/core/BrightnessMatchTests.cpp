// Tests of matching the photos' brightness where they overlap.
#include <gtest/gtest.h>

#include <cmath>

#include "app/core/BrightnessMatch.h"
#include "app/core/PanomerDoc.h"
#include "tests/support/ImageFixtures.h"

namespace {

constexpr float kPi = 3.14159265f;

// An even grey photo placed at `yaw`, its image brightened as loading would brighten it.
void PlaceGrey(PanomerDoc* doc, int i, int grey, float yaw, float brightness)
{
    quor_test::Make(&doc->fPhotoImage[i], 64, 48, [&](int, int) {
        const uint32_t v = static_cast<uint32_t>(grey);
        return v << 24 | v << 16 | v << 8 | 0xFFu;
    });
    doc->fYaw[i] = yaw;
    doc->fPitch[i] = 0.0f;
    doc->fRoll[i] = 0.0f;
    doc->fBrightness[i] = brightness;
    doc->fNumPhotos = std::max(doc->fNumPhotos, i + 1);
}

}  // namespace

// Ratios taken from the brightened pixels as if they were the photos' own (a photo already
// darkened is darkened again), a solve whose mean drifts from 1, a photo without overlap pulled
// along, a pair ordered the wrong way (the dark photo darkened further), or limits ignored, all
// leave seams or wreck photos: two overlapping greys of 100 and 200 (the second one's 200 shown
// at half brightness as 100 in one case) must come out at sqrt 2 and 1/sqrt 2.
TEST(BrightnessMatch, OverlapsAgreeWithTheGeometricMeanAtOne)
{
    const struct {
        const char* name;
        int secondGrey;
        float secondBrightness;
        float high;
        float first, second;
    } cases[] = {
        {"plain", 200, 1.0f, 1000.0f, std::sqrt(2.0f), 1.0f / std::sqrt(2.0f)},
        {"second already darkened", 100, 0.5f, 1000.0f, std::sqrt(2.0f), 1.0f / std::sqrt(2.0f)},
        {"ceiling", 200, 1.0f, 1.2f, 1.2f, 1.0f / std::sqrt(2.0f)},
    };
    for (const auto& c : cases) {
        PanomerDoc doc(20.0f);
        PlaceGrey(&doc, 0, 100, 0.0f, 1.0f);
        PlaceGrey(&doc, 1, c.secondGrey, 0.3f, c.secondBrightness);
        PlaceGrey(&doc, 2, 50, kPi * 0.9f, 0.7f);
        float out[kMaxPhotos] = {};
        ASSERT_TRUE(BrightnessMatch::Solve(doc, 0.01f, c.high, out)) << c.name;
        EXPECT_NEAR(out[0], c.first, 0.01f) << c.name;
        EXPECT_NEAR(out[1], c.second, 0.01f) << c.name;
        EXPECT_EQ(out[2], 0.7f) << c.name;
    }
}
