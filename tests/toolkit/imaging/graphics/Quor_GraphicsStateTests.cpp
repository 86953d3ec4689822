// The graphics context's state: view set-up, the transform stack, attaching, clipping and the
// draw mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>

#include "tests/support/GraphicsCanvas.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/fonts/Quor_Font.h"

using namespace quor_test;

// Catches a view set-up whose calls run in the wrong order (offset applied after the zoom, or the
// normalised mapping without its y flip), and view settings that act before BeginDraw.
TEST(QuorGraphics, ViewModesMapWorldToPixels)
{
    GraphicsCanvas c(400, 200);
    auto screen = [&c](float x, float y) {
        Quor_Point p(-1, -1);
        return c.g.WorldToScreen(Quor_Vector2(x, y), p) ? p : Quor_Point(-99, -99);
    };
    c.g.SetViewMode(QUOR_VIEW_NORMALIZED);
    EXPECT_EQ(screen(1, 1), Quor_Point(1, 1));   // not yet: BeginDraw applies it
    c.g.BeginDraw();
    EXPECT_EQ(screen(0, 0), Quor_Point(200, 100));
    EXPECT_EQ(screen(1, 1), Quor_Point(300, 0));
    Quor_Vector2 n;
    EXPECT_TRUE(c.g.WorldToScreen(Quor_Vector2(0.5f, -0.25f), n));
    EXPECT_TRUE(std::fabs(n.x - 0.5f) <= 1e-5f && std::fabs(n.y + 0.25f) <= 1e-5f) << n.x << ", " << n.y;

    c.g.SetViewMode(QUOR_VIEW_PIXELS);
    c.g.SetViewZoom(2.0f);
    c.g.SetViewOffset(10.0f, 0.0f);
    c.g.BeginDraw();
    EXPECT_EQ(screen(0, 0), Quor_Point(20, 0));
    Quor_Point q;
    c.g.WorldToScreen(Quor_Vector2(0, 0), &q, 1.0f, 2.0f, 3.0f);
    EXPECT_EQ(q, Quor_Point(63, 6));
    EXPECT_NEAR(c.g.CurrentScale(false), 2.0f, 1e-3f);

    c.g.SetViewZoom(1.0f);
    c.g.SetViewOffset(0.0f, 0.0f);
    c.g.SetViewRotation(0.3f);
    c.g.BeginDraw();
    EXPECT_FALSE(c.g.AxisAligned());
    EXPECT_NEAR(c.g.CurrentScale(false, Quor_Vector2(40, 7)), 1.0f, 1e-3f);
}

// Catches a transform stack that overruns its 32 levels, loses the bottom matrix after too many
// pops, or forgets a rotation's effect on the fast paths once it is popped.
TEST(QuorGraphics, PushPopStackLimits)
{
    GraphicsCanvas c(64, 48);
    c.g.Translate(5, 7);
    for (int i = 0; i < 40; i++) {
        c.g.Push();
        c.g.Translate(1, 0);
    }
    EXPECT_EQ(c.g.TransformLevel(), Quor_Graphics::kTransformLevels - 1);
    c.g.Rotate(0.5f);
    EXPECT_FALSE(c.g.AxisAligned());
    for (int i = 0; i < 40; i++)
        c.g.Pop();
    EXPECT_TRUE(c.g.TransformLevel() == 0 && c.g.AxisAligned());
    // Every Translate(1, 0) acted on a level above the bottom, which still holds (5, 7).
    Quor_Point p;
    c.g.WorldToScreen(Quor_Vector2(0, 0), p);
    EXPECT_EQ(p, Quor_Point(5, 7));
}

// Catches an inverse that is not the inverse of the drawing transform, and points behind the
// viewer reported as visible.
TEST(QuorGraphics, ScreenToWorldAndBehindTheViewer)
{
    GraphicsCanvas c(120, 80);
    c.g.SetViewMode(QUOR_VIEW_NORMALIZED);
    c.g.SetViewZoom(1.7f);
    c.g.SetViewRotation(0.4f);
    c.g.SetViewOffset(0.2f, -0.1f);
    c.g.BeginDraw();
    const Quor_Point pts[] = {{0, 0}, {119, 79}, {60, 40}, {13, 71}};
    for (const Quor_Point& s : pts) {
        Quor_Vector2 w;
        c.g.ScreenToWorld(s, w);
        Quor_Point back;
        ASSERT_TRUE(c.g.WorldToScreen(w, back));
        EXPECT_EQ(back, s);
    }

    Quor_Matrix flip;   // w' = -1: everything lies behind
    flip.m[15] = -1.0f;
    c.g.ApplyMatrix(flip);
    Quor_Point p;
    Quor_Vector2 n;
    EXPECT_FALSE(c.g.WorldToScreen(Quor_Vector2(0, 0), p));
    EXPECT_EQ(p, Quor_Point(-10, -10));
    EXPECT_FALSE(c.g.WorldToScreen(Quor_Vector2(0, 0), n));
    EXPECT_EQ(n, Quor_Vector2(-2.0f, 1.1f));
    c.g.DrawLine(0, 0, 1, 1);
    c.g.Blit(c.g.Image(), 0, 0);
    EXPECT_EQ(c.CountNot(Px(255, 255, 255)), 0);
}

