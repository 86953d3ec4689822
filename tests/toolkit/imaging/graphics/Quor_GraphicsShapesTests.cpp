// Shapes of the graphics context: rectangles, even-odd fills, curves, flood fill, masks,
// picking, gradients, text placement and blits through the clip.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>

#include "tests/support/GraphicsCanvas.h"
#include "toolkit/imaging/fonts/Quor_Font.h"

using namespace quor_test;

namespace {

constexpr uint32_t kWhitePx = 0xFFFFFFFFu;
constexpr float kPi = 3.14159265f;

}  // namespace

// Catches a rectangle fill one pixel too wide or tall (inclusive edges), a fast path taken while
// the transform rotates, and a shape path whose corner convention differs from the fast one.
TEST(QuorGraphics, FillRectExactAndRotated)
{
    // The fast path, and the shape path (a mask is pushed): the same pixels.
    for (bool masked : {false, true}) {
        GraphicsCanvas c(40, 40);
        c.Pen(kRed);
        if (masked) {
            c.g.PushMask(true);
            c.g.SetDrawMode(Quor_Graphics::kDrawMasked);
        }
        c.g.FillRect(Quor_Rect(10, 10, 19, 19));
        EXPECT_EQ(c.CountValue(Px(255, 0, 0)), 100) << masked;
        EXPECT_EQ(c.Extent(kWhitePx), Quor_Rect(10, 10, 19, 19)) << masked;
    }

    // A fully transparent colour is cleared in by the fast path but blends to nothing in the
    // shape path, which a rotation forces.
    GraphicsCanvas t(40, 40);
    t.g.SetColor(rgb_color{0, 255, 0, 0});
    t.g.FillRect(Quor_Rect(0, 0, 4, 4));
    EXPECT_EQ(t.CountValue(Px(0, 255, 0, 0)), 25);
    t.g.Translate(15, 15);
    t.g.Rotate(0.001f);
    t.g.Translate(-15, -15);
    t.g.FillRect(Quor_Rect(10, 10, 19, 19));
    EXPECT_EQ(t.CountNot(kWhitePx), 25);
    t.g.SetColor(kRed);
    t.g.FillRect(Quor_Rect(10, 10, 19, 19));
    const int rotated = t.CountValue(Px(255, 0, 0));
    EXPECT_TRUE(rotated >= 95 && rotated <= 121) << rotated;
}

// Catches a fill rule other than even-odd (the pentagram's inner pentagon would fill), and rows
// whose crossings are not sorted (spans would run between the wrong pairs).
TEST(QuorGraphics, SelfCrossingShapeFillsEvenOdd)
{
    GraphicsCanvas c(64, 64);
    c.Pen(kBlack);
    Quor_Vector2 star[5];
    for (int i = 0; i < 5; i++) {
        const float a = -kPi / 2 + i * 2 * kPi / 5;
        star[i].Set(32 + 28 * std::cos(a), 33 + 28 * std::sin(a));
    }
    c.g.BeginShape();
    for (int i = 0; i < 5; i++)
        c.g.AddLine(star[(i * 2) % 5], star[(i * 2 + 2) % 5]);
    EXPECT_FALSE(c.g.EndShape());
    // The inner pentagon, the top point and the left point.
    EXPECT_EQ((std::array{c.At(32, 33), c.At(32, 10), c.At(10, 26)}), (std::array{kWhitePx, Px(0, 0, 0), Px(0, 0, 0)}));

    c.g.BeginShape();
    EXPECT_TRUE(c.g.EndShape());
}

// Catches a row whose vertex lies exactly half-way between rows being left unfilled: on a
// straight side the row must be filled like its neighbours, and where flattened curves put such
// vertices on both sides of a shape, both edges meeting there crossed the row (two empty pairs).
TEST(QuorGraphics, HalfRowVerticesCountOnce)
{
    GraphicsCanvas c(40, 50);
    c.Pen(kBlack).BeginShape();
    const Quor_Vector2 p[5] = {{5, 2}, {5, 10.5f}, {5, 25}, {30, 25}, {30, 2}};
    for (int i = 0; i < 5; i++)
        c.g.AddLine(p[i], p[(i + 1) % 5]);
    c.g.EndShape();
    for (int y = 2; y <= 24; y++)
        for (int x = 6; x <= 30; x++)
            ASSERT_EQ(c.At(x, y), Px(0, 0, 0)) << x << "," << y;

    for (int radius : {4, 6, 8, 10}) {
        c.g.Clear(kWhite);
        c.g.FillRoundedRect(Quor_Rect(3, 3, 30, 44), radius);
        for (int y = 3; y <= 43; y++)
            ASSERT_EQ(c.At(16, y), Px(0, 0, 0)) << "radius " << radius << " row " << y;
    }
}

