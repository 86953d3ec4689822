#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>

#include "toolkit/math/Quor_Round.h"

namespace {
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
}  // namespace

// Catches rounding that sends halves to even or up (floor(v + 0.5)) instead of away from zero.
TEST(QuorRound, HalvesGoAwayFromZero)
{
    EXPECT_EQ(Quor_RoundToInt(0.5), 1);
    EXPECT_EQ(Quor_RoundToInt(1.5), 2);
    EXPECT_EQ(Quor_RoundToInt(2.5), 3);
    EXPECT_EQ(Quor_RoundToInt(-0.5), -1);
    EXPECT_EQ(Quor_RoundToInt(-2.5), -3);
    EXPECT_EQ(Quor_RoundToInt(-2.4), -2);
    EXPECT_EQ(Quor_RoundToInt(0.49999997f), 0);  // v + 0.5 would round up to 1
    EXPECT_EQ(Quor_RoundToInt64(-7.5), -8);
    EXPECT_EQ(Quor_TruncToInt(-2.9), -2);
    EXPECT_EQ(Quor_TruncToInt(2.9), 2);
    EXPECT_EQ(Quor_FloorToInt(-0.5), -1);
    EXPECT_EQ(Quor_CeilToInt(-0.5), 0);
}

// Catches undefined float-to-int conversion of NaN, infinities and out-of-range values.
TEST(QuorRound, NonFiniteAndOutOfRangeSaturate)
{
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    for (auto convert : {Quor_RoundToInt, Quor_TruncToInt, Quor_FloorToInt, Quor_CeilToInt}) {
        EXPECT_EQ(convert(nan), 0);
        EXPECT_EQ(convert(inf), kMax);
        EXPECT_EQ(convert(-inf), kMin);
        EXPECT_EQ(convert(1e20), kMax);
        EXPECT_EQ(convert(-1e20), kMin);
        EXPECT_EQ(convert(2147483647.0), kMax);
        EXPECT_EQ(convert(-2147483648.0), kMin);
    }
    EXPECT_EQ(Quor_RoundToInt(2147483646.6), kMax);
    EXPECT_EQ(Quor_RoundToInt(-2147483648.4), kMin);
    EXPECT_EQ(Quor_TruncToInt(2147483647.9), kMax);
    EXPECT_EQ(Quor_RoundToInt64(nan), 0);
    EXPECT_EQ(Quor_RoundToInt64(1e30), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(Quor_RoundToInt64(-inf), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(Quor_RoundToInt64(4294967296.5), 4294967297LL);
}

// Catches clamps that let NaN through and ratios that turn an empty range into NaN.
TEST(QuorRound, ClampsAndRatios)
{
    EXPECT_EQ(Quor_RoundClamp(std::nan(""), 10, 20), 10);
    EXPECT_EQ(Quor_RoundClamp(1e30, 10, 20), 20);
    EXPECT_EQ(Quor_RoundClamp(14.5, 10, 20), 15);
    EXPECT_EQ(Quor_Clamp(-5, 0, 3), 0);
    EXPECT_EQ(Quor_Clamp(std::nanf(""), 0.0f, 1.0f), 0.0f);
    EXPECT_EQ(Quor_Clamp(7.0, 0.0, 1.0), 1.0);
    EXPECT_EQ(Quor_Ratio(0.0, 0.0), 0.0);
    EXPECT_EQ(Quor_Ratio(5.0, 0.0), 0.0);
    EXPECT_EQ(Quor_Ratio(1e308, 1e-308), 0.0);
    EXPECT_EQ(Quor_Ratio(3.0, 4.0), 0.75);
}
