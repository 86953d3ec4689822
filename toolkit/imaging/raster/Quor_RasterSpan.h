// One scanline's run of pixels between two edges, with the attributes it needs evaluated at the
// pixel centres and their per-pixel steps.
#pragma once

#include <cstdint>

#include "toolkit/imaging/raster/Quor_RasterEdge.h"

// Pixel x is covered when its centre x + 0.5 lies strictly right of the left edge and not right
// of the right edge. Attributes are evaluated at the centres of the first and the last covered
// pixel and stepped linearly between them, so they never leave the range spanned by the two
// edges. Pixels left of the destination are skipped by advancing the attributes, which gives
// every visible pixel exactly the value it would have in a wider destination.

// Bit masks of the attributes a fill needs.
constexpr uint32_t Quor_AttributeBit(int component)
{
    return 1u << component;
}

// The range each attribute is held to at a span's ends (16.16).
struct Quor_AttrRanges {
    int64_t lo[kVertexComponents];
    int64_t hi[kVertexComponents];

    // Colour and shade within 0..255 (so value >> 16 indexes a 256-entry table), every other
    // attribute within +-32760.
    static Quor_AttrRanges Default();
};

struct Quor_SpanAttr {
    int64_t value = 0;  // 16.16 at the first pixel of the span
    int64_t step = 0;   // 16.16 per pixel
};

struct Quor_RasterSpan {
    int32_t x0 = 0;     // first pixel inside the destination
    int32_t count = 0;  // pixels to fill
    Quor_SpanAttr a[kVertexComponents];

    // False when no pixel of the row is covered inside the destination's width.
    bool Setup(const Quor_RasterEdge& left, const Quor_RasterEdge& right, int32_t width, uint32_t attributes,
               const Quor_AttrRanges& ranges);
};

struct Quor_SpanAttrF {
    double value = 0.0;
    double step = 0.0;
};

// The floating-point form; it covers exactly the pixels the 16.16 form covers.
struct Quor_RasterSpanF {
    int32_t x0 = 0;
    int32_t count = 0;
    Quor_SpanAttrF a[kVertexComponents];

    bool Setup(const Quor_RasterEdgeF& left, const Quor_RasterEdgeF& right, int32_t width, uint32_t attributes);
};
