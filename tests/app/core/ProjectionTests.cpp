// Tests of the projection's drawing: the outlines and crop lines of the panorama.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/core/PanomerDoc.h"
#include "app/core/Projection.h"
#include "tests/support/GoldenImage.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_BaseImage.h"

namespace {

// Outlines drawn from the wrong corners, crop lines on the wrong axis in the vertical spherical
// type or without their overshoot mislead every crop the user drags: each type's outline, centre
// line and crop lines, checked against a reference that was looked at.
TEST(Projection, BoundsMatchTheReferencePicture)
{
    Quor_BaseImage picture;
    ASSERT_EQ(picture.Initialize(160, 400, 32), QUOR_OK);
    picture.Clear(rgb_color{40, 40, 40, 255});
    const float crops[4][4] = {
        {0.8f, -0.5f, 0.6f, -0.4f}, {2.0f, -1.5f, 1.0f, -0.9f}, {2.5f, -1.0f, 1.2f, -0.5f}, {1.0f, -0.7f, 0.9f, -0.6f}};
    gHorizonGuide = true;
    for (int k = 0; k < 4; k++) {
        Quor_image band;
        ASSERT_EQ(picture.FillImage(&band, Quor_Rect(0, 100 * k, 159, 100 * k + 99)), QUOR_OK);
        PanomerDoc doc;
        doc.fProjectionType = k;
        std::copy(crops[k], crops[k] + 4, doc.fCrop);
        Projection projection(&band);
        projection.SetProjectionType(k);
        projection.SetZoom(k == ProjectionMap::kVerticalSpherical ? 0.3f : 0.8f);
        projection.SetOffset(Quor_Vector2(0.05f, 0.0f));
        projection.BeginDraw();
        projection.DrawPanomerBounds(&doc);
        projection.EndDraw();
    }
    gHorizonGuide = false;
    EXPECT_GOLDEN(picture.Image(), "tests/app/core/golden/bounds.png", 0);
}

}  // namespace
