// A polygon edge sampled at one scanline: its position and every vertex attribute there, in
// 16.16 fixed point (Quor_RasterEdge) or in floating point (Quor_RasterEdgeF).
#pragma once

#include <cstdint>

// The eleven components of a Quor_poly vertex, in record order. Edge samples use the same slots;
// the y slot of a sample is unused (the scanline gives it).
enum Quor_VertexComponent : int {
    kVertexX = 0,
    kVertexShade = 1,
    kVertexU = 2,
    kVertexV = 3,
    kVertexZ = 4,
    kVertexY = 5,
    kVertexW = 6,
    kVertexRed = 7,
    kVertexGreen = 8,
    kVertexBlue = 9,
    kVertexAlpha = 10,
    kVertexComponents = 11
};

using Quor_RasterVertex = float[kVertexComponents];

struct Quor_RasterEdgeF {
    double a[kVertexComponents];
};

struct Quor_RasterEdge {
    int64_t a[kVertexComponents];

    // Attributes saturate at +-32760 (+-0x7FF80000 in 16.16), so every value and every
    // difference of two values fits the span arithmetic.
    static constexpr double kAttributeLimit = 32760.0;
    // Positions are kept within +-2^29 pixels: far beyond any destination, and small enough that
    // a span's length times its 16.16 step cannot overflow 64 bits.
    static constexpr double kPositionLimit = 536870912.0;

    // Floor of a value already known to lie well inside the 64-bit range.
    static int64_t Floor(double v)
    {
        const int64_t i = static_cast<int64_t>(v);
        return i - (static_cast<double>(i) > v ? 1 : 0);
    }

    // Floor to 16.16 after clamping; the callers pass finite values only, but NaN still gives 0.
    static int64_t ToFixed(double v, double limit)
    {
        if (!(v == v))
            return 0;
        v = v < -limit ? -limit : (v > limit ? limit : v);
        return Floor(v * 65536.0);
    }

    // Converts x and the components in `mask` (bit k for component k); the others become 0.
    static Quor_RasterEdge FromFloat(const Quor_RasterEdgeF& f, uint32_t mask)
    {
        Quor_RasterEdge e;
        e.a[kVertexX] = ToFixed(f.a[kVertexX], kPositionLimit);
        for (int c = 1; c < kVertexComponents; c++)
            e.a[c] = (mask >> c) & 1 ? ToFixed(f.a[c], kAttributeLimit) : 0;
        return e;
    }
};
