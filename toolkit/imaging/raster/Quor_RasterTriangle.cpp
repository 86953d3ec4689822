// Mapped triangles: mapped once, drawn many times. The common case of the editing canvas (a
// 32-bit texture without repeating, nearest texel, 32 bits) has its own walk; it evaluates
// every row with the arithmetic of Quor_EdgeWalker and Quor_RasterSpan, so it fills the same
// pixels with the same texels, without their per-row dispatch over all eleven components.
#include <algorithm>
#include <type_traits>
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
    int64_t x, u, v;  // 16.16
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

    // Both sides at the centre of row y, left first; false when a side has run out of edges.
    bool At(int y, Sample* left, Sample* right)
    {
        const double centre = double(y) + 0.5;
        if (!Advance(fSides[0], centre) || !Advance(fSides[1], centre))
            return false;
        *left = Evaluate(fSides[0], centre);
        *right = Evaluate(fSides[1], centre);
        if (right->x < left->x)
            std::swap(*left, *right);
        return true;
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

    static Sample Evaluate(const Side& side, double centre)
    {
        const double prestep = centre - side.y;
        const double x = side.x + (prestep * side.dx) / side.dy;
        const double u = side.u + prestep * side.slopeU;
        const double v = side.v + prestep * side.slopeV;
        return {Quor_RasterEdge::ToFixed(x, Quor_RasterEdge::kPositionLimit),
                Quor_RasterEdge::ToFixed(u, Quor_RasterEdge::kAttributeLimit),
                Quor_RasterEdge::ToFixed(v, Quor_RasterEdge::kAttributeLimit)};
    }

    const Quor_MappedTriangle& fT;
    int fBottom = 0;
    Side fSides[2];
};

using ClampedWalk = Quor_TexelWalk<Quor_ClampedCoord>;

// Asks the caches for the texels along the line between two texture positions (16.16).
inline void Prefetch(const Quor_RasterTarget& t, int64_t u0, int64_t v0, int64_t u1, int64_t v1)
{
    const auto column = [&](int64_t u) { return std::clamp<int64_t>(u >> 16, 0, t.texWidth - 1); };
    const auto row = [&](int64_t v) { return std::clamp<int64_t>(v >> 16, 0, t.texHeight - 1); };
    const int64_t c0 = column(u0), c1 = column(u1), r0 = row(v0), r1 = row(v1);
    // One point per cache line of 16 texels along the row, at most a few.
    const int64_t points = std::min<int64_t>(std::max(c0, c1) - std::min(c0, c1), 64) / 16 + 1;
    for (int64_t k = 0; k <= points; k++) {
        const int64_t c = c0 + (c1 - c0) * k / points, r = r0 + (r1 - r0) * k / points;
        __builtin_prefetch(t.texRows[r] + c * 4);
    }
}

// Rows first..last of the triangle; fill(y, x, count, walk) fills each span from pixel x.
template <class FillSpan>
void FillTriangle(const Quor_RasterTarget& t, const Quor_MappedTriangle& triangle, int first, int last, FillSpan fill)
{
    TriangleWalk walk(triangle);
    Sample left, right, previousLeft{}, previousRight{};
    for (int y = first; y <= last; y++) {
        if (!walk.At(y, &left, &right))
            break;
        if (y > first && y + 2 <= last) {
            // The texels two rows down, guessed from the last step of the edges, are asked for
            // now: the photos are far larger than the caches and each row meets new lines of them.
            Prefetch(t, 3 * left.u - 2 * previousLeft.u, 3 * left.v - 2 * previousLeft.v,
                     3 * right.u - 2 * previousRight.u, 3 * right.v - 2 * previousRight.v);
        }
        previousLeft = left;
        previousRight = right;
        Coverage c;
        if (!Cover(left.x, right.x, t.width, &c))
            continue;
        const int64_t leftX = Bound(left.x);
        const double edgeWidth = double(Bound(right.x) - leftX);
        const double tStart = CentreFraction(c.xStart, leftX, edgeWidth);
        const double tEnd = CentreFraction(c.xEnd, leftX, edgeWidth);
        const int64_t steps = c.xEnd - c.xStart;
        const int64_t skip = c.first - c.xStart;
        const Quor_SpanAttr u = SpanAttribute(left.u, right.u, t.ranges.lo[kVertexU], t.ranges.hi[kVertexU], tStart,
                                              tEnd, steps, skip);
        const Quor_SpanAttr v = SpanAttribute(left.v, right.v, t.ranges.lo[kVertexV], t.ranges.hi[kVertexV], tStart,
                                              tEnd, steps, skip);
        const ClampedWalk texels{t.texRows, Quor_ClampedCoord(u.value, u.step, t.texWidth),
                                 Quor_ClampedCoord(v.value, v.step, t.texHeight)};
        fill(y, c.first, c.last - c.first + 1, texels);
    }
}

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
    auto run = [&](auto fill) {
        using Fill = typename decltype(fill)::type;
        FillTriangle(target, t, first, last, [&](int y, int x, int n, const ClampedWalk& texels) {
            Quor_RunSpan(target.Row<uint32_t>(y) + x, n, Fill{texels}, Quor_NoDepth{});
        });
    };
    switch (mode) {
    case kRasterTextureCopy:
        run(std::type_identity<Quor_FillTextureCopy<uint32_t, ClampedWalk>>{});
        break;
    case kRasterTextureAverage:
        run(std::type_identity<Quor_FillTextureAverage<ClampedWalk>>{});
        break;
    default:
        run(std::type_identity<Quor_FillTextureDifference<ClampedWalk>>{});
        break;
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
    FillTriangle(target, t, first, last, [&](int y, int x, int n, ClampedWalk texels) {
        uint32_t* dst = target.Row<uint32_t>(y) + x;
        uint8_t* covered = coverRows[y] + x;
        for (int i = 0; i < n; i++) {
            if (!covered[i]) {
                dst[i] = texels.Fetch<uint32_t>();
                covered[i] = 1;
            }
            texels.Step();
        }
    });
}
