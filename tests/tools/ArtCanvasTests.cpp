// The drawing foundation of the artwork generator: the supersampled canvas and its layers, the
// outlines it fills and the way glyph outlines are filled. Faults here show in every picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/support/ImageFixtures.h"
#include "toolkit/core/Quor_Status.h"
#include "tools/artgen/ArtCanvas.h"
#include "tools/artgen/ArtPath.h"
#include "tools/artgen/ArtText.h"

namespace {

using quor_test::PixelAt;

constexpr float kPi = 3.14159265358979f;
constexpr rgb_color kSolid{255, 255, 255, 255};

// The covered area in picture pixels: the sum of the reduced alpha.
double Area(const ArtCanvas& canvas)
{
    Quor_BaseImage out;
    if (canvas.Reduce(&out) != QUOR_OK)
        return -1.0;
    double sum = 0.0;
    for (int y = 0; y < out.Height(); y++)
        for (int x = 0; x < out.Width(); x++)
            sum += double(out.Image().Row32(y)[x] & 255) / 255.0;
    return sum;
}

// One sample of the canvas (scale 1), as a colour.
rgb_color Sample(const ArtCanvas& canvas, int x, int y)
{
    return PixelAt(canvas.Samples(), x, y);
}

// Fault: layers composed by a rule other than straight-alpha "over": half-clear work over half-
// clear work comes out too dark, too light or too solid, a clear layer changes what is below, and
// a translucent layer over a clear canvas takes on the clear samples' black.
TEST(ArtCanvasTest, LayersComposeWithStraightAlpha)
{
    const struct {
        const char* what;
        rgb_color below, above;
        float opacity;
        rgb_color expected;
    } cases[] = {
        {"solid over clear", {0, 0, 0, 0}, {10, 200, 30, 255}, 1.0f, {10, 200, 30, 255}},
        {"clear over solid", {10, 200, 30, 255}, {255, 0, 0, 0}, 1.0f, {10, 200, 30, 255}},
        {"half over solid", {0, 0, 200, 255}, {200, 0, 0, 255}, 0.5f, {100, 0, 100, 255}},
        {"half over half", {0, 0, 200, 128}, {200, 0, 0, 128}, 1.0f, {133, 0, 67, 192}},
        {"solid at a quarter over clear", {0, 0, 0, 0}, {40, 80, 120, 255}, 0.25f, {40, 80, 120, 64}},
    };
    for (const auto& c : cases) {
        ArtCanvas below, above;
        ASSERT_EQ(below.Init(1, 1, 1), QUOR_OK);
        ASSERT_EQ(above.InitLike(below), QUOR_OK);
        below.Clear(c.below);
        above.Clear(c.above);
        below.Over(above, c.opacity);
        const rgb_color got = Sample(below, 0, 0);
        for (int i = 0; i < 4; i++)
            EXPECT_NEAR((&got.red)[i], (&c.expected.red)[i], 1) << c.what << ": " << quor_test::Text(got);
    }
}

// Fault: a canvas of no size, no scale or a scale whose samples would not fit is allocated anyway
// (or divides by zero when reduced) instead of being refused.
TEST(ArtCanvasTest, RefusesUnusableSizes)
{
    const int sizes[][3] = {{0, 4, 2}, {4, 0, 2}, {4, 4, 0}, {-3, 4, 2}, {1 << 19, 4, 4}};
    for (const auto& s : sizes) {
        ArtCanvas canvas;
        EXPECT_EQ(canvas.Init(s[0], s[1], s[2]), QUOR_ERR_ARGUMENT) << s[0] << " x " << s[1] << " at " << s[2];
        Quor_BaseImage out;
        EXPECT_EQ(canvas.Reduce(&out), QUOR_ERR_ARGUMENT);
    }
}

// Fault: an outline that crosses itself (a stroke's end turned the wrong way, an arc band whose
// inner edge runs the same way as its outer one) is cut open by the even-odd fill, and a curve
// flattened too coarsely loses area; either shows as holes or dents in the pictures.
TEST(ArtPathTest, ShapesCoverTheirArea)
{
    const float r = 5.0f;
    const double stroke = kPi * 4.0 + 4.0 * std::sqrt(20.0 * 20.0 + 12.0 * 12.0), band = 0.75 * kPi * (11.5 * 11.5 - 8.5 * 8.5);
    const struct {
        const char* what;
        ArtContour shape;
        double area;
    } cases[] = {
        {"circle", ArtPath::Circle({16.0f, 16.0f}, 9.5f), kPi * 9.5 * 9.5},
        {"ellipse", ArtPath::Ellipse({16.0f, 16.0f}, 12.0f, 6.0f), kPi * 12.0 * 6.0},
        {"rounded rectangle", ArtPath::RoundedRect(3.0f, 5.0f, 29.0f, 25.0f, r), 26.0 * 20.0 - (4.0 - kPi) * r * r},
        {"stroke across", ArtPath::Capsule({6.0f, 10.0f}, {26.0f, 22.0f}, 4.0f), stroke},
        {"stroke back", ArtPath::Capsule({26.0f, 22.0f}, {6.0f, 10.0f}, 4.0f), stroke},
        {"arc band turning left", ArtPath::ArcBand({16.0f, 16.0f}, 10.0f, 3.0f, 0.0f, 1.5f * kPi), band},
        {"arc band turning right", ArtPath::ArcBand({16.0f, 16.0f}, 10.0f, 3.0f, kPi, -0.5f * kPi), band},
        {"arrow head", ArtPath::ArrowHead({28.0f, 16.0f}, {1.0f, 0.0f}, 12.0f, 10.0f), 60.0},
    };
    for (const auto& c : cases) {
        ArtCanvas canvas;
        ASSERT_EQ(canvas.Init(32, 32, 8), QUOR_OK);
        canvas.Fill(c.shape, kSolid);
        EXPECT_NEAR(Area(canvas), c.area, c.area * 0.015) << c.what;
    }
}

// Fault: glyph outlines filled by the even-odd rule: where two outer outlines overlap (the tail
// of a "Q" across its bowl, the joins of accented letters) the overlap is cut out. Outer outlines
// must join, and only outlines running the other way are holes.
TEST(ArtTextTest, OverlappingOutlinesJoinAndCountersCut)
{
    const ArtContour outer = ArtPath::Rect(2.0f, 2.0f, 12.0f, 12.0f);
    const ArtContour overlapping = ArtPath::Rect(8.0f, 8.0f, 18.0f, 18.0f);
    ArtContour hole = ArtPath::Rect(4.0f, 4.0f, 6.0f, 6.0f);
    std::reverse(hole.begin(), hole.end());
    ArtCanvas canvas;
    ASSERT_EQ(canvas.Init(20, 20, 2), QUOR_OK);
    ArtText::Fill(&canvas, {outer, overlapping, hole}, kSolid);
    EXPECT_NEAR(Area(canvas), 100.0 + 100.0 - 16.0 - 4.0, 0.5);
    EXPECT_EQ(Sample(canvas, 20, 20).alpha, 255) << "the overlap is cut out";
    EXPECT_EQ(Sample(canvas, 10, 10).alpha, 0) << "the counter is filled";
}

}  // namespace
