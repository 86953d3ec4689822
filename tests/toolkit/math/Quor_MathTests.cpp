// The ease curve, lattice noise and the curve interpolators.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "toolkit/math/Quor_AdditiveRandom.h"
#include "toolkit/math/Quor_Math.h"

using M = Quor_Math;

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
    EXPECT_TRUE(M::Noise(Quor_Vector3(1.5f, 2.5f, 3.5f), 0.0f, 1.0f) == 0.0f
        && M::Turbulence(Quor_Vector3(1.5f, 2.5f, 3.5f), 1e-7f, 1.0f) == 0.0f && M::NoiseLatticeFilled() == filledBefore);
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
    EXPECT_TRUE(M::NoiseLatticeFilled() && random() == expected);
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
    EXPECT_TRUE(M::Noise(Quor_Vector3(1, 2, 3), NAN, 1.0f) == 0.0f && M::Turbulence(Quor_Vector3(1, 2, 3), 1.0f, INFINITY) == 0.0f);
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
