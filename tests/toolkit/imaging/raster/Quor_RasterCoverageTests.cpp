// Which pixels a polygon covers: the pixel-centre and shared-edge rules, clipping at the
// destination's edges, and hostile coordinates.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "tests/toolkit/imaging/raster/RasterTestKit.h"
#include "toolkit/imaging/raster/Quor_Raster.h"

using namespace raster_test;

namespace {

// Draws the polygons into `image` (cleared first) and returns the per-pixel counts (0, 1, or 2 for
// "more than once"): mode 9 with an opaque-white texel of alpha 128 counts coverage in the alpha
// byte, a pixel drawn once having alpha 128, twice or more 255.
std::vector<int> CountCoverage(GuardedImage& image, const std::vector<std::vector<Pt>>& polygons, bool floatPath = false)
{
    const GuardedImage counter(1, 1, 32, {0xFFFFFF80u});
    image.Fill(0);
    for (const auto& points : polygons)
        Draw(image, PixelPoly(image.View(), kRasterTextureOver, points), &counter, false, floatPath);
    std::vector<int> counts;
    for (int y = 0; y < image.View().height; y++)
        for (int x = 0; x < image.View().width; x++)
            counts.push_back((image.Get(x, y) & 255) == 0 ? 0 : ((image.Get(x, y) & 255) == 128 ? 1 : 2));
    return counts;
}

// A convex polygon of n vertices on a randomly squashed circle, clockwise or anticlockwise,
// optionally snapped to a grid; empty when snapping made it lose its convexity.
std::vector<Pt> RandomConvex(std::mt19937& rng, int n, double cx, double cy, double radius, double grid)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> angles;
    for (int i = 0; i < n; i++)
        angles.push_back(unit(rng) * 2.0 * M_PI);
    std::sort(angles.begin(), angles.end());
    if (unit(rng) < 0.5)
        std::reverse(angles.begin(), angles.end());
    const double rx = radius * (0.3 + unit(rng)), ry = radius * (0.3 + unit(rng));
    std::vector<Pt> p;
    for (double a : angles) {
        const Pt q{cx + rx * std::cos(a), cy + ry * std::sin(a)};
        p.push_back(grid > 0.0 ? Pt{std::round(q.x / grid) * grid, std::round(q.y / grid) * grid} : q);
    }
    int sign = 0;
    for (size_t i = 0; i < p.size(); i++) {
        const Pt &a = p[i], &b = p[(i + 1) % p.size()], &c = p[(i + 2) % p.size()];
        const double cross = (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x);
        if (cross != 0.0 && sign != 0 && (cross > 0) != (sign > 0))
            return {};
        sign = cross == 0.0 ? sign : (cross > 0 ? 1 : -1);
    }
    return sign != 0 ? p : std::vector<Pt>{};
}

}  // namespace

// Catches any departure from the pixel-centre rule (left and top exclusive, right and bottom
// inclusive), above all on the edges and vertices that pass exactly through pixel centres, in
// the fixed-point and the float walk, and an off-by-one or a wrong aspect in the mapping from
// canvas units (the height spans -1 to 1) to pixels.
TEST(QuorRaster, ConvexPolygonsMatchTheExactCentreRule)
{
    std::mt19937 rng = SeededRng("ConvexPolygonsMatchTheExactCentreRule", 4501);
    GuardedImage image(40, 32);  // half height 16: quarter-pixel positions map exactly
    for (int round = 0; round < 400; round++) {
        const auto points = RandomConvex(rng, 3 + round % 6, 20.0, 16.0, 14.0, round % 2 ? 0.25 : 0.5);
        for (bool floatPath : {false, true}) {
            const auto counts = points.empty() ? std::vector<int>() : CountCoverage(image, {points}, floatPath);
            for (size_t i = 0; i < counts.size(); i++)
                ASSERT_EQ(counts[i], OracleCovers(points, i % 40 + 0.5, i / 40 + 0.5) ? 1 : 0)
                    << "round " << round << " pixel " << i % 40 << "," << i / 40 << (floatPath ? " (float path)" : "");
        }
    }
}

