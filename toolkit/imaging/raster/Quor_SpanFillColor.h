// The span loop and the untextured fills: flat colour, shaded colour and Gouraud colour, for
// each destination pixel format, with or without a depth test.
#pragma once

#include <cstdint>

#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/raster/Quor_RasterTarget.h"
#include "toolkit/imaging/raster/Quor_ShadingTables.h"

// A fill is a small value with Put(pixel&) -> bool (whether it wrote the pixel) and Step(). A
// depth policy has Pass(i), Commit(i) and Step(). The loop below is instantiated per fill and
// policy, so the mode is decided once per span and the pixel loop carries no mode test.
template <class T, class Fill, class Depth>
inline void Quor_RunSpan(T* dst, int32_t count, Fill fill, Depth depth)
{
    for (int32_t i = 0; i < count; i++) {
        if (depth.Pass(i) && fill.Put(dst[i]))
            depth.Commit(i);
        fill.Step();
        depth.Step();
    }
}

// --- Depth policies ------------------------------------------------------------------------

struct Quor_NoDepth {
    bool Pass(int32_t) const { return true; }
    void Commit(int32_t) const {}
    void Step() {}
};

// Larger is nearer: a pixel is drawn only where its depth is greater than the stored one.
struct Quor_IntDepth {
    int32_t* row;  // at the span's first pixel
    int64_t z;     // 16.16, within +-32760
    int64_t step;
    bool Pass(int32_t i) const { return z > row[i]; }
    void Commit(int32_t i) const { row[i] = static_cast<int32_t>(z); }
    void Step() { z += step; }
};

struct Quor_FloatDepth {
    float* row;
    double z;
    double step;
    // Compared as stored, so the same polygon drawn twice is not nearer than itself.
    bool Pass(int32_t i) const { return static_cast<float>(z) > row[i]; }
    void Commit(int32_t i) const { row[i] = static_cast<float>(z); }
    void Step() { z += step; }
};

// --- Destination formats ---------------------------------------------------------------------

// Each format turns a shading-table entry or a colour into its pixel. Components are 0..255.
struct Quor_Format8 {
    using Pixel = uint8_t;
    const uint8_t* inverse;  // never null (an all-zero cube stands in for a missing one)
    static Quor_Format8 From(const Quor_RasterTarget& t) { return {t.inverse}; }
    static Pixel Flat(const Quor_RasterTarget& t) { return t.color8; }
    Pixel Shade(uint32_t base, uint32_t shade) const { return Quor_ShadingTables::gShadingTable8[base][shade]; }
    Pixel Rgba(uint32_t r, uint32_t g, uint32_t b, uint32_t) const
    {
        return inverse[(r >> 3) * 1024 + (g >> 3) * 32 + (b >> 3)];
    }
};

struct Quor_Format15 {
    using Pixel = uint16_t;
    static Quor_Format15 From(const Quor_RasterTarget&) { return {}; }
    static Pixel Flat(const Quor_RasterTarget& t) { return t.color15; }
    Pixel Shade(uint32_t base, uint32_t shade) const { return Quor_ShadingTables::gShadingTable15[base][shade]; }
    Pixel Rgba(uint32_t r, uint32_t g, uint32_t b, uint32_t) const { return Quor_PixelConvert::Pack15(r, g, b); }
};

// 16-bit images are 5-6-5; the 5-5-5 shading entries are widened, green's top bit repeated.
struct Quor_Format16 {
    using Pixel = uint16_t;
    static Quor_Format16 From(const Quor_RasterTarget&) { return {}; }
    static Pixel Flat(const Quor_RasterTarget& t) { return t.color16; }
    Pixel Shade(uint32_t base, uint32_t shade) const
    {
        const uint32_t p = Quor_ShadingTables::gShadingTable15[base][shade];
        return static_cast<Pixel>(((p & 0x7FE0) << 1) | ((p >> 4) & 0x20) | (p & 0x1F));
    }
    Pixel Rgba(uint32_t r, uint32_t g, uint32_t b, uint32_t) const { return Quor_PixelConvert::Pack16(r, g, b); }
};

struct Quor_Format32 {
    using Pixel = uint32_t;
    static Quor_Format32 From(const Quor_RasterTarget&) { return {}; }
    static Pixel Flat(const Quor_RasterTarget& t) { return t.color32; }
    Pixel Shade(uint32_t base, uint32_t shade) const { return Quor_ShadingTables::gShadingTable32[base][shade]; }
    Pixel Rgba(uint32_t r, uint32_t g, uint32_t b, uint32_t a) const { return Quor_PixelConvert::Pack(r, g, b, a); }
};

// --- Fills -------------------------------------------------------------------------------------

template <class T>
struct Quor_FillFlat {
    T color;
    bool Put(T& p) const
    {
        p = color;
        return true;
    }
    void Step() {}
};

// Mode 1: the base colour's palette entry at the interpolated shade.
template <class F>
struct Quor_FillShade {
    F format;
    uint32_t base;
    int64_t shade;
    int64_t step;
    bool Put(typename F::Pixel& p) const
    {
        p = format.Shade(base, static_cast<uint32_t>(shade >> 16));
        return true;
    }
    void Step() { shade += step; }
};

// Modes 2 and 3: interpolated colour; with kAlpha the 32-bit pixel takes the interpolated alpha,
// otherwise 255.
template <class F, bool kAlpha>
struct Quor_FillGouraud {
    F format;
    int64_t r, g, b, a;
    int64_t dr, dg, db, da;
    bool Put(typename F::Pixel& p) const
    {
        p = format.Rgba(static_cast<uint32_t>(r >> 16), static_cast<uint32_t>(g >> 16),
                        static_cast<uint32_t>(b >> 16), kAlpha ? static_cast<uint32_t>(a >> 16) : 255u);
        return true;
    }
    void Step()
    {
        r += dr;
        g += dg;
        b += db;
        a += da;
    }
};
