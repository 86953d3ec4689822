#include "toolkit/imaging/raster/Quor_RasterSpan.h"

#include <algorithm>

namespace {

struct Coverage {
    int64_t xStart;  // first covered pixel, before clipping
    int64_t xEnd;    // last covered pixel, before clipping
    int32_t first;   // clipped to the destination
    int32_t last;
};

// Edges made by Quor_RasterEdge::FromFloat lie far inside these; edges handed to Scanline by
// other code are held to them so no difference or product below can overflow.
constexpr int64_t kEdgeLimit = int64_t(1) << 46;

int64_t Bound(int64_t v)
{
    return std::clamp(v, -kEdgeLimit, kEdgeLimit);
}

// The pixel rule on 16.16 positions. The arithmetic shift floors, so the rule holds on both
// sides of column 0.
bool Cover(int64_t leftX, int64_t rightX, int32_t width, Coverage* c)
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
double CentreFraction(int64_t x, int64_t leftX, double width)
{
    return double(x * 65536 + 0x8000 - leftX) / width;
}

}  // namespace

Quor_AttrRanges Quor_AttrRanges::Default()
{
    Quor_AttrRanges r;
    const int64_t limit = int64_t(32760) << 16;
    for (int k = 0; k < kVertexComponents; k++) {
        r.lo[k] = -limit;
        r.hi[k] = limit;
    }
    for (int k : {int(kVertexShade), int(kVertexRed), int(kVertexGreen), int(kVertexBlue), int(kVertexAlpha)}) {
        r.lo[k] = 0;
        r.hi[k] = (int64_t(255) << 16) | 0xFFFF;
    }
    return r;
}

bool Quor_RasterSpan::Setup(const Quor_RasterEdge& left, const Quor_RasterEdge& right, int32_t width,
                            uint32_t attributes, const Quor_AttrRanges& ranges)
{
    Coverage c;
    if (!Cover(left.a[kVertexX], right.a[kVertexX], width, &c))
        return false;
    x0 = c.first;
    count = c.last - c.first + 1;
    if (attributes == 0)
        return true;

    // A covered pixel centre lies in (left, right], so the edges are apart and both fractions
    // lie in (0, 1].
    const int64_t leftX = Bound(left.a[kVertexX]);
    const double edgeWidth = double(Bound(right.a[kVertexX]) - leftX);
    const double tStart = CentreFraction(c.xStart, leftX, edgeWidth);
    const double tEnd = CentreFraction(c.xEnd, leftX, edgeWidth);
    const int64_t steps = c.xEnd - c.xStart;
    const int64_t skip = c.first - c.xStart;
    for (int k = 0; k < kVertexComponents; k++) {
        if (!(attributes & Quor_AttributeBit(k)))
            continue;
        const int64_t l = Bound(left.a[k]);
        const int64_t r = Bound(right.a[k]);
        const int64_t lo = std::clamp(std::min(l, r), ranges.lo[k], ranges.hi[k]);
        const int64_t hi = std::clamp(std::max(l, r), ranges.lo[k], ranges.hi[k]);
        const double d = double(r - l);
        const int64_t start = std::clamp(l + Quor_RasterEdge::Floor(tStart * d), lo, hi);
        const int64_t end = std::clamp(l + Quor_RasterEdge::Floor(tEnd * d), lo, hi);
        // Truncating the step keeps every value between start and end; skip <= steps keeps
        // skip * step within |end - start|.
        const int64_t step = steps > 0 ? (end - start) / steps : 0;
        a[k].value = start + skip * step;
        a[k].step = step;
    }
    return true;
}

bool Quor_RasterSpanF::Setup(const Quor_RasterEdgeF& left, const Quor_RasterEdgeF& right, int32_t width,
                             uint32_t attributes)
{
    // Coverage is decided on the same 16.16 positions as the fixed-point path.
    const int64_t leftX = Quor_RasterEdge::ToFixed(left.a[kVertexX], Quor_RasterEdge::kPositionLimit);
    const int64_t rightX = Quor_RasterEdge::ToFixed(right.a[kVertexX], Quor_RasterEdge::kPositionLimit);
    Coverage c;
    if (!Cover(leftX, rightX, width, &c))
        return false;
    x0 = c.first;
    count = c.last - c.first + 1;
    if (attributes == 0)
        return true;

    const double edgeWidth = double(rightX - leftX);
    const double tStart = CentreFraction(c.xStart, leftX, edgeWidth);
    const double tEnd = CentreFraction(c.xEnd, leftX, edgeWidth);
    const double steps = double(c.xEnd - c.xStart);
    const double skip = double(c.first - c.xStart);
    for (int k = 0; k < kVertexComponents; k++) {
        if (!(attributes & Quor_AttributeBit(k)))
            continue;
        const double l = left.a[k];
        const double d = right.a[k] - l;
        const double start = l + tStart * d;
        const double end = l + tEnd * d;
        const double step = steps > 0 ? (end - start) / steps : 0.0;
        a[k].value = start + skip * step;
        a[k].step = step;
    }
    return true;
}
