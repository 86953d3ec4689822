// The depth-buffered rasterizer: the depth rule, homogeneous clipping within the polygon record,
// perspective-correct textures and toon outlines.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
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
        v[kVertexX] = c[0], v[kVertexY] = c[1], v[kVertexZ] = c[2], v[kVertexW] = c[3];
    }
    return poly;
}

// Eye-space points through a perspective projection (fov 1, near 1, far 100), as clip space.
const Quor_Matrix kProjection = [] {
    Quor_Matrix m;
    m.Perspective(1.0f, 1.0f, 100.0f, 1.0f);
    return m;
}();
Quor_poly Projected(int mode, const std::vector<std::array<float, 3>>& eye)
{
    std::vector<Clip> clip;
    for (const auto& p : eye) {
        Clip v = {p[0], p[1], p[2], 1};
        kProjection.TransformHomo(v.data());
        clip.push_back(v);
    }
    return ClipPoly(mode, clip);
}

// A quad over the normalised rectangle [x0, x1] x [y0, y1] at depths zLeft (x0) and zRight (x1).
Quor_poly FlatQuad(int mode, float x0, float y0, float x1, float y1, float zLeft, float zRight)
{
    return ClipPoly(mode, {{x0, y0, zLeft, 1}, {x1, y0, zRight, 1}, {x1, y1, zRight, 1}, {x0, y1, zLeft, 1}});
}

constexpr uint32_t kRed = PC::Pack(255, 0, 0, 255), kGreen = PC::Pack(0, 255, 0, 255);
using Rig3D = Rig<Quor_Raster3D>;

}  // namespace

// Catches a depth test that is missing, reversed (smaller taken as nearer), not interpolated
// across the polygon or "greater or equal", in both kinds of depth buffer and for textured
// modes; and ClearZ not resetting to the far limit.
TEST(QuorRaster3D, NearerSurfacesWinWhicheverIsDrawnFirst)
{
    const uint32_t blue = PC::Pack(0, 0, 255, 255);
    for (bool integerZ : {true, false}) {
        for (bool flatFirst : {true, false}) {
            Rig3D rig(40, 32, 32, integerZ);
            auto draw = [&rig](float zLeft, float zRight, uint32_t colour) {
                rig.raster.SetColor(PC::Red(colour), PC::Green(colour), PC::Blue(colour));
                rig.Draw(FlatQuad(kRasterFlat, -1.25f, -1, 1.25f, 1, zLeft, zRight));
            };
            // A flat red quad at depth 0 and a green one tilted from -0.5 (left) to 0.5 (right);
            // the flat one again in blue is not nearer than itself.
            flatFirst ? draw(0, 0, kRed) : draw(-0.5f, 0.5f, kGreen);
            flatFirst ? draw(-0.5f, 0.5f, kGreen) : draw(0, 0, kRed);
            draw(0, 0, blue);
            for (int y = 0; y < 32; y++)
                EXPECT_TRUE(rig.Get(5, y) == kRed && rig.Get(34, y) == kGreen) << integerZ << flatFirst << " row " << y;
            EXPECT_TRUE(rig.Get(18, 9) == kRed && rig.Get(21, 9) == kGreen) << integerZ << flatFirst;
            // After ClearZ even the far end of the depth range is nearer.
            rig.raster.ClearZ();
            draw(-0.99f, -0.99f, blue);
            EXPECT_TRUE(rig.Get(5, 9) == blue && rig.Get(34, 9) == blue) << integerZ << flatFirst;
            EXPECT_TRUE(!integerZ || rig.raster.GetZRow(3)[3] == int32_t(std::floor(double(-0.99f * 32768.0f) * 65536.0)));
        }
    }
    // A textured quad behind an opaque one stays hidden; in front it shows.
    const GuardedImage texture(1, 1, 32, {kGreen});
    Rig3D rig(40, 32);
    rig.raster.SetTexture(&texture.View());
    rig.raster.SetColor(255, 0, 0);
    rig.Draw(FlatQuad(kRasterFlat, -1.25f, -1, 0, 1, 0.3f, 0.3f));
    for (int mode = kRasterTextureCopy; mode <= kRasterPerspectiveBilinear; mode++) {
        rig.Draw(FlatQuad(mode, -1.25f, -1, 1.25f, 1, 0.1f, 0.1f));
        EXPECT_TRUE(rig.Get(5, 5) == kRed && PC::Green(rig.Get(30, 5)) == 255u) << "mode " << mode;
    }
}

