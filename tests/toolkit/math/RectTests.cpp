#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "toolkit/math/Quor_Rect.h"

// Catches an exclusive-edge reading of the rectangle: sizes off by one and edge pixels missed.
TEST(QuorRect, EdgesAreInclusive)
{
    EXPECT_EQ(Quor_Rect().Width(), 1);
    EXPECT_EQ(Quor_Rect().Height(), 1);
    Quor_Rect reversed(10, 10, 5, 5);
    EXPECT_EQ(reversed.Width(), -4);
    reversed.Normalize();
    EXPECT_EQ(reversed, Quor_Rect(5, 5, 10, 10));
    EXPECT_EQ(reversed.Width(), 6);

    Quor_Rect r(0, 0, 9, 4);
    EXPECT_TRUE(r.Contains(Quor_Point(9, 4)));
    EXPECT_TRUE(r.Contains(Quor_Point(0, 0)));
    EXPECT_FALSE(r.Contains(Quor_Point(10, 4)));
    EXPECT_FALSE(r.Contains(Quor_Point(9, 5)));
    EXPECT_EQ(r.RightBottom(), Quor_Point(9, 4));
    EXPECT_EQ(r.Size(), Quor_Point(10, 5));

    r.OffsetTo(-3, 7);
    EXPECT_EQ(r, Quor_Rect(-3, 7, 6, 11));
}

// Catches signed overflow (undefined behaviour) in sizes and moves of extreme rectangles.
TEST(QuorRect, ExtremeRectanglesDoNotOverflow)
{
    const int32_t lo = std::numeric_limits<int32_t>::min();
    const int32_t hi = std::numeric_limits<int32_t>::max();
    Quor_Rect all(lo, lo, hi, hi);
    EXPECT_EQ(all.Width(), hi);
    EXPECT_EQ(Quor_Rect(hi, 0, lo, 0).Width(), lo);
    all.OffsetBy(1, -1);
    EXPECT_EQ(all.left, lo + 1);
    EXPECT_EQ(all.right, lo);  // wraps around
    Quor_Point p(hi, lo);
    p += Quor_Point(1, 0);
    p -= Quor_Point(0, 1);
    EXPECT_EQ(p, Quor_Point(lo, hi));
}

// Catches Clip forgetting to normalise, clamping on the wrong edge, or Intersects writing through.
TEST(QuorRect, ClipRectNormalisesAndClamps)
{
    const Quor_Rect frame(0, 0, 99, 49);

    Quor_Rect reversed(120, 30, 50, -10);
    EXPECT_TRUE(frame.Clip(reversed));
    EXPECT_EQ(reversed, Quor_Rect(50, 0, 99, 30));

    Quor_Rect disjoint(300, 80, 200, 60);
    EXPECT_FALSE(frame.Clip(disjoint));
    EXPECT_EQ(disjoint, Quor_Rect(200, 60, 300, 80));

    Quor_Rect touching(99, 49, 150, 80);  // shares only the last pixel
    EXPECT_TRUE(frame.Clip(touching));
    EXPECT_EQ(touching, Quor_Rect(99, 49, 99, 49));

    const Quor_Rect argument(120, 30, 50, -10);
    Quor_Rect copy = argument;
    EXPECT_TRUE(frame.Intersects(copy));
    EXPECT_EQ(copy, argument);
    EXPECT_FALSE(frame.Intersects(Quor_Rect(100, 0, 120, 10)));
}

