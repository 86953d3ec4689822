// Matrices, the ease curve, lattice noise and the curve interpolators.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "toolkit/math/Quor_AdditiveRandom.h"
#include "toolkit/math/Quor_Math.h"
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

using M = Quor_Math;

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
    EXPECT_FALSE(zero.Invert());
    EXPECT_EQ(std::count(zero.m, zero.m + 16, 0.0f), 16);
    EXPECT_TRUE(identity.Invert() && IsIdentity(identity));
    swapped.m[0] = swapped.m[5] = 0;
    swapped.m[1] = swapped.m[4] = 1;
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
    huge.m[0] = huge.m[5] = 1e30f;
    huge.m[15] = 0.0f;
    halve.m[15] = 2.0f;
    EXPECT_EQ(transformed(flat, {2, -3}), Quor_Vector2(2e6f, -3e6f));
    EXPECT_EQ(transformed(huge, {5, -5}), Quor_Vector2(1e30f, -1e30f));
    EXPECT_EQ(transformed(identity, {NAN, 1}), Quor_Vector2(0, 0));
    EXPECT_EQ(transformed(halve, {4, 6}), Quor_Vector2(2, 3));
    Quor_Vector3 p(1, 2, 3);
    EXPECT_FALSE(flat.TransformHomo(p));
    EXPECT_EQ(p, Quor_Vector3(10, 20, 30));
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

// Catches an ease that clamps t or blends the wrong way round, and a RealEqual that is not strict.
TEST(QuorMath, SlerpIsAnUnclampedSmoothstep)
{
    const float cases[][4] = {{0, 3, 7, 3}, {1, 3, 7, 7}, {0.5f, 0, 1, 0.5f}, {0.25f, 0, 1, 0.15625f}, {2, 0, 1, -4}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(M::Slerp(c[0], c[1], c[2]), c[3]) << "t " << c[0] << " from " << c[1] << " to " << c[2];
    EXPECT_TRUE(M::RealEqual(1.0f, 1.05f, 0.1f) && !M::RealEqual(1.0f, 1.5f, 0.5f));
}

// Catches noise that reseeds or advances the shared random() generator, a zero amplitude that
// still builds the lattice, and an unguarded first fill: threads racing into it must all see the
// same, complete lattice.
TEST(QuorMath, NoiseFillsItsLatticeOnceAndPrivately)
{
    const bool filledBefore = M::NoiseLatticeFilled();
    EXPECT_EQ(M::Noise(Quor_Vector3(1.5f, 2.5f, 3.5f), 0.0f, 1.0f), 0.0f);
    EXPECT_EQ(M::Turbulence(Quor_Vector3(1.5f, 2.5f, 3.5f), 1e-7f, 1.0f), 0.0f);
    EXPECT_EQ(M::NoiseLatticeFilled(), filledBefore);
    srandom(12345);
    const long expected = random();
    srandom(12345);
    const Quor_Vector3 p(3.3f, 4.4f, 5.5f);
    std::vector<float> results(8, 0.0f);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < results.size(); t++)
        threads.emplace_back([&results, t, p] { results[t] = M::Noise(p, 1.0f, 1.0f); });
    for (std::thread& thread : threads)
        thread.join();
    M::TurbulenceVector(p, 2.0f, 0.5f);
    EXPECT_TRUE(M::NoiseLatticeFilled());
    EXPECT_EQ(random(), expected);
    for (float r : results)
        EXPECT_EQ(r, M::Noise(p, 1.0f, 1.0f));
}

