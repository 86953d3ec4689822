#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "toolkit/math/Quor_AdditiveRandom.h"
#include "toolkit/math/Quor_Math.h"

// Catches an ease that clamps t or blends the wrong way round.
TEST(QuorMath, SlerpIsAnUnclampedSmoothstep)
{
    EXPECT_EQ(Quor_Math::Slerp(0.0f, 3.0f, 7.0f), 3.0f);
    EXPECT_EQ(Quor_Math::Slerp(1.0f, 3.0f, 7.0f), 7.0f);
    EXPECT_EQ(Quor_Math::Slerp(0.5f, 0.0f, 1.0f), 0.5f);
    EXPECT_FLOAT_EQ(Quor_Math::Slerp(0.25f, 0.0f, 1.0f), 0.15625f);
    EXPECT_EQ(Quor_Math::Slerp(2.0f, 0.0f, 1.0f), -4.0f);
    EXPECT_TRUE(Quor_Math::RealEqual(1.0f, 1.05f, 0.1f));
    EXPECT_FALSE(Quor_Math::RealEqual(1.0f, 1.1f, 0.1f));
}

// Catches a private generator that drifts from the C library's sequence, which would change
// every stored stroke's noise.
TEST(QuorMath, AdditiveRandomMatchesTheCLibrary)
{
    for (unsigned seed : {666u, 0u, 1u, 3141592u, 4000000000u}) {
        Quor_AdditiveRandom generator(seed);
        srandom(seed);
        for (int i = 0; i < 2000; i++)
            ASSERT_EQ(generator.Next(), static_cast<int32_t>(random())) << "seed " << seed << " value " << i;
    }
}

// Catches noise that reseeds or advances the shared random() generator, and a zero amplitude
// that still builds the lattice.
TEST(QuorMath, NoiseLeavesTheCLibraryGeneratorAlone)
{
    const bool filledBefore = Quor_Math::NoiseLatticeFilled();
    EXPECT_EQ(Quor_Math::Noise(Quor_Vector3(1.5f, 2.5f, 3.5f), 0.0f, 1.0f), 0.0f);
    EXPECT_EQ(Quor_Math::Turbulence(Quor_Vector3(1.5f, 2.5f, 3.5f), 1e-7f, 1.0f), 0.0f);
    EXPECT_EQ(Quor_Math::NoiseLatticeFilled(), filledBefore);

    srandom(12345);
    long expected[4];
    for (long& value : expected)
        value = random();
    srandom(12345);
    EXPECT_EQ(random(), expected[0]);
    Quor_Math::Noise(Quor_Vector3(0.3f, 0.2f, 0.1f), 1.0f, 1.0f);  // fills the lattice here
    EXPECT_TRUE(Quor_Math::NoiseLatticeFilled());
    EXPECT_EQ(random(), expected[1]);
    Quor_Math::TurbulenceVector(Quor_Vector3(4, 5, 6), 2.0f, 0.5f);
    EXPECT_EQ(random(), expected[2]);
    EXPECT_EQ(random(), expected[3]);
}

// Catches a lattice filled in another order or with another formula than the documented one.
TEST(QuorMath, NoiseHitsTheLatticeValues)
{
    srandom(666);
    std::vector<float> lattice(32 * 32 * 32);
    for (float& value : lattice)
        value = static_cast<float>(2.0 * (random() * 4.656613e-10) - 1.0);
    const float amplitude = 2.0f;
    // The offsets added inside Noise move these points exactly onto lattice points (i, j, k).
    const int points[][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {5, 17, 30}, {-1, -2, -3}};
    for (const auto& p : points) {
        const Quor_Vector3 at(p[0] - 0.001209f, p[1] - 0.001306f, p[2] - 0.001413f);
        const int i = (p[0] + 32) % 32, j = (p[1] + 32) % 32, k = (p[2] + 32) % 32;
        EXPECT_NEAR(Quor_Math::Noise(at, amplitude, 1.0f), amplitude * lattice[(i * 32 + j) * 32 + k], 1e-4f)
            << p[0] << "," << p[1] << "," << p[2];
    }
}

