// The depth-buffered rasterizer: the depth rule, homogeneous clipping within the polygon record,
// perspective-correct textures and toon outlines.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <cmath>
#include <random>
#include <vector>

#include "tests/toolkit/imaging/raster/RasterTestKit.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/raster/Quor_Raster3D.h"
#include "toolkit/math/Quor_Matrix.h"

using namespace raster_test;
using PC = Quor_PixelConvert;

namespace {

using Clip = std::array<float, 4>;  // x, y, z, w

Quor_poly ClipPoly(int mode, const std::vector<Clip>& vertices)
{
    Quor_poly poly;
    poly.mode = mode;
    for (const Clip& c : vertices) {
        float* v = poly.AddVertex();
        v[kVertexX] = c[0];
        v[kVertexY] = c[1];
        v[kVertexZ] = c[2];
        v[kVertexW] = c[3];
    }
    return poly;
}

// The eye-space points through a perspective projection (fov 1, near 1, far 100), as clip space.
Quor_poly Projected(const Quor_Matrix& projection, int mode, const std::vector<std::array<float, 3>>& eye)
{
    std::vector<Clip> clip;
    for (const auto& p : eye) {
        float v[4] = {p[0], p[1], p[2], 1};
        projection.TransformHomo(v);
        clip.push_back({v[0], v[1], v[2], v[3]});
    }
    return ClipPoly(mode, clip);
}

Quor_Matrix Projection()
{
    Quor_Matrix m;
    m.Perspective(1.0f, 1.0f, 100.0f, 1.0f);
    return m;
}

// A quad over the normalised rectangle [x0, x1] x [y0, y1] at depths zLeft (x0) and zRight (x1).
Quor_poly FlatQuad(int mode, float x0, float y0, float x1, float y1, float zLeft, float zRight)
{
    return ClipPoly(mode, {{x0, y0, zLeft, 1}, {x1, y0, zRight, 1}, {x1, y1, zRight, 1}, {x0, y1, zLeft, 1}});
}

constexpr uint32_t kRed = PC::Pack(255, 0, 0, 255);
constexpr uint32_t kGreen = PC::Pack(0, 255, 0, 255);

}  // namespace

// Catches a depth test that is missing, reversed (smaller taken as nearer) or not interpolated
// across the polygon, in both kinds of depth buffer and for textured modes.
TEST(Raster3D, NearerSurfacesWinWhicheverIsDrawnFirst)
{
    for (bool integerZ : {true, false}) {
        for (bool flatFirst : {true, false}) {
            GuardedImage image(40, 32);
            Quor_Raster3D raster;
            ASSERT_EQ(raster.SetDest(&image.View(), integerZ, nullptr), 0);
            // A flat red quad at depth 0 and a green one tilted from -0.5 (left) to 0.5 (right).
            Quor_poly flat = FlatQuad(kRasterFlat, -1.25f, -1, 1.25f, 1, 0, 0);
            Quor_poly tilted = FlatQuad(kRasterFlat, -1.25f, -1, 1.25f, 1, -0.5f, 0.5f);
            for (int step = 0; step < 2; step++) {
                const bool drawFlat = (step == 0) == flatFirst;
                raster.SetColor(drawFlat ? 255 : 0, drawFlat ? 0 : 255, 0);
                raster.DrawPoly(drawFlat ? &flat : &tilted);
            }
            for (int y = 0; y < 32; y++) {
                EXPECT_EQ(image.Get(5, y), kRed) << integerZ << flatFirst;
                EXPECT_EQ(image.Get(34, y), kGreen) << integerZ << flatFirst;
            }
            EXPECT_EQ(image.Get(18, 9), kRed);
            EXPECT_EQ(image.Get(21, 9), kGreen);
            EXPECT_TRUE(image.MarginIntact());
        }
    }

    // A textured quad behind an opaque one stays hidden; in front it shows.
    std::vector<uint32_t> texel{kGreen};
    const Quor_image texture{reinterpret_cast<uint8_t*>(texel.data()), 1, 1, 32, 4, 4};
    GuardedImage image(40, 32);
    Quor_Raster3D raster;
    raster.SetDest(&image.View(), true, nullptr);
    raster.SetTexture(&texture);
    raster.SetColor(255, 0, 0);
    Quor_poly wall = FlatQuad(kRasterFlat, -1.25f, -1, 0, 1, 0.3f, 0.3f);
    raster.DrawPoly(&wall);
    for (int mode = kRasterTextureCopy; mode <= kRasterPerspectiveBilinear; mode++) {
        Quor_poly behind = FlatQuad(mode, -1.25f, -1, 1.25f, 1, 0.1f, 0.1f);
        raster.DrawPoly(&behind);
        EXPECT_EQ(image.Get(5, 5), kRed) << "mode " << mode;
        EXPECT_EQ(PC::Green(image.Get(30, 5)), 255u) << "mode " << mode;
    }
}