// Catches a clipper that grows a polygon past the record's 8 vertices or leaves vertices outside
// a plane, and drawing that differs from the plain polygon inside the clip volume.
TEST(QuorRaster3D, ClippingStaysWithinTheRecordAndInsideThePlanes)
{
    std::mt19937 rng = SeededRng("ClippingStaysWithinTheRecordAndInsideThePlanes", 2024);
    std::uniform_real_distribution<float> spread(-2.5f, 2.5f);
    for (int round = 0; round < 2000; round++) {
        const int count = 3 + round % 6;
        // Planar convex polygons (points of an ellipse in a random plane of clip space), and
        // every fifth one warped out of its plane, which a plane may cut more than twice.
        const bool planar = round % 5 != 0;
        Clip origin, axisA, axisB;
        for (int k = 0; k < 4; k++)
            origin[k] = spread(rng), axisA[k] = spread(rng), axisB[k] = spread(rng);
        std::vector<Clip> vertices;
        for (int i = 0; i < count; i++) {
            const float angle = float(i) / float(count) * 6.2831853f;
            Clip& p = vertices.emplace_back();
            for (int k = 0; k < 4; k++)
                p[k] = origin[k] + std::cos(angle) * axisA[k] + std::sin(angle) * axisB[k] + (planar ? 0 : spread(rng));
        }
        const Quor_poly poly = ClipPoly(kRasterFlat, vertices);
        Quor_poly clipped = poly;
        const bool fits = Quor_Raster3D::ClipHomogeneous(&clipped);
        ASSERT_TRUE(clipped.IsValid());
        ASSERT_TRUE(fits || !planar || count > 4) << "round " << round;
        if (!fits) {
            ASSERT_EQ(std::memcmp(&clipped, &poly, sizeof poly), 0) << "round " << round;
            continue;
        }
        for (int i = 0; i < clipped.count; i++) {
            const float* v = clipped.vertex[i];
            const float w = v[kVertexW], eps = 1e-4f * (1.0f + std::fabs(w));
            EXPECT_TRUE(w - v[kVertexZ] >= -eps && v[kVertexZ] + w >= -eps && w - v[kVertexY] >= -eps && v[kVertexY] + w >= -eps)
                << "round " << round << " vertex " << i;
        }
    }

    // An octagon reaching past the top and bottom and through the near plane (z > w on the
    // right): it draws exactly where the plain polygon covers with z <= w, and no further.
    Rig3D rig(40, 32);
    std::vector<Pt> pixels;
    std::vector<Clip> vertices;
    for (int i = 0; i < 8; i++) {
        const double angle = (i + 0.3) / 8.0 * 2.0 * M_PI;
        const float x = float(1.1 * std::cos(angle)), y = float(1.4 * std::sin(angle));
        vertices.push_back({x, y, 0.2f + x, 1.0f});  // beyond the near plane for x > 0.8
        pixels.push_back({x * 16.0 + 20.0, 16.0 - y * 16.0});
    }
    Quor_poly octagon = ClipPoly(kRasterFlat, vertices);
    rig.raster.DrawPoly(&octagon);
    EXPECT_EQ(octagon.count, 8);  // the caller's record is not touched
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 40; x++) {
            double clearance;
            const bool inside = OracleCovers(pixels, x + 0.5, y + 0.5, &clearance);
            const double ndcX = (x + 0.5 - 20.0) / 16.0;
            const bool decidable = clearance >= 1e-3 && std::fabs(ndcX - 0.8) >= 0.07;
            EXPECT_TRUE(!decidable || (rig.Get(x, y) != 0) == (inside && ndcX < 0.8)) << x << "," << y;
        }
}

// Catches polygons behind the eye (w < 0) being drawn mirrored, and a vertex on the eye plane
// (w = 0) producing infinite positions.
TEST(QuorRaster3D, NothingBehindTheEyeIsDrawn)
{
    Rig3D rig(24, 24);
    rig.Draw(ClipPoly(kRasterFlat, {{-0.5f, -0.5f, 0.5f, -1}, {0.5f, -0.5f, 0.5f, -1}, {0, 0.5f, 0.5f, -2}}));
    rig.Draw(ClipPoly(kRasterFlat, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}));  // on the eye plane
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 24; x++)
            ASSERT_EQ(rig.Get(x, y), 0u);
    EXPECT_EQ(rig.raster.GetZRow(12)[12], int32_t(0x80080000u));

    // Half behind: the apex lies behind the eye, so only the part between the base and the near
    // plane is drawn (rows 16 to 18 here: y from 16.39 to 19.32), nothing of the apex mirrored above.
    rig.Draw(Projected(kRasterFlat, {{-1, -1, -3}, {1, -1, -3}, {0, 1, 2}}));
    for (int y = 0; y < 24; y++)
        EXPECT_EQ(rig.Get(12, y) != 0, y >= 16 && y <= 18) << y;
}

