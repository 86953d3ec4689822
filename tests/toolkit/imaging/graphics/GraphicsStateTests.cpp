#include <gtest/gtest.h>

#include <cmath>

#include "GraphicsTestSupport.h"

using namespace gfx_test;

// Catches a view set-up whose calls run in the wrong order (offset applied after the zoom, or the
// normalised mapping without its y flip), and view settings that act before BeginDraw.
TEST(QuorGraphicsState, ViewModesMapWorldToPixels)
{
    Canvas c(400, 200);
    Quor_Point p;
    c.g.SetViewMode(QUOR_VIEW_NORMALIZED);
    EXPECT_TRUE(c.g.WorldToScreen(Quor_Vector2(1, 1), p));
    EXPECT_EQ(p, Quor_Point(1, 1));   // not yet: BeginDraw applies it
    c.g.BeginDraw();
    c.g.WorldToScreen(Quor_Vector2(0, 0), p);
    EXPECT_EQ(p, Quor_Point(200, 100));
    c.g.WorldToScreen(Quor_Vector2(1, 1), p);
    EXPECT_EQ(p, Quor_Point(300, 0));
    Quor_Vector2 n;
    EXPECT_TRUE(c.g.WorldToScreen(Quor_Vector2(0.5f, -0.25f), n));
    EXPECT_NEAR(n.x, 0.5f, 1e-5f);
    EXPECT_NEAR(n.y, -0.25f, 1e-5f);

    c.g.SetViewMode(QUOR_VIEW_PIXELS);
    c.g.SetViewZoom(2.0f);
    c.g.SetViewOffset(10.0f, 0.0f);
    c.g.BeginDraw();
    c.g.WorldToScreen(Quor_Vector2(0, 0), p);
    EXPECT_EQ(p, Quor_Point(20, 0));
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
TEST(QuorGraphicsState, PushPopStackLimits)
{
    Canvas c(64, 48);
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
    EXPECT_EQ(c.g.TransformLevel(), 0);
    EXPECT_TRUE(c.g.AxisAligned());
    // Every Translate(1, 0) acted on a level above the bottom, which still holds (5, 7).
    Quor_Point p;
    c.g.WorldToScreen(Quor_Vector2(0, 0), p);
    EXPECT_EQ(p, Quor_Point(5, 7));
}

// Catches an inverse that is not the inverse of the drawing transform, and points behind the
// viewer reported as visible.
TEST(QuorGraphicsState, ScreenToWorldAndBehindTheViewer)
{
    Canvas c(120, 80);
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
TEST(QuorGraphicsState, AttachRefusesUnusableRecords)
{
    Quor_Graphics g;
    EXPECT_EQ(g.AttachToImage(nullptr), -3);
    Quor_image none;
    EXPECT_EQ(g.AttachToImage(&none), -3);
    Quor_BaseImage img;
    ASSERT_EQ(img.Initialize(10, 10, 32), 0);
    Quor_image shortRows = img.Image();
    shortRows.rowBytes = 8;
    EXPECT_EQ(g.AttachToImage(&shortRows), -3);
    EXPECT_EQ(g.Image(), nullptr);
    g.FillRect(Quor_Rect(0, 0, 9, 9));
    g.DrawLine(0, 0, 9, 9);
    g.PushMask(true);
    EXPECT_EQ(g.MaskDepth(), 0);
    EXPECT_EQ(g.AttachToImage(img), 0);
    EXPECT_EQ(g.Width(), 10);
}

// Catches a clip rectangle that lies wholly outside the target being clamped onto its edge row
// or column (drawing there), and a clip that ignores the transform.
TEST(QuorGraphicsState, ClipRectOutsideTheTargetDrawsNothing)
{
    Canvas c(40, 30);
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
TEST(QuorGraphicsState, DrawModeFollowsTheMaskDepth)
{
    Canvas c(8, 8);
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
