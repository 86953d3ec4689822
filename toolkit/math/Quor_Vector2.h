// A two-component float vector: canvas coordinates, texture positions and 2-D noise samples.
#pragma once

#include <cmath>

struct Quor_Vector2 {
    float x = 0.0f;
    float y = 0.0f;

    constexpr Quor_Vector2() = default;
    constexpr Quor_Vector2(float px, float py) : x(px), y(py) {}

    constexpr void Set(float px, float py) { x = px; y = py; }
    constexpr void Set(const Quor_Vector2& v) { x = v.x; y = v.y; }

    constexpr Quor_Vector2& operator+=(const Quor_Vector2& v) { x += v.x; y += v.y; return *this; }
    constexpr Quor_Vector2& operator-=(const Quor_Vector2& v) { x -= v.x; y -= v.y; return *this; }
    constexpr Quor_Vector2& operator*=(float s) { x *= s; y *= s; return *this; }
    constexpr Quor_Vector2& operator/=(float s) { x /= s; y /= s; return *this; }

    constexpr Quor_Vector2 operator+(const Quor_Vector2& v) const { return Quor_Vector2(x + v.x, y + v.y); }
    constexpr Quor_Vector2 operator-(const Quor_Vector2& v) const { return Quor_Vector2(x - v.x, y - v.y); }
    constexpr Quor_Vector2 operator*(float s) const { return Quor_Vector2(x * s, y * s); }
    constexpr Quor_Vector2 operator/(float s) const { return Quor_Vector2(x / s, y / s); }

    constexpr bool operator==(const Quor_Vector2& v) const { return x == v.x && y == v.y; }
    constexpr bool operator!=(const Quor_Vector2& v) const { return !(*this == v); }

    constexpr float Dot(const Quor_Vector2& v) const { return x * v.x + y * v.y; }
    float Mag() const { return std::sqrt(x * x + y * y); }
    constexpr float SquaredMag() const { return x * x + y * y; }

    // The unit vector in the same direction; a zero-length vector gives (0, 1).
    Quor_Vector2 Norm() const;
    void NormMe() { *this = Norm(); }

    // A quarter turn counter-clockwise in axes with y up: (-y, x).
    constexpr Quor_Vector2 GetOrthogonal() const { return Quor_Vector2(-y, x); }

    // Turns the vector in place by angle radians (counter-clockwise with y up).
    void Rotate(float angle);
};

constexpr Quor_Vector2 operator*(float s, const Quor_Vector2& v) { return v * s; }
// Divides the vector by the scalar, as the member form does.
constexpr Quor_Vector2 operator/(float s, const Quor_Vector2& v) { return v / s; }
