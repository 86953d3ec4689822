#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "toolkit/math/Quor_Matrix.h"

namespace {

void ExpectNear(const Quor_Vector3& v, const Quor_Vector3& expected, float tolerance)
{
    EXPECT_NEAR(v.x, expected.x, tolerance);
    EXPECT_NEAR(v.y, expected.y, tolerance);
    EXPECT_NEAR(v.z, expected.z, tolerance);
}

Quor_Vector3 Transformed(const Quor_Matrix& m, Quor_Vector3 v)
{
    m.Transform(v);
    return v;
}

Quor_Vector3 RandomUnit(std::mt19937& rng)
{
    std::normal_distribution<float> normal;
    Quor_Vector3 v;
    do {
        v.Set(normal(rng), normal(rng), normal(rng));
    } while (v.Mag() < 0.1f);
    return v.Norm();
}

}  // namespace

// Catches multiplying on the wrong side: the operation called last must act first on points.
TEST(QuorMatrix, LaterOperationsActFirst)
{
    Quor_Matrix m;
    m.Translate(1, 0, 0);
    m.Scale(2, 2, 2);
    ExpectNear(Transformed(m, Quor_Vector3(1, 0, 0)), Quor_Vector3(3, 0, 0), 1e-6f);

    Quor_Matrix n;
    n.Scale(2, 2, 2);
    n.Translate(1, 0, 0);
    ExpectNear(Transformed(n, Quor_Vector3(1, 0, 0)), Quor_Vector3(4, 0, 0), 1e-6f);

    Quor_Matrix s;
    s.Shear(QUOR_AXIS_Y, 2, 3);  // x gains 2y, z gains 3y
    ExpectNear(Transformed(s, Quor_Vector3(1, 1, 1)), Quor_Vector3(3, 1, 4), 1e-6f);
    s.Identity();
    s.Shear(static_cast<Quor_axis>(7), 2, 3);
    ExpectNear(Transformed(s, Quor_Vector3(1, 1, 1)), Quor_Vector3(1, 1, 1), 0.0f);
}

// Catches a matrix rotation whose sense or axis differs from Quor_Vector3::Rotate.
TEST(QuorMatrix, RotateAgreesWithVectorRotate)
{
    const unsigned seed = 7130;
    std::printf("RotateAgreesWithVectorRotate seed %u\n", seed);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> coordinate(-10.0f, 10.0f);
    std::uniform_real_distribution<float> angle(-6.3f, 6.3f);
    for (int i = 0; i < 300; i++) {
        const int axis = i % 4 == 3 ? 3 : i % 4;  // every fourth case an invalid axis
        const float a = angle(rng);
        Quor_Vector3 v(coordinate(rng), coordinate(rng), coordinate(rng));
        Quor_Matrix m;
        m.Rotate(axis, a);
        const Quor_Vector3 viaMatrix = Transformed(m, v);
        v.Rotate(axis, a);
        SCOPED_TRACE(testing::Message() << "case " << i << " axis " << axis << " angle " << a);
        ExpectNear(viaMatrix, v, 1e-4f);
    }
}

// Catches a wrong cofactor sign or transpose in Adjoint/Invert, and a near-singular matrix
// being scaled by an enormous 1/determinant.
TEST(QuorMatrix, InvertTimesOriginalIsIdentity)
{
    const unsigned seed = 99;
    std::printf("InvertTimesOriginalIsIdentity seed %u\n", seed);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> element(-1.0f, 1.0f);
    for (int i = 0; i < 200; i++) {
        Quor_Matrix m;
        for (int k = 0; k < 16; k++)
            m.m[k] = element(rng) + (k % 5 == 0 ? 4.0f : 0.0f);  // diagonally dominant
        Quor_Matrix inverse = m;
        ASSERT_TRUE(inverse.Invert());
        inverse.Multiply(m);
        for (int k = 0; k < 16; k++)
            ASSERT_NEAR(inverse.m[k], k % 5 == 0 ? 1.0f : 0.0f, 1e-5f) << "case " << i << " element " << k;
    }

    Quor_Matrix zero;
    for (float& e : zero.m)
        e = 0.0f;
    EXPECT_FALSE(zero.Invert());
    for (float e : zero.m)
        EXPECT_EQ(e, 0.0f);

    Quor_Matrix identity;
    EXPECT_TRUE(identity.Invert());
    for (int k = 0; k < 16; k++)
        EXPECT_EQ(identity.m[k], k % 5 == 0 ? 1.0f : 0.0f);

    Quor_Matrix swapped;  // exchanging two axes flips the sign
    swapped.m[0] = 0; swapped.m[1] = 1; swapped.m[4] = 1; swapped.m[5] = 0;
    EXPECT_EQ(swapped.Determinant(), -1.0f);
    swapped.Scale(2, 3, 5);
    EXPECT_FLOAT_EQ(swapped.Determinant(), -30.0f);
}

