// Mapped triangles: mapped once, drawn many times. The common case of the editing canvas (a
// 32-bit texture without repeating, nearest texel, 32 bits) has its own walk; it evaluates
// every row with the arithmetic of Quor_EdgeWalker and Quor_RasterSpan, so it fills the same
// pixels with the same texels, without their per-row dispatch over all eleven components. The
// texture position of a row is only worked out when the row has a pixel to fill.
#include <algorithm>
#include <utility>

#include "toolkit/imaging/raster/Quor_EdgeWalker.h"
#include "toolkit/imaging/raster/Quor_Raster.h"
#include "toolkit/imaging/raster/Quor_SpanDispatch.h"

using namespace quor_raster_detail;

namespace {

// One side of the triangle, walked from the top vertex as Quor_EdgeWalker walks it.
struct Side {
    int from;
    int to;
    int direction;
    bool prepared;
    double x, y, u, v;    // at `from`
    double dx, dy;        // to `to`
    double slopeU, slopeV;
};

struct Sample {
    int64_t u, v;  // 16.16
};

class TriangleWalk {
public:
    TriangleWalk(const Quor_MappedTriangle& t) : fT(t)
    {
        int top = 0;
        for (int i = 1; i < 3; i++) {
            if (t.y[i] < t.y[top])
                top = i;
            if (t.y[i] > t.y[fBottom])
                fBottom = i;
        }
        for (int s = 0; s < 2; s++) {
            fSides[s].direction = s == 0 ? -1 : 1;
            fSides[s].from = top;
            fSides[s].to = (top + fSides[s].direction + 3) % 3;
            fSides[s].prepared = false;
        }
    }

    // The positions of both sides at the centre of row y (16.16), left first; false when a side
    // has run out of edges.
    bool At(int y, int64_t* left, int64_t* right)
    {
        fCentre = double(y) + 0.5;
        if (!Advance(fSides[0], fCentre) || !Advance(fSides[1], fCentre))
            return false;
        *left = Position(fSides[0], fCentre);
        *right = Position(fSides[1], fCentre);
        fSwapped = *right < *left;
        if (fSwapped)
            std::swap(*left, *right);
        return true;
    }

    // The texture position on both sides of the row of the last At, left first.
    void Attributes(Sample* left, Sample* right) const
    {
        *left = Evaluate(fSides[0], fCentre);
        *right = Evaluate(fSides[1], fCentre);
        if (fSwapped)
            std::swap(*left, *right);
    }

private:
    bool Advance(Side& side, double centre) const
    {
        while (centre > double(fT.y[side.to])) {
            if (side.to == fBottom)
                return false;
            side.from = side.to;
            side.to = (side.to + side.direction + 3) % 3;
            side.prepared = false;
        }
        if (!side.prepared) {
            const int a = side.from, b = side.to;
            side.x = fT.x[a];
            side.y = fT.y[a];
            side.u = fT.u[a];
            side.v = fT.v[a];
            side.dy = double(fT.y[b]) - side.y;
            side.dx = double(fT.x[b]) - side.x;
            side.slopeU = (double(fT.u[b]) - side.u) / side.dy;
            side.slopeV = (double(fT.v[b]) - side.v) / side.dy;
            side.prepared = true;
        }
        return true;
    }

    static int64_t Position(const Side& side, double centre)
    {
        const double prestep = centre - side.y;
        return Quor_RasterEdge::ToFixed(side.x + (prestep * side.dx) / side.dy, Quor_RasterEdge::kPositionLimit);
    }

    static Sample Evaluate(const Side& side, double centre)
    {
        const double prestep = centre - side.y;
        const double u = side.u + prestep * side.slopeU;
        const double v = side.v + prestep * side.slopeV;
        return {Quor_RasterEdge::ToFixed(u, Quor_RasterEdge::kAttributeLimit),
                Quor_RasterEdge::ToFixed(v, Quor_RasterEdge::kAttributeLimit)};
    }