// Catches attaching to records that cannot be drawn on (null, no pixels, rows shorter than the
// width) and a detached context that still writes.
TEST(QuorGraphics, AttachRefusesUnusableRecords)
{
    Quor_Graphics g;
    EXPECT_EQ(g.AttachToImage(nullptr), QUOR_ERR_ARGUMENT);
    Quor_image none;
    EXPECT_EQ(g.AttachToImage(&none), QUOR_ERR_ARGUMENT);
    Quor_BaseImage img;
    ASSERT_EQ(img.Initialize(10, 10, 32), QUOR_OK);
    Quor_image shortRows = img.Image();
    shortRows.rowBytes = 8;
    EXPECT_EQ(g.AttachToImage(&shortRows), QUOR_ERR_ARGUMENT);
    EXPECT_EQ(g.Image(), nullptr);
    g.FillRect(Quor_Rect(0, 0, 9, 9));
    g.DrawLine(0, 0, 9, 9);
    g.PushMask(true);
    EXPECT_EQ(g.MaskDepth(), 0);
    EXPECT_TRUE(g.AttachToImage(img) == QUOR_OK && g.Width() == 10);
}

// Catches a clip larger than the canvas clamped one pixel too far (or not at all), which let
// fills, lines, curves, blits and text reach one pixel past the right and bottom edges, a clamp
// one pixel too short, which left the last row and column undrawn, and line clipping that writes
// past an image or clip edge for thin and square pens, with and without smoothing.
TEST(QuorGraphics, ClipRectsReachingPastTheTargetStopAtItsLastRowAndColumn)
{
    constexpr int kW = 40, kH = 30;
    std::unique_ptr<Quor_Font> font(Quor_Font::GetBitmapFontEmbedded(0));
    ASSERT_NE(font, nullptr);
    Quor_BaseImage picture;
    Fill(&picture, 70, 60, Px(0, 128, 255, 200));
    const Quor_Vector2 curve[4] = {{-10, 35}, {20, -20}, {30, 60}, {50, 29}};
    using Draw = void (*)(Quor_Graphics&, const Quor_image&, const Quor_Vector2*);
    const std::pair<const char*, Draw> primitives[] = {
        {"fill", [](Quor_Graphics& g, const Quor_image&, const Quor_Vector2*) { g.FillRect(Quor_Rect(-99, -99, 99, 99)); }},
        {"lines", [](Quor_Graphics& g, const Quor_image&, const Quor_Vector2*) {
             for (int pen : {1, 2, 3, 6}) {
                 for (bool smooth : {false, true}) {
                     g.SetPenWidth(pen);
                     g.SetSmoothing(smooth);
                     for (int deg = 0; deg < 360; deg += 7)   // a star leaving through every edge
                         g.DrawLine(20, 14, 20 + 90 * std::cos(deg * 0.0174533f), 14 + 90 * std::sin(deg * 0.0174533f));
                     g.DrawLine(-5, kH - 0.6f, kW + 5, kH - 0.6f);
                     g.DrawLine(kW - 0.6f, -5, kW - 0.6f, kH + 5);
                     g.DrawLine(kW + 3, kH + 3, -3, -3);
                     g.DrawLine(kW, 0, kW, kH);
                 }
             }
         }},
        {"frames", [](Quor_Graphics& g, const Quor_image&, const Quor_Vector2*) {
             g.FrameRect(Quor_Rect(0, 0, kW, kH));
             g.FrameRect(Quor_Rect(-1, -1, kW, kH));
             g.FrameOval(Quor_Rect(-10, -10, kW + 9, kH + 9));
             g.FrameRoundedRect(Quor_Rect(1, 1, kW, kH), 6);
             g.DrawFatMarker(kW - 1, kH - 1, 5);
         }},
        {"shapes", [](Quor_Graphics& g, const Quor_image&, const Quor_Vector2*) {
             g.FillOval(Quor_Rect(-20, -20, kW + 19, kH + 19));
             g.FillRoundedRect(Quor_Rect(5, 5, kW + 5, kH + 5), 8);
             g.FillCircle(Quor_Vector2(kW, kH), 9.5f);
             g.RoundedGradientFill(Quor_Rect(-5, -5, kW + 5, kH + 5), 4, true, kRed, kBlue);
         }},
        {"curves", [](Quor_Graphics& g, const Quor_image&, const Quor_Vector2* c) {
             g.SetPenWidth(3);
             g.DrawBezier(c);
             g.DrawBezierThick(c, 2.0f, 9.0f);
         }},
        {"blits", [](Quor_Graphics& g, const Quor_image& picture, const Quor_Vector2*) {
             g.Blit(&picture, -5, -5);
             g.BlitAlpha(&picture, 3, 2, true);
             g.StretchBlit(&picture, -10, -10, kW + 30, kH + 30, true);
         }},
        {"flood", [](Quor_Graphics& g, const Quor_image&, const Quor_Vector2*) { g.FloodFill(kW - 1, kH - 1); }},
    };
    // Clips beyond every edge, one past the right and bottom only, and partly outside.
    const Quor_Rect clips[] = {Quor_Rect(-10, -10, kW + 9, kH + 9), Quor_Rect(0, 0, kW, kH),
                               Quor_Rect(-1, -1, kW, kH), Quor_Rect(12, 9, kW + 60, kH + 60)};
    for (const Quor_Rect& clip : clips) {
        Quor_Rect inside(clip);
        inside.left = std::max(inside.left, 0);
        inside.top = std::max(inside.top, 0);
        inside.right = std::min(inside.right, kW - 1);
        inside.bottom = std::min(inside.bottom, kH - 1);
        for (const auto& [name, draw] : primitives) {
            SCOPED_TRACE(testing::Message() << name << " in " << clip.left << ", " << clip.top << ", " << clip.right
                                            << ", " << clip.bottom);
            GraphicsCanvas c(kW, kH, kWhite, 3);
            c.Pen(kBlack).SetFont(font.get());
            c.g.SetClipRect(clip);
            EXPECT_EQ(c.g.ClipRect(), inside);
            draw(c.g, picture.Image(), curve);
            if (std::string(name) == "fill")
                c.g.DrawString("Wg", Quor_Rect(0, 0, kW + 20, kH + 20), QUOR_ALIGN_RIGHT, QUOR_ALIGN_BOTTOM);
            EXPECT_TRUE(c.Intact());
            EXPECT_GT(c.CountNot(Px(255, 255, 255)), 0);
            const Quor_Rect touched = c.Extent(Px(255, 255, 255));
            EXPECT_TRUE(inside.Contains(Quor_Point(touched.left, touched.top)) &&
                        inside.Contains(Quor_Point(touched.right, touched.bottom)))
                << touched.left << ", " << touched.top << ", " << touched.right << ", " << touched.bottom;
            if (std::string(name) == "fill") {
                // Everything inside the clip, up to the last row and column, is filled.
                EXPECT_EQ(touched, inside);
                EXPECT_EQ(c.CountValue(Px(0, 0, 0)), (inside.right - inside.left + 1) * (inside.bottom - inside.top + 1));
            }
        }
    }
}

