// The one place where floating-point values become integers: rounding, truncation and clamping
// that stay defined for NaN, infinities and values beyond the integer range.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Conversions saturate to the target range; NaN gives 0. Rounding is to the nearest integer
// with halves away from zero (2.5 -> 3, -2.5 -> -3).

inline int32_t Quor_RoundToInt(double v)
{
    if (std::isnan(v))
        return 0;
    v = std::round(v);
    if (v >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// Drops the fraction (towards zero), with the same guards as Quor_RoundToInt.
inline int32_t Quor_TruncToInt(double v)
{
    if (std::isnan(v))
        return 0;
    v = std::trunc(v);
    if (v >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// Largest integer not above v, with the same guards.
inline int32_t Quor_FloorToInt(double v)
{
    return Quor_TruncToInt(std::isnan(v) ? v : std::floor(v));
}

// Smallest integer not below v, with the same guards.
inline int32_t Quor_CeilToInt(double v)
{
    return Quor_TruncToInt(std::isnan(v) ? v : std::ceil(v));
}

// 64-bit rounding (halves away from zero) for sizes, offsets and written numbers.
inline int64_t Quor_RoundToInt64(double v)
{
    if (std::isnan(v))
        return 0;
    v = std::round(v);
    // 2^63 is exactly representable; every double below it converts without overflow.
    if (v >= 9223372036854775808.0)
        return std::numeric_limits<int64_t>::max();
    if (v <= -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(v);
}

// A 64-bit integer saturated to the 32-bit range.
inline int32_t Quor_NarrowToInt(int64_t v)
{
    if (v > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// Rounds and then clamps into [lo, hi]; NaN gives lo.
inline int32_t Quor_RoundClamp(double v, int32_t lo, int32_t hi)
{
    if (std::isnan(v))
        return lo;
    int32_t r = Quor_RoundToInt(v);
    return r < lo ? lo : (r > hi ? hi : r);
}

inline int32_t Quor_Clamp(int32_t v, int32_t lo, int32_t hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

// Float clamp that never lets NaN through: NaN gives lo.
inline float Quor_Clamp(float v, float lo, float hi)
{
    if (std::isnan(v))
        return lo;
    return v < lo ? lo : (v > hi ? hi : v);
}

inline double Quor_Clamp(double v, double lo, double hi)
{
    if (std::isnan(v))
        return lo;
    return v < lo ? lo : (v > hi ? hi : v);
}

// num / den where a zero denominator or a non-finite quotient gives 0 (so 0/0 is 0), for
// fractions such as (value - min) / (max - min) of a control whose range is empty.
inline double Quor_Ratio(double num, double den)
{
    if (den == 0.0)
        return 0.0;
    double q = num / den;
    return std::isfinite(q) ? q : 0.0;
}
