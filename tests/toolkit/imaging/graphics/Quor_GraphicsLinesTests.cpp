// Lines of the graphics context: clipping, end points, pen widths, huge coordinates and
// anti-aliased coverage.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "tests/support/GraphicsCanvas.h"
#include "toolkit/imaging/graphics/Quor_AntialiasTables.h"

using namespace quor_test;

namespace {

constexpr uint32_t kWhitePx = 0xFFFFFFFFu;

}  // namespace

// Catches a Bresenham walk that drops an endpoint, or that depends on the direction the
// segment is given in (a line redrawn backwards would leave pixels of the old one).
TEST(QuorGraphics, EndpointsDrawnAndDirectionIrrelevant)
{
    const unsigned seed = 20240611;
    std::printf("seed %u\n", seed);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> x(-10, 60), y(-10, 50);
    for (int i = 0; i < 300; i++) {
        const int x1 = x(rng), y1 = y(rng), x2 = x(rng), y2 = y(rng);
        GraphicsCanvas a(50, 40), b(50, 40);
        a.Pen(kBlack).DrawLine(float(x1), float(y1), float(x2), float(y2));
        b.Pen(kBlack).DrawLine(float(x2), float(y2), float(x1), float(y1));
        for (int py = 0; py < 40; py++)
            for (int px = 0; px < 50; px++)
                ASSERT_EQ(a.At(px, py), b.At(px, py)) << x1 << "," << y1 << " " << x2 << "," << y2;
        for (const auto& [ex, ey] : {std::pair{x1, y1}, {x2, y2}})
            EXPECT_TRUE(ex < 0 || ex >= 50 || ey < 0 || ey >= 40 || a.At(ex, ey) == Px(0, 0, 0)) << ex << "," << ey;
    }
    GraphicsCanvas dot(5, 5);
    dot.Pen(kBlack).DrawLine(2, 2, 2, 2);
    EXPECT_EQ(dot.CountNot(kWhitePx), 1);
}

// Catches hollow dots from wide pens, markers of the wrong size, and thick lines that vanish when
// they run along the clip edge (the pen's width and offset are pinned by the line pictures).
TEST(QuorGraphics, SquarePenWidths)
{
    GraphicsCanvas dot(20, 20), mk(20, 20), f(30, 20);
    dot.Pen(kBlack, 5).DrawLine(10, 10, 10, 10);
    EXPECT_EQ(dot.CountNot(kWhitePx), 25);

    // Markers: an outlined and a filled square, 2 * size + 1 wide.
    mk.Pen(kBlack).DrawMarker(5, 5, 2);
    mk.g.DrawFatMarker(14, 14, 2);
    EXPECT_TRUE(mk.CountNot(kWhitePx) == 16 + 25 && mk.At(5, 5) == kWhitePx);

    // A frame of the whole area with pen 2 keeps all four sides.
    f.Pen(kBlack, 2).FrameRect(Quor_Rect(0, 0, 29, 19));
    for (const Quor_Point& p : {Quor_Point(0, 10), Quor_Point(15, 0), Quor_Point(29, 10), Quor_Point(15, 19)})
        EXPECT_EQ(f.At(p.x, p.y), Px(0, 0, 0)) << p.x << "," << p.y;
}