// Catches a clip rectangle that lies wholly outside the target being clamped onto its edge row
// or column (drawing there), and a clip that ignores the transform.
TEST(QuorGraphics, ClipRectOutsideTheTargetDrawsNothing)
{
    GraphicsCanvas c(40, 30);
    c.Pen(kRed).SetClipRect(Quor_Rect(-50, -50, -10, -10));
    EXPECT_TRUE(c.g.ClipEmpty());
    c.g.FillRect(Quor_Rect(0, 0, 39, 29));
    c.g.DrawLine(0, 0, 39, 29);
    c.g.FillOval(Quor_Rect(0, 0, 39, 29));
    EXPECT_EQ(c.CountNot(Px(255, 255, 255)), 0);

    c.g.Translate(10, 5);
    c.g.SetClipRect(Quor_Rect(0, 0, 9, 9));   // pixels (10, 5) .. (19, 14)
    EXPECT_EQ(c.g.ClipRect(), Quor_Rect(10, 5, 19, 14));
    c.g.FillRect(Quor_Rect(-100, -100, 100, 100));
    EXPECT_EQ(c.CountValue(Px(255, 0, 0)), 100);
    EXPECT_EQ(c.Extent(Px(255, 255, 255)), Quor_Rect(10, 5, 19, 14));
}

// Catches draw modes that keep mask bits without a mask, and a restriction not restored when the
// last mask level goes.
TEST(QuorGraphics, DrawModeFollowsTheMaskDepth)
{
    GraphicsCanvas c(8, 8);
    // Without a mask only the low two bits stay; popping the last level restores the plain mode.
    for (const auto& [set, kept] : {std::pair(8u, 1u), std::pair(6u, 2u)}) {
        c.g.SetDrawMode(set);
        EXPECT_EQ(c.g.DrawMode(), kept) << set;
    }
    c.g.PushMask(true);
    c.g.SetDrawMode(12);
    EXPECT_EQ(c.g.DrawMode(), 12u);
    c.g.PopMask();
    EXPECT_EQ(c.g.DrawMode(), 1u);
    for (int i = 0; i < 10; i++)
        c.g.PushMask(i % 2 == 0);
    EXPECT_EQ(c.g.MaskDepth(), Quor_Graphics::kMaskLevels);
    // Levels alternate set and clear from the second on: bits 0, 2, 4, 6 set.
    EXPECT_EQ(c.g.MaskValue(3, 3), 0x55);
    c.g.ClearMask();   // level 8: bit 7, already clear
    EXPECT_EQ(c.g.MaskValue(3, 3), 0x55);
    c.g.BeginDraw();   // masks last one frame
    EXPECT_EQ(c.g.MaskDepth(), 0);
}