// Catches "greater or equal" in the depth test, and ClearZ not resetting to the far limit.
TEST(Raster3D, EqualDepthIsNotNearer)
{
    for (bool integerZ : {true, false}) {
        GuardedImage image(16, 16);
        Quor_Raster3D raster;
        raster.SetDest(&image.View(), integerZ, nullptr);
        Quor_poly poly = FlatQuad(kRasterFlat, -1, -1, 1, 1, -0.99f, -0.99f);
        Quor_poly again = poly;
        raster.SetColor(255, 0, 0);
        raster.DrawPoly(&poly);
        raster.SetColor(0, 255, 0);
        raster.DrawPoly(&again);
        EXPECT_EQ(image.Get(8, 8), kRed) << integerZ;
        raster.ClearZ();
        raster.DrawPoly(&again);
        EXPECT_EQ(image.Get(8, 8), kGreen) << integerZ;
        if (integerZ) {
            EXPECT_EQ(raster.GetZRow(3)[3], int32_t(std::floor(double(-0.99f * 32768.0f) * 65536.0)));
        }
    }
}

// Catches a clipper that grows a polygon past the record's 8 vertices or leaves vertices outside
// a plane, and drawing that differs from the plain polygon inside the clip volume.
TEST(Raster3D, ClippingStaysWithinTheRecordAndInsideThePlanes)
{
    const unsigned seed = 2024;
    PrintSeed("ClippingStaysWithinTheRecordAndInsideThePlanes", seed);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> spread(-2.5f, 2.5f);
    for (int round = 0; round < 2000; round++) {
        const int count = 3 + round % 6;
        // Planar convex polygons (points of an ellipse in a random plane of clip space), and
        // every fifth one warped out of its plane, which a plane may cut more than twice.
        const bool planar = round % 5 != 0;
        float origin[4], axisA[4], axisB[4];
        for (int k = 0; k < 4; k++) {
            origin[k] = spread(rng);
            axisA[k] = spread(rng);
            axisB[k] = spread(rng);
        }
        Quor_poly poly;
        for (int i = 0; i < count; i++) {
            const float angle = float(i) / float(count) * 6.2831853f;
            float p[4];
            for (int k = 0; k < 4; k++)
                p[k] = origin[k] + std::cos(angle) * axisA[k] + std::sin(angle) * axisB[k] + (planar ? 0 : spread(rng));
            float* v = poly.AddVertex();
            v[kVertexX] = p[0];
            v[kVertexY] = p[1];
            v[kVertexZ] = p[2];
            v[kVertexW] = p[3];
        }
        Quor_poly clipped = poly;
        const bool fits = Quor_Raster3D::ClipHomogeneous(&clipped);
        ASSERT_TRUE(clipped.IsValid());
        if (planar && count <= 4) {
            ASSERT_TRUE(fits) << "round " << round;
        }
        if (!fits) {
            ASSERT_EQ(std::memcmp(&clipped, &poly, sizeof poly), 0) << "round " << round;
            continue;
        }
        ASSERT_LE(clipped.count, 8);
        for (int i = 0; i < clipped.count; i++) {
            const float* v = clipped.vertex[i];
            const float eps = 1e-4f * (1.0f + std::fabs(v[kVertexW]));
            EXPECT_GE(v[kVertexW] - v[kVertexZ], -eps);
            EXPECT_GE(v[kVertexZ] + v[kVertexW], -eps);
            EXPECT_GE(v[kVertexW] - v[kVertexY], -eps);
            EXPECT_GE(v[kVertexY] + v[kVertexW], -eps);
        }
    }

    // An octagon reaching past the top and bottom and through the near plane (z > w on the
    // right): it draws exactly where the plain polygon covers with z <= w, and no further.
    GuardedImage image(40, 32);
    Quor_Raster3D raster;
    raster.SetDest(&image.View(), true, nullptr);
    raster.SetColor(255, 255, 255);
    std::vector<Pt> pixels;
    Quor_poly octagon;
    octagon.mode = kRasterFlat;
    for (int i = 0; i < 8; i++) {
        const double angle = (i + 0.3) / 8.0 * 2.0 * M_PI;
        const double x = 1.1 * std::cos(angle), y = 1.4 * std::sin(angle);
        float* v = octagon.AddVertex();
        v[kVertexX] = float(x);
        v[kVertexY] = float(y);
        v[kVertexZ] = float(0.2 + x);  // beyond the near plane for x > 0.8
        v[kVertexW] = 1.0f;
        pixels.push_back({v[kVertexX] * 16.0 + 20.0, 16.0 - v[kVertexY] * 16.0});
    }
    raster.DrawPoly(&octagon);
    EXPECT_EQ(octagon.count, 8);  // the caller's record is not touched
    EXPECT_TRUE(image.MarginIntact());
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 40; x++) {
            double clearance;
            const bool inside = OracleCovers(pixels, x + 0.5, y + 0.5, &clearance);
            const double ndcX = (x + 0.5 - 20.0) / 16.0;
            if (clearance < 1e-3 || std::fabs(ndcX - 0.8) < 0.07)
                continue;
            EXPECT_EQ(image.Get(x, y) != 0, inside && ndcX < 0.8) << x << "," << y;
        }
}

