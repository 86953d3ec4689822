// Which pixels a polygon covers: the pixel-centre and shared-edge rules, clipping at the
// destination's edges, and hostile coordinates.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "tests/toolkit/imaging/raster/RasterTestKit.h"
#include "toolkit/imaging/raster/Quor_Raster.h"

using namespace raster_test;

namespace {

// Draws each polygon with the coverage counter into a fresh 32-bit destination and returns the
// per-pixel counts (0, 1, or 2 for "more than once").
std::vector<int> CountCoverage(GuardedImage& image, const std::vector<std::vector<Pt>>& polygons,
                               bool floatPath = false)
{
    image.Fill(0);
    Quor_Raster raster;
    raster.SetDest(&image.View());
    CoverageCounter counter;
    counter.Attach(raster);
    for (const auto& points : polygons) {
        Quor_poly poly = PixelPoly(image.View(), kRasterTextureOver, points);
        if (floatPath)
            raster.DrawPoly_f(&poly);
        else
            raster.DrawPoly(&poly);
    }
    std::vector<int> counts;
    for (int y = 0; y < image.View().height; y++)
        for (int x = 0; x < image.View().width; x++)
            counts.push_back(CoverageCounter::Count(image.Get(x, y)));
    return counts;
}

// A convex polygon of n vertices on a randomly squashed circle, in clockwise or anticlockwise order.
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
    std::vector<Pt> points;
    for (double a : angles) {
        Pt p{cx + rx * std::cos(a), cy + ry * std::sin(a)};
        if (grid > 0.0)
            p = {std::round(p.x / grid) * grid, std::round(p.y / grid) * grid};
        points.push_back(p);
    }
    return points;
}

bool IsConvex(const std::vector<Pt>& p)
{
    int sign = 0;
    for (size_t i = 0; i < p.size(); i++) {
        const Pt& a = p[i];
        const Pt& b = p[(i + 1) % p.size()];
        const Pt& c = p[(i + 2) % p.size()];
        const double cross = (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x);
        if (cross == 0.0)
            continue;
        const int s = cross > 0 ? 1 : -1;
        if (sign != 0 && s != sign)
            return false;
        sign = s;
    }
    return sign != 0;
}

}  // namespace

// Catches an off-by-one in the mapping from canvas units to pixels or in the centre rule.
TEST(RasterCoverage, UnitSquareCoversTheDocumentedColumnsAndRows)
{
    GuardedImage image(200, 100);
    Quor_Raster raster;
    raster.SetDest(&image.View());
    raster.SetColor(10, 20, 30);
    Quor_poly poly;
    poly.mode = kRasterFlat;
    for (Pt p : {Pt{-1, -1}, Pt{1, -1}, Pt{1, 1}, Pt{-1, 1}}) {
        float* v = poly.AddVertex();
        v[kVertexX] = float(p.x);
        v[kVertexY] = float(p.y);
    }
    raster.DrawPoly(&poly);
    for (int y = 0; y < 100; y++)
        for (int x = 0; x < 200; x++)
            ASSERT_EQ(image.Get(x, y) != 0, x >= 50 && x <= 149) << x << "," << y;
    EXPECT_TRUE(image.MarginIntact());
}

// Catches any departure from the pixel-centre rule (left and top exclusive, right and bottom
// inclusive), above all on the edges and vertices that pass exactly through pixel centres.
TEST(RasterCoverage, ConvexPolygonsMatchTheExactCentreRule)
{
    const unsigned seed = 4501;
    PrintSeed("ConvexPolygonsMatchTheExactCentreRule", seed);
    std::mt19937 rng(seed);
    GuardedImage image(40, 32);  // half height 16: quarter-pixel positions map exactly
    for (int round = 0; round < 400; round++) {
        const int n = 3 + round % 6;
        const auto points = RandomConvex(rng, n, 20.0, 16.0, 14.0, round % 2 ? 0.25 : 0.5);
        if (!IsConvex(points))
            continue;
        for (bool floatPath : {false, true}) {
            const auto counts = CountCoverage(image, {points}, floatPath);
            for (int y = 0; y < 32; y++)
                for (int x = 0; x < 40; x++)
                    ASSERT_EQ(counts[y * 40 + x], OracleCovers(points, x + 0.5, y + 0.5) ? 1 : 0)
                        << "round " << round << " pixel " << x << "," << y << (floatPath ? " (float path)" : "");
        }
    }
}