// Catches affine texturing where the perspective modes must divide by w: on a quad whose right
// side is three times farther, the texture's middle lands at 0.45, not 0, in normalised x. Mode
// 12 on 16 bits must draw as mode 11.
TEST(QuorRaster3D, PerspectiveTexturesFollowDepth)
{
    for (int bits : {32, 16}) {
        const uint32_t dark = bits == 32 ? 0x000000FFu : 0u, light = bits == 32 ? 0xFFFFFFFFu : 0xFFFFu;
        const GuardedImage texture(2, 1, bits, {dark, light});
        for (int mode : {kRasterPerspective, kRasterPerspectiveBilinear}) {
            Rig3D rig(40, 32, bits);
            rig.raster.SetTexture(&texture.View());
            Quor_poly poly = ClipPoly(mode, {{-0.9f, -0.9f, 0, 1}, {2.7f, -2.7f, 0, 3}, {2.7f, 2.7f, 0, 3}, {-0.9f, 0.9f, 0, 1}});
            const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            for (int i = 0; i < 4; i++)
                poly.vertex[i][kVertexU] = uv[i][0], poly.vertex[i][kVertexV] = uv[i][1];
            rig.Draw(poly);
            // Pixel 26 has its centre at 0.406, pixel 28 at 0.53 (an affine map would put the
            // change at pixel 20).
            SCOPED_TRACE(testing::Message() << bits << " bits, mode " << mode);
            if (bits == 32 && mode == kRasterPerspectiveBilinear) {
                EXPECT_TRUE(PC::Red(rig.Get(26, 16)) < 128u && PC::Red(rig.Get(28, 16)) > 128u);
                EXPECT_EQ(PC::Alpha(rig.Get(26, 16)), 255u);
            } else {
                EXPECT_TRUE(rig.Get(22, 16) == dark && rig.Get(26, 16) == dark && rig.Get(28, 16) == light);
            }
        }
    }
}

// Catches the toon facing test picking the wrong faces, outlines drawn in front of the faces
// they surround, and outlines drawn when their width is below the limit.
TEST(QuorRaster3D, ToonModeOutlinesTheChosenFacing)
{
    // Anticlockwise on screen (y up): front-facing. The back-facing one is larger and behind.
    const std::vector<std::array<float, 3>> front{{-1, -1, -5}, {1, -1, -5}, {0, 1, -5}};
    const std::vector<std::array<float, 3>> back{{-3, -3, -6}, {0, 3, -6}, {3, -3, -6}};
    const uint32_t blue = PC::Pack(0, 0, 255, 255), yellow = PC::Pack(255, 255, 0, 255);
    Rig3D rig(32, 32);
    rig.raster.SetColor(0, 0, 255);
    rig.raster.SetToonModeOn(true, kProjection, rgb_color{255, 255, 0, 255}, 0.2f);
    for (int order = 0; order < 2; order++) {
        rig.Draw(Projected(kRasterFlat, order ? back : front));
        rig.Draw(Projected(kRasterFlat, order ? front : back));
        EXPECT_TRUE(rig.Get(16, 17) == blue && rig.Get(16, 26) == yellow) << order;  // face in front, outline
        rig.image.Fill(0);
        rig.raster.ClearZ();
    }
    rig.raster.SetToonModeOn(true, kProjection, rgb_color{255, 255, 0, 255}, 0.0f);
    rig.Draw(Projected(kRasterFlat, back));
    EXPECT_EQ(rig.Get(16, 26), 0u);
    rig.raster.SetToonModeOff();
    rig.Draw(Projected(kRasterFlat, back));
    EXPECT_EQ(rig.Get(16, 26), blue);
}

// Catches a depth buffer left at its old size when the destination grows through the base
// class's SetDest (writes past the buffer, caught by ASan).
TEST(QuorRaster3D, ResizingThroughTheBaseClassKeepsTheDepthBufferInStep)
{
    GuardedImage small(8, 8), large(48, 40);
    Quor_Raster3D raster3D;
    Quor_Raster& raster = raster3D;
    raster3D.SetDest(&small.View(), true, nullptr);
    raster.SetDest(&large.View());
    raster.SetColor(9, 9, 9);
    Quor_poly poly = FlatQuad(kRasterFlat, -2, -1, 2, 1, 0, 0);
    raster.DrawPoly(&poly);
    EXPECT_TRUE(large.Get(47, 39) == PC::Pack(9, 9, 9, 255) && raster3D.GetZRow(39) != nullptr);
}
