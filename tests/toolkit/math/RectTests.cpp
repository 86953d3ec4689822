// The geometry value types: rectangles, rounding, points, vectors, boxes and polygon records.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>

#include "toolkit/math/Quor_BBox.h"
#include "toolkit/math/Quor_Rect.h"
#include "toolkit/math/Quor_Round.h"
#include "toolkit/math/Quor_Vector2.h"
#include "toolkit/math/Quor_Vector3.h"
#include "toolkit/math/Quor_poly.h"

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr float kHalfPi = 1.57079632679f;

bool Near(const Quor_Vector3& v, const Quor_Vector3& expected, float tolerance = 1e-6f)
{
    return std::fabs(v.x - expected.x) <= tolerance && std::fabs(v.y - expected.y) <= tolerance &&
           std::fabs(v.z - expected.z) <= tolerance;
}

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
    EXPECT_EQ(all.Width(), kMax);
    EXPECT_EQ(Quor_Rect(kMax, 0, kMin, 0).Width(), kMin);
    all.OffsetBy(1, -1);
    EXPECT_EQ(all, Quor_Rect(kMin + 1, kMax, kMin, kMax - 1));  // wraps around
    Quor_Point p(kMax, kMin);
    p += Quor_Point(1, 0);
    p -= Quor_Point(0, 1);
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

// Catches rounding that sends halves to even or up (floor(v + 0.5)) instead of away from zero,
// and truncation, floor and ceiling mixed up.
TEST(QuorRound, HalvesGoAwayFromZero)
{
    const struct { double v; int32_t round, trunc, floor, ceil; } cases[] = {
        {0.5, 1, 0, 0, 1},      {1.5, 2, 1, 1, 2},      {2.5, 3, 2, 2, 3},   {-0.5, -1, 0, -1, 0},
        {-2.5, -3, -2, -3, -2}, {-2.4, -2, -2, -3, -2}, {2.9, 3, 2, 2, 3},   {-2.9, -3, -2, -3, -2},
        {0.49999997f, 0, 0, 0, 1}};  // v + 0.5 would round up to 1
    for (const auto& c : cases)
        EXPECT_EQ((std::array{Quor_RoundToInt(c.v), Quor_TruncToInt(c.v), Quor_FloorToInt(c.v), Quor_CeilToInt(c.v)}),
                  (std::array{c.round, c.trunc, c.floor, c.ceil})) << c.v;
    EXPECT_TRUE(Quor_RoundToInt64(-7.5) == -8 && Quor_RoundToInt64(4294967296.5) == 4294967297LL);
}

// Catches undefined float-to-int conversion of NaN, infinities and out-of-range values, clamps
// that let NaN through and ratios that turn an empty range into NaN.
TEST(QuorRound, NonFiniteAndOutOfRangeSaturate)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double values[] = {NAN, inf, -inf, 1e20, -1e20, 2147483647.0, -2147483648.0};
    const int32_t expected[] = {0, kMax, kMin, kMax, kMin, kMax, kMin};
    for (auto convert : {Quor_RoundToInt, Quor_TruncToInt, Quor_FloorToInt, Quor_CeilToInt})
        for (int i = 0; i < 7; i++)
            EXPECT_EQ(convert(values[i]), expected[i]) << values[i];
    EXPECT_EQ(Quor_RoundToInt(2147483646.6), kMax);
    EXPECT_EQ(Quor_RoundToInt(-2147483648.4), kMin);
    EXPECT_EQ(Quor_TruncToInt(2147483647.9), kMax);
    EXPECT_EQ(Quor_RoundToInt64(NAN), 0);
    EXPECT_EQ(Quor_RoundToInt64(1e30), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(Quor_RoundToInt64(-inf), std::numeric_limits<int64_t>::min());

    EXPECT_TRUE(Quor_RoundClamp(NAN, 10, 20) == 10 && Quor_RoundClamp(1e30, 10, 20) == 20);
    EXPECT_EQ(Quor_RoundClamp(14.5, 10, 20), 15);
    EXPECT_EQ(Quor_Clamp(-5, 0, 3), 0);
    EXPECT_EQ(Quor_Clamp(std::nanf(""), 0.0f, 1.0f), 0.0f);
    EXPECT_EQ(Quor_Clamp(7.0, 0.0, 1.0), 1.0);
    const double ratios[][3] = {{0, 0, 0}, {5, 0, 0}, {1e308, 1e-308, 0}, {3, 4, 0.75}};
    for (const auto& c : ratios)
        EXPECT_EQ(Quor_Ratio(c[0], c[1]), c[2]) << c[0] << " / " << c[1];
}