// Catches noise that leaves [-amplitude, amplitude], loses the period of 32 lattice cells, or
// converts huge and non-finite coordinates to integers.
TEST(QuorMath, NoiseIsBoundedAndPeriodic)
{
    const unsigned seed = 8086;
    std::printf("NoiseIsBoundedAndPeriodic seed %u\n", seed);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> coordinate(-100.0f, 100.0f);
    std::uniform_real_distribution<float> amplitudes(0.01f, 50.0f);
    for (int i = 0; i < 5000; i++) {
        const Quor_Vector3 p(coordinate(rng), coordinate(rng), coordinate(rng));
        const float amplitude = amplitudes(rng);
        const float n = Quor_Math::Noise(p, amplitude, 1.0f);
        ASSERT_LE(std::fabs(n), amplitude) << "case " << i;
        // Scale 0.5 makes the period 64 input units.
        const float base = Quor_Math::Noise(p, amplitude, 0.5f);
        const float tolerance = 1e-4f * amplitude;
        ASSERT_NEAR(Quor_Math::Noise(p + Quor_Vector3(64, 0, 0), amplitude, 0.5f), base, tolerance) << "case " << i;
        ASSERT_NEAR(Quor_Math::Noise(p + Quor_Vector3(0, -64, 0), amplitude, 0.5f), base, tolerance) << "case " << i;
        ASSERT_NEAR(Quor_Math::Noise(p + Quor_Vector3(0, 0, 128), amplitude, 0.5f), base, tolerance) << "case " << i;
        ASSERT_GE(Quor_Math::Turbulence(p, amplitude, 1.0f), 0.0f);
    }
    for (float big : {1e20f, -1e20f, 3e38f, INFINITY, NAN}) {
        const float n = Quor_Math::Noise(Quor_Vector3(big, 1.0f, 2.0f), 1.0f, 1.0f);
        EXPECT_TRUE(std::isfinite(n) && std::fabs(n) <= 1.0f) << big;
    }
    EXPECT_EQ(Quor_Math::Noise(Quor_Vector3(1, 2, 3), NAN, 1.0f), 0.0f);
    // An infinite scale never halves below the octave limit; it must not hang.
    EXPECT_EQ(Quor_Math::Turbulence(Quor_Vector3(1, 2, 3), 1.0f, INFINITY), 0.0f);
    const Quor_Vector2 zeroScale = Quor_Math::NoiseVector2D(Quor_Vector2(1, 2), 1.0f, 0.0f, 3);
    EXPECT_TRUE(std::isfinite(zeroScale.x) && std::isfinite(zeroScale.y));
}

// Catches an unguarded first fill of the lattice: threads racing into it must all see the same,
// complete lattice.
TEST(QuorMath, ConcurrentFirstUseAgrees)
{
    const Quor_Vector3 p(3.3f, 4.4f, 5.5f);
    std::vector<float> results(8, 0.0f);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < results.size(); t++)
        threads.emplace_back([&results, t, p] { results[t] = Quor_Math::Noise(p, 1.0f, 1.0f); });
    for (std::thread& thread : threads)
        thread.join();
    for (float r : results)
        EXPECT_EQ(r, Quor_Math::Noise(p, 1.0f, 1.0f));
}

// Catches curve interpolators that miss their end keys, divide by an empty span or loop forever.
TEST(QuorMath, CurvesHitTheirKeys)
{
    const Quor_Vector2 p0(0, 1), p1(1, 3), p2(2, 2), p3(3, 5);
    EXPECT_FLOAT_EQ(Quor_Math::SplineInterp(0.0f, p0, p1, p2, p3), 1.0f);
    EXPECT_FLOAT_EQ(Quor_Math::SplineInterp(3.0f, p0, p1, p2, p3), 5.0f);
    EXPECT_FLOAT_EQ(Quor_Math::SplineInterp(2.0f, p0, p1, p2, Quor_Vector2(0, 9)), 1.0f);  // empty span
    for (auto spline : {Quor_Math::SplineInterp2, Quor_Math::SplineInterp3, Quor_Math::SplineInterp4}) {
        EXPECT_FLOAT_EQ(spline(1.0f, p0, p1, p2, p3), 3.0f);
        EXPECT_FLOAT_EQ(spline(2.0f, p0, p1, p2, p3), 2.0f);
        const float mid = spline(1.5f, p0, p1, p2, p3);
        EXPECT_TRUE(std::isfinite(mid) && mid > 1.5f && mid < 3.5f) << mid;
    }
    const Quor_Vector2 none(0, 0);
    EXPECT_NEAR(Quor_Math::Cerp(0.0f, 2.0f, 6.0f, none, none), 2.0f, 1e-3f);
    EXPECT_NEAR(Quor_Math::Cerp(1.0f, 2.0f, 6.0f, none, none), 6.0f, 1e-3f);
    EXPECT_NEAR(Quor_Math::Cerp(0.25f, 2.0f, 6.0f, none, none), 3.0f, 1e-3f);  // straight chord
    const Quor_Vector2 flat(1, 0);
    EXPECT_NEAR(Quor_Math::Cerp(0.5f, 0.0f, 1.0f, flat, flat), 0.5f, 1e-3f);
    EXPECT_TRUE(std::isfinite(Quor_Math::Cerp(7.0f, 0.0f, 1.0f, flat, flat)));
}
