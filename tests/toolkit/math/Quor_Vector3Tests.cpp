// Vectors: right-handed axis turns, normalising at every scale, and orthogonal pairs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "toolkit/math/Quor_Vector2.h"
#include "toolkit/math/Quor_Vector3.h"

namespace {

constexpr float kHalfPi = 1.57079632679f;

bool Near(const Quor_Vector3& v, const Quor_Vector3& expected, float tolerance = 1e-6f)
{
    return std::fabs(v.x - expected.x) <= tolerance && std::fabs(v.y - expected.y) <= tolerance &&
           std::fabs(v.z - expected.z) <= tolerance;
}

}  // namespace

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
TEST(QuorVector3, NormAndScalarForms)
{
    EXPECT_EQ(4.0f / Quor_Vector2(8, 2), Quor_Vector2(2, 0.5f));
    EXPECT_EQ(4.0f / Quor_Vector3(8, 2, -4), Quor_Vector3(2, 0.5f, -1));
    EXPECT_TRUE(Quor_Vector2(0, 0).Norm() == Quor_Vector2(0, 1) && Quor_Vector3(0, 0, 0).Norm() == Quor_Vector3(0, 0, 1));
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
