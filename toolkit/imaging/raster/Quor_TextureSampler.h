// Bilinear sampling of a 32-bit texture through its row pointers, with the texture either
// clamped at its edges or repeating.
#pragma once

#include <cstdint>

#include "toolkit/imaging/Quor_PixelConvert.h"

// Coordinates are 16.16 with texel centres on whole numbers (the convention of
// Quor_ImageOps::SampleImage, whose arithmetic this repeats): x0 = floor(u), x1 = x0 + 1, weight
// fx = fraction of u. Clamped, both indices stay inside the texture so the edge texels repeat;
// repeating, the indices wrap, so the right neighbour of the last column is column 0. Colour and
// alpha are interpolated independently; where the top interpolated alpha and both bottom alphas
// are 0 the result is 0.
class Quor_TextureSampler {
public:
    const uint8_t* const* rows;
    int32_t width;
    int32_t height;
    bool repeat;

    uint32_t Sample(int64_t u, int64_t v) const
    {
        int32_t x0, x1, y0, y1;
        Indices(u >> 16, width, &x0, &x1);
        Indices(v >> 16, height, &y0, &y1);
        const float fx = static_cast<float>(u & 0xFFFF) * (1.0f / 65536.0f);
        const float fy = static_cast<float>(v & 0xFFFF) * (1.0f / 65536.0f);
        const uint32_t* top = reinterpret_cast<const uint32_t*>(rows[y0]);
        const uint32_t* bottom = reinterpret_cast<const uint32_t*>(rows[y1]);
        const uint32_t p00 = top[x0], p10 = top[x1], p01 = bottom[x0], p11 = bottom[x1];

        const float topAlpha = Lerp(float(p00 & 255), float(p10 & 255), fx);
        if (topAlpha == 0.0f && (p01 & 255) == 0 && (p11 & 255) == 0)
            return 0;
        const uint32_t a = Component(topAlpha, Lerp(float(p01 & 255), float(p11 & 255), fx), fy);
        const uint32_t r = Mix(p00, p10, p01, p11, 8, fx, fy);
        const uint32_t g = Mix(p00, p10, p01, p11, 16, fx, fy);
        const uint32_t b = Mix(p00, p10, p01, p11, 24, fx, fy);
        return Quor_PixelConvert::Pack(r, g, b, a);
    }

private:
    void Indices(int64_t i, int32_t size, int32_t* i0, int32_t* i1) const
    {
        if (repeat) {
            int64_t w = i % size;
            if (w < 0)
                w += size;
            *i0 = static_cast<int32_t>(w);
            *i1 = *i0 + 1 == size ? 0 : *i0 + 1;
        } else {
            *i0 = static_cast<int32_t>(i < 0 ? 0 : (i >= size ? size - 1 : i));
            *i1 = static_cast<int32_t>(i + 1 < 0 ? 0 : (i + 1 >= size ? size - 1 : i + 1));
        }
    }

    static float Lerp(float a, float b, float t) { return a + (b - a) * t; }

    // Rounds half away from zero (the value is never negative beyond rounding noise) and clamps.
    static uint32_t Component(float top, float bottom, float fy)
    {
        float value = top + (bottom - top) * fy;
        value = value < 0.0f ? 0.0f : (value > 255.0f ? 255.0f : value);
        return static_cast<uint32_t>(value + 0.5f);
    }

    static uint32_t Mix(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, int shift, float fx, float fy)
    {
        const float top = Lerp(float((p00 >> shift) & 255), float((p10 >> shift) & 255), fx);
        const float bottom = Lerp(float((p01 >> shift) & 255), float((p11 >> shift) & 255), fx);
        return Component(top, bottom, fy);
    }
};