// Catches segment clipping that moves the wrong endpoint, skips an edge or loses the sign rule.
TEST(QuorRect, ClipSegment)
{
    const Quor_Rect r(0, 0, 9, 9);
    Quor_Point a(-10, 5), b(10, 5);
    EXPECT_TRUE(r.Clip(a, b));
    EXPECT_EQ(a, Quor_Point(0, 5));
    EXPECT_EQ(b, Quor_Point(9, 5));

    // Reversed direction and a vertical crossing of top and bottom.
    a.Set(3, 20);
    b.Set(3, -20);
    EXPECT_TRUE(r.Clip(a, b));
    EXPECT_EQ(a, Quor_Point(3, 9));
    EXPECT_EQ(b, Quor_Point(3, 0));

    // Wholly outside, one case per side.
    const Quor_Point outside[4][2] = {{{-5, 0}, {-1, 9}}, {{10, 0}, {30, 5}}, {{0, -3}, {9, -1}}, {{2, 10}, {8, 12}}};
    for (const auto& seg : outside) {
        Quor_Point p = seg[0], q = seg[1];
        EXPECT_FALSE(r.Clip(p, q)) << seg[0].x << "," << seg[0].y;
    }

    // A diagonal passing beyond the corner: after the left and top edges both ends lie
    // above the rectangle.
    a.Set(-4, 2);
    b.Set(2, -4);
    EXPECT_FALSE(r.Clip(a, b));
}

// Catches interpolation that truncates or rounds halves to even instead of away from zero.
TEST(QuorRect, ClipSegmentRoundsHalvesAwayFromZero)
{
    const Quor_Rect r(0, -10, 9, 10);
    Quor_Point a(-1, 0), b(1, 1);  // crosses x = 0 at y = 0.5
    EXPECT_TRUE(r.Clip(a, b));
    EXPECT_EQ(a, Quor_Point(0, 1));
    EXPECT_EQ(b, Quor_Point(1, 1));

    a.Set(-1, 0);
    b.Set(1, -1);  // crosses x = 0 at y = -0.5
    EXPECT_TRUE(r.Clip(a, b));
    EXPECT_EQ(a, Quor_Point(0, -1));

    a.Set(4, -12);
    b.Set(7, -9);  // crosses y = -10 at x = 6; b stays inside
    EXPECT_TRUE(r.Clip(a, b));
    EXPECT_EQ(a, Quor_Point(6, -10));
    EXPECT_EQ(b, Quor_Point(7, -9));
}

// Catches overflow in the endpoint differences of segments spanning the whole integer range.
TEST(QuorRect, ClipSegmentWithExtremeEndpoints)
{
    const Quor_Rect r(0, 0, 9, 9);
    Quor_Point a(std::numeric_limits<int32_t>::min(), 5), b(std::numeric_limits<int32_t>::max(), 5);
    EXPECT_TRUE(r.Clip(a, b));
    EXPECT_EQ(a, Quor_Point(0, 5));
    EXPECT_EQ(b, Quor_Point(9, 5));
}

// Catches the float clip using right + 1 as the edge, or accepting NaN segments as visible.
TEST(QuorRect, ClipFloatSegment)
{
    const Quor_Rect r(0, 0, 9, 9);
    float x1 = -10.0f, y1 = 5.0f, x2 = 10.0f, y2 = 5.0f;
    EXPECT_TRUE(r.Clip(x1, y1, x2, y2));
    EXPECT_FLOAT_EQ(x1, 0.0f);
    EXPECT_FLOAT_EQ(x2, 9.0f);

    x1 = -1.0f; y1 = 0.0f; x2 = 1.0f; y2 = 1.0f;
    EXPECT_TRUE(r.Clip(x1, y1, x2, y2));
    EXPECT_FLOAT_EQ(x1, 0.0f);
    EXPECT_FLOAT_EQ(y1, 0.5f);  // no rounding

    x1 = -3.0f; y1 = 1.0f; x2 = -0.5f; y2 = 8.0f;
    EXPECT_FALSE(r.Clip(x1, y1, x2, y2));

    x1 = 9.0f; y1 = 2.0f; x2 = 9.0f; y2 = 7.0f;  // lies on the right edge
    EXPECT_TRUE(r.Clip(x1, y1, x2, y2));

    x1 = std::nanf(""); y1 = 1.0f; x2 = 5.0f; y2 = 5.0f;
    EXPECT_FALSE(r.Clip(x1, y1, x2, y2));
    x1 = -INFINITY; y1 = INFINITY; x2 = 5.0f; y2 = 5.0f;
    EXPECT_FALSE(r.Clip(x1, y1, x2, y2));
}
