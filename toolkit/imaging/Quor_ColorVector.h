// A colour as four floats, nominally 0 to 1, for gradients and colour arithmetic.
// The arithmetic acts on red, green and blue only; a result keeps the left operand's alpha.
#pragma once

#include <cstdint>

#include "toolkit/core/Quor_RgbColor.h"

class Quor_ColorVector {
public:
    float r = 1.0f;
    float g = 1.0f;
    float b = 1.0f;
    float a = 1.0f;

    Quor_ColorVector() = default;
    Quor_ColorVector(float red, float green, float blue) : r(red), g(green), b(blue), a(1.0f) {}
    Quor_ColorVector(float red, float green, float blue, float alpha)
        : r(red), g(green), b(blue), a(alpha)
    {
    }
    Quor_ColorVector(const rgb_color& c) { Set(c); }

    void Set(float red, float green, float blue) { Set(red, green, blue, 1.0f); }
    void Set(float red, float green, float blue, float alpha)
    {
        r = red;
        g = green;
        b = blue;
        a = alpha;
    }
    void Set(const rgb_color& c)
    {
        Set(c.red / 255.0f, c.green / 255.0f, c.blue / 255.0f, c.alpha / 255.0f);
    }
    void Set(const Quor_ColorVector& v) { *this = v; }

    float Mag() const;
    float SquaredMag() const { return r * r + g * g + b * b; }
    // Clamps all four components to [0, 1] (NaN becomes 0).
    void Normalize();
    void Invert()
    {
        r = 1.0f - r;
        g = 1.0f - g;
        b = 1.0f - b;
    }
    bool IsBlack() const { return r < 1e-6f && g < 1e-6f && b < 1e-6f; }
    bool IsWhite() const { return r > 0.999999f && g > 0.999999f && b > 0.999999f; }
    bool IsOpaque() const { return a > 0.999999f; }
    bool IsTransparent() const { return a < 1e-6f; }

    // Each component times 255, rounded half away from zero, clamped to 0..255.
    rgb_color AsColorStruct() const;
    operator rgb_color() const { return AsColorStruct(); }
    uint32_t As32bitColor() const;
    uint16_t As16bitColor() const;
    uint16_t As15bitColor() const;
    uint8_t As8bitColor() const;

    Quor_ColorVector& operator+=(const Quor_ColorVector& v)
    {
        r += v.r;
        g += v.g;
        b += v.b;
        return *this;
    }
    Quor_ColorVector& operator-=(const Quor_ColorVector& v)
    {
        r -= v.r;
        g -= v.g;
        b -= v.b;
        return *this;
    }
    Quor_ColorVector& operator*=(const Quor_ColorVector& v)
    {
        r *= v.r;
        g *= v.g;
        b *= v.b;
        return *this;
    }
    Quor_ColorVector& operator*=(float s)
    {
        r *= s;
        g *= s;
        b *= s;
        return *this;
    }
    Quor_ColorVector& operator/=(float s)
    {
        r /= s;
        g /= s;
        b /= s;
        return *this;
    }

    Quor_ColorVector operator+(const Quor_ColorVector& v) const { return Quor_ColorVector(*this) += v; }
    Quor_ColorVector operator-(const Quor_ColorVector& v) const { return Quor_ColorVector(*this) -= v; }
    Quor_ColorVector operator*(const Quor_ColorVector& v) const { return Quor_ColorVector(*this) *= v; }
    Quor_ColorVector operator*(float s) const { return Quor_ColorVector(*this) *= s; }
    Quor_ColorVector operator/(float s) const { return Quor_ColorVector(*this) /= s; }
};

inline Quor_ColorVector operator*(float s, const Quor_ColorVector& v) { return v * s; }
// Like the member form: the vector divided by the scalar.
inline Quor_ColorVector operator/(float s, const Quor_ColorVector& v) { return v / s; }