// Catches Bezier flattening with the wrong segment count (odd, zero, or beyond the limit) and a
// degenerate curve that draws more than a point.
TEST(QuorGraphics, BezierSegmentRule)
{
    const Quor_Vector2 same[4] = {{7, 7}, {7, 7}, {7, 7}, {7, 7}};
    // L = 50 + 50 from the ends to the middle of the handles: 20.8 truncates to 20, 21.3 to 21
    // and then to an even 22.
    const Quor_Vector2 arch[4] = {{0, 0}, {50, 0}, {50, 0}, {100, 0}};
    const struct { const Quor_Vector2* curve; float tolerance; int limit, segments; } cases[] = {
        {same, 5.0f, 128, 2}, {arch, 5.0f, 128, 20}, {arch, 4.8f, 128, 20}, {arch, 4.7f, 128, 22},
        {arch, 0.001f, 128, 128}, {arch, 0.0f, 7, 7}, {arch, 5.0f, 1, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(Quor_Graphics::BezierSegments(c.curve, c.tolerance, c.limit), c.segments) << c.tolerance << " " << c.limit;

    GraphicsCanvas c(20, 20);
    c.Pen(kBlack).DrawBezier(same);
    c.Pen(kBlack, 1, true).DrawBezier(same);
    EXPECT_LE(c.CountNot(kWhitePx), 1);
}

// Catches a rounded rectangle whose radius exceeds half its side: its edges fold back and the
// even-odd rule punches holes.
TEST(QuorGraphics, RoundedShapesStayWhole)
{
    GraphicsCanvas c(40, 40);
    c.Pen(kBlack).FillRoundedRect(Quor_Rect(5, 5, 24, 14), 30);
    for (int x = 7; x <= 22; x++)
        ASSERT_EQ(c.At(x, 10), Px(0, 0, 0)) << x;
}

// Catches a recursive flood fill (a region of a million pixels exhausts the stack) and one that
// leaks across a diagonal gap or out of the clip rectangle.
TEST(QuorGraphics, FloodFillLargeRegions)
{
    GraphicsCanvas c(1000, 1000);
    c.Pen(kBlack).DrawLine(0, 500, 999, 500);
    c.Pen(kRed).FloodFill(3, 3);
    EXPECT_TRUE(c.CountValue(Px(255, 0, 0)) == 500 * 1000 && c.At(3, 700) == kWhitePx);

    // A diagonal line keeps a 4-connected fill on its side.
    GraphicsCanvas d(30, 30);
    d.Pen(kBlack).DrawLine(0, 29, 29, 0);
    d.Pen(kBlue).FloodFill(0, 0);
    EXPECT_TRUE(d.At(29, 29) == kWhitePx && d.At(0, 0) == Px(0, 0, 255));

    GraphicsCanvas e(30, 30);
    e.Pen(kBlue).SetClipRect(Quor_Rect(5, 5, 9, 9));
    e.g.FloodFill(6, 6);
    EXPECT_EQ(e.CountValue(Px(0, 0, 255)), 25);
    e.g.FloodFill(20, 20);   // outside the clip
    EXPECT_EQ(e.CountValue(Px(0, 0, 255)), 25);
}

// Catches picking that reports hits without a change, misses a line through the point, or leaves
// the drawn object in the image.
TEST(QuorGraphics, PickingRestoresTheBox)
{
    GraphicsCanvas c(40, 30);
    c.g.BeginPicking(Quor_Point(20, 15));
    EXPECT_FALSE(c.g.Pick());
    c.g.BeginPicking(Quor_Point(20, 15));
    c.Pen(kBlack).DrawLine(0, 0, 39, 29);
    EXPECT_TRUE(c.g.Pick());
    for (int y = 12; y <= 18; y++)
        for (int x = 17; x <= 23; x++)
            EXPECT_EQ(c.At(x, y), kWhitePx);
    EXPECT_EQ(c.At(0, 0), Px(0, 0, 0));   // outside the box the line stays
    c.g.BeginPicking(Quor_Point(40, 3));
    c.g.DrawLine(0, 3, 39, 3);
    EXPECT_FALSE(c.g.Pick());
}

// Catches drawing that does not grow the bounding box, or a box not clamped to the target.
TEST(QuorGraphics, BoundingBoxGrowsWithDrawing)
{
    GraphicsCanvas c(40, 30);
    float x0, y0, x1, y1;
    c.g.UseBBox(true);
    c.g.ClearBBox();
    EXPECT_FALSE(c.g.GetBBox(&x0, &y0, &x1, &y1));
    c.g.DrawLine(10, 12, 20, 15);
    c.g.FillRect(Quor_Rect(30, 2, 60, 4));
    ASSERT_TRUE(c.g.GetBBox(&x0, &y0, &x1, &y1));
    EXPECT_TRUE(x0 <= 10.0f && y0 <= 2.0f && x1 == 40.0f && y1 >= 15.0f && y1 < 18.0f)
        << x0 << ", " << y0 << ", " << x1 << ", " << y1;
}

// Catches the one-row gradient dividing 0 by 0 (NaN to int) and black pixels outside the clip
// taking gradient colours; directions and rounded corners are pinned by the golden pictures.
TEST(QuorGraphics, GradientFillEnds)
{
    GraphicsCanvas c(20, 12, kBlack);
    c.g.SetClipRect(Quor_Rect(0, 0, 19, 5));
    c.g.RoundedGradientFill(Quor_Rect(2, 0, 17, 11), 0, true, kRed, kBlue);
    EXPECT_EQ(c.Extent(Px(0, 0, 0)), Quor_Rect(2, 0, 17, 5));
    c.g.ClearClipRect();
    c.g.RoundedGradientFill(Quor_Rect(0, 8, 19, 8), 0, true, kRed, kBlue);
    c.g.RoundedGradientFill(Quor_Rect(5, 10, 5, 11), 0, false, kRed, kBlue);
    EXPECT_TRUE(c.At(10, 8) == Px(255, 0, 0) && c.At(5, 10) == Px(255, 0, 0) && c.At(5, 11) == Px(255, 0, 0));
}

// Catches text placed by the wrong arithmetic (centring by the character count instead of the
// pixel width, the two alignments swapped, the inverted sense of the alignments at the pen),
// text drawn without a font, and text outside the clip.
TEST(QuorGraphics, DrawStringAlignment)
{
    std::unique_ptr<Quor_Font> font(Quor_Font::GetBitmapFontEmbedded(0));
    ASSERT_TRUE(font);
    const char* text = "Wii";
    const int width = font->StringWidth(text);

    GraphicsCanvas c(100, 40), k(100, 40);
    c.Pen(kBlack).DrawString(text, Quor_Rect(0, 0, 99, 39), QUOR_ALIGN_CENTER, QUOR_ALIGN_CENTER);
    EXPECT_EQ(c.CountNot(kWhitePx), 0);   // no font
    c.g.SetFont(font.get());
    c.g.DrawString(text, Quor_Rect(0, 0, 99, 29), QUOR_ALIGN_CENTER, QUOR_ALIGN_BOTTOM);
    const Quor_Rect ink = c.Extent(kWhitePx);
    // The pen starts at 50 - width / 2 and the ink sits inside the advance; the baseline lies on
    // the bottom row, so letters without descenders end just above it.
    EXPECT_TRUE(ink.left >= 50 - width / 2 - 1 && ink.right <= 50 - width / 2 + width && ink.bottom == 28)
        << ink.left << ", " << ink.top << ", " << ink.right << ", " << ink.bottom;
    // At the pen, "right" starts there and "left" ends there; "bottom" hangs below the pen.
    c.g.Clear(kWhite);
    c.g.MoveTo(50, 20);
    c.g.DrawString(text, QUOR_ALIGN_RIGHT, QUOR_ALIGN_TOP);
    EXPECT_TRUE(c.Extent(kWhitePx).left >= 49 && c.Extent(kWhitePx).bottom <= 21);
    c.g.Clear(kWhite);
    c.g.MoveTo(50, 5);
    c.g.DrawString(text, QUOR_ALIGN_LEFT, QUOR_ALIGN_BOTTOM);
    EXPECT_TRUE(c.Extent(kWhitePx).right <= 50 && c.Extent(kWhitePx).top >= 4);   // unmoved it would end above row 5
    k.Pen(kBlack).SetFont(font.get());
    k.g.SetClipRect(Quor_Rect(0, 0, 49, 39));
    k.g.DrawString("WWWWWWWWWW", Quor_Rect(0, 0, 99, 39), QUOR_ALIGN_CENTER, QUOR_ALIGN_CENTER);
    EXPECT_LE(k.Extent(kWhitePx).right, 49);
}

// Catches blits placed in target coordinates instead of clip-relative ones, and stretching that
// ignores the zoom.
TEST(QuorGraphics, BlitsGoThroughTheClip)
{
    Quor_BaseImage src;
    ASSERT_EQ(src.Initialize(5, 5, 32), QUOR_OK);
    src.Clear(kRed);
    GraphicsCanvas c(40, 40);
    c.g.SetClipRect(Quor_Rect(10, 10, 29, 29));
    c.g.Blit(src, 8, 8);
    EXPECT_EQ(c.Extent(kWhitePx), Quor_Rect(10, 10, 12, 12));

    GraphicsCanvas s(40, 40);
    s.g.SetViewZoom(2.0f);
    s.g.BeginDraw();
    s.g.StretchBlit(src, 3, 4, 5, 5, false);
    EXPECT_EQ(s.Extent(kWhitePx), Quor_Rect(6, 8, 14, 16));
}
