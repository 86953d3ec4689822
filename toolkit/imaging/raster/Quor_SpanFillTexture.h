// The textured fills: nearest texel (shaded, copied, averaged, differenced, masked) and bilinear
// texel (composited, cut out), each stepping its texture position in 16.16 along the span.
#pragma once

#include <cstdint>

#include "toolkit/imaging/ops/Quor_BilinearSampler.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/raster/Quor_SpanFillColor.h"

// --- Texture positions -----------------------------------------------------------------------

// Without repeating, the span set-up has already kept the position inside the texture.
struct Quor_ClampedCoord {
    int64_t value;
    int64_t step;
    Quor_ClampedCoord(int64_t v, int64_t s, int32_t) : value(v), step(s) {}
    int32_t Index() const { return static_cast<int32_t>(value >> 16); }
    void Step() { value += step; }
};

// Repeating: the position is kept in [0, size) by one correction per pixel, which suffices
// because the step itself is reduced to less than one period.
struct Quor_WrappedCoord {
    int64_t value;
    int64_t step;
    int64_t period;
    Quor_WrappedCoord(int64_t v, int64_t s, int32_t size) : period(int64_t(size) << 16)
    {
        value = v % period;
        if (value < 0)
            value += period;
        step = s % period;
    }
    int32_t Index() const { return static_cast<int32_t>(value >> 16); }
    void Step()
    {
        value += step;
        if (value >= period)
            value -= period;
        else if (value < 0)
            value += period;
    }
};

// The nearest texel under a moving position.
template <class Coord>
struct Quor_TexelWalk {
    const uint8_t* const* rows;
    Coord u;
    Coord v;
    template <class T>
    T Fetch() const
    {
        return reinterpret_cast<const T*>(rows[v.Index()])[u.Index()];
    }
    void Step()
    {
        u.Step();
        v.Step();
    }
};

// --- Nearest-texel fills ---------------------------------------------------------------------

// Mode 4: an 8-bit texture of palette indices through the shading tables.
template <class F, class Walk>
struct Quor_FillTextureShade {
    F format;
    Walk walk;
    int64_t shade;
    int64_t step;
    bool Put(typename F::Pixel& p) const
    {
        p = format.Shade(walk.template Fetch<uint8_t>(), static_cast<uint32_t>(shade >> 16));
        return true;
    }
    void Step()
    {
        walk.Step();
        shade += step;
    }
};

// Mode 5 (and the other modes on depths they do not blend): the texel itself.
template <class T, class Walk>
struct Quor_FillTextureCopy {
    Walk walk;
    bool Put(T& p) const
    {
        p = walk.template Fetch<T>();
        return true;
    }
    void Step() { walk.Step(); }
};

// Mode 6 on 32 bits: half destination plus half texel (each byte's low bit dropped) where the
// destination already holds something (alpha not 0), the texel elsewhere.
template <class Walk>
struct Quor_FillTextureAverage {
    Walk walk;
    bool Put(uint32_t& p) const
    {
        const uint32_t t = walk.template Fetch<uint32_t>();
        p = (p & 255) ? ((p >> 1) & 0x7F7F7F7Fu) + ((t >> 1) & 0x7F7F7F7Fu) : t;
        return true;
    }
    void Step() { walk.Step(); }
};

// Mode 7 on 32 bits: where the destination holds something, the absolute difference of each
// colour component and alpha 255 (matching pictures turn black); elsewhere the texel.
template <class Walk>
struct Quor_FillTextureDifference {
    Walk walk;
    static uint32_t Difference(uint32_t a, uint32_t b) { return a > b ? a - b : b - a; }
    bool Put(uint32_t& p) const
    {
        const uint32_t t = walk.template Fetch<uint32_t>();
        if ((p & 255) == 0) {
            p = t;
            return true;
        }
        using PC = Quor_PixelConvert;
        p = PC::Pack(Difference(PC::Red(p), PC::Red(t)), Difference(PC::Green(p), PC::Green(t)),
                     Difference(PC::Blue(p), PC::Blue(t)), 255);
        return true;
    }
    void Step() { walk.Step(); }
};

// Mode 8: binary transparency. Index 0, a 2-byte texel without its top bit, or a 32-bit texel
// with alpha 0 leaves the destination; any other texel is copied whole.
template <class T, class Walk>
struct Quor_FillTextureMask {
    Walk walk;
    static bool Opaque(uint8_t t) { return t != 0; }
    static bool Opaque(uint16_t t) { return (t & 0x8000) != 0; }
    static bool Opaque(uint32_t t) { return (t & 255) != 0; }
    bool Put(T& p) const
    {
        const T t = walk.template Fetch<T>();
        if (!Opaque(t))
            return false;
        p = t;
        return true;
    }
    void Step() { walk.Step(); }
};

// --- Bilinear fills (32-bit destination and texture) -----------------------------------------

// The position is kept with texel centres on whole numbers, as the sampler expects.
struct Quor_BilinearWalk {
    Quor_BilinearSampler sampler;
    int64_t u, v, du, dv;
    uint32_t Sample() const { return sampler.AtFixed(u, v); }
    void Step()
    {
        u += du;
        v += dv;
    }
};

// Mode 9: the sample composited over the destination. Alpha 0 leaves the pixel, alpha 255
// replaces its colour and makes it opaque; between, the colour is tinted by the sample and the
// alpha becomes min(255, sample alpha + destination alpha).
struct Quor_FillTextureOver {
    Quor_BilinearWalk walk;
    bool Put(uint32_t& p) const
    {
        const uint32_t s = walk.Sample();
        const uint32_t sa = s & 255;
        if (sa == 0)
            return false;
        if (sa == 255) {
            p = s;
            return true;
        }
        const uint32_t da = p & 255;
        using PC = Quor_PixelConvert;
        const rgb_color tint{static_cast<uint8_t>(PC::Red(s)), static_cast<uint8_t>(PC::Green(s)),
                             static_cast<uint8_t>(PC::Blue(s)), static_cast<uint8_t>(sa)};
        Quor_ImageOps::TintPixel32(&p, tint);
        const uint32_t alpha = sa + da > 255 ? 255 : sa + da;
        p = (p & 0xFFFFFF00u) | alpha;
        return true;
    }
    void Step() { walk.Step(); }
};

// Mode 10: the sample drawn opaque where its alpha exceeds 128, nothing elsewhere.
struct Quor_FillTextureCutout {
    Quor_BilinearWalk walk;
    bool Put(uint32_t& p) const
    {
        const uint32_t s = walk.Sample();
        if ((s & 255) <= 128)
            return false;
        p = s | 255u;
        return true;
    }
    void Step() { walk.Step(); }
};
