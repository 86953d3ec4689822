#include "toolkit/imaging/raster/Quor_RasterSpan.h"

#include <algorithm>

using namespace quor_raster_detail;

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
    for (int k = 0; k < kVertexComponents; k++)
        if (attributes & Quor_AttributeBit(k))
            a[k] = SpanAttribute(left.a[k], right.a[k], ranges.lo[k], ranges.hi[k], tStart, tEnd, steps, skip);
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
