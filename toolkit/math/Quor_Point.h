// An integer point: pixel positions, sizes and mouse locations throughout the toolkit.
#pragma once

#include <cstdint>

struct Quor_Point {
    int32_t x = 0;
    int32_t y = 0;

    constexpr Quor_Point() = default;
    constexpr Quor_Point(int32_t px, int32_t py) : x(px), y(py) {}

    constexpr void Set(int32_t px, int32_t py) { x = px; y = py; }
    constexpr void Set(const Quor_Point& p) { x = p.x; y = p.y; }

    constexpr void OffsetBy(int32_t dx, int32_t dy) { x = Wrap(x, dx); y = Wrap(y, dy); }

    constexpr bool operator==(const Quor_Point& p) const { return x == p.x && y == p.y; }
    constexpr bool operator!=(const Quor_Point& p) const { return !(*this == p); }

    // Arithmetic wraps around at the ends of the 32-bit range instead of overflowing.
    constexpr Quor_Point& operator+=(const Quor_Point& p) { OffsetBy(p.x, p.y); return *this; }
    constexpr Quor_Point& operator-=(const Quor_Point& p)
    {
        x = Wrap(x, -static_cast<int64_t>(p.x));
        y = Wrap(y, -static_cast<int64_t>(p.y));
        return *this;
    }
    constexpr Quor_Point operator+(const Quor_Point& p) const { Quor_Point r(*this); r += p; return r; }
    constexpr Quor_Point operator-(const Quor_Point& p) const { Quor_Point r(*this); r -= p; return r; }

    // a + d modulo 2^32, computed without signed overflow.
    static constexpr int32_t Wrap(int32_t a, int64_t d)
    {
        return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(static_cast<uint64_t>(d)));
    }
};
