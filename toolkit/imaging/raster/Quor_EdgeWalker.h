// Walks the two sides of a convex polygon from its top vertex down, giving the position and
// attributes of both sides at each scanline's centre.
#pragma once

#include <cstdint>

#include "toolkit/imaging/raster/Quor_RasterEdge.h"

// Scanline y is covered when its centre y + 0.5 lies strictly below the top vertex and not below
// the bottom one; an edge from A down to B serves the scanlines with A.y < y + 0.5 <= B.y. Two
// polygons that share an edge evaluate it from the same upper vertex with the same arithmetic,
// so they see the same positions on it and the pixel rule of the span neither doubles nor drops
// a pixel along it.
//
// One side walks from the top vertex to lower indices, the other to higher indices, both ending
// at the bottom vertex. Every value is evaluated afresh at each scanline (nothing accumulates),
// so skipping scanlines above the destination costs nothing. A non-convex polygon still ends
// after at most `count` edges per side; what it covers is then unspecified but bounded.
class Quor_EdgeWalker {
public:
    static constexpr int kMaxVertices = 16;

    // `vertices` in pixel space with finite x and y; count between 3 and kMaxVertices. The walker
    // keeps a pointer to the vertices.
    Quor_EdgeWalker(const Quor_RasterVertex* vertices, int count);

    // The first and last scanline the polygon covers (first > last when none), clamped to
    // +-2^30 so any range of rows is safe to iterate once clipped to the destination.
    int FirstRow() const { return firstRow; }
    int LastRow() const { return lastRow; }

    // Both sides at scanline y: x and the components in `mask` (bit k for component k; the
    // others are left alone). Rows must come in increasing order (gaps allowed). False when a
    // side has run out of edges, which ends the polygon.
    bool Sample(int y, uint32_t mask, Quor_RasterEdgeF* sideA, Quor_RasterEdgeF* sideB);

private:
    struct Side {
        int from = 0;
        int to = 0;
        int direction = 0;  // -1 or +1 through the vertex indices
        bool prepared = false;
        double dy = 0.0;
        double dx = 0.0;
        double slope[kVertexComponents] = {};
    };

    bool Advance(Side& side, double centre) const;
    void Prepare(Side& side) const;
    void Evaluate(const Side& side, double centre, uint32_t mask, Quor_RasterEdgeF* out) const;

    const Quor_RasterVertex* v;
    int count;
    int bottom = 0;
    int firstRow = 0;
    int lastRow = -1;
    Side sides[2];
};