// Catches doubled or dropped pixels along shared edges: a convex quad split along a diagonal and
// a fan around an inner point must each cover every pixel of the whole exactly once, at
// arbitrary and at grid-aligned positions.
TEST(QuorRaster, SharedEdgesNeitherOverlapNorLeaveGaps)
{
    std::mt19937 rng = SeededRng("SharedEdgesNeitherOverlapNorLeaveGaps", 777);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    GuardedImage image(48, 40);
    int checked = 0;
    for (int round = 0; round < 600; round++) {
        const double grid = round % 3 == 0 ? 0.5 : 0.0;
        const bool split = round % 3 == 1;
        const auto whole = RandomConvex(rng, split ? 4 : 3 + int(unit(rng) * 6), 24.0, 20.0, 22.0, grid);
        if (whole.empty())
            continue;
        std::vector<std::vector<Pt>> parts;
        const int d = round % 2;
        if (split) {
            parts = {{whole[d], whole[d + 1], whole[d + 2]}, {whole[d + 2], whole[(d + 3) % 4], whole[d]}};
        } else {
            // A fan around a random inner point (a convex combination of the vertices).
            Pt centre{0, 0};
            double total = 0;
            for (const Pt& p : whole) {
                const double weight = 0.1 + unit(rng);
                centre = {centre.x + weight * p.x, centre.y + weight * p.y};
                total += weight;
            }
            centre = {centre.x / total, centre.y / total};
            if (grid > 0)
                centre = {std::round(centre.x / grid) * grid, std::round(centre.y / grid) * grid};
            for (size_t i = 0; i < whole.size(); i++)
                parts.push_back({centre, whole[i], whole[(i + 1) % whole.size()]});
        }
        const auto wholeCounts = CountCoverage(image, {whole});
        const auto partCounts = CountCoverage(image, parts);
        for (size_t i = 0; i < wholeCounts.size(); i++)
            ASSERT_EQ(partCounts[i], wholeCounts[i])
                << "round " << round << " pixel " << i % 48 << "," << i / 48 << " parts " << parts.size();
        checked++;
    }
    EXPECT_GT(checked, 400);
}

// Catches pixels written outside the destination, and clipped spans or rows whose attributes
// differ from the same polygon drawn into a larger destination (texture and Gouraud colour).
TEST(QuorRaster, ClippingAtEveryEdgeDrawsTheInsideAsAWiderDestinationWould)
{
    std::mt19937 rng = SeededRng("ClippingAtEveryEdgeDrawsTheInsideAsAWiderDestinationWould", 31337);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    // 40 x 32 (half height 16) inside 72 x 64 (half height 32) at offset (16, 16).
    const int width = 40, height = 32, offset = 16;
    std::vector<uint32_t> texels;
    for (uint32_t i = 1; i <= 15; i++)
        texels.push_back(0x01020300u * i | 255u);
    const GuardedImage texture(5, 3, 32, texels);
    for (int round = 0; round < 300; round++) {
        // Centres around and beyond every edge and corner, some wholly outside.
        const Pt centre{-12.0 + unit(rng) * 64.0, -12.0 + unit(rng) * 56.0};
        auto points = RandomConvex(rng, 3 + round % 6, centre.x, centre.y, 4.0 + unit(rng) * 18.0, 0.125);
        std::vector<Pt> shifted, uv;
        for (const Pt& p : points) {
            shifted.push_back({p.x + offset, p.y + offset});
            uv.push_back({unit(rng) * 1.2 - 0.1, unit(rng) * 1.2 - 0.1});
        }
        for (int mode : {int(kRasterTextureCopy), int(kRasterGouraudAlpha), int(kRasterTextureOver)}) {
            GuardedImage small(width, height), large(width + 2 * offset, height + 2 * offset);
            for (GuardedImage* image : {&small, &large}) {
                Quor_poly poly = PixelPoly(image->View(), mode, image == &small ? points : shifted, uv);
                for (int i = 0; i < poly.count; i++)
                    for (int c : {int(kVertexRed), int(kVertexGreen), int(kVertexBlue), int(kVertexAlpha)})
                        poly.vertex[i][c] = float((i * 37 + c * 11) % 17) / 16.0f;
                Draw(*image, poly, &texture, round % 4 == 0);
            }
            for (int y = 0; y < height; y++)
                for (int x = 0; x < width; x++)
                    ASSERT_EQ(small.Get(x, y), large.Get(x + offset, y + offset))
                        << "round " << round << " mode " << mode << " pixel " << x << "," << y;
        }
    }
}

