// A three-component float vector: points on the panorama sphere, directions and 3-D noise
// positions. Rotate turns it right-handed about one coordinate axis.
#pragma once

#include <cmath>

struct Quor_Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Quor_Vector3() = default;
    constexpr Quor_Vector3(float px, float py, float pz) : x(px), y(py), z(pz) {}

    constexpr void Set(float px, float py, float pz) { x = px; y = py; z = pz; }
    constexpr void Set(const Quor_Vector3& v) { x = v.x; y = v.y; z = v.z; }

    // Component by index: 0 = x, 1 = y, 2 = z. Indices outside 0..2 are clamped into it.
    constexpr float& operator[](int i) { return i <= 0 ? x : (i == 1 ? y : z); }
    constexpr const float& operator[](int i) const { return i <= 0 ? x : (i == 1 ? y : z); }

    constexpr Quor_Vector3& operator+=(const Quor_Vector3& v) { x += v.x; y += v.y; z += v.z; return *this; }
    constexpr Quor_Vector3& operator-=(const Quor_Vector3& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
    constexpr Quor_Vector3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
    constexpr Quor_Vector3& operator/=(float s) { x /= s; y /= s; z /= s; return *this; }

    constexpr Quor_Vector3 operator+(const Quor_Vector3& v) const { return Quor_Vector3(x + v.x, y + v.y, z + v.z); }
    constexpr Quor_Vector3 operator-(const Quor_Vector3& v) const { return Quor_Vector3(x - v.x, y - v.y, z - v.z); }
    constexpr Quor_Vector3 operator*(float s) const { return Quor_Vector3(x * s, y * s, z * s); }
    constexpr Quor_Vector3 operator/(float s) const { return Quor_Vector3(x / s, y / s, z / s); }

    constexpr bool operator==(const Quor_Vector3& v) const { return x == v.x && y == v.y && z == v.z; }
    constexpr bool operator!=(const Quor_Vector3& v) const { return !(*this == v); }

    constexpr float Dot(const Quor_Vector3& v) const { return x * v.x + y * v.y + z * v.z; }
    float Mag() const { return std::sqrt(x * x + y * y + z * z); }
    constexpr float SquaredMag() const { return x * x + y * y + z * z; }

    // this x b.
    constexpr Quor_Vector3 Cross(const Quor_Vector3& b) const
    {
        return Quor_Vector3(y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x);
    }

    // The unit vector in the same direction; a zero-length vector gives (0, 0, 1).
    Quor_Vector3 Norm() const;
    void NormMe() { *this = Norm(); }

    // Right-handed rotation in place by angle radians about axis 0 (x), 1 (y) or 2 (z);
    // any other axis leaves the vector unchanged.
    void Rotate(int axis, float angle);

    // Two unit vectors orthogonal to this one and to each other. A zero (or non-finite)
    // vector gives (1, 0, 0) and (0, 1, 0). Null pointers are ignored.
    void GetOrthogonals(Quor_Vector3* a, Quor_Vector3* b) const;
};

constexpr Quor_Vector3 operator*(float s, const Quor_Vector3& v) { return v * s; }
// Divides the vector by the scalar, as the member form does.
constexpr Quor_Vector3 operator/(float s, const Quor_Vector3& v) { return v / s; }
