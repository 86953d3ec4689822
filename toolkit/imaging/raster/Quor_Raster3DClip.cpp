// Clipping of polygons in homogeneous coordinates for the 3-D rasterizer.
#include <cstring>

#include "toolkit/imaging/raster/Quor_Raster3D.h"

namespace {

// Signed distance of a vertex from each clipping plane; inside is >= 0.
float PlaneDistance(const float* v, int plane)
{
    const float w = v[kVertexW];
    switch (plane) {
    case 0:
        return w - v[kVertexZ];
    case 1:
        return v[kVertexZ] + w;
    case 2:
        return w - v[kVertexY];
    default:
        return v[kVertexY] + w;
    }
}

// One plane: the vertices inside, plus a new vertex where an edge crosses. -1 when the result
// would not fit. NaN distances count as outside, so a vertex with NaN w disappears.
int ClipPlane(const Quor_RasterVertex* in, int count, Quor_RasterVertex* out, int capacity, int plane)
{
    int n = 0;
    for (int i = 0; i < count; i++) {
        const float* a = in[i];
        const float* b = in[(i + 1) % count];
        const float da = PlaneDistance(a, plane);
        const float db = PlaneDistance(b, plane);
        if (da >= 0.0f) {
            if (n == capacity)
                return -1;
            std::memcpy(out[n++], a, sizeof(Quor_RasterVertex));
        }
        if ((da > 0.0f && db < 0.0f) || (da < 0.0f && db > 0.0f)) {
            if (n == capacity)
                return -1;
            const float t = da / (da - db);
            for (int c = 0; c < kVertexComponents; c++)
                out[n][c] = a[c] + (b[c] - a[c]) * t;
            n++;
        }
    }
    return n;
}

}  // namespace

int Quor_Raster3D::ClipVertices(const Quor_RasterVertex* in, int count, Quor_RasterVertex* out, int capacity)
{
    if (count < 0 || count > capacity)
        return -1;
    std::memcpy(out, in, sizeof(Quor_RasterVertex) * size_t(count));
    Quor_RasterVertex scratch[kClipCapacity * 2];
    const int scratchCapacity = capacity < kClipCapacity * 2 ? capacity : kClipCapacity * 2;
    for (int plane = 0; plane < 4 && count >= 3; plane++) {
        bool cuts = false;
        for (int i = 0; i < count && !cuts; i++)
            cuts = !(PlaneDistance(out[i], plane) >= 0.0f);
        if (!cuts)
            continue;
        const int n = ClipPlane(out, count, scratch, scratchCapacity, plane);
        if (n < 0)
            return -1;
        std::memcpy(out, scratch, sizeof(Quor_RasterVertex) * size_t(n));
        count = n;
    }
    return count;
}

bool Quor_Raster3D::ClipHomogeneous(Quor_poly* poly)
{
    if (poly == nullptr || !poly->IsValid())
        return false;
    Quor_RasterVertex clipped[kClipCapacity];
    const int n = ClipVertices(poly->vertex, poly->count, clipped, kClipCapacity);
    if (n < 0 || n > QUOR_POLY_MAX_VERTICES)
        return false;
    std::memcpy(poly->vertex, clipped, sizeof(Quor_RasterVertex) * size_t(n));
    poly->count = n;
    return true;
}