// Catches polygons behind the eye (w < 0) being drawn mirrored, and a vertex on the eye plane
// (w = 0) producing infinite positions.
TEST(Raster3D, NothingBehindTheEyeIsDrawn)
{
    GuardedImage image(24, 24);
    Quor_Raster3D raster;
    raster.SetDest(&image.View(), true, nullptr);
    raster.SetColor(255, 255, 255);
    Quor_poly behind = ClipPoly(kRasterFlat, {{-0.5f, -0.5f, 0.5f, -1}, {0.5f, -0.5f, 0.5f, -1}, {0, 0.5f, 0.5f, -2}});
    raster.DrawPoly(&behind);
    Quor_poly onEyePlane = ClipPoly(kRasterFlat, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}});
    raster.DrawPoly(&onEyePlane);
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 24; x++)
            ASSERT_EQ(image.Get(x, y), 0u);
    EXPECT_EQ(raster.GetZRow(12)[12], int32_t(0x80080000u));

    // Half behind: the apex lies behind the eye, so only the part between the base and the near
    // plane is drawn (rows 16 to 18 here: y from 16.39 to 19.32), nothing of the apex mirrored above.
    Quor_poly half = Projected(Projection(), kRasterFlat, {{-1, -1, -3}, {1, -1, -3}, {0, 1, 2}});
    raster.DrawPoly(&half);
    for (int y = 0; y < 24; y++)
        EXPECT_EQ(image.Get(12, y) != 0, y >= 16 && y <= 18) << y;
    EXPECT_TRUE(image.MarginIntact());
}