// Catches a homogeneous divide by zero (inf/NaN points) and unbounded results that would make
// pixel rounding undefined.
TEST(QuorMatrix, TransformVector2StaysBounded)
{
    Quor_Matrix flat;
    flat.m[15] = 0.0f;  // w' = 0 for every point
    Quor_Vector2 v(2.0f, -3.0f);
    flat.Transform(v);
    EXPECT_FLOAT_EQ(v.x, 2e6f);
    EXPECT_FLOAT_EQ(v.y, -3e6f);

    Quor_Matrix huge;
    huge.m[0] = 1e30f;
    huge.m[5] = 1e30f;
    huge.m[15] = 0.0f;
    v.Set(5.0f, -5.0f);
    huge.Transform(v);
    EXPECT_EQ(v.x, 1e30f);
    EXPECT_EQ(v.y, -1e30f);

    v.Set(NAN, 1.0f);
    Quor_Matrix identity;
    identity.Transform(v);
    EXPECT_EQ(v, Quor_Vector2(0.0f, 0.0f));

    Quor_Matrix halve;
    halve.m[15] = 2.0f;
    v.Set(4.0f, 6.0f);
    halve.Transform(v);
    EXPECT_EQ(v, Quor_Vector2(2.0f, 3.0f));

    Quor_Vector3 p(1, 2, 3);
    EXPECT_FALSE(flat.TransformHomo(p));
    EXPECT_EQ(p, Quor_Vector3(10, 20, 30));
    float h[4] = {1, 2, 3, 99};
    halve.TransformHomo(h);
    EXPECT_EQ(h[3], 2.0f);  // the input w is taken as 1, not read
}

// Catches a look-at that turns the wrong way: the target must end up straight ahead on -z.
TEST(QuorMatrix, LookatPutsTheTargetAhead)
{
    const unsigned seed = 4242;
    std::printf("LookatPutsTheTargetAhead seed %u\n", seed);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> coordinate(-20.0f, 20.0f);
    for (int i = 0; i < 200; i++) {
        const Quor_Vector3 eye(coordinate(rng), coordinate(rng), coordinate(rng));
        const Quor_Vector3 target(coordinate(rng), coordinate(rng), coordinate(rng));
        const float distance = (target - eye).Mag();
        if (distance < 0.5f)
            continue;
        Quor_Matrix m;
        m.Lookat(eye, target);
        SCOPED_TRACE(testing::Message() << "case " << i);
        ExpectNear(Transformed(m, target), Quor_Vector3(0, 0, -distance), 1e-3f * distance);
        ExpectNear(Transformed(m, eye), Quor_Vector3(0, 0, 0), 1e-4f);
    }
}

// Catches RotateVecToVec turning the wrong way, producing NaN from a dot product just above 1,
// or doing nothing for opposite vectors.
TEST(QuorMatrix, RotateVecToVecMapsFromOntoTo)
{
    const unsigned seed = 515;
    std::printf("RotateVecToVecMapsFromOntoTo seed %u\n", seed);
    std::mt19937 rng(seed);
    for (int i = 0; i < 300; i++) {
        const Quor_Vector3 from = RandomUnit(rng);
        const Quor_Vector3 to = RandomUnit(rng);
        Quor_Matrix m;
        m.RotateVecToVec(from, to);
        SCOPED_TRACE(testing::Message() << "case " << i);
        ExpectNear(Transformed(m, from), to, 1e-4f);
    }
    const Quor_Vector3 from = RandomUnit(rng);
    Quor_Matrix same;
    same.RotateVecToVec(from, from);
    for (int k = 0; k < 16; k++)
        EXPECT_NEAR(same.m[k], k % 5 == 0 ? 1.0f : 0.0f, 1e-6f);

    Quor_Matrix opposite;
    opposite.RotateVecToVec(from, from * -1.0f);
    ExpectNear(Transformed(opposite, from), from * -1.0f, 1e-4f);
    EXPECT_NEAR(opposite.Determinant(), 1.0f, 1e-4f);  // a rotation, not a mirror
}

// Catches a perspective built from a zero field of view or an empty depth range (inf/NaN
// elements).
TEST(QuorMatrix, PerspectiveRefusesDegenerateRequests)
{
    Quor_Matrix m;
    EXPECT_FALSE(m.Perspective(0.0f, 1.0f, 10.0f, 1.0f));
    EXPECT_FALSE(m.Perspective(1.0f, 5.0f, 5.0f, 1.0f));
    EXPECT_FALSE(m.Perspective(1.0f, 1.0f, 10.0f, 0.0f));
    EXPECT_FALSE(m.Perspective(NAN, 1.0f, 10.0f, 1.0f));
    for (int k = 0; k < 16; k++)
        EXPECT_EQ(m.m[k], k % 5 == 0 ? 1.0f : 0.0f);

    // Points straight ahead on the near and far planes land at depths 1 and -1 after the divide.
    ASSERT_TRUE(m.Perspective(1.5707964f, 1.0f, 3.0f, 2.0f));
    Quor_Vector3 nearPoint(0.0f, 0.0f, -1.0f), farPoint(0.0f, 0.0f, -3.0f);
    EXPECT_TRUE(m.TransformHomo(nearPoint));
    EXPECT_TRUE(m.TransformHomo(farPoint));
    EXPECT_NEAR(nearPoint.z, 1.0f, 1e-6f);
    EXPECT_NEAR(farPoint.z, -1.0f, 1e-6f);
}