// Catches a bounding box grown by polygons that drew nothing, and box edges outside the image.
TEST(QuorRaster, PolygonsOutsideDrawNothingAndLeaveTheBoxAlone)
{
    Rig rig(30, 16);
    rig.raster.ClearBBox();
    for (const std::vector<Pt>& outside : {std::vector<Pt>{{-9, 2}, {-1, 2}, {-5, 9}}, {{31, 2}, {40, 2}, {35, 9}},
                                           {{3, -9}, {9, -9}, {5, -0.5}}, {{3, 16}, {9, 17}, {5, 25}}})
        rig.Draw(PixelPoly(rig.image.View(), kRasterFlat, outside));
    EXPECT_FALSE(rig.raster.GetBBox(nullptr, nullptr, nullptr, nullptr));
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 30; x++)
            ASSERT_EQ(rig.Get(x, y), 0u);
    rig.Draw(PixelPoly(rig.image.View(), kRasterFlat, {{-5, 4}, {12, 4}, {12, 25}}));
    float box[4];
    ASSERT_TRUE(rig.raster.GetBBox(&box[0], &box[1], &box[2], &box[3]));
    EXPECT_TRUE(box[0] == 0.0f && box[1] == 4.0f && box[2] == 12.0f && box[3] == 16.0f)
        << box[0] << ", " << box[1] << ", " << box[2] << ", " << box[3];
}

// Catches conversion of NaN, infinities and huge values to fixed point (undefined behaviour,
// stepping through billions of rows, or indexing far outside the image and texture), polygons
// with a non-finite position being drawn, and huge finite ones not being clipped.
TEST(QuorRaster, NonFiniteAndHugeCoordinatesNeitherHangNorCrash)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const GuardedImage texture(2, 2, 32, {0xFF0000FFu, 0x00FF00FFu, 0x0000FFFFu, 0xFFFFFFFFu});
    GuardedImage image(24, 16);  // billions of rows stepped show as the test running into its time limit
    for (int mode = 0; mode <= kRasterModeCount; mode++) {
        for (bool repeat : {false, true}) {
            for (float h : {nan, inf, -inf, 1e20f, -1e20f, 3.4e38f, -3.4e38f, 1e-40f}) {
                for (int component = 0; component < kVertexComponents; component++) {
                    Quor_poly poly = PixelPoly(image.View(), mode, {{2, 2}, {20, 3}, {10, 14}});
                    Quor_poly second = poly;
                    poly.vertex[1][component] = h;
                    if (component == kVertexU)
                        poly.vertex[2][kVertexV] = -h;
                    Draw(image, poly, &texture, repeat);
                    second.vertex[0][component] = h;
                    Draw(image, second, &texture, repeat, true);
                }
            }
        }
    }

    // A triangle far larger than the 16.16 range still covers the whole destination; with a NaN
    // position it is skipped.
    for (bool poisoned : {false, true}) {
        image.Fill(0);
        Quor_poly poly = PixelPoly(image.View(), kRasterFlat, {{-1e7, -1e7}, {1e7, -1e7}, {0, 1e7}});
        poly.vertex[2][kVertexY] = poisoned ? nan : poly.vertex[2][kVertexY];
        Draw(image, poly);
        for (int y = 0; y < 16; y++)
            for (int x = 0; x < 24; x++)
                ASSERT_EQ(image.Get(x, y), poisoned ? 0u : 0xFFFFFFFFu) << x << "," << y;
    }
}

// Catches scan doubling drawing odd rows, and malformed records (count beyond 8 or below 3)
// being read past the vertex array.
TEST(QuorRaster, ScanDoublingAndMalformedRecords)
{
    Rig rig(16, 12);
    rig.raster.SetScanDoubling(true);
    rig.Draw(Quad(rig.image.View(), kRasterFlat, 0, 0, 16, 12));
    for (int y = 0; y < 12; y++)
        EXPECT_EQ(rig.Get(5, y) != 0, y % 2 == 0) << y;
    rig.image.Fill(0);
    rig.raster.SetScanDoubling(false);
    for (int count : {-1, 0, 2, 9, 1000}) {
        Quor_poly poly = Quad(rig.image.View(), kRasterFlat, 0, 0, 16, 12);
        poly.count = count;
        rig.Draw(poly);
    }
    EXPECT_EQ(rig.Get(5, 5), 0u);
}
