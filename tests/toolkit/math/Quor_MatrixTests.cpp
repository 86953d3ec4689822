// Matrices: the order of operations, inversion, transforms and the aiming helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "toolkit/math/Quor_Matrix.h"

namespace {

::testing::AssertionResult Near(const Quor_Vector3& v, const Quor_Vector3& expected, float tolerance)
{
    if ((v - expected).Mag() <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << v.x << ", " << v.y << ", " << v.z << ") instead of ("
                                         << expected.x << ", " << expected.y << ", " << expected.z << ")";
}

Quor_Vector3 Transformed(const Quor_Matrix& m, Quor_Vector3 v) { m.Transform(v); return v; }

bool IsIdentity(const Quor_Matrix& m, float tolerance = 0.0f)
{
    const Quor_Matrix identity;
    return std::equal(m.m, m.m + 16, identity.m, [=](float a, float b) { return std::fabs(a - b) <= tolerance; });
}

Quor_Vector3 RandomUnit(std::mt19937& rng)
{
    std::normal_distribution<float> normal;
    const Quor_Vector3 v(normal(rng), normal(rng), normal(rng));
    return v.Mag() < 0.1f ? Quor_Vector3(0, 1, 0) : v.Norm();
}

}  // namespace

// Catches multiplying on the wrong side (the operation called last must act first on points)
// and shears that move the wrong components or act on an invalid axis.
TEST(QuorMatrix, LaterOperationsActFirst)
{
    Quor_Matrix ts, st, shear, invalid;
    ts.Translate(1, 0, 0);
    ts.Scale(2, 2, 2);
    st.Scale(2, 2, 2);
    st.Translate(1, 0, 0);
    shear.Shear(QUOR_AXIS_Y, 2, 3);  // x gains 2y, z gains 3y
    invalid.Shear(static_cast<Quor_axis>(7), 2, 3);
    EXPECT_TRUE(Near(Transformed(ts, {1, 0, 0}), {3, 0, 0}, 1e-6f));
    EXPECT_TRUE(Near(Transformed(st, {1, 0, 0}), {4, 0, 0}, 1e-6f));
    EXPECT_TRUE(Near(Transformed(shear, {1, 1, 1}), {3, 1, 4}, 1e-6f));
    EXPECT_TRUE(IsIdentity(invalid));
}

// Catches a matrix rotation whose sense or axis differs from Quor_Vector3::Rotate (every fourth
// case an invalid axis).
TEST(QuorMatrix, RotateAgreesWithVectorRotate)
{
    std::printf("RotateAgreesWithVectorRotate seed 7130\n");
    std::mt19937 rng(7130);
    std::uniform_real_distribution<float> coordinate(-10.0f, 10.0f), angle(-6.3f, 6.3f);
    for (int i = 0; i < 300; i++) {
        const float a = angle(rng);
        Quor_Vector3 v(coordinate(rng), coordinate(rng), coordinate(rng));
        Quor_Matrix m;
        m.Rotate(i % 4, a);
        const Quor_Vector3 viaMatrix = Transformed(m, v);
        v.Rotate(i % 4, a);
        EXPECT_TRUE(Near(viaMatrix, v, 1e-4f)) << "case " << i << " axis " << i % 4 << " angle " << a;
    }
}

// Catches a wrong cofactor sign or transpose in Adjoint/Invert, a near-singular matrix scaled by
// an enormous 1/determinant, and a determinant that loses the sign of an axis swap.
TEST(QuorMatrix, InvertTimesOriginalIsIdentity)
{
    std::printf("InvertTimesOriginalIsIdentity seed 99\n");
    std::mt19937 rng(99);
    std::uniform_real_distribution<float> element(-1.0f, 1.0f);
    for (int i = 0; i < 200; i++) {
        Quor_Matrix m;
        for (int k = 0; k < 16; k++)
            m.m[k] = element(rng) + (k % 5 == 0 ? 4.0f : 0.0f);  // diagonally dominant
        Quor_Matrix inverse = m;
        ASSERT_TRUE(inverse.Invert());
        inverse.Multiply(m);
        ASSERT_TRUE(IsIdentity(inverse, 1e-5f)) << "case " << i;
    }
    Quor_Matrix zero, identity, swapped;
    std::fill(zero.m, zero.m + 16, 0.0f);
    EXPECT_TRUE(!zero.Invert() && std::count(zero.m, zero.m + 16, 0.0f) == 16);
    EXPECT_TRUE(identity.Invert() && IsIdentity(identity));
    swapped.m[0] = swapped.m[5] = 0, swapped.m[1] = swapped.m[4] = 1;
    EXPECT_EQ(swapped.Determinant(), -1.0f);
    swapped.Scale(2, 3, 5);
    EXPECT_FLOAT_EQ(swapped.Determinant(), -30.0f);
}

// Catches a homogeneous divide by zero (inf/NaN points) and unbounded or NaN results that would
// make pixel rounding undefined.
TEST(QuorMatrix, TransformVector2StaysBounded)
{
    auto transformed = [](const Quor_Matrix& m, Quor_Vector2 v) { m.Transform(v); return v; };
    Quor_Matrix flat, huge, halve, identity;
    flat.m[15] = 0.0f;  // w' = 0 for every point
    huge.m[0] = huge.m[5] = 1e30f, huge.m[15] = 0.0f, halve.m[15] = 2.0f;
    EXPECT_EQ(transformed(flat, {2, -3}), Quor_Vector2(2e6f, -3e6f));
    EXPECT_EQ(transformed(huge, {5, -5}), Quor_Vector2(1e30f, -1e30f));
    EXPECT_EQ(transformed(identity, {NAN, 1}), Quor_Vector2(0, 0));
    EXPECT_EQ(transformed(halve, {4, 6}), Quor_Vector2(2, 3));
    Quor_Vector3 p(1, 2, 3);
    EXPECT_TRUE(!flat.TransformHomo(p) && p == Quor_Vector3(10, 20, 30));
}

// Catches a look-at that turns the wrong way (the target must end up straight ahead on -z), and
// RotateVecToVec turning the wrong way, producing NaN from a dot product just above 1, mirroring,
// or doing nothing for opposite vectors.
TEST(QuorMatrix, LookatAndRotateVecToVecAim)
{
    std::printf("LookatAndRotateVecToVecAim seed 4242\n");
    std::mt19937 rng(4242);
    std::uniform_real_distribution<float> coordinate(-20.0f, 20.0f);
    for (int i = 0; i < 200; i++) {
        const Quor_Vector3 eye(coordinate(rng), coordinate(rng), coordinate(rng));
        const Quor_Vector3 target(coordinate(rng), coordinate(rng), coordinate(rng));
        const float distance = (target - eye).Mag();
        if (distance < 0.5f)
            continue;
        Quor_Matrix m;
        m.Lookat(eye, target);
        EXPECT_TRUE(Near(Transformed(m, target), {0, 0, -distance}, 2e-3f * distance)) << "case " << i;
        EXPECT_TRUE(Near(Transformed(m, eye), {0, 0, 0}, 2e-4f)) << "case " << i;
    }
    for (int i = 0; i < 300; i++) {
        const Quor_Vector3 from = RandomUnit(rng);
        const Quor_Vector3 to = i % 3 == 0 ? from : (i % 3 == 1 ? from * -1.0f : RandomUnit(rng));
        Quor_Matrix m;
        m.RotateVecToVec(from, to);
        EXPECT_TRUE(Near(Transformed(m, from), to, 2e-4f)) << "case " << i;
        EXPECT_NEAR(m.Determinant(), 1.0f, 1e-4f) << "case " << i;  // a rotation, not a mirror
        EXPECT_TRUE(i % 3 != 0 || IsIdentity(m, 1e-6f)) << "case " << i;  // from onto itself
    }
}

// Catches a perspective built from a zero field of view or an empty depth range (inf/NaN
// elements), and near and far planes that do not land at depths 1 and -1.
TEST(QuorMatrix, PerspectiveRefusesDegenerateRequests)
{
    Quor_Matrix m;
    for (const auto& a : {std::array<float, 4>{0, 1, 10, 1}, {1, 5, 5, 1}, {1, 1, 10, 0}, {NAN, 1, 10, 1}})
        EXPECT_FALSE(m.Perspective(a[0], a[1], a[2], a[3])) << a[0] << ", " << a[1] << ", " << a[2] << ", " << a[3];
    EXPECT_TRUE(IsIdentity(m));
    ASSERT_TRUE(m.Perspective(1.5707964f, 1.0f, 3.0f, 2.0f));
    Quor_Vector3 nearPoint(0.0f, 0.0f, -1.0f), farPoint(0.0f, 0.0f, -3.0f);
    EXPECT_TRUE(m.TransformHomo(nearPoint) && m.TransformHomo(farPoint));
    EXPECT_TRUE(Near(nearPoint, {0, 0, 1}, 1e-6f) && Near(farPoint, {0, 0, -1}, 1e-6f));
}
