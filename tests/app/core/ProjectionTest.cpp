// Tests of the projection mapping, the photo sampling shortcut, and the crop fit and export size:
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
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/math/Quor_Round.h"

namespace {

constexpr float kPi = ProjectionMap::kPi;
constexpr int kTypes[] = {0, 1, 2, 3, 4};

// A type whose inverse is not the inverse of its forward map sends the canvas and the renderer to
// different places: every point of a grid that the type can show must come back where it
// started, for every type, with a zoom and an offset in play. A zoom applied before the offset
// (or not to it) zooms about the wrong point: doubling it must double every distance from the
// centre; and a zoom that is no positive number must be refused, as every inverse divides by it.
TEST(ProjectionMapTest, RoundTripAndZoomHoldForEveryType)
{
    const unsigned seed = 20240611;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> offset(-0.3f, 0.3f);
    for (int type : kTypes) {
        ProjectionMap map(type, 1000, 600);
        map.SetZoom(1.0f + offset(random));
        map.SetOffset(Quor_Vector2(offset(random), offset(random)));
        int checked = 0;
        for (float x = -1.6f; x <= 1.6f; x += 0.05f) {
            for (float y = -1.0f; y <= 1.0f; y += 0.05f) {
                float yaw, pitch;
                map.PointToAngles(Quor_Vector2(x, y), yaw, pitch);
                const float limit = type == ProjectionMap::kPerspective ? ProjectionMap::kPerspectiveLimit : 10.0f;
                if (type != ProjectionMap::kFlat &&
                    (!ProjectionMap::IsDirection(yaw, pitch) || std::fabs(yaw) >= limit || std::fabs(pitch) >= limit))
                    continue;
                Quor_Vector2 back;
                map.AnglesToPoint(yaw, pitch, back);
                EXPECT_NEAR(back.x, x, 2e-4f) << "type " << type << " at " << x << ", " << y;
                EXPECT_NEAR(back.y, y, 2e-4f) << "type " << type << " at " << x << ", " << y;
                checked++;
            }
        }
        EXPECT_GT(checked, 300) << "type " << type;

        for (float yaw = -1.2f; yaw <= 1.2f; yaw += 0.3f) {
            for (float pitch = -1.2f; pitch <= 1.2f; pitch += 0.3f) {
                Quor_Vector2 one, two;
                map.SetZoom(1.0f);
                map.AnglesToPoint(yaw, pitch, one);
                map.SetZoom(2.0f);
                map.AnglesToPoint(yaw, pitch, two);
                EXPECT_NEAR(two.Mag(), 2.0f * one.Mag(), 1e-5f) << "type " << type;
            }
        }
        map.SetZoom(0.0f);
        map.SetZoom(NAN);
        EXPECT_EQ(map.Zoom(), 2.0f);
    }
}

// A half-pixel shift, a flipped axis or the wrong aspect moves the whole panorama; a missing clamp
// lets the perspective tangent blow up; a point off the fisheye disc or a canvas of no size must
// show no direction rather than divide by zero.
TEST(ProjectionMapTest, PixelFormsMatchTheKnownPositions)
{
    const struct {
        int type, width, height;
        float yaw, pitch;
        int x, y;
    } known[] = {{1, 1024, 512, kPi, kPi / 2, 0, 0}, {1, 1024, 512, -kPi, -kPi / 2, 1024, 512},
                 {1, 1024, 512, 0, 0, 512, 256}, {0, 800, 600, 0, 0, 400, 300}};
    float yaw, pitch;
    for (const auto& k : known) {
        ProjectionMap map(k.type, k.width, k.height);
        Quor_Point p;
        map.AnglesToPoint(k.yaw, k.pitch, p);
        EXPECT_EQ(p, Quor_Point(k.x, k.y)) << "type " << k.type << " yaw " << k.yaw;
        map.PointToAngles(Quor_Point(k.x, k.y), yaw, pitch);
        EXPECT_FLOAT_EQ(yaw, k.yaw) << "type " << k.type << " at " << k.x << ", " << k.y;
        EXPECT_FLOAT_EQ(pitch, k.pitch) << "type " << k.type << " at " << k.x << ", " << k.y;
    }
    ProjectionMap perspective(ProjectionMap::kPerspective, 800, 600);
    Quor_Vector2 beyond, limit;
    perspective.AnglesToPoint(1.5f, 0.3f, beyond);
    perspective.AnglesToPoint(1.4707963f, 0.3f, limit);
    EXPECT_EQ(beyond, limit);

    ProjectionMap fisheye(ProjectionMap::kFisheye, 600, 600);
    fisheye.PointToAngles(Quor_Vector2(0.995f * std::cos(0.7f), 0.995f * std::sin(0.7f)), yaw, pitch);
    EXPECT_FLOAT_EQ(yaw, 2 * kPi);
    EXPECT_FLOAT_EQ(pitch, kPi);
    ProjectionMap none;
    none.PointToAngles(Quor_Point(3, 4), yaw, pitch);
    EXPECT_FALSE(ProjectionMap::IsDirection(yaw, pitch));
}

// The photo's own sampling shortcut must give SampleImage's pixels everywhere, transparent ones
// and the last row and column included; an image without pixels must cover nothing.
TEST(PhotoMappingTest, SampleShortcutMatchesSampleImage)
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

// An export aspect taken from the crop's angles cuts off the sides of a perspective crop (and
// shows beyond the crop lines in fisheye): the fitted crop lines must land on the output's edges,
// with the linear types keeping the sizes the angles give. A crop without extent or with
// non-finite values (from a file) gives 0/0 and an infinite zoom: the type's default crop must
// stand in for it.
TEST(CropFitTest, FittedCropReachesEveryEdgeAndDegenerateCropsFallBack)
{
    const float crops[][4] = {{kPi, -kPi, kPi / 2, -kPi / 2}, {1.2217305f, -1.2217305f, 0.61f, -0.61f},
                              {0.9f, -0.3f, 0.5f, -0.2f}, {1.0f, -1.0f, 1.0f, -1.0f}, {kPi / 2, -kPi / 2, 0.8f, -1.1f}};
    const float degenerate[][4] = {{1, 1, 0.5f, 0.5f}, {1, 1, 0.5f, -0.5f}, {-1, 1, 0.5f, -0.5f},
                                   {1, -1, -0.5f, 0.5f}, {NAN, -1, 0.5f, -0.5f}, {1, -1, INFINITY, -0.5f}};
    const int width = 1024;
    for (int type : kTypes) {
        for (const auto& crop : crops) {
            if (type == ProjectionMap::kVerticalSpherical && crop[0] - crop[1] > crop[2] - crop[3] + 2.0f)
                continue;  // taller than the 30000-pixel limit at this width
            SCOPED_TRACE(testing::Message() << "type " << type << " crop " << crop[0] << " " << crop[2]);
            const int height = CropFit::HeightForWidth(type, crop, width);
            ASSERT_TRUE(CropFit::IsValidSize(width, height)) << height;
            ProjectionMap map(type, width, height);
            CropFit::Fit(map, crop);
            const bool vertical = type == ProjectionMap::kVerticalSpherical;
            Quor_Point left, right, top, bottom;
            map.AnglesToPoint(vertical ? 0 : crop[0], vertical ? crop[2] : 0, left);
            map.AnglesToPoint(vertical ? 0 : crop[1], vertical ? crop[3] : 0, right);
            map.AnglesToPoint(vertical ? crop[1] : 0, vertical ? 0 : crop[2], top);
            map.AnglesToPoint(vertical ? crop[0] : 0, vertical ? 0 : crop[3], bottom);
            // The flat type shows larger yaws to the right.
            EXPECT_LE(std::abs(std::min(left.x, right.x)), 1);
            EXPECT_LE(std::abs(std::max(left.x, right.x) - width), 1);
            EXPECT_LE(std::abs(top.y), 1);
            EXPECT_LE(std::abs(bottom.y - height), 1);
            if (type == 1 || type == 2 || type == 4) {
                const float aspect = (crop[0] - crop[1]) / (crop[2] - crop[3]);
                EXPECT_EQ(height, Quor_RoundToInt(vertical ? width * aspect : width / aspect));
            }
        }
        float standIn[4];
        ASSERT_TRUE(PanomerDoc::DefaultCrop(type, standIn));
        const int height = CropFit::HeightForWidth(type, standIn, width);
        ProjectionMap expected(type, width, height);
        CropFit::Fit(expected, standIn);
        for (const auto& crop : degenerate) {
            SCOPED_TRACE(testing::Message() << "type " << type << " crop " << crop[0] << " " << crop[1]);
            EXPECT_FLOAT_EQ(CropFit::Aspect(type, crop), CropFit::Aspect(type, standIn));
            EXPECT_EQ(CropFit::HeightForWidth(type, crop, width), height);
            ProjectionMap map(type, width, height);
            CropFit::Fit(map, crop);
            EXPECT_EQ(map.Zoom(), expected.Zoom());
            EXPECT_EQ(map.Offset(), expected.Offset());
        }
    }
    // A perspective crop of 140 by 70 degrees is far wider on the canvas than its angles say; the
    // dialogs' width for a height and proportion check follow the same aspect (type 2: inverted).
    const float wide[4] = {1.2217305f, -1.2217305f, 0.61086524f, -0.61086524f};
    EXPECT_NEAR(CropFit::Aspect(ProjectionMap::kPerspective, wide), 3.92f, 0.01f);
    const float* full = crops[0];
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
    gHorizonGuide = true;
    for (int k = 0; k < 4; k++) {
        Quor_image band;
        ASSERT_EQ(picture.FillImage(&band, Quor_Rect(0, 100 * k, 159, 100 * k + 99)), 0);
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