// Catches a left-handed rotation (or one about the wrong axis, or one that reads a component
// after overwriting it): the renderer relies on this sense. Invalid axes change nothing.
TEST(QuorVector3, RotateIsRightHandedAboutEachAxis)
{
    const struct { Quor_Vector3 in; int axis; float angle; Quor_Vector3 out; } cases[] = {
        {{1, 0, 0}, 2, kHalfPi, {0, 1, 0}},  {{0, 0, 1}, 1, kHalfPi, {1, 0, 0}}, {{0, 1, 0}, 0, kHalfPi, {0, 0, 1}},
        {{1, 2, 3}, -1, 1.0f, {1, 2, 3}},    {{1, 2, 3}, 3, 1.0f, {1, 2, 3}},    {{1, 2, 3}, 100, 1.0f, {1, 2, 3}},
        // cos 0.3 = 0.9553365, sin 0.3 = 0.2955202; both changing components use the old values.
        {{1, 2, 3}, 0, 0.3f, {1, 2 * 0.9553365f - 3 * 0.2955202f, 3 * 0.9553365f + 2 * 0.2955202f}}};
    for (const auto& c : cases) {
        Quor_Vector3 v = c.in;
        v.Rotate(c.axis, c.angle);
        EXPECT_TRUE(Near(v, c.out, 1e-5f)) << "axis " << c.axis << ": " << v.x << ", " << v.y << ", " << v.z;
    }
    Quor_Vector2 turned(1, 0);
    turned.Rotate(kHalfPi);
    EXPECT_TRUE(Near({turned.x, turned.y, 0}, {0, 1, 0}));
    EXPECT_EQ(Quor_Vector2(2, 3).GetOrthogonal(), Quor_Vector2(-3, 2));
}

// Catches a division by zero (NaN) in Norm of zero vectors and a wrong fallback direction, loss
// of direction for vectors whose squares underflow or overflow, and a free division that divides
// the scalar by the vector instead of the vector by the scalar.
TEST(QuorVector, NormAndScalarForms)
{
    EXPECT_EQ(4.0f / Quor_Vector2(8, 2), Quor_Vector2(2, 0.5f));
    EXPECT_EQ(4.0f / Quor_Vector3(8, 2, -4), Quor_Vector3(2, 0.5f, -1));
    EXPECT_EQ(Quor_Vector2(0, 0).Norm(), Quor_Vector2(0, 1));
    EXPECT_EQ(Quor_Vector3(0, 0, 0).Norm(), Quor_Vector3(0, 0, 1));
    EXPECT_TRUE(Near(Quor_Vector3(3e-30f, 0, 4e-30f).Norm(), {0.6f, 0, 0.8f}));
    EXPECT_TRUE(Near(Quor_Vector3(0, -3e30f, 4e30f).Norm(), {0, -0.6f, 0.8f}));
    EXPECT_EQ(Quor_Vector2(INFINITY, 1).Norm(), Quor_Vector2(1, 0));
    const Quor_Vector3 nan = Quor_Vector3(1, NAN, 0).Norm();
    EXPECT_TRUE(std::isfinite(nan.x) && std::isfinite(nan.y) && std::isfinite(nan.z));
}

// Catches orthogonal vectors that are not unit length, not orthogonal (to the input or to each
// other) or NaN, over random inputs of every scale.
TEST(QuorVector3, GetOrthogonalsGivesAnOrthonormalPair)
{
    Quor_Vector3 a, b;
    Quor_Vector3().GetOrthogonals(&a, &b);
    EXPECT_TRUE(a == Quor_Vector3(1, 0, 0) && b == Quor_Vector3(0, 1, 0));

    const unsigned seed = 20240611;
    std::printf("GetOrthogonals seed %u\n", seed);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> component(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < 5000; i++) {
        Quor_Vector3 v(component(rng), component(rng), component(rng));
        if (i % 7 == 0)
            v[i % 3] = 0.0f;  // inputs lying in a coordinate plane
        v *= std::pow(10.0f, static_cast<float>(exponent(rng)));
        if (v == Quor_Vector3())
            continue;
        v.GetOrthogonals(&a, &b);
        const Quor_Vector3 u = v.Norm();
        const float errors[] = {std::fabs(a.Mag() - 1), std::fabs(b.Mag() - 1), std::fabs(a.Dot(u)), std::fabs(b.Dot(u)),
                                std::fabs(a.Dot(b))};  // NaN fails too
        ASSERT_TRUE(std::all_of(errors, errors + 5, [](float e) { return e <= 1e-5f; }))
            << "case " << i << " v = " << v.x << ", " << v.y << ", " << v.z;
    }
}

// Catches a box that bounds z after a 2-D point or reports empty after accumulating, and a
// polygon record that lets callers write a ninth vertex past the array.
TEST(QuorBBox, AccumulatesOnlyTheGivenComponentsAndPolyStopsAtEight)
{
    Quor_BBox box;
    EXPECT_TRUE(box.IsEmpty());
    box.AccumulatePoint(Quor_Vector2(3, -2));
    EXPECT_FALSE(box.IsEmpty());
    EXPECT_TRUE(box.min[0] == 3.0f && box.max[1] == -2.0f && box.min[2] == 1000000.0f && box.max[2] == -1000000.0f);
    Quor_poly poly;
    for (int i = 0; i < QUOR_POLY_MAX_VERTICES; i++)
        ASSERT_NE(poly.AddVertex(), nullptr);
    EXPECT_TRUE(poly.AddVertex() == nullptr && poly.count == 8 && poly.IsValid());
    poly.count = 9;
    EXPECT_FALSE(poly.IsValid());
    EXPECT_EQ(poly.AddVertex(), nullptr);
}
