// Golden pictures of the graphics context, 64 x 48 each, kept in golden/ next to this file.
// Each one shows a family of primitives whose pixel rules are easy to break without any single
// numeric test noticing (rounding of ends, coverage at curve joins, clip edges).

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/support/GraphicsCanvas.h"
#include "tests/support/GoldenImage.h"

using namespace quor_test;

namespace {

constexpr float kPi = 3.14159265f;

std::string Golden(const char* name)
{
    return std::string("tests/toolkit/imaging/graphics/golden/") + name + ".png";
}

// The line family both line pictures share: a star of thin lines, then a pen-2 and a pen-3 line.
void LineFamily(GraphicsCanvas& c, bool smooth)
{
    c.Pen(kBlack, 1, smooth);
    for (int deg = 0; deg < 360; deg += 20)
        c.g.DrawLine(20, 20, 20 + 17 * std::cos(deg * kPi / 180.0f), 20 + 17 * std::sin(deg * kPi / 180.0f));
    c.Pen(kRed, 2, smooth).DrawLine(42, 5, 60, 12);
    c.Pen(kBlue, 3, smooth).DrawLine(42, 20, 58, 42);
}

}  // namespace

// Catches changes in Bresenham stepping, end rounding and the square pen's placement.
TEST(QuorGraphics, LinesPlain)
{
    GraphicsCanvas c(64, 48);
    LineFamily(c, false);
    c.g.MoveTo(6, 44);
    c.g.LineTo(30, 40);
    c.g.LineTo(40, 46);
    EXPECT_GOLDEN(c.inner, Golden("lines_plain"), 0);
}

// Catches changes in the anti-aliased line coverage (profile, slope correction, dimmed ends)
// and in the capsules of wide smoothed lines.
TEST(QuorGraphics, LinesSmooth)
{
    GraphicsCanvas c(64, 48);
    LineFamily(c, true);
    c.Pen(rgb_color{0, 128, 0, 160}, 1, true).MoveTo(4, 44);
    c.g.LineTo(30.0f, 40.5f);
    c.g.LineTo(40, 46);
    EXPECT_GOLDEN(c.inner, Golden("lines_smooth"), 0);
}

// Catches changes in the oval's Bezier quarters, the shape's coverage bounds and the softened
// outline that anti-aliased round widgets rely on.
TEST(QuorGraphics, FillOvalSmoothing)
{
    GraphicsCanvas c(64, 48);
    c.Pen(rgb_color{40, 60, 160, 255}).FillOval(Quor_Rect(2, 3, 29, 30));
    c.Pen(rgb_color{40, 60, 160, 255}, 1, true).FillOval(Quor_Rect(34, 3, 61, 30));
    c.Pen(rgb_color{200, 40, 40, 255}, 1, true).FillOval(Quor_Rect(4, 33, 40, 45));
    c.g.FillCircle(Quor_Vector2(52, 39), 6.5f);
    EXPECT_GOLDEN(c.inner, Golden("oval_fill_smooth"), 0);
}

// Catches changes in outlined ovals and circles, plain, smoothed and with a wide pen.
TEST(QuorGraphics, FrameOval)
{
    GraphicsCanvas c(64, 48);
    c.Pen(kBlack).FrameOval(Quor_Rect(2, 2, 29, 22));
    c.Pen(kBlack, 1, true).FrameOval(Quor_Rect(34, 2, 61, 22));
    c.g.FrameOval(Quor_Rect(4, 30, 12, 38));   // the pivot marker's size
    c.Pen(kBlue, 3, true).FrameCircle(Quor_Vector2(44, 35), 9);
    EXPECT_GOLDEN(c.inner, Golden("oval_frame"), 0);
}

// Catches changes in the rounded rectangle's control points and straight edges, filled and
// outlined.
TEST(QuorGraphics, RoundedRect)
{
    GraphicsCanvas c(64, 48);
    c.Pen(rgb_color{90, 150, 220, 255}).FillRoundedRect(Quor_Rect(3, 3, 30, 20), 6);
    c.Pen(rgb_color{90, 150, 220, 255}, 1, true).FillRoundedRect(Quor_Rect(34, 3, 60, 20), 6);
    c.Pen(kBlack, 1, true).FrameRoundedRect(Quor_Rect(34, 3, 60, 20), 6);
    c.g.FrameRoundedRect(Quor_Rect(3, 25, 60, 44), 9);
    c.Pen(kBlack).FrameRoundedRect(Quor_Rect(8, 29, 30, 40), 4);
    EXPECT_GOLDEN(c.inner, Golden("rounded_rect"), 0);
}

