// Floats to integers: halves away from zero, and defined results for NaN, infinities and values
// beyond the integer range.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "toolkit/math/Quor_Round.h"

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

}  // namespace

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
    EXPECT_EQ((std::array{Quor_RoundToInt(2147483646.6), Quor_RoundToInt(-2147483648.4), Quor_TruncToInt(2147483647.9)}),
        (std::array{kMax, kMin, kMax}));
    EXPECT_EQ((std::array{Quor_RoundToInt64(NAN), Quor_RoundToInt64(1e30), Quor_RoundToInt64(-inf)}),
        (std::array<int64_t, 3>{0, std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min()}));

    EXPECT_TRUE(Quor_RoundClamp(NAN, 10, 20) == 10 && Quor_RoundClamp(1e30, 10, 20) == 20);
    EXPECT_TRUE(Quor_RoundClamp(14.5, 10, 20) == 15 && Quor_Clamp(-5, 0, 3) == 0);
    EXPECT_TRUE(Quor_Clamp(std::nanf(""), 0.0f, 1.0f) == 0.0f && Quor_Clamp(7.0, 0.0, 1.0) == 1.0);
    const double ratios[][3] = {{0, 0, 0}, {5, 0, 0}, {1e308, 1e-308, 0}, {3, 4, 0.75}};
    for (const auto& c : ratios)
        EXPECT_EQ(Quor_Ratio(c[0], c[1]), c[2]) << c[0] << " / " << c[1];
}
