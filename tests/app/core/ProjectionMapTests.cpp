// Tests of the projection mapping: the pure arithmetic the canvas, both renderers and the
// export dialogs share.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "app/core/ProjectionMap.h"

namespace {

constexpr float kPi = ProjectionMap::kPi;
constexpr int kTypes[] = {0, 1, 2, 3, 4};

// A type whose inverse is not the inverse of its forward map sends the canvas and the renderer to
// different places: every point of a grid that the type can show must come back where it
// started, for every type, with a zoom and an offset in play. A zoom applied before the offset
// (or not to it) zooms about the wrong point: doubling it must double every distance from the
// centre; and a zoom that is no positive number must be refused, as every inverse divides by it.
TEST(ProjectionMap, RoundTripAndZoomHoldForEveryType)
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
TEST(ProjectionMap, PixelFormsMatchTheKnownPositions)
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

}  // namespace