// Catches a vertical gradient running the wrong way or missing its last row, and corners that
// take the gradient outside the rounded shape.
TEST(QuorGraphics, GradientVertical)
{
    GraphicsCanvas c(64, 48, rgb_color{230, 230, 230, 255});
    c.g.RoundedGradientFill(Quor_Rect(3, 3, 30, 44), 8, true, rgb_color{250, 250, 250, 255}, rgb_color{120, 140, 200, 255});
    c.g.RoundedGradientFill(Quor_Rect(34, 3, 60, 44), 0, true, rgb_color{255, 0, 0, 255}, rgb_color{0, 0, 255, 255});
    c.Pen(rgb_color{60, 60, 60, 255}, 1, true).FrameRoundedRect(Quor_Rect(3, 3, 30, 44), 8);
    EXPECT_GOLDEN(c.inner, Golden("gradient_vertical"), 0);
}

// Catches a horizontal gradient computed per row, or one that stops short of the last column.
TEST(QuorGraphics, GradientHorizontal)
{
    GraphicsCanvas c(64, 48, rgb_color{230, 230, 230, 255});
    c.g.RoundedGradientFill(Quor_Rect(3, 3, 60, 22), 6, false, rgb_color{255, 255, 0, 255}, rgb_color{0, 160, 0, 255});
    c.g.RoundedGradientFill(Quor_Rect(3, 26, 60, 44), 0, false, rgb_color{0, 0, 0, 255}, rgb_color{255, 255, 255, 255});
    EXPECT_GOLDEN(c.inner, Golden("gradient_horizontal"), 0);
}

// Catches changes in Bezier flattening (segment count, joins), thick curves of varying width
// and the noise displacement.
TEST(QuorGraphics, Beziers)
{
    GraphicsCanvas c(64, 48);
    const Quor_Vector2 s[4] = {{3, 40}, {10, 2}, {28, 2}, {30, 40}}, t[4] = {{8, 44}, {20, 20}, {40, 50}, {60, 4}};
    const Quor_Vector2 u[4] = {{34, 8}, {44, 0}, {54, 16}, {62, 24}}, v[4] = {{2, 24}, {20, 30}, {40, 18}, {62, 40}};
    c.Pen(kBlack).DrawBezier(s);
    c.Pen(kBlue, 1, true).DrawBezier(t);
    c.Pen(kRed, 1, true).DrawBezierThick(u, 1.0f, 6.0f);
    c.Pen(rgb_color{0, 140, 0, 255}).EnableBezierNoise(4, 16, 3);
    c.g.DrawBezier(v);
    EXPECT_GOLDEN(c.inner, Golden("beziers"), 0);
}

// Catches primitives that spill over the clip rectangle or treat its edges inconsistently.
TEST(QuorGraphics, ClippedRect)
{
    GraphicsCanvas c(64, 48);
    c.g.SetClipRect(Quor_Rect(10, 8, 53, 39));
    c.Pen(rgb_color{255, 200, 0, 255}).FillRect(Quor_Rect(0, 0, 30, 25));
    c.Pen(rgb_color{0, 0, 255, 110}).FillRect(Quor_Rect(20, 15, 63, 47));
    c.Pen(rgb_color{200, 0, 0, 255}, 1, true).FillOval(Quor_Rect(38, 0, 70, 20));
    c.Pen(kBlack, 1, true).DrawLine(0, 47, 63, 0);
    c.Pen(kBlack).DrawLine(0, 0, 63, 47);
    c.g.ClearClipRect();
    c.Pen(rgb_color{0, 160, 0, 255}).FrameRect(Quor_Rect(9, 7, 54, 40));
    EXPECT_GOLDEN(c.inner, Golden("clipped_rect"), 0);
}

// Catches masks that leak (stripes painted outside the circle written into the mask) or a
// second level that does not narrow the first.
TEST(QuorGraphics, Masks)
{
    GraphicsCanvas c(64, 48);
    c.g.PushMask(false);
    c.g.SetDrawMode(Quor_Graphics::kDrawIntoMask);
    c.g.FillCircle(Quor_Vector2(24, 24), 20);
    c.g.PushMask(true);
    c.g.SetDrawMode(Quor_Graphics::kDrawIntoMask);
    c.g.ClearMask();
    c.g.FillRect(Quor_Rect(0, 0, 63, 30));
    c.g.SetDrawMode(Quor_Graphics::kDrawMasked);
    for (int i = -48; i < 64; i += 6) {
        c.g.SetColor(i % 12 == 0 ? kRed : kBlue);
        c.g.BeginShape();
        const Quor_Vector2 p[4] = {{float(i), 0}, {float(i + 3), 0}, {float(i + 51), 48}, {float(i + 48), 48}};
        for (int k = 0; k < 4; k++)
            c.g.AddLine(p[k], p[(k + 1) % 4]);
        c.g.EndShape();
    }
    c.g.PopMask();
    c.g.SetDrawMode(Quor_Graphics::kDrawMasked);
    c.g.SetColor(rgb_color{0, 150, 0, 255});
    c.g.FillRect(Quor_Rect(30, 32, 63, 47));
    c.g.PopMask();
    EXPECT_GOLDEN(c.inner, Golden("masks"), 0);
}
