#include "toolkit/imaging/raster/Quor_EdgeWalker.h"

#include "toolkit/math/Quor_Round.h"

namespace {

constexpr double kRowLimit = 1073741824.0;  // 2^30

int ClampedFloor(double value)
{
    return Quor_FloorToInt(Quor_Clamp(value, -kRowLimit, kRowLimit));
}

}  // namespace

Quor_EdgeWalker::Quor_EdgeWalker(const Quor_RasterVertex* vertices, int vertexCount)
    : v(vertices), count(vertexCount)
{
    if (count < 3 || count > kMaxVertices) {
        count = 0;
        return;
    }
    int top = 0;
    for (int i = 1; i < count; i++) {
        if (v[i][kVertexY] < v[top][kVertexY])
            top = i;
        if (v[i][kVertexY] > v[bottom][kVertexY])
            bottom = i;
    }
    // Smallest row whose centre lies below the top vertex, largest whose centre is not below
    // the bottom one.
    firstRow = ClampedFloor(double(v[top][kVertexY]) - 0.5) + 1;
    lastRow = ClampedFloor(double(v[bottom][kVertexY]) - 0.5);
    for (int s = 0; s < 2; s++) {
        Side& side = sides[s];
        side.direction = s == 0 ? -1 : 1;
        side.from = top;
        side.to = (top + side.direction + count) % count;
    }
}

bool Quor_EdgeWalker::Advance(Side& side, double centre) const
{
    // Every edge taken here starts at a vertex the centre already lies below, so an edge in use
    // always has A.y < centre <= B.y and a positive height.
    while (centre > double(v[side.to][kVertexY])) {
        if (side.to == bottom)
            return false;
        side.from = side.to;
        side.to = (side.to + side.direction + count) % count;
        side.prepared = false;
    }
    if (!side.prepared)
        Prepare(side);
    return true;
}

void Quor_EdgeWalker::Prepare(Side& side) const
{
    const float* a = v[side.from];
    const float* b = v[side.to];
    side.dy = double(b[kVertexY]) - double(a[kVertexY]);
    side.dx = double(b[kVertexX]) - double(a[kVertexX]);
    for (int c = 0; c < kVertexComponents; c++)
        side.slope[c] = (double(b[c]) - double(a[c])) / side.dy;
    side.prepared = true;
}

void Quor_EdgeWalker::Evaluate(const Side& side, double centre, uint32_t mask, Quor_RasterEdgeF* out) const
{
    const float* a = v[side.from];
    const double prestep = centre - double(a[kVertexY]);
    // The position is one division of exact inputs, so it comes out the same wherever the
    // polygon sits: moving a polygon by whole pixels moves its pixels by exactly that much.
    out->a[kVertexX] = double(a[kVertexX]) + (prestep * side.dx) / side.dy;
    for (int c = 1; c < kVertexComponents; c++)
        if ((mask >> c) & 1)
            out->a[c] = double(a[c]) + prestep * side.slope[c];
    out->a[kVertexY] = centre;
}

bool Quor_EdgeWalker::Sample(int y, uint32_t mask, Quor_RasterEdgeF* sideA, Quor_RasterEdgeF* sideB)
{
    if (count == 0)
        return false;
    const double centre = double(y) + 0.5;
    if (!Advance(sides[0], centre) || !Advance(sides[1], centre))
        return false;
    Evaluate(sides[0], centre, mask, sideA);
    Evaluate(sides[1], centre, mask, sideB);
    return true;
}