// Catches affine texturing where the perspective modes must divide by w: on a quad whose right
// side is three times farther, the texture's middle lands at 0.45, not 0, in normalised x.
TEST(Raster3D, PerspectiveTexturesFollowDepth)
{
    for (int bits : {32, 16}) {
        std::vector<uint32_t> texels32{0x000000FFu, 0xFFFFFFFFu};
        std::vector<uint16_t> texels16{0x0000, 0xFFFF};
        const Quor_image texture = bits == 32
                                       ? Quor_image{reinterpret_cast<uint8_t*>(texels32.data()), 2, 1, 32, 4, 8}
                                       : Quor_image{reinterpret_cast<uint8_t*>(texels16.data()), 2, 1, 16, 2, 4};
        for (int mode : {int(kRasterPerspective), int(kRasterPerspectiveBilinear)}) {
            GuardedImage image(40, 32, bits);
            Quor_Raster3D raster;
            raster.SetDest(&image.View(), true, nullptr);
            raster.SetTexture(&texture);
            Quor_poly poly = ClipPoly(mode, {{-0.9f, -0.9f, 0, 1}, {2.7f, -2.7f, 0, 3}, {2.7f, 2.7f, 0, 3},
                                             {-0.9f, 0.9f, 0, 1}});
            SetTexCoords(&poly, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
            raster.DrawPoly(&poly);
            // Pixel 26 has its centre at 0.406, pixel 28 at 0.53 (an affine map would put the
            // change at pixel 20).
            const uint32_t dark = image.Get(26, 16), light = image.Get(28, 16);
            if (bits == 32 && mode == kRasterPerspectiveBilinear) {
                EXPECT_LT(PC::Red(dark), 128u);
                EXPECT_GT(PC::Red(light), 128u);
                EXPECT_EQ(PC::Alpha(dark), 255u);
            } else {
                // Nearest texel; on 16 bits mode 12 draws as mode 11.
                EXPECT_EQ(dark, bits == 32 ? 0x000000FFu : 0u) << bits << " mode " << mode;
                EXPECT_EQ(light, bits == 32 ? 0xFFFFFFFFu : 0xFFFFu) << bits << " mode " << mode;
            }
            if (bits != 32 || mode == kRasterPerspective) {
                EXPECT_EQ(image.Get(22, 16), bits == 32 ? 0x000000FFu : 0u) << bits << " mode " << mode;
            }
            EXPECT_TRUE(image.MarginIntact());
        }
    }
}

// Catches the toon facing test picking the wrong faces, outlines drawn in front of the faces
// they surround, and outlines drawn when their width is below the limit.
TEST(Raster3D, ToonModeOutlinesTheChosenFacing)
{
    const Quor_Matrix projection = Projection();
    auto project = [&](int mode, const std::vector<std::array<float, 3>>& eye) { return Projected(projection, mode, eye); };
    // Anticlockwise on screen (y up): front-facing. The back-facing one is larger and behind.
    const std::vector<std::array<float, 3>> front{{-1, -1, -5}, {1, -1, -5}, {0, 1, -5}};
    const std::vector<std::array<float, 3>> back{{-3, -3, -6}, {0, 3, -6}, {3, -3, -6}};

    GuardedImage image(32, 32);
    Quor_Raster3D raster;
    raster.SetDest(&image.View(), true, nullptr);
    raster.SetColor(0, 0, 255);
    raster.SetToonModeOn(true, projection, rgb_color{255, 255, 0, 255}, 0.2f);
    for (int order = 0; order < 2; order++) {
        Quor_poly a = project(kRasterFlat, order ? back : front);
        Quor_poly b = project(kRasterFlat, order ? front : back);
        raster.DrawPoly(&a);
        raster.DrawPoly(&b);
        EXPECT_EQ(image.Get(16, 17), PC::Pack(0, 0, 255, 255)) << order;  // the face, in front
        EXPECT_EQ(image.Get(16, 26), PC::Pack(255, 255, 0, 255)) << order;  // the outline around it
        image.Fill(0);
        raster.ClearZ();
    }
    raster.SetToonModeOn(true, projection, rgb_color{255, 255, 0, 255}, 0.0f);
    Quor_poly b = project(kRasterFlat, back);
    raster.DrawPoly(&b);
    EXPECT_EQ(image.Get(16, 26), 0u);
    raster.SetToonModeOff();
    b = project(kRasterFlat, back);
    raster.DrawPoly(&b);
    EXPECT_EQ(image.Get(16, 26), PC::Pack(0, 0, 255, 255));
}

// Catches a depth buffer left at its old size when the destination grows through the base
// class's SetDest (writes past the buffer, caught by ASan).
TEST(Raster3D, ResizingThroughTheBaseClassKeepsTheDepthBufferInStep)
{
    GuardedImage small(8, 8), large(48, 40);
    Quor_Raster3D raster3D;
    Quor_Raster& raster = raster3D;
    raster3D.SetDest(&small.View(), true, nullptr);
    raster.SetDest(&large.View());
    raster.SetColor(9, 9, 9);
    Quor_poly poly = FlatQuad(kRasterFlat, -2, -1, 2, 1, 0, 0);
    raster.DrawPoly(&poly);
    EXPECT_EQ(large.Get(47, 39), PC::Pack(9, 9, 9, 255));
    EXPECT_NE(raster3D.GetZRow(39), nullptr);
    EXPECT_TRUE(large.MarginIntact());
}