// Catches a private generator that drifts from the C library's sequence (which would change every
// stored stroke's noise), and a lattice filled in another order or with another formula than the
// documented one (reference lattice built here from the C library).
TEST(QuorMath, NoiseHitsTheLatticeValues)
{
    for (unsigned seed : {0u, 1u, 3141592u, 4000000000u, 666u}) {
        Quor_AdditiveRandom generator(seed);
        srandom(seed);
        for (int i = 0; i < 2000; i++)
            ASSERT_EQ(generator.Next(), static_cast<int32_t>(random())) << "seed " << seed << " value " << i;
    }
    srandom(666);
    std::vector<float> lattice(32 * 32 * 32);
    for (float& value : lattice)
        value = static_cast<float>(2.0 * (random() * 4.656613e-10) - 1.0);
    // The offsets added inside Noise move these points exactly onto lattice points (i, j, k).
    for (const auto& p : {std::vector{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {5, 17, 30}, {-1, -2, -3}}) {
        const Quor_Vector3 at(p[0] - 0.001209f, p[1] - 0.001306f, p[2] - 0.001413f);
        const int i = (p[0] + 32) % 32, j = (p[1] + 32) % 32, k = (p[2] + 32) % 32;
        EXPECT_NEAR(M::Noise(at, 2.0f, 1.0f), 2.0f * lattice[(i * 32 + j) * 32 + k], 1e-4f)
            << p[0] << "," << p[1] << "," << p[2];
    }
}

// Catches noise that leaves [-amplitude, amplitude], loses the period of 32 lattice cells, or
// converts huge and non-finite coordinates to integers; and turbulence that hangs on an
// infinite scale.
TEST(QuorMath, NoiseIsBoundedAndPeriodic)
{
    const unsigned seed = 8086;
    std::printf("NoiseIsBoundedAndPeriodic seed %u\n", seed);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> coordinate(-100.0f, 100.0f), amplitudes(0.01f, 50.0f);
    for (int i = 0; i < 5000; i++) {
        const Quor_Vector3 p(coordinate(rng), coordinate(rng), coordinate(rng));
        const float amplitude = amplitudes(rng);
        ASSERT_LE(std::fabs(M::Noise(p, amplitude, 1.0f)), amplitude) << "case " << i;
        ASSERT_GE(M::Turbulence(p, amplitude, 1.0f), 0.0f) << "case " << i;
        const float base = M::Noise(p, amplitude, 0.5f);  // scale 0.5: the period is 64 units
        for (const Quor_Vector3& shift : {Quor_Vector3(64, 0, 0), Quor_Vector3(0, -64, 0), Quor_Vector3(0, 0, 128)})
            ASSERT_NEAR(M::Noise(p + shift, amplitude, 0.5f), base, 1e-4f * amplitude) << "case " << i;
    }
    for (float big : {1e20f, -1e20f, 3e38f, INFINITY, NAN}) {
        const float n = M::Noise(Quor_Vector3(big, 1.0f, 2.0f), 1.0f, 1.0f);
        EXPECT_TRUE(std::isfinite(n) && std::fabs(n) <= 1.0f) << big;
    }
    EXPECT_EQ(M::Noise(Quor_Vector3(1, 2, 3), NAN, 1.0f), 0.0f);
    EXPECT_EQ(M::Turbulence(Quor_Vector3(1, 2, 3), 1.0f, INFINITY), 0.0f);
    const Quor_Vector2 zero = M::NoiseVector2D(Quor_Vector2(1, 2), 1.0f, 0.0f, 3);  // zero scale
    EXPECT_TRUE(std::isfinite(zero.x) && std::isfinite(zero.y));
}

// Catches curve interpolators that miss their end keys, divide by an empty span or loop forever.
TEST(QuorMath, CurvesHitTheirKeys)
{
    const Quor_Vector2 p0(0, 1), p1(1, 3), p2(2, 2), p3(3, 5), none(0, 0), flat(1, 0);
    EXPECT_FLOAT_EQ(M::SplineInterp(3.0f, p0, p1, p2, p3), 5.0f);
    EXPECT_FLOAT_EQ(M::SplineInterp(2.0f, p0, p1, p2, Quor_Vector2(0, 9)), 1.0f);  // empty span
    for (auto spline : {M::SplineInterp2, M::SplineInterp3, M::SplineInterp4})
        EXPECT_TRUE(spline(1.0f, p0, p1, p2, p3) == 3.0f && spline(2.0f, p0, p1, p2, p3) == 2.0f);
    EXPECT_NEAR(M::Cerp(1.0f, 2.0f, 6.0f, none, none), 6.0f, 1e-3f);
    EXPECT_NEAR(M::Cerp(0.25f, 2.0f, 6.0f, none, none), 3.0f, 1e-3f);  // straight chord
    EXPECT_TRUE(std::isfinite(M::Cerp(7.0f, 0.0f, 1.0f, flat, flat)));  // t beyond the curve
}
