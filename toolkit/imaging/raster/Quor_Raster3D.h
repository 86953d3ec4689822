// The polygon rasterizer with a depth buffer: clips polygons in homogeneous coordinates, divides
// by w, tests depth per pixel, maps textures perspective-correctly and can outline (toon) faces.
#pragma once

#include <cstdint>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/raster/Quor_Raster.h"
#include "toolkit/math/Quor_Matrix.h"

// Vertices carry clip-space x, y, z and w (component 6). Depth: larger is nearer; a pixel is
// written only where its depth is greater than the stored one, which it then replaces. The depth
// buffer is 16.16 integers or floats, chosen by SetDest, and sized like the destination.
//
// DrawPoly clips against w - z >= 0, z + w >= 0, w - y >= 0 and y + w >= 0 into a buffer of its
// own, so any record of up to 8 vertices draws whatever the clipping adds; the caller's polygon is
// left unchanged. A polygon wholly behind the eye (w < 0) is clipped away. After the division,
// a position that is not finite (a vertex on the eye plane) skips the polygon.
//
// Modes 0 to 10 fill as in Quor_Raster, with the depth test; 11 is the perspective-correct
// nearest texel and 12 the perspective-correct bilinear texel written opaque (32-bit only,
// otherwise 11; likewise 10 becomes 5). With float depth only the flat colour of modes 0 to 4
// is drawn.
class Quor_Raster3D : public Quor_Raster {
public:
    // Room for 8 vertices plus one per clipping plane.
    static constexpr int kClipCapacity = QUOR_POLY_MAX_VERTICES + 4;

    Quor_Raster3D();
    ~Quor_Raster3D() override;

    // The base SetDest keeps the current kind of depth buffer (integer when there is none yet).
    void SetDest(const Quor_image* img, const Quor_palette* pal = nullptr) override;
    // (Re)allocates the depth rows of the chosen kind when the size or kind changed; the new rows
    // are cleared. QUOR_OK; QUOR_ERR_NO_IMAGE without a usable destination; QUOR_ERR_MEMORY when
    // the depth buffer cannot be allocated (nothing is then drawn).
    int SetDest(const Quor_image* img, bool integerZ, const Quor_palette* pal);

    // Integer rows to 0x80080000 (-32760.0 in 16.16), float rows to -1,000,000.
    void ClearZ();
    // Row y of the depth buffer of that kind, or null (no such buffer, or y outside it).
    int32_t* GetZRow(int y) const;
    float* GetZRow_f(int y) const;

    void SetColor(uint8_t r, uint8_t g, uint8_t b) override;

    // Faces of the facing not outlined are drawn in their own mode with SetColor's colour. The
    // outlined facing (back faces when backFaces) is drawn flat in `outline`, pushed `width`
    // farther from the eye through `m` (the projection) and its inverse, so the nearer faces
    // cover all but a rim. A width below 1e-6, or an `m` without inverse, skips those faces.
    void SetToonModeOn(bool backFaces, const Quor_Matrix& m, rgb_color outline, float width);
    void SetToonModeOff();

    void DrawPoly(Quor_poly* poly) override;

    // Clips the polygon in place (Sutherland-Hodgman, the four planes above in order). False,
    // leaving the polygon unchanged, when its count is out of range or the result would not fit
    // in 8 vertices. A result of fewer than 3 vertices is stored as it is.
    static bool ClipHomogeneous(Quor_poly* poly);
    // The same from `count` vertices into `out` (room for `capacity`); the number of vertices
    // left, or -1 when they would not fit.
    static int ClipVertices(const Quor_RasterVertex* in, int count, Quor_RasterVertex* out, int capacity);

    void Scanline(int y, const Quor_RasterEdge& left, const Quor_RasterEdge& right, int mode) override;
    void Scanline_f(int y, const Quor_RasterEdgeF& left, const Quor_RasterEdgeF& right, int mode) override;

protected:
    // Divides by w; false when a vertex lands at infinity.
    bool Project(Quor_RasterVertex* vertices, int count, int mode) const;
    // The toon outline's form of a projected face; false when the face is not drawn.
    bool MakeOutline(Quor_RasterVertex* vertices, int count) const;
    bool DepthMatchesDest() const;
    void FreeDepth();

    int32_t zWidth = 0;
    int32_t zHeight = 0;
    int32_t* zRows = nullptr;
    float* zRowsFloat = nullptr;

    bool toon = false;
    bool toonBackFaces = false;
    bool toonInverseValid = false;
    Quor_Matrix toonMatrix;
    Quor_Matrix toonInverse;
    rgb_color toonColor{0, 0, 0, 255};
    float toonWidth = 0.0f;
    rgb_color faceColor{255, 255, 255, 255};
};
