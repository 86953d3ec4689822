// Scan-converts convex polygons (Quor_poly) into an 8, 15, 16 or 32-bit image: flat, shaded and
// Gouraud colour, nearest and bilinear texture mapping, and average, difference and transparency.
#pragma once

#include <cstdint>

#include "toolkit/imaging/Quor_Palette.h"
#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/imaging/Quor_image.h"
#include "toolkit/imaging/raster/Quor_RasterEdge.h"
#include "toolkit/imaging/raster/Quor_RasterMode.h"
#include "toolkit/imaging/raster/Quor_RasterTarget.h"
#include "toolkit/math/Quor_poly.h"

// Vertices come in normalised canvas coordinates: x and y in units of half the destination's
// height, origin at its centre, y up. DrawPoly maps them to pixels in place (the polygon is
// consumed): x * halfHeight + halfWidth, halfHeight - y * halfHeight. Shade and colour (0..1)
// become 0..255, z becomes z * 32768 within +-32768, and for modes 4 to 10 u and v (fractions of
// the texture) become texels, kept within [0, size] unless textures repeat.
//
// Coverage: row y is drawn where its centre y + 0.5 lies strictly below the top of the polygon
// and not below its bottom; pixel x where x + 0.5 lies strictly right of the left edge and not
// right of the right edge. So polygons sharing an edge neither overlap nor leave a gap, and a
// square from -1 to 1 on a 200 x 100 destination fills columns 50 to 149, rows 0 to 99.
// Attributes are interpolated at pixel centres in 16.16 fixed point; a texel is the texture pixel
// under the position with its fraction dropped, so a quad mapping a texture 1:1 copies it.
//
// A polygon whose x or y is not finite is skipped; huge coordinates are drawn clipped. A polygon
// with fewer than 3 or more than 8 vertices, an unknown mode, a textured mode without a suitable
// texture (same pixel size as the destination; 8-bit for mode 4; 32-bit for the bilinear modes
// on a 32-bit destination) and a missing destination draw nothing.
//
// A triangle that MapTriangle has put into pixel space: its x and y in pixels, its texture
// position in texels, at depth 0.
struct Quor_MappedTriangle {
    float x[3];
    float y[3];
    float u[3];
    float v[3];
    int firstRow;  // the rows it covers (first > last: none)
    int lastRow;
};

// One raster per thread. The shading tables are shared by all rasters and built by the first
// SetDest; make that first call before any second thread draws.
class Quor_Raster {
public:
    Quor_Raster();
    virtual ~Quor_Raster();
    Quor_Raster(const Quor_Raster&) = delete;
    Quor_Raster& operator=(const Quor_Raster&) = delete;

    // Copies the record and the palette record (the system palette when pal is null or empty).
    // A record with no pixels, an unsupported depth or rows shorter than its width leaves the
    // raster without a destination.
    virtual void SetDest(const Quor_image* img, const Quor_palette* pal = nullptr);
    // The colour of modes 0 and 1 in every pixel form; the 8-bit index comes from the
    // destination palette, so call SetDest first.
    virtual void SetColor(uint8_t r, uint8_t g, uint8_t b);
    // Copies the record (null clears it). Textures of 8, 15, 16 or 32 bits are accepted; others
    // leave the raster without a texture, as does running out of memory for the row table.
    void SetTexture(const Quor_image* tex);
    void AllowRepeatingTextures(bool allow);
    void SetScanDoubling(bool on);  // draws even rows only, for quick previews

    // Drawing leaves every row outside [first, last] alone, so that several rasters can each draw
    // one horizontal strip of the same destination: within its strip a polygon covers exactly the
    // pixels it covers without the limit, and the box counts only polygons that reach the strip.
    // The limit starts, and is reset by (INT_MIN, INT_MAX), as the whole destination.
    void SetRowLimit(int first, int last);