    const Quor_MappedTriangle& fT;
    int fBottom = 0;
    Side fSides[2];
    double fCentre = 0.0;
    bool fSwapped = false;
};

using ClampedWalk = Quor_TexelWalk<Quor_ClampedCoord>;

// Rows first..last of the triangle. spans.Wanted(y, x, count) says whether the span of row y
// from pixel x is to be filled at all; spans.Fill(y, x, count, walk) fills it.
// Spans are worked out this many rows at a time, and their texels asked for, before any is filled:
// the photos are far larger than the caches and every row of a small triangle meets new lines of
// them, so the lines of all the rows are on their way at once.
constexpr int kSpansAhead = 16;

struct PendingSpan {
    int y, x, count;
    Quor_SpanAttr u, v;
};

// Asks the caches for the texels of a span: every fourth pixel's, and the last.
inline void PrefetchTexels(const Quor_RasterTarget& t, const PendingSpan& span)
{
    const auto ask = [&](int64_t i) {
        __builtin_prefetch(t.texRows[(span.v.value + i * span.v.step) >> 16] + ((span.u.value + i * span.u.step) >> 16) * 4);
    };
    for (int i = 0; i < span.count; i += 4)
        ask(i);
    ask(span.count - 1);
}

template <class Spans>
void FillPending(const Quor_RasterTarget& t, const PendingSpan* pending, int count, Spans& spans)
{
    for (int k = 0; k < count; k++) {
        const PendingSpan& p = pending[k];
        spans.Fill(p.y, p.x, p.count,
                   ClampedWalk{t.texRows, Quor_ClampedCoord(p.u.value, p.u.step, t.texWidth),
                               Quor_ClampedCoord(p.v.value, p.v.step, t.texHeight)});
    }
}

template <class Spans>
void FillTriangle(const Quor_RasterTarget& t, const Quor_MappedTriangle& triangle, int first, int last, Spans& spans)
{
    TriangleWalk walk(triangle);
    int64_t leftX, rightX;
    Sample left, right;
    PendingSpan pending[kSpansAhead];
    int pendingCount = 0;
    for (int y = first; y <= last; y++) {
        if (!walk.At(y, &leftX, &rightX))
            break;
        Coverage c;
        if (!Cover(leftX, rightX, t.width, &c) || !spans.Wanted(y, c.first, c.last - c.first + 1))
            continue;
        walk.Attributes(&left, &right);
        const int64_t boundLeft = Bound(leftX);
        const double edgeWidth = double(Bound(rightX) - boundLeft);
        const double tStart = CentreFraction(c.xStart, boundLeft, edgeWidth);
        const double tEnd = CentreFraction(c.xEnd, boundLeft, edgeWidth);
        const int64_t steps = c.xEnd - c.xStart;
        const int64_t skip = c.first - c.xStart;
        const Quor_SpanAttr u = SpanAttribute(left.u, right.u, t.ranges.lo[kVertexU], t.ranges.hi[kVertexU], tStart,
                                              tEnd, steps, skip);
        const Quor_SpanAttr v = SpanAttribute(left.v, right.v, t.ranges.lo[kVertexV], t.ranges.hi[kVertexV], tStart,
                                              tEnd, steps, skip);
        PendingSpan& span = pending[pendingCount++];
        span = {y, c.first, c.last - c.first + 1, u, v};
        PrefetchTexels(t, span);
        if (pendingCount == kSpansAhead) {
            FillPending(t, pending, pendingCount, spans);
            pendingCount = 0;
        }
    }
    FillPending(t, pending, pendingCount, spans);
}

// Every span filled with the fill F.
template <class F>
struct AllSpans {
    const Quor_RasterTarget& t;
    bool Wanted(int, int, int) const { return true; }
    void Fill(int y, int x, int n, const ClampedWalk& texels) const
    {
        Quor_RunSpan(t.Row<uint32_t>(y) + x, n, F{texels}, Quor_NoDepth{});
    }
};

// Only the pixels not covered yet, copied and marked covered.
struct UncoveredSpans {
    const Quor_RasterTarget& t;
    uint8_t* const* coverRows;
    bool Wanted(int y, int x, int n) const
    {
        const uint8_t* covered = coverRows[y] + x;
        for (int i = 0; i < n; i++)
            if (!covered[i])
                return true;
        return false;
    }
    void Fill(int y, int x, int n, ClampedWalk texels) const
    {
        uint32_t* dst = t.Row<uint32_t>(y) + x;
        uint8_t* covered = coverRows[y] + x;
        for (int i = 0; i < n; i++) {
            if (!covered[i]) {
                dst[i] = texels.Fetch<uint32_t>();
                covered[i] = 1;
            }
            texels.Step();
        }
    }
};

}  // namespace

