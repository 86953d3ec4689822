// Colour arithmetic for the generated artwork: building, mixing and greying rgb_color values.
#pragma once

#include <cstdint>

#include "toolkit/core/Quor_RgbColor.h"

struct ArtColor {
    static constexpr rgb_color Rgb(int red, int green, int blue, int alpha = 255)
    {
        return rgb_color{Clamp(red), Clamp(green), Clamp(blue), Clamp(alpha)};
    }

    // a at t = 0, b at t = 1, every component (alpha included) interpolated and rounded.
    static constexpr rgb_color Mix(rgb_color a, rgb_color b, float t)
    {
        t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
        return rgb_color{Lerp(a.red, b.red, t), Lerp(a.green, b.green, t), Lerp(a.blue, b.blue, t),
                         Lerp(a.alpha, b.alpha, t)};
    }

    static constexpr rgb_color WithAlpha(rgb_color c, int alpha)
    {
        c.alpha = Clamp(alpha);
        return c;
    }

    // The grey of the same luminance (Rec. 601 weights).
    static constexpr rgb_color Grey(rgb_color c)
    {
        const uint8_t v = Round(0.299f * c.red + 0.587f * c.green + 0.114f * c.blue);
        return rgb_color{v, v, v, c.alpha};
    }

    static constexpr uint8_t Clamp(int v) { return uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v)); }
    static constexpr uint8_t Round(float v) { return Clamp(int(v + 0.5f)); }

private:
    static constexpr uint8_t Lerp(uint8_t a, uint8_t b, float t) { return Round(a + (b - a) * t); }
};