// Catches float-to-int conversion of huge, infinite or NaN coordinates (UB under UBSan) and line
// walks that run for billions of steps when a zoom sends the ends far off the target.
TEST(QuorGraphics, HugeAndNonFiniteCoordinatesFinishQuickly)
{
    // A walk of billions of steps shows as the test running into its time limit.
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    for (int pen : {1, 3}) {
        for (bool smooth : {false, true}) {
            GraphicsCanvas c(64, 48, kWhite, 4);
            c.Pen(kBlack, pen, smooth).DrawLine(-1e9f, 20, 1e9f, 20);
            // The first line crosses the whole row.
            EXPECT_TRUE(smooth || (c.At(0, 20) == Px(0, 0, 0) && c.At(63, 20) == Px(0, 0, 0)));
            c.g.DrawLine(-1e9f, -1e9f, 1e9f, 1e9f);
            c.g.DrawLine(3e38f, -3e38f, -3e38f, 3e38f);
            c.g.DrawLine(-inf, 5, inf, 5);
            c.g.DrawLine(nan, 5, 10, 5);
            c.g.DrawLine(10, 10, 10, inf);
            c.g.DrawMarker(1e30f, -1e30f);
            c.g.Blit(c.g.Image(), 1e30f, nan);
            c.g.FillRect(Quor_Rect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
            Quor_Vector2 curve[4] = {{-1e20f, 0}, {1e20f, 1e20f}, {nan, 3}, {inf, -inf}};
            c.g.DrawBezier(curve);
            c.g.BeginShape();
            c.g.AddLine(Quor_Vector2(-1e12f, -1e12f), Quor_Vector2(1e12f, 30));
            c.g.AddLine(Quor_Vector2(1e12f, 30), Quor_Vector2(5, 1e15f));
            c.g.AddBezier(curve);
            c.g.EndShape();
            // A zoom beyond any sensible value on the view.
            c.g.SetViewZoom(1e30f);
            c.g.BeginDraw();
            c.g.DrawLine(-3, -2, 5, 7);
            c.g.FrameOval(Quor_Rect(-3, -3, 3, 3));
            c.g.FillRoundedRect(Quor_Rect(-3, -3, 3, 3), 2);
            EXPECT_TRUE(c.Intact());
        }
    }
}

// Catches a segment that reaches behind the viewer being divided by a negative w, which folds
// its far end back onto the target.
TEST(QuorGraphics, NearPlaneCutKeepsOnlyTheVisiblePart)
{
    GraphicsCanvas c(200, 50);
    c.Pen(kBlack);
    Quor_Matrix m;   // w' = 1 + 0.01 x: points left of x = -100 lie behind the viewer
    m.m[3] = 0.01f;
    c.g.ApplyMatrix(m);
    c.g.DrawLine(10, 10, -300, -20);   // the far end would project to (150, 10)
    c.g.DrawLine(-200, 10, -300, 20);   // wholly behind
    const Quor_Rect ink = c.Extent(kWhitePx);
    EXPECT_TRUE(ink.left <= ink.right && ink.right <= 12) << ink.left << " to " << ink.right;
}

// Catches anti-aliasing that departs from the coverage tables (the profile across a horizontal
// line and its dimmed ends) and above all the alpha a line leaves on a transparent image: it must
// equal the coverage, or text and icons drawn there lose their edges. Slopes, translucent colours
// and the tables' own values are pinned by the smoothed golden pictures.
TEST(QuorGraphics, AntialiasedCoverageFollowsTheTables)
{
    const auto& t = Quor_AntialiasTables::Get();
    auto coverage = [&](int d, int slope, int end) { return (t.filter_table[d] * slope * end) >> 16; };

    GraphicsCanvas c(48, 24, kClear);
    c.Pen(kWhite, 1, true).DrawLine(5, 10, 40, 10);
    for (int x = 6; x <= 39; x++) {
        // Alpha of rows 8 to 12, and (on transparent black the colour is the coverage too) red of row 10.
        EXPECT_EQ((std::array{c.At(x, 8), c.At(x, 9) & 255, c.At(x, 10) & 255, c.At(x, 11) & 255, c.At(x, 12),
                      Quor_PixelConvert::Red(c.At(x, 10))}),
            (std::array<uint32_t, 6>{0, uint32_t(coverage(32, 181, 256)), uint32_t(coverage(0, 181, 256)),
                uint32_t(coverage(32, 181, 256)), 0, uint32_t(coverage(0, 181, 256))})) << x;
    }
    EXPECT_EQ((std::array{c.At(5, 10) & 255, c.At(40, 10) & 255, c.At(4, 10)}),
        (std::array<uint32_t, 3>{uint32_t(coverage(0, 181, 128)), uint32_t(coverage(0, 181, 128)), 0}));
}

// Catches anti-aliased drawing that only knows 32-bit pixels and writes 16 or 8-bit targets as
// words (ASan sees the overrun).
TEST(QuorGraphics, AntialiasingOnSmallerDepths)
{
    for (int bits : {8, 15, 16, 24}) {
        Quor_BaseImage img;
        ASSERT_EQ(img.Initialize(21, 13, bits), QUOR_OK);
        img.Clear(kWhite);
        Quor_Graphics g(img);
        g.SetColor(kBlack);
        g.SetSmoothing(true);
        g.DrawLine(-5, -3, 30, 20);
        g.SetPenWidth(4);
        g.DrawLine(0, 12, 20, 0);
        g.FillOval(Quor_Rect(2, 2, 18, 10));
        EXPECT_NE(g.PixelColor(10, 6).red, 255) << bits;
    }
}
