// Float colours: arithmetic that keeps alpha, conversions that clamp.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/ImageFixtures.h"
#include "toolkit/imaging/Quor_ColorVector.h"

using namespace quor_test;
// Catches arithmetic that touches alpha, conversions that wrap instead of clamping, and NaN
// reaching an integer conversion.
TEST(QuorColorVector, ArithmeticKeepsAlphaAndConversionsClamp)
{
    const Quor_ColorVector sum = Quor_ColorVector(0.5f, 0.5f, 0.5f, 0.25f) + Quor_ColorVector(1, 1, 1, 1);
    EXPECT_TRUE(sum.a == 0.25f && sum.r == 1.5f);
    EXPECT_FLOAT_EQ((2.0f * Quor_ColorVector(0.25f, 0, 0, 0.5f)).a, 0.5f);
    EXPECT_FLOAT_EQ((4.0f / Quor_ColorVector(1, 2, 3)).g, 0.5f);   // the vector over the scalar

    EXPECT_EQ(Quor_ColorVector(1.2f, -0.1f, 0.5f, 1).AsColorStruct(), (rgb_color{255, 0, 128, 255}));
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(Quor_ColorVector(nan, inf, -inf, 1e30f).AsColorStruct(), (rgb_color{0, 255, 0, 255}));
    EXPECT_FLOAT_EQ(Quor_ColorVector(rgb_color{255, 0, 51, 255}).b, 0.2f);

    Quor_ColorVector n(nan, 2, -1, 0.5f);
    n.Normalize();
    EXPECT_TRUE(n.r == 0.0f && n.g == 1.0f && n.b == 0.0f) << n.r << " " << n.g << " " << n.b;
    EXPECT_EQ(Quor_ColorVector(1, 0, 0).As32bitColor(), Px(255, 0, 0));
}