// Catches doubled or dropped pixels along shared edges: triangles sharing an edge, a convex
// quad split along a diagonal and a fan around an inner point must each cover every pixel of the
// whole exactly once, at arbitrary and at grid-aligned positions.
TEST(RasterCoverage, SharedEdgesNeitherOverlapNorLeaveGaps)
{
    const unsigned seed = 777;
    PrintSeed("SharedEdgesNeitherOverlapNorLeaveGaps", seed);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    GuardedImage image(48, 40);
    int checked = 0;
    for (int round = 0; round < 600; round++) {
        const double grid = round % 3 == 0 ? 0.5 : 0.0;
        const int n = round % 3 == 1 ? 4 : 3 + int(unit(rng) * 6);
        const auto whole = RandomConvex(rng, n, 24.0, 20.0, 22.0, grid);
        if (!IsConvex(whole))
            continue;
        std::vector<std::vector<Pt>> parts;
        if (n == 4 && round % 3 == 1) {
            // The quad split along one of its diagonals.
            const int d = round % 2;
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
TEST(RasterCoverage, ClippingAtEveryEdgeDrawsTheInsideAsAWiderDestinationWould)
{
    const unsigned seed = 31337;
    PrintSeed("ClippingAtEveryEdgeDrawsTheInsideAsAWiderDestinationWould", seed);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    // 40 x 32 (half height 16) inside 72 x 64 (half height 32) at offset (16, 16).
    const int width = 40, height = 32, offset = 16;
    uint32_t texels[5 * 3];
    for (int i = 0; i < 15; i++)
        texels[i] = 0x01020300u * uint32_t(i + 1) | 255u;
    Quor_image texture{reinterpret_cast<uint8_t*>(texels), 5, 3, 32, 4, 20};

    for (int round = 0; round < 300; round++) {
        // Centres around and beyond every edge and corner, some wholly outside.
        const Pt centre{-12.0 + unit(rng) * 64.0, -12.0 + unit(rng) * 56.0};
        auto points = RandomConvex(rng, 3 + round % 6, centre.x, centre.y, 4.0 + unit(rng) * 18.0, 0.125);
        if (!IsConvex(points))
            continue;
        std::vector<Pt> shifted;
        for (const Pt& p : points)
            shifted.push_back({p.x + offset, p.y + offset});
        std::vector<Pt> uv;
        for (size_t i = 0; i < points.size(); i++)
            uv.push_back({unit(rng) * 1.2 - 0.1, unit(rng) * 1.2 - 0.1});

        for (int mode : {int(kRasterTextureCopy), int(kRasterGouraudAlpha), int(kRasterTextureOver)}) {
            GuardedImage small(width, height), large(width + 2 * offset, height + 2 * offset);
            for (GuardedImage* image : {&small, &large}) {
                Quor_Raster raster;
                raster.SetDest(&image->View());
                raster.SetTexture(&texture);
                raster.AllowRepeatingTextures(round % 4 == 0);
                Quor_poly poly = PixelPoly(image->View(), mode, image == &small ? points : shifted);
                SetTexCoords(&poly, uv);
                for (int i = 0; i < poly.count; i++)
                    for (int c : {int(kVertexRed), int(kVertexGreen), int(kVertexBlue), int(kVertexAlpha)})
                        poly.vertex[i][c] = float((i * 37 + c * 11) % 17) / 16.0f;
                raster.DrawPoly(&poly);
            }
            ASSERT_TRUE(small.MarginIntact()) << "round " << round << " mode " << mode;
            for (int y = 0; y < height; y++)
                for (int x = 0; x < width; x++)
                    ASSERT_EQ(small.Get(x, y), large.Get(x + offset, y + offset))
                        << "round " << round << " mode " << mode << " pixel " << x << "," << y;
        }
    }
}

// Catches a bounding box grown by polygons that drew nothing, and box edges outside the image.
TEST(RasterCoverage, PolygonsOutsideDrawNothingAndLeaveTheBoxAlone)
{
    GuardedImage image(30, 16);
    Quor_Raster raster;
    raster.SetDest(&image.View());
    raster.ClearBBox();
    for (const std::vector<Pt>& outside : {std::vector<Pt>{{-9, 2}, {-1, 2}, {-5, 9}},
                                           std::vector<Pt>{{31, 2}, {40, 2}, {35, 9}},
                                           std::vector<Pt>{{3, -9}, {9, -9}, {5, -0.5}},
                                           std::vector<Pt>{{3, 16}, {9, 17}, {5, 25}}}) {
        Quor_poly poly = PixelPoly(image.View(), kRasterFlat, outside);
        raster.DrawPoly(&poly);
    }
    EXPECT_FALSE(raster.GetBBox(nullptr, nullptr, nullptr, nullptr));
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 30; x++)
            ASSERT_EQ(image.Get(x, y), 0u);

    Quor_poly poly = PixelPoly(image.View(), kRasterFlat, {{-5, 4}, {12, 4}, {12, 25}});
    raster.DrawPoly(&poly);
    float x0, y0, x1, y1;
    ASSERT_TRUE(raster.GetBBox(&x0, &y0, &x1, &y1));
    EXPECT_EQ(x0, 0.0f);
    EXPECT_EQ(y0, 4.0f);
    EXPECT_EQ(x1, 12.0f);
    EXPECT_EQ(y1, 16.0f);
}

// Catches conversion of NaN, infinities and huge values to fixed point (undefined behaviour,
// stepping through billions of rows, or indexing far outside the image and texture).
TEST(RasterCoverage, NonFiniteAndHugeCoordinatesNeitherHangNorCrash)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float hostile[] = {nan, inf, -inf, 1e20f, -1e20f, 3.4e38f, -3.4e38f, 1e-40f};
    uint32_t texel[4] = {0xFF0000FFu, 0x00FF00FFu, 0x0000FFFFu, 0xFFFFFFFFu};
    Quor_image texture{reinterpret_cast<uint8_t*>(texel), 2, 2, 32, 4, 8};
    GuardedImage image(24, 16);
    const auto start = std::chrono::steady_clock::now();
    for (int mode = 0; mode <= kRasterModeCount; mode++) {
        for (bool repeat : {false, true}) {
            Quor_Raster raster;
            raster.SetDest(&image.View());
            raster.SetTexture(&texture);
            raster.AllowRepeatingTextures(repeat);
            for (float h : hostile) {
                for (int component = 0; component < kVertexComponents; component++) {
                    Quor_poly poly = PixelPoly(image.View(), mode, {{2, 2}, {20, 3}, {10, 14}});
                    poly.vertex[1][component] = h;
                    if (component == kVertexU)
                        poly.vertex[2][kVertexV] = -h;
                    raster.DrawPoly(&poly);
                    poly = PixelPoly(image.View(), mode, {{2, 2}, {20, 3}, {10, 14}});
                    poly.vertex[0][component] = h;
                    raster.DrawPoly_f(&poly);
                }
            }
        }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_TRUE(image.MarginIntact());

    // Polygons with a non-finite position are skipped; huge but finite ones are clipped, so a
    // triangle far larger than the 16.16 range still covers the whole destination.
    Quor_Raster raster;
    raster.SetDest(&image.View());
    raster.SetColor(1, 2, 3);
    image.Fill(0);
    Quor_poly poly = PixelPoly(image.View(), kRasterFlat, {{-1e7, -1e7}, {1e7, -1e7}, {0, 1e7}});
    raster.DrawPoly(&poly);
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 24; x++)
            ASSERT_EQ(image.Get(x, y), 0x030201FFu) << x << "," << y;
    image.Fill(0);
    poly = PixelPoly(image.View(), kRasterFlat, {{-1e7, -1e7}, {1e7, -1e7}, {0, 1e7}});
    poly.vertex[2][kVertexY] = nan;
    raster.DrawPoly(&poly);
    EXPECT_EQ(image.Get(12, 8), 0u);
    EXPECT_TRUE(image.MarginIntact());
}

// Catches scan doubling drawing odd rows, and malformed records (count beyond 8 or below 3)
// being read past the vertex array.
TEST(RasterCoverage, ScanDoublingAndMalformedRecords)
{
    GuardedImage image(16, 12);
    Quor_Raster raster;
    raster.SetDest(&image.View());
    raster.SetColor(255, 255, 255);
    raster.SetScanDoubling(true);
    Quor_poly poly = PixelPoly(image.View(), kRasterFlat, {{0, 0}, {16, 0}, {16, 12}, {0, 12}});
    raster.DrawPoly(&poly);
    for (int y = 0; y < 12; y++)
        EXPECT_EQ(image.Get(5, y) != 0, y % 2 == 0) << y;

    image.Fill(0);
    raster.SetScanDoubling(false);
    for (int count : {-1, 0, 2, 9, 1000}) {
        poly = PixelPoly(image.View(), kRasterFlat, {{0, 0}, {16, 0}, {16, 12}, {0, 12}});
        poly.count = count;
        raster.DrawPoly(&poly);
    }
    EXPECT_EQ(image.Get(5, 5), 0u);
    EXPECT_TRUE(image.MarginIntact());
}
