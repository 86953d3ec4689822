// Inclusive rectangles: sizes and moves at the ends of the int range, and clipping of rectangles
// and segments.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "toolkit/math/Quor_Rect.h"

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

}  // namespace

// Catches an exclusive-edge reading of the rectangle (sizes off by one, edge pixels missed), and
// signed overflow (undefined behaviour) in sizes and moves of extreme rectangles and points.
TEST(QuorRect, EdgesAreInclusiveAndExtremesDoNotOverflow)
{
    EXPECT_EQ(Quor_Rect().Size(), Quor_Point(1, 1));
    Quor_Rect reversed(10, 10, 5, 5);
    EXPECT_EQ(reversed.Width(), -4);
    reversed.Normalize();
    EXPECT_EQ(reversed, Quor_Rect(5, 5, 10, 10));
    Quor_Rect r(0, 0, 9, 4);
    EXPECT_EQ(r.Size(), Quor_Point(10, 5));
    EXPECT_TRUE(r.Contains(Quor_Point(9, 4)) && r.Contains(Quor_Point(0, 0)));
    EXPECT_FALSE(r.Contains(Quor_Point(10, 4)) || r.Contains(Quor_Point(9, 5)));
    r.OffsetTo(-3, 7);
    EXPECT_EQ(r, Quor_Rect(-3, 7, 6, 11));

    Quor_Rect all(kMin, kMin, kMax, kMax);
    EXPECT_TRUE(all.Width() == kMax && Quor_Rect(kMax, 0, kMin, 0).Width() == kMin);
    all.OffsetBy(1, -1);
    EXPECT_EQ(all, Quor_Rect(kMin + 1, kMax, kMin, kMax - 1));  // wraps around
    Quor_Point p(kMax, kMin);
    p += Quor_Point(1, 0), p -= Quor_Point(0, 1);
    EXPECT_EQ(p, Quor_Point(kMin, kMax));
}

// Catches Clip forgetting to normalise (also when it fails), clamping on the wrong edge, and
// Intersects disagreeing with Clip.
TEST(QuorRect, ClipRectNormalisesAndClamps)
{
    const Quor_Rect frame(0, 0, 99, 49);
    // Reversed; disjoint (comes back normalised); sharing only the last pixel; disjoint.
    const struct { Quor_Rect in; bool overlaps; Quor_Rect out; } cases[] = {
        {{120, 30, 50, -10}, true, {50, 0, 99, 30}}, {{300, 80, 200, 60}, false, {200, 60, 300, 80}},
        {{99, 49, 150, 80}, true, {99, 49, 99, 49}}, {{100, 0, 120, 10}, false, {100, 0, 120, 10}}};
    for (const auto& c : cases) {
        Quor_Rect r = c.in;
        EXPECT_EQ(frame.Intersects(r), c.overlaps) << c.in.left << "," << c.in.top;
        EXPECT_EQ(frame.Clip(r), c.overlaps) << c.in.left << "," << c.in.top;
        EXPECT_EQ(r, c.out) << c.in.left << "," << c.in.top;
    }
}

// Catches segment clipping that moves the wrong endpoint, skips an edge, loses the sign rule,
// truncates or rounds halves to even instead of away from zero, or overflows the endpoint
// differences of segments spanning the whole integer range.
TEST(QuorRect, ClipSegment)
{
    const Quor_Rect r(0, 0, 9, 9), tall(0, -10, 9, 10);
    const struct { Quor_Rect r; Quor_Point a, b; bool visible; Quor_Point outA, outB; } cases[] = {
        // Crossing left and right; reversed, crossing top and bottom; spanning the integer range.
        {r, {-10, 5}, {10, 5}, true, {0, 5}, {9, 5}}, {r, {3, 20}, {3, -20}, true, {3, 9}, {3, 0}},
        {r, {kMin, 5}, {kMax, 5}, true, {0, 5}, {9, 5}},
        // Crossing x = 0 at y = 0.5 and y = -0.5; crossing y = -10 at x = 6 with b inside.
        {tall, {-1, 0}, {1, 1}, true, {0, 1}, {1, 1}}, {tall, {-1, 0}, {1, -1}, true, {0, -1}, {1, -1}},
        {tall, {4, -12}, {7, -9}, true, {6, -10}, {7, -9}},
        // Wholly outside, one case per side; a diagonal passing beyond the corner (after the
        // left and top edges both ends lie above the rectangle).
        {r, {-5, 0}, {-1, 9}, false, {}, {}}, {r, {10, 0}, {30, 5}, false, {}, {}},
        {r, {0, -3}, {9, -1}, false, {}, {}}, {r, {2, 10}, {8, 12}, false, {}, {}},
        {r, {-4, 2}, {2, -4}, false, {}, {}}};
    for (const auto& c : cases) {
        Quor_Point a = c.a, b = c.b;
        ASSERT_EQ(c.r.Clip(a, b), c.visible) << "segment " << c.a.x << "," << c.a.y << " to " << c.b.x << "," << c.b.y;
        EXPECT_TRUE(!c.visible || (a == c.outA && b == c.outB))
            << c.a.x << "," << c.a.y << " clipped to " << a.x << "," << a.y << " and " << b.x << "," << b.y;
    }
}

// Catches the float clip using right + 1 as the edge, rounding, or accepting NaN and infinite
// segments as visible.
TEST(QuorRect, ClipFloatSegment)
{
    const Quor_Rect r(0, 0, 9, 9);
    // The third segment lies on the right edge.
    const struct { float in[4]; bool visible; float out[4]; } cases[] = {
        {{-10, 5, 10, 5}, true, {0, 5, 9, 5}}, {{-1, 0, 1, 1}, true, {0, 0.5f, 1, 1}},
        {{9, 2, 9, 7}, true, {9, 2, 9, 7}},    {{-3, 1, -0.5f, 8}, false, {}},
        {{NAN, 1, 5, 5}, false, {}},           {{-INFINITY, INFINITY, 5, 5}, false, {}}};
    for (const auto& c : cases) {
        float v[4] = {c.in[0], c.in[1], c.in[2], c.in[3]};
        SCOPED_TRACE(testing::Message() << c.in[0] << "," << c.in[1] << " to " << c.in[2] << "," << c.in[3]);
        ASSERT_EQ(r.Clip(v[0], v[1], v[2], v[3]), c.visible);
        for (int k = 0; c.visible && k < 4; k++)
            EXPECT_FLOAT_EQ(v[k], c.out[k]) << "component " << k;
    }
}
