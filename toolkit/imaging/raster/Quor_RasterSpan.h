// One scanline's run of pixels between two edges, with the attributes it needs evaluated at the
// pixel centres and their per-pixel steps.
#pragma once

#include <algorithm>
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

// The span arithmetic, shared by Quor_RasterSpan::Setup and the rasterizer's triangle path so
// that both give every pixel the same value.
namespace quor_raster_detail {

struct Coverage {
    int64_t xStart;  // first covered pixel, before clipping
    int64_t xEnd;    // last covered pixel, before clipping
    int32_t first;   // clipped to the destination
    int32_t last;
};

// Edges made by Quor_RasterEdge::FromFloat lie far inside these; edges handed to Scanline by
// other code are held to them so no difference or product below can overflow.
constexpr int64_t kEdgeLimit = int64_t(1) << 46;

inline int64_t Bound(int64_t v)
{
    return std::clamp(v, -kEdgeLimit, kEdgeLimit);
}

// The pixel rule on 16.16 positions. The arithmetic shift floors, so the rule holds on both
// sides of column 0.
inline bool Cover(int64_t leftX, int64_t rightX, int32_t width, Coverage* c)
{
    leftX = Bound(leftX);
    rightX = Bound(rightX);
    c->xStart = ((leftX - 0x8000) >> 16) + 1;
    c->xEnd = (rightX - 0x8000) >> 16;
    if (c->xStart > c->xEnd || c->xStart >= width || c->xEnd < 0)
        return false;
    c->first = static_cast<int32_t>(std::max<int64_t>(c->xStart, 0));
    c->last = static_cast<int32_t>(std::min<int64_t>(c->xEnd, width - 1));
    return true;
}

// Fraction of the way from the left edge to the right edge at the centre of pixel x.
inline double CentreFraction(int64_t x, int64_t leftX, double width)
{
    return double(x * 65536 + 0x8000 - leftX) / width;
}

// One attribute from its values on the left and right edges (16.16), held to [lo, hi] at the
// span's ends: its value at the first pixel inside the destination and its step. tStart and
// tEnd are the centre fractions of the first and last covered pixels, steps the pixels between
// them, skip the pixels clipped off the left.
inline Quor_SpanAttr SpanAttribute(int64_t left, int64_t right, int64_t lo, int64_t hi, double tStart, double tEnd,
                                   int64_t steps, int64_t skip)
{
    const int64_t l = Bound(left);
    const int64_t r = Bound(right);
    const int64_t low = std::clamp(std::min(l, r), lo, hi);
    const int64_t high = std::clamp(std::max(l, r), lo, hi);
    const double d = double(r - l);
    const int64_t start = std::clamp(l + Quor_RasterEdge::Floor(tStart * d), low, high);
    const int64_t end = std::clamp(l + Quor_RasterEdge::Floor(tEnd * d), low, high);
    // Truncating the step keeps every value between start and end; skip <= steps keeps
    // skip * step within |end - start|.
    const int64_t step = steps > 0 ? (end - start) / steps : 0;
    return Quor_SpanAttr{start + skip * step, step};
}

}  // namespace quor_raster_detail

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