bool Quor_Raster::MapTriangle(Quor_poly* poly, Quor_MappedTriangle* out) const
{
    if (poly == nullptr || out == nullptr || !poly->IsValid() || poly->count != 3 || !HasDest() ||
        poly->mode < kRasterTextureCopy || poly->mode > kRasterTextureCutout || !CanDraw(poly->mode))
        return false;
    if (!MapVertices(poly->vertex, 3, poly->mode))
        return false;
    for (int i = 0; i < 3; i++) {
        out->x[i] = poly->vertex[i][kVertexX];
        out->y[i] = poly->vertex[i][kVertexY];
        out->u[i] = poly->vertex[i][kVertexU];
        out->v[i] = poly->vertex[i][kVertexV];
    }
    const Quor_EdgeWalker walker(poly->vertex, 3);
    out->firstRow = walker.FirstRow();
    out->lastRow = walker.LastRow();
    return true;
}

// The rejections and the box of Walk; false when nothing of the triangle lies within the rows.
bool Quor_Raster::MappedRows(const Quor_MappedTriangle& t, int* first, int* last)
{
    const float lowX = std::min({t.x[0], t.x[1], t.x[2]}), highX = std::max({t.x[0], t.x[1], t.x[2]});
    const float lowY = std::min({t.y[0], t.y[1], t.y[2]}), highY = std::max({t.y[0], t.y[1], t.y[2]});
    if (highX < 0.0f || highY < 0.0f || lowX >= float(target.width) || lowY >= float(target.height))
        return false;
    if (highY < float(rowLimitFirst) || lowY > float(rowLimitLast) + 1.0f)
        return false;
    minX = std::min(minX, lowX);
    maxX = std::max(maxX, highX);
    minY = std::min(minY, lowY);
    maxY = std::max(maxY, highY);
    minZ = std::min(minZ, 0.0f);
    maxZ = std::max(maxZ, 0.0f);
    *first = std::max(t.firstRow, rowLimitFirst);
    *last = std::min(std::min(t.lastRow, target.height - 1), rowLimitLast);
    return *first <= *last;
}

void Quor_Raster::DrawMapped(const Quor_MappedTriangle& t, int mode)
{
    if (!HasDest() || mode < kRasterTextureCopy || mode > kRasterTextureCutout || !CanDraw(mode))
        return;
    const bool nearest32 = target.pixelBits == 32 && target.texBits == 32 && !target.repeat && !scanDoubling &&
                           mode <= kRasterTextureDifference;
    if (!nearest32) {
        Quor_RasterVertex vertices[3] = {};
        for (int i = 0; i < 3; i++) {
            vertices[i][kVertexX] = t.x[i];
            vertices[i][kVertexY] = t.y[i];
            vertices[i][kVertexU] = t.u[i];
            vertices[i][kVertexV] = t.v[i];
        }
        Walk(vertices, 3, mode, Path::kFixed);
        return;
    }
    int first, last;
    if (!MappedRows(t, &first, &last))
        return;
    switch (mode) {
    case kRasterTextureCopy: {
        AllSpans<Quor_FillTextureCopy<uint32_t, ClampedWalk>> spans{target};
        FillTriangle(target, t, first, last, spans);
        break;
    }
    case kRasterTextureAverage: {
        AllSpans<Quor_FillTextureAverage<ClampedWalk>> spans{target};
        FillTriangle(target, t, first, last, spans);
        break;
    }
    default: {
        AllSpans<Quor_FillTextureDifference<ClampedWalk>> spans{target};
        FillTriangle(target, t, first, last, spans);
        break;
    }
    }
}

bool Quor_Raster::CanDrawBehind() const
{
    return HasDest() && target.pixelBits == 32 && target.texRows != nullptr && target.texBits == 32 &&
           !target.repeat && !scanDoubling;
}

void Quor_Raster::DrawMappedBehind(const Quor_MappedTriangle& t, uint8_t* const* coverRows)
{
    int first, last;
    if (coverRows == nullptr || !CanDrawBehind() || !MappedRows(t, &first, &last))
        return;
    // A triangle whose box is covered already has nothing to draw; the test reads a few bytes
    // per row where the walk would work out each row's edges.
    const float lowX = std::min({t.x[0], t.x[1], t.x[2]}), highX = std::max({t.x[0], t.x[1], t.x[2]});
    // MappedRows has kept lowX below the width and highX at 0 or above.
    const int left = int(std::max(lowX, 0.0f)), right = int(std::min(highX, float(target.width - 1)));
    UncoveredSpans spans{target, coverRows};
    bool hidden = left <= right;
    for (int y = first; hidden && y <= last; y++)
        hidden = !spans.Wanted(y, left, right - left + 1);
    if (!hidden)
        FillTriangle(target, t, first, last, spans);
}