    virtual void DrawPoly(Quor_poly* poly);
    // A triangle of a textured mode (5 to 10) mapped once and drawn many times: MapTriangle maps
    // the record (consumed, as DrawPoly consumes it) with the current destination size and
    // texture size; false when DrawPoly would draw nothing for its record or coordinates.
    // DrawMapped then draws exactly what DrawPoly would have drawn with the record's mode, with a
    // destination and a texture of the same sizes as at mapping (not necessarily the same ones).
    bool MapTriangle(Quor_poly* poly, Quor_MappedTriangle* out) const;
    void DrawMapped(const Quor_MappedTriangle& triangle, int mode);
    // Mode 5 drawn behind what is already there: only pixels whose byte in coverRows (one row of
    // at least the destination's width per destination row) is 0 are written, and their byte set.
    // Copies drawn in reverse order this way give exactly what drawing them in order gives, while
    // reading each covered pixel's texel once. Needs a 32-bit destination and texture, without
    // repeating or scan doubling (CanDrawBehind); otherwise nothing is drawn.
    bool CanDrawBehind() const;
    void DrawMappedBehind(const Quor_MappedTriangle& triangle, uint8_t* const* coverRows);
    // Draws the polygon with Gouraud colour whatever its mode.
    void DrawPolyGouraud(Quor_poly* poly);
    // The same walk with every attribute kept in floating point; the spans cover exactly the
    // pixels DrawPoly covers. 32-bit textures are sampled bilinearly and tinted onto the pixel.
    virtual void DrawPoly_f(Quor_poly* poly);

    // Fill row y between two edges sampled at that row (left has the smaller x).
    virtual void Scanline(int y, const Quor_RasterEdge& left, const Quor_RasterEdge& right, int mode);
    virtual void Scanline_f(int y, const Quor_RasterEdgeF& left, const Quor_RasterEdgeF& right, int mode);

    // Bilinear texel of a 32-bit texture at 16.16 coordinates whose whole numbers are texel
    // centres, wrapped when textures repeat, clamped to the edge texels otherwise. Without a
    // 32-bit texture the result is transparent black.
    void SampleTexture(int32_t u, int32_t v, rgb_color* out) const;

    // The pixel box of everything drawn since ClearBBox.
    void ClearBBox();
    // Clamped to 0..width and 0..height; false when nothing has been drawn.
    bool GetBBox(float* outMinX, float* outMinY, float* outMaxX, float* outMaxY) const;
    // z in mapped units (+-32768); false when nothing has been drawn.
    bool GetZRange(float* outMinZ, float* outMaxZ) const;

    const Quor_image& Dest() const { return dest; }
    bool HasDest() const { return target.bits != nullptr; }

protected:
    enum class Path { kFixed, kFloat };

    // Maps `count` vertices to pixels in place for `mode`; false when an x or y is not finite.
    bool MapVertices(Quor_RasterVertex* vertices, int count, int mode) const;
    // Scan-converts vertices already in pixel space (3 to 16 of them), calling Scanline or
    // Scanline_f per row.
    void Walk(const Quor_RasterVertex* vertices, int count, int mode, Path path);
    // Validates, maps and walks a polygon record.
    void DrawRecord(Quor_poly* poly, int mode, Path path);
    // Whether `mode` has what it needs to draw anything (a known mode, a fitting texture).
    bool CanDraw(int mode) const;
    // Mode 4 texels are palette indices; the bilinear modes read 32-bit texels on 32-bit images.
    bool TextureFits(int mode) const;

    Quor_image dest;
    Quor_image texture;
    const uint8_t** textureRows = nullptr;
    int32_t textureRowCount = 0;
    bool repeatTextures = false;
    Quor_palette palette;
    bool scanDoubling = false;
    int rowLimitFirst = 0;
    int rowLimitLast = 0x7FFFFFFF;

    uint32_t color32 = 0xFFFFFFFFu;
    uint16_t color16 = 0xFFFF;
    uint16_t color15 = 0xFFFF;
    uint8_t color8 = 0;

    float halfWidth = 0.0f;
    float halfHeight = 0.0f;
    float minX, minY, minZ, maxX, maxY, maxZ;

    // The span fills' view of all of the above, refreshed by every setter.
    Quor_RasterTarget target;

private:
    void UpdateTarget();
    void ClearTexture();
    // The rows of a mapped triangle to walk, after Walk's rejections and box; false when none.
    bool MappedRows(const Quor_MappedTriangle& t, int* first, int* last);
};
