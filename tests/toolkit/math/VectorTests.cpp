#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "toolkit/math/Quor_BBox.h"
#include "toolkit/math/Quor_Vector2.h"
#include "toolkit/math/Quor_Vector3.h"
#include "toolkit/math/Quor_poly.h"

namespace {

constexpr float kHalfPi = 1.57079632679f;

void ExpectNear(const Quor_Vector3& v, float x, float y, float z, float tolerance = 1e-6f)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

}  // namespace

// Catches a left-handed rotation (or one about the wrong axis): the renderer relies on this sense.
TEST(QuorVector3, RotateIsRightHandedAboutEachAxis)
{
    Quor_Vector3 v(1, 0, 0);
    v.Rotate(2, kHalfPi);
    ExpectNear(v, 0, 1, 0);
    v.Set(0, 0, 1);
    v.Rotate(1, kHalfPi);
    ExpectNear(v, 1, 0, 0);
    v.Set(0, 1, 0);
    v.Rotate(0, kHalfPi);
    ExpectNear(v, 0, 0, 1);

    // Rotating uses the old values of both changing components.
    v.Set(1, 2, 3);
    v.Rotate(0, 0.3f);
    EXPECT_NEAR(v.Mag(), std::sqrt(14.0f), 1e-5f);
    EXPECT_FLOAT_EQ(v.x, 1.0f);

    for (int axis : {-1, 3, 100}) {
        v.Set(1, 2, 3);
        v.Rotate(axis, 1.0f);
        EXPECT_EQ(v, Quor_Vector3(1, 2, 3)) << "axis " << axis;
    }
}

// Catches a quarter turn in the wrong direction and a free division that divides the scalar.
TEST(QuorVector2, TurnsAndScalarForms)
{
    Quor_Vector2 v(1, 0);
    v.Rotate(kHalfPi);
    EXPECT_NEAR(v.x, 0.0f, 1e-6f);
    EXPECT_NEAR(v.y, 1.0f, 1e-6f);
    EXPECT_EQ(Quor_Vector2(2, 3).GetOrthogonal(), Quor_Vector2(-3, 2));

    EXPECT_EQ(4.0f / Quor_Vector2(8, 2), Quor_Vector2(2, 0.5f));
    EXPECT_EQ(4.0f / Quor_Vector3(8, 2, -4), Quor_Vector3(2, 0.5f, -1));
    EXPECT_EQ(2.0f * Quor_Vector3(1, 2, 3), Quor_Vector3(2, 4, 6));
}

// Catches a division by zero (NaN) in Norm of zero vectors and a wrong fallback direction,
// and loss of direction for vectors whose squares underflow or overflow.
TEST(QuorVector, NormOfZeroTinyAndHugeVectors)
{
    EXPECT_EQ(Quor_Vector2(0, 0).Norm(), Quor_Vector2(0, 1));
    EXPECT_EQ(Quor_Vector3(0, 0, 0).Norm(), Quor_Vector3(0, 0, 1));
    Quor_Vector3 z;
    z.NormMe();
    EXPECT_EQ(z, Quor_Vector3(0, 0, 1));

    ExpectNear(Quor_Vector3(3e-30f, 0, 4e-30f).Norm(), 0.6f, 0, 0.8f);
    ExpectNear(Quor_Vector3(0, -3e30f, 4e30f).Norm(), 0, -0.6f, 0.8f);
    const Quor_Vector2 n = Quor_Vector2(INFINITY, 1).Norm();
    EXPECT_EQ(n, Quor_Vector2(1, 0));
    const Quor_Vector3 nan = Quor_Vector3(1, NAN, 0).Norm();
    EXPECT_TRUE(std::isfinite(nan.x) && std::isfinite(nan.y) && std::isfinite(nan.z));
}

// Catches orthogonal vectors that are not unit length, not orthogonal (to the input or to each
// other) or NaN, over random inputs of every scale.
TEST(QuorVector3, GetOrthogonalsGivesAnOrthonormalPair)
{
    Quor_Vector3 a, b;
    Quor_Vector3().GetOrthogonals(&a, &b);
    EXPECT_EQ(a, Quor_Vector3(1, 0, 0));
    EXPECT_EQ(b, Quor_Vector3(0, 1, 0));

    const unsigned seed = 20240611;
    std::printf("GetOrthogonals seed %u\n", seed);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> component(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < 5000; i++) {
        const float scale = std::pow(10.0f, static_cast<float>(exponent(rng)));
        Quor_Vector3 v(component(rng), component(rng), component(rng));
        if (i % 7 == 0)
            v[i % 3] = 0.0f;  // inputs lying in a coordinate plane
        v *= scale;
        if (v == Quor_Vector3())
            continue;
        v.GetOrthogonals(&a, &b);
        const Quor_Vector3 u = v.Norm();
        SCOPED_TRACE(testing::Message() << "case " << i << " v = " << v.x << ", " << v.y << ", " << v.z);
        EXPECT_NEAR(a.Mag(), 1.0f, 1e-5f);
        EXPECT_NEAR(b.Mag(), 1.0f, 1e-5f);
        EXPECT_NEAR(a.Dot(u), 0.0f, 1e-5f);
        EXPECT_NEAR(b.Dot(u), 0.0f, 1e-5f);
        EXPECT_NEAR(a.Dot(b), 0.0f, 1e-5f);
        if (HasFailure())
            break;
    }
}

// Catches a box that bounds z after a 2-D point, or that reports empty after accumulating.
TEST(QuorBBox, AccumulatesOnlyTheGivenComponents)
{
    Quor_BBox box;
    EXPECT_TRUE(box.IsEmpty());
    box.AccumulatePoint(Quor_Vector2(3, -2));
    EXPECT_FALSE(box.IsEmpty());
    EXPECT_EQ(box.min[0], 3.0f);
    EXPECT_EQ(box.max[1], -2.0f);
    EXPECT_EQ(box.min[2], 1000000.0f);
    EXPECT_EQ(box.max[2], -1000000.0f);
    box.AccumulatePoint(Quor_Vector3(-1, 5, 7));
    EXPECT_EQ(box.min[0], -1.0f);
    EXPECT_EQ(box.max[0], 3.0f);
    EXPECT_EQ(box.min[1], -2.0f);
    EXPECT_EQ(box.max[1], 5.0f);
    EXPECT_EQ(box.min[2], 7.0f);
    EXPECT_EQ(box.max[2], 7.0f);
    box.Clear();
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_EQ(box.min[1], 1000000.0f);
}

// Catches a polygon record that lets callers write a ninth vertex past the array.
TEST(QuorPoly, RefusesMoreThanEightVertices)
{
    Quor_poly poly;
    EXPECT_EQ(poly.count, 0);
    EXPECT_EQ(poly.vertex[7][10], 0.0f);
    for (int i = 0; i < QUOR_POLY_MAX_VERTICES; i++) {
        float* v = poly.AddVertex();
        ASSERT_NE(v, nullptr);
        v[0] = static_cast<float>(i);
    }
    EXPECT_EQ(poly.AddVertex(), nullptr);
    EXPECT_EQ(poly.count, 8);
    EXPECT_TRUE(poly.IsValid());
    poly.count = 9;
    EXPECT_FALSE(poly.IsValid());
    EXPECT_EQ(poly.AddVertex(), nullptr);
}
