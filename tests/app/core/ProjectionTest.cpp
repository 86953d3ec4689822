// Tests of the projection mapping, the camera model of a photo, and the crop fit and export size:
// the pure arithmetic that the canvas, both renderers and the export dialogs share.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "app/core/CropFit.h"
#include "app/core/PanomerDoc.h"
#include "app/core/PhotoMapping.h"
#include "app/core/Projection.h"
#include "app/core/ProjectionMap.h"
#include "tests/support/GoldenImage.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/Quor_ImageOps.h"
#include "toolkit/math/Quor_Round.h"

namespace {

constexpr float kPi = ProjectionMap::kPi;
constexpr int kTypes[] = {0, 1, 2, 3, 4};

// Normalized points whose angles each type can show: inside the perspective clamp, inside the
// fisheye disc, on the sphere for the spherical types.
bool ShowsDirection(int type, const ProjectionMap& map, Quor_Vector2 p)
{
    float yaw, pitch;
    map.PointToAngles(p, yaw, pitch);
    if (type == ProjectionMap::kFlat)
        return true;
    if (!ProjectionMap::IsDirection(yaw, pitch))
        return false;
    if (type == ProjectionMap::kPerspective)
        return std::fabs(yaw) < ProjectionMap::kPerspectiveLimit && std::fabs(pitch) < ProjectionMap::kPerspectiveLimit;
    return true;
}

// A type whose inverse is not the inverse of its forward map sends the canvas and the renderer to
// different places: every point of a grid must come back where it started, for every type, with a
// zoom and an offset in play.
TEST(ProjectionMapTest, PointToAnglesAndBackReturnsThePointForEveryType)
{
    const unsigned seed = 20240611;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> offsetDistribution(-0.3f, 0.3f);
    for (int type : kTypes) {
        ProjectionMap map(type, 1000, 600);
        map.SetZoom(1.0f + offsetDistribution(random));
        map.SetOffset(Quor_Vector2(offsetDistribution(random), offsetDistribution(random)));
        int checked = 0;
        for (float x = -1.6f; x <= 1.6f; x += 0.05f) {
            for (float y = -1.0f; y <= 1.0f; y += 0.05f) {
                const Quor_Vector2 p(x, y);
                if (!ShowsDirection(type, map, p))
                    continue;
                float yaw, pitch;
                map.PointToAngles(p, yaw, pitch);
                Quor_Vector2 back;
                map.AnglesToPoint(yaw, pitch, back);
                EXPECT_NEAR(back.x, p.x, 2e-4f) << "type " << type << " at " << x << ", " << y;
                EXPECT_NEAR(back.y, p.y, 2e-4f) << "type " << type << " at " << x << ", " << y;
                checked++;
            }
        }
        EXPECT_GT(checked, 300) << "type " << type;
    }
}

// A half-pixel shift, a flipped axis or the wrong aspect in the horizontal spherical type moves
// the whole panorama: the corners and the centre of a 2:1 canvas are fixed points.
TEST(ProjectionMapTest, PixelFormsMatchTheKnownPositions)
{
    ProjectionMap map(ProjectionMap::kHorizontalSpherical, 1024, 512);
    Quor_Point p;
    map.AnglesToPoint(kPi, kPi / 2, p);
    EXPECT_EQ(p, Quor_Point(0, 0));
    map.AnglesToPoint(-kPi, -kPi / 2, p);
    EXPECT_EQ(p, Quor_Point(1024, 512));
    map.AnglesToPoint(0, 0, p);
    EXPECT_EQ(p, Quor_Point(512, 256));

    float yaw, pitch;
    map.PointToAngles(Quor_Point(0, 0), yaw, pitch);
    EXPECT_FLOAT_EQ(yaw, kPi);
    EXPECT_FLOAT_EQ(pitch, kPi / 2);
    map.PointToAngles(Quor_Point(512, 256), yaw, pitch);
    EXPECT_FLOAT_EQ(yaw, 0.0f);
    EXPECT_FLOAT_EQ(pitch, 0.0f);

    // Perspective clamps before the tangent blows up; its centre is straight ahead.
    ProjectionMap perspective(ProjectionMap::kPerspective, 800, 600);
    Quor_Vector2 beyond, limit;
    perspective.AnglesToPoint(1.5f, 0.3f, beyond);
    perspective.AnglesToPoint(1.4707963f, 0.3f, limit);
    EXPECT_EQ(beyond, limit);
    perspective.PointToAngles(Quor_Point(400, 300), yaw, pitch);
    EXPECT_FLOAT_EQ(yaw, 0.0f);
    EXPECT_FLOAT_EQ(pitch, 0.0f);

    // Outside the fisheye disc there is no direction: the answer lies outside every valid range.
    ProjectionMap fisheye(ProjectionMap::kFisheye, 600, 600);
    fisheye.PointToAngles(Quor_Vector2(0.995f * std::cos(0.7f), 0.995f * std::sin(0.7f)), yaw, pitch);
    EXPECT_FLOAT_EQ(yaw, 2 * kPi);
    EXPECT_FLOAT_EQ(pitch, kPi);
    EXPECT_FALSE(ProjectionMap::IsDirection(yaw, pitch));

    // Without a canvas a pixel shows nothing, rather than dividing by zero.
    ProjectionMap none;
    none.PointToAngles(Quor_Point(3, 4), yaw, pitch);
    EXPECT_FALSE(ProjectionMap::IsDirection(yaw, pitch));
}

// A zoom applied before the offset (or not at all to it) makes the canvas zoom about the wrong
// point: doubling the zoom doubles every distance from the centre.
TEST(ProjectionMapTest, DoublingTheZoomDoublesDistancesFromTheCentre)
{
    for (int type : kTypes) {
        ProjectionMap map(type, 900, 500);
        map.SetOffset(Quor_Vector2(0.2f, -0.1f));
        for (float yaw = -1.2f; yaw <= 1.2f; yaw += 0.3f) {
            for (float pitch = -1.2f; pitch <= 1.2f; pitch += 0.3f) {
                map.SetZoom(1.0f);
                Quor_Vector2 one, two;
                map.AnglesToPoint(yaw, pitch, one);
                map.SetZoom(2.0f);
                map.AnglesToPoint(yaw, pitch, two);
                EXPECT_NEAR(two.Mag(), 2.0f * one.Mag(), 1e-5f) << "type " << type;
            }
        }
        // A zoom that is no positive number would make every inverse divide by it: it is refused.
        map.SetZoom(2.0f);
        map.SetZoom(0.0f);
        map.SetZoom(NAN);
        EXPECT_EQ(map.Zoom(), 2.0f);
    }
}

// Turning the wrong way about any axis, or in the wrong order, mirrors or scrambles the photos:
// a photo point turned into the panorama must be found again at the same pixel, and the photo's
// axes must point left-to-right and top-to-bottom on the sphere.
TEST(PhotoMappingTest, ForwardAndInverseMappingsAgree)
{
    const unsigned seed = 7;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> angle(-1.4f, 1.4f);
    static uint32_t pixels[40 * 30];
    Quor_image image{reinterpret_cast<uint8_t*>(pixels), 40, 30, 32, 4, 160};
    const float cameraAngle = PhotoMapping::CameraAngle(24.0f);
    for (int trial = 0; trial < 200; trial++) {
        PhotoMapping photo;
        photo.Set(image, 2 * angle(random), angle(random), 2 * angle(random), cameraAngle, trial % 5);
        ASSERT_TRUE(photo.IsUsable());
        const float px = 0.5f + static_cast<float>(trial % 39), py = 0.5f + static_cast<float>(trial % 29);
        const Quor_Vector3 world = photo.ToWorld(Quor_Vector3(px - 20.0f, 15.0f - py, -photo.Distance()));
        float tx, ty;
        ASSERT_TRUE(photo.Locate(world, tx, ty)) << "trial " << trial;
        EXPECT_NEAR(tx, px, 2e-3f);
        EXPECT_NEAR(ty, py, 2e-3f);
    }

    // A photo straight ahead: the view axis meets its centre; a direction further left (larger
    // yaw) meets its left half, a direction higher up its upper half; behind the eye, nothing.
    PhotoMapping ahead;
    ahead.Set(image, 0, 0, 0, cameraAngle, ProjectionMap::kHorizontalSpherical);
    float tx, ty;
    ASSERT_TRUE(ahead.Locate(Quor_Vector3(0, 0, -1), tx, ty));
    EXPECT_FLOAT_EQ(tx, 20.0f);
    EXPECT_FLOAT_EQ(ty, 15.0f);
    ASSERT_TRUE(ahead.Locate(Quor_Vector3(-0.05f, 0.05f, -1), tx, ty));
    EXPECT_LT(tx, 20.0f);
    EXPECT_LT(ty, 15.0f);
    EXPECT_FALSE(ahead.Locate(Quor_Vector3(0, 0, 1), tx, ty));
    EXPECT_FALSE(ahead.Locate(Quor_Vector3(1, 0, 0), tx, ty));

    // The photo's own sampling shortcut must give SampleImage's pixels everywhere, transparent
    // ones and the edges included.
    for (int i = 0; i < 40 * 30; i++)
        pixels[i] = (i * 2654435761u) & (i % 7 == 0 ? 0xFFFFFF00u : 0xFFFFFFFFu);
    for (int trial = 0; trial < 5000; trial++) {
        const float x = static_cast<float>(trial % 97) * 0.43f - 1.0f, y = static_cast<float>(trial / 97) * 0.61f - 1.0f;
        ASSERT_EQ(ahead.Sample(x, y), Quor_ImageOps::SampleImage(&image, x, y)) << x << ", " << y;
    }

    // The shorter side spans the 24 mm frame height: at 24 mm a 30-pixel side is 30 pixels away.
    EXPECT_NEAR(ahead.Distance(), 30.0f, 1e-4f);
    // An image without pixels covers nothing.
    PhotoMapping empty;
    empty.Set(Quor_image(), 0, 0, 0, cameraAngle, 1);
    EXPECT_FALSE(empty.IsUsable());
    EXPECT_FALSE(empty.Locate(Quor_Vector3(0, 0, -1), tx, ty));
}

// A feather that does not reach 0 at the edge leaves a visible seam; one that does not reach 1
// inside the ramp lets the photo below show through the middle of the photo above.
TEST(PhotoMappingTest, EdgeWeightFadesOnlyWithinTheRamp)
{
    static uint32_t pixels[200 * 100];
    Quor_image image{reinterpret_cast<uint8_t*>(pixels), 200, 100, 32, 4, 800};
    PhotoMapping photo;
    photo.Set(image, 0, 0, 0, PhotoMapping::CameraAngle(35), 1);
    EXPECT_FLOAT_EQ(photo.EdgeWeight(100, 50, 32), 1.0f);
    EXPECT_FLOAT_EQ(photo.EdgeWeight(32, 32, 32), 1.0f);
    EXPECT_FLOAT_EQ(photo.EdgeWeight(168, 68, 32), 1.0f);
    EXPECT_NEAR(photo.EdgeWeight(0, 50, 32), 0.0f, 1e-6f);
    EXPECT_NEAR(photo.EdgeWeight(100, 99.999f, 32), 0.0f, 1e-4f);
    EXPECT_NEAR(photo.EdgeWeight(16, 50, 32), 0.5f, 1e-6f);
    EXPECT_NEAR(photo.EdgeWeight(100, 92, 16), 0.5f, 1e-6f);
    float last = 0.0f;
    for (float x = 0.0f; x <= 32.0f; x += 1.0f) {
        const float w = photo.EdgeWeight(x, 50, 32);
        EXPECT_GE(w, last);
        last = w;
    }

    // Over an empty pixel the sample is copied; over a drawn one it fades in near the edge.
    const uint32_t red = 0x0000FFFFu, blue = 0xFF0000FFu;
    uint32_t pixel = 0x00DCDC00u | 0;  // alpha 0: nothing drawn yet
    photo.Blend(&pixel, blue, 2, 50, 32);
    EXPECT_EQ(pixel, blue);
    pixel = red;
    photo.Blend(&pixel, blue, 100, 50, 32);
    EXPECT_EQ(pixel, blue);
    pixel = red;
    photo.Blend(&pixel, blue, 16, 50, 32);
    EXPECT_NEAR(static_cast<int>((pixel >> 8) & 255), 127, 2);
    EXPECT_NEAR(static_cast<int>(pixel >> 24), 127, 2);
}

// The export aspect taken from the crop's angles cuts off the sides of a perspective crop (and
// shows beyond the crop lines in fisheye): for every type the fitted crop lines must land on the
// output's edges, and the linear types must keep the sizes the angles give.
TEST(CropFitTest, FittedCropReachesEveryEdgeOfTheOutput)
{
    const float crops[][4] = {
        {kPi, -kPi, kPi / 2, -kPi / 2},
        {1.2217305f, -1.2217305f, 0.61f, -0.61f},
        {0.9f, -0.3f, 0.5f, -0.2f},
        {1.0f, -1.0f, 1.0f, -1.0f},
        {kPi / 2, -kPi / 2, 0.8f, -1.1f},
    };
    for (int type : kTypes) {
        for (const auto& crop : crops) {
            if (type == ProjectionMap::kVerticalSpherical && crop[0] - crop[1] > crop[2] - crop[3] + 2.0f)
                continue;  // that crop would be taller than the 30000-pixel limit at this width
            const int width = 1024;
            const int height = CropFit::HeightForWidth(type, crop, width);
            ASSERT_TRUE(CropFit::IsValidSize(width, height)) << "type " << type << " height " << height;
            ProjectionMap map(type, width, height);
            CropFit::Fit(map, crop);
            Quor_Point left, right, top, bottom;
            if (type == ProjectionMap::kVerticalSpherical) {
                map.AnglesToPoint(0, crop[2], left);
                map.AnglesToPoint(0, crop[3], right);
                map.AnglesToPoint(crop[1], 0, top);
                map.AnglesToPoint(crop[0], 0, bottom);
            } else {
                map.AnglesToPoint(crop[0], 0, left);
                map.AnglesToPoint(crop[1], 0, right);
                map.AnglesToPoint(0, crop[2], top);
                map.AnglesToPoint(0, crop[3], bottom);
            }
            SCOPED_TRACE(testing::Message() << "type " << type << " crop " << crop[0] << " " << crop[1] << " "
                                            << crop[2] << " " << crop[3]);
            // The flat type shows larger yaws to the right.
            EXPECT_LE(std::abs(std::min(left.x, right.x) - 0), 1);
            EXPECT_LE(std::abs(std::max(left.x, right.x) - width), 1);
            EXPECT_LE(std::abs(top.y - 0), 1);
            EXPECT_LE(std::abs(bottom.y - height), 1);

            if (type == ProjectionMap::kHorizontalSpherical || type == ProjectionMap::kVerticalSpherical ||
                type == ProjectionMap::kFlat) {
                // The sizes the angular proportions always gave.
                const float aspect = (crop[0] - crop[1]) / (crop[2] - crop[3]);
                const int old = Quor_RoundToInt(type == ProjectionMap::kVerticalSpherical ? 1024.0f * aspect : 1024.0f / aspect);
                EXPECT_EQ(height, old);
            }
        }
    }
    const float full[4] = {kPi, -kPi, kPi / 2, -kPi / 2};
    EXPECT_EQ(CropFit::HeightForWidth(ProjectionMap::kHorizontalSpherical, full, 1024), 512);
    // A perspective crop of 140 by 70 degrees is far wider on the canvas than its angles say.
    const float wide[4] = {1.2217305f, -1.2217305f, 0.61086524f, -0.61086524f};
    EXPECT_NEAR(CropFit::Aspect(ProjectionMap::kPerspective, wide), 3.92f, 0.01f);
}

// A crop with no extent from a file gives 0/0 for the aspect and an infinite zoom: the output is
// one flat colour and the size conversion is undefined. The type's default crop stands in.
TEST(CropFitTest, DegenerateCropsFallBackToTheDefaultCrop)
{
    const float degenerate[][4] = {
        {1, 1, 0.5f, 0.5f}, {1, 1, 0.5f, -0.5f}, {-1, 1, 0.5f, -0.5f}, {1, -1, -0.5f, 0.5f}, {NAN, -1, 0.5f, -0.5f}, {1, -1, INFINITY, -0.5f},
    };
    for (int type : kTypes) {
        float standIn[4];
        ASSERT_TRUE(PanomerDoc::DefaultCrop(type, standIn));
        for (const auto& crop : degenerate) {
            SCOPED_TRACE(testing::Message() << "type " << type << " crop " << crop[0] << " " << crop[1]);
            const float aspect = CropFit::Aspect(type, crop);
            EXPECT_TRUE(std::isfinite(aspect) && aspect > 0.0f);
            EXPECT_FLOAT_EQ(aspect, CropFit::Aspect(type, standIn));
            const int height = CropFit::HeightForWidth(type, crop, 1024);
            EXPECT_TRUE(CropFit::IsValidSize(1024, height));
            ProjectionMap map(type, 1024, height);
            CropFit::Fit(map, crop);
            EXPECT_TRUE(std::isfinite(map.Zoom()) && map.Zoom() > 0.0f);
            EXPECT_TRUE(std::isfinite(map.Offset().x) && std::isfinite(map.Offset().y));
        }
    }
    // The dialog's proportion check and the width for a height follow the same aspect.
    const float full[4] = {kPi, -kPi, kPi / 2, -kPi / 2};
    EXPECT_EQ(CropFit::WidthForHeight(ProjectionMap::kHorizontalSpherical, full, 300), 600);
    EXPECT_TRUE(CropFit::RatioMatches(ProjectionMap::kHorizontalSpherical, full, 1000, 500));
    EXPECT_FALSE(CropFit::RatioMatches(ProjectionMap::kHorizontalSpherical, full, 1000, 600));
    EXPECT_TRUE(CropFit::RatioMatches(ProjectionMap::kVerticalSpherical, full, 500, 1000));
    EXPECT_FALSE(CropFit::RatioMatches(ProjectionMap::kHorizontalSpherical, full, 0, 0));
}

// Outlines drawn from the wrong corners, crop lines on the wrong axis in the vertical spherical
// type or without their overshoot mislead every crop the user drags: each type's outline, centre
// line and crop lines, checked against a reference that was looked at.
TEST(ProjectionTest, BoundsMatchTheReferencePicture)
{
    Quor_BaseImage picture;
    ASSERT_EQ(picture.Initialize(160, 400, 32), 0);
    picture.Clear(rgb_color{40, 40, 40, 255});
    const float crops[4][4] = {
        {0.8f, -0.5f, 0.6f, -0.4f}, {2.0f, -1.5f, 1.0f, -0.9f}, {2.5f, -1.0f, 1.2f, -0.5f}, {1.0f, -0.7f, 0.9f, -0.6f}};
    const int types[4] = {ProjectionMap::kPerspective, ProjectionMap::kHorizontalSpherical,
                          ProjectionMap::kVerticalSpherical, ProjectionMap::kFisheye};
    gHorizonGuide = true;
    for (int k = 0; k < 4; k++) {
        Quor_image band;
        ASSERT_EQ(picture.FillImage(&band, Quor_Rect(0, 100 * k, 159, 100 * k + 99)), 0);
        PanomerDoc doc;
        doc.fProjectionType = types[k];
        for (int i = 0; i < 4; i++)
            doc.fCrop[i] = crops[k][i];
        Projection projection(&band);
        projection.SetProjectionType(types[k]);
        projection.SetZoom(types[k] == ProjectionMap::kVerticalSpherical ? 0.3f : 0.8f);
        projection.SetOffset(Quor_Vector2(0.05f, 0.0f));
        projection.BeginDraw();
        projection.DrawPanomerBounds(&doc);
        projection.EndDraw();
    }
    gHorizonGuide = false;
    EXPECT_GOLDEN(picture.Image(), "tests/app/core/golden/bounds.png", 0);
}

}  // namespace
