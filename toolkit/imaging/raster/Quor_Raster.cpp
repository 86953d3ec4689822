// Set-up, vertex mapping and the scanline walk of the polygon rasterizer. The span fills live in
// Quor_RasterScanline.cpp and the Quor_SpanFill headers.
#include "toolkit/imaging/raster/Quor_Raster.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/raster/Quor_EdgeWalker.h"
#include "toolkit/imaging/raster/Quor_ShadingTables.h"
#include "toolkit/math/Quor_Round.h"

namespace {

// Stands in for a palette without an inverse cube: every colour maps to index 0.
const uint8_t sNoInverse[32768] = {};

constexpr float kAttributeLimit = 32760.0f;

// Clamps into [lo, hi]; NaN becomes the value nearest 0.
float Sanitize(float v, float lo, float hi)
{
    if (std::isnan(v))
        v = 0.0f;
    return v < lo ? lo : (v > hi ? hi : v);
}

// A record the fills can walk: usable, at a depth the fills draw (every one but 24 bits).
bool Drawable(const Quor_image* img)
{
    return img != nullptr && img->IsUsable() && img->pixelBits != 24;
}

}  // namespace

Quor_Raster::Quor_Raster()
{
    ClearBBox();
    UpdateTarget();
}

Quor_Raster::~Quor_Raster()
{
    delete[] textureRows;
}

// --- Set-up --------------------------------------------------------------------------------------

void Quor_Raster::SetDest(const Quor_image* img, const Quor_palette* pal)
{
    dest = Drawable(img) ? *img : Quor_image{};
    if (pal != nullptr && pal->count > 0 && pal->colors != nullptr)
        palette = *pal;
    else
        palette = Quor_Palette::SystemPalette().Palette();
    halfWidth = float(dest.width) * 0.5f;
    halfHeight = float(dest.height) * 0.5f;
    Quor_ShadingTables::Build(palette);
    UpdateTarget();
}

void Quor_Raster::SetColor(uint8_t r, uint8_t g, uint8_t b)
{
    color32 = Quor_PixelConvert::Pack(r, g, b, 255);
    color16 = Quor_PixelConvert::Pack16(r, g, b);
    color15 = Quor_PixelConvert::Pack15(r, g, b);
    color8 = Quor_Palette::IndexFromColor(palette, r, g, b);
    UpdateTarget();
}

void Quor_Raster::ClearTexture()
{
    texture = Quor_image{};
    UpdateTarget();
}

void Quor_Raster::SetTexture(const Quor_image* tex)
{
    if (!Drawable(tex)) {
        ClearTexture();
        return;
    }
    if (textureRows == nullptr || textureRowCount != tex->height) {
        delete[] textureRows;
        textureRows = new (std::nothrow) const uint8_t*[size_t(tex->height)];
        textureRowCount = textureRows ? tex->height : 0;
        if (textureRows == nullptr) {
            ClearTexture();
            return;
        }
    }
    texture = *tex;
    for (int32_t y = 0; y < texture.height; y++)
        textureRows[y] = texture.Row(y);
    UpdateTarget();
}

void Quor_Raster::AllowRepeatingTextures(bool allow)
{
    repeatTextures = allow;
    UpdateTarget();
}

void Quor_Raster::SetScanDoubling(bool on)
{
    scanDoubling = on;
}

void Quor_Raster::SetRowLimit(int first, int last)
{
    rowLimitFirst = std::max(first, 0);
    rowLimitLast = last;
}

void Quor_Raster::UpdateTarget()
{
    Quor_RasterTarget t;
    if (dest.bits != nullptr) {
        t.bits = dest.bits;
        t.rowBytes = dest.rowBytes;
        t.width = dest.width;
        t.height = dest.height;
        t.pixelBits = dest.pixelBits;
    }
    t.inverse = palette.inverse != nullptr ? palette.inverse : sNoInverse;
    t.color32 = color32;
    t.color16 = color16;
    t.color15 = color15;
    t.color8 = color8;
    if (texture.bits != nullptr) {
        t.texture = texture;
        t.texRows = textureRows;
        t.texWidth = texture.width;
        t.texHeight = texture.height;
        t.texBits = texture.pixelBits;
        t.texBytes = texture.pixelBytes;
        t.repeat = repeatTextures;
        if (!repeatTextures) {
            // The last position inside the texture, so value >> 16 is always a valid index.
            t.ranges.lo[kVertexU] = 0;
            t.ranges.hi[kVertexU] = std::min<int64_t>((int64_t(texture.width) << 16) - 1, t.ranges.hi[kVertexU]);
            t.ranges.lo[kVertexV] = 0;
            t.ranges.hi[kVertexV] = std::min<int64_t>((int64_t(texture.height) << 16) - 1, t.ranges.hi[kVertexV]);
        }
    }
    target = t;
}

// --- Bounding box ------------------------------------------------------------------------------

void Quor_Raster::ClearBBox()
{
    minX = minY = minZ = 1000000.0f;
    maxX = maxY = maxZ = -1000000.0f;
}

bool Quor_Raster::GetBBox(float* outMinX, float* outMinY, float* outMaxX, float* outMaxY) const
{
    const float w = float(dest.width), h = float(dest.height);
    if (outMinX)
        *outMinX = std::clamp(minX, 0.0f, w);
    if (outMinY)
        *outMinY = std::clamp(minY, 0.0f, h);
    if (outMaxX)
        *outMaxX = std::clamp(maxX, 0.0f, w);
    if (outMaxY)
        *outMaxY = std::clamp(maxY, 0.0f, h);
    return minX <= maxX && minY <= maxY;
}

bool Quor_Raster::GetZRange(float* outMinZ, float* outMaxZ) const
{
    if (outMinZ)
        *outMinZ = minZ;
    if (outMaxZ)
        *outMaxZ = maxZ;
    return minZ <= maxZ;
}

// --- Texture sampling --------------------------------------------------------------------------

void Quor_Raster::SampleTexture(int32_t u, int32_t v, rgb_color* out) const
{
    if (out == nullptr)
        return;
    if (target.texRows == nullptr || target.texBits != 32) {
        *out = rgb_color{0, 0, 0, 0};
        return;
    }
    *out = Quor_ColorOps::UnpackColor32(target.Bilinear().AtFixed(u, v));
}

// --- Drawing -----------------------------------------------------------------------------------

bool Quor_Raster::TextureFits(int mode) const
{
    if (target.texRows == nullptr)
        return false;
    const int destBytes = Quor_image::BytesForDepth(target.pixelBits);
    const bool bilinear = mode == kRasterTextureOver || mode == kRasterTextureCutout ||
                          mode == kRasterPerspectiveBilinear;
    if (mode == kRasterTextureShaded)
        return target.texBytes == 1;
    if (bilinear && target.pixelBits == 32)
        return target.texBits == 32;
    return target.texBytes == destBytes;
}

bool Quor_Raster::CanDraw(int mode) const
{
    if (mode < kRasterFlat || mode > kRasterTextureCutout)
        return false;
    return !Quor_RasterModeNeedsTexture(mode) || TextureFits(mode);
}

bool Quor_Raster::MapVertices(Quor_RasterVertex* vertices, int count, int mode) const
{
    const bool mapTexture = Quor_RasterModeMapsTexture(mode) && texture.bits != nullptr;
    const float texWidth = float(texture.width), texHeight = float(texture.height);
    bool finite = true;
    for (int i = 0; i < count; i++) {
        float* p = vertices[i];
        p[kVertexX] = p[kVertexX] * halfHeight + halfWidth;
        p[kVertexY] = halfHeight - p[kVertexY] * halfHeight;
        finite = finite && std::isfinite(p[kVertexX]) && std::isfinite(p[kVertexY]);
        for (int c : {int(kVertexShade), int(kVertexRed), int(kVertexGreen), int(kVertexBlue), int(kVertexAlpha)})
            p[c] = Sanitize(p[c] * 255.0f, 0.0f, 255.0f);
        p[kVertexZ] = Sanitize(p[kVertexZ] * 32768.0f, -32768.0f, 32768.0f);
        if (mapTexture) {
            p[kVertexU] *= texWidth;
            p[kVertexV] *= texHeight;
        }
        // Without repeating, a position may reach the far edge of the texture (the last texel is
        // then used); repeating, anything within the attribute range wraps.
        const bool clampToTexture = mapTexture && !repeatTextures;
        p[kVertexU] = Sanitize(p[kVertexU], clampToTexture ? 0.0f : -kAttributeLimit,
                               clampToTexture ? texWidth : kAttributeLimit);
        p[kVertexV] = Sanitize(p[kVertexV], clampToTexture ? 0.0f : -kAttributeLimit,
                               clampToTexture ? texHeight : kAttributeLimit);
        p[kVertexW] = Sanitize(p[kVertexW], -kAttributeLimit, kAttributeLimit);
    }
    return finite;
}

void Quor_Raster::Walk(const Quor_RasterVertex* vertices, int count, int mode, Path path)
{
    if (count < 3 || count > Quor_EdgeWalker::kMaxVertices || !HasDest())
        return;
    float lowX = vertices[0][kVertexX], highX = lowX;
    float lowY = vertices[0][kVertexY], highY = lowY;
    float lowZ = vertices[0][kVertexZ], highZ = lowZ;
    for (int i = 1; i < count; i++) {
        lowX = std::min(lowX, vertices[i][kVertexX]);
        highX = std::max(highX, vertices[i][kVertexX]);
        lowY = std::min(lowY, vertices[i][kVertexY]);
        highY = std::max(highY, vertices[i][kVertexY]);
        lowZ = std::min(lowZ, vertices[i][kVertexZ]);
        highZ = std::max(highZ, vertices[i][kVertexZ]);
    }
    if (highX < 0.0f || highY < 0.0f || lowX >= float(target.width) || lowY >= float(target.height))
        return;
    // A polygon wholly above or below the row limit (its rows lie within [lowY - 1, highY]).
    if (highY < float(rowLimitFirst) || lowY > float(rowLimitLast) + 1.0f)
        return;
    minX = std::min(minX, lowX);
    maxX = std::max(maxX, highX);
    minY = std::min(minY, lowY);
    maxY = std::max(maxY, highY);
    minZ = std::min(minZ, lowZ);
    maxZ = std::max(maxZ, highZ);

    // Only what the mode fills with is evaluated, plus depth for the 3-D rasterizer's test.
    const uint32_t mask = Quor_RasterModeAttributes(mode) | Quor_AttributeBit(kVertexZ);
    Quor_EdgeWalker walker(vertices, count);
    const int first = std::max(walker.FirstRow(), rowLimitFirst);
    const int last = std::min(std::min(walker.LastRow(), target.height - 1), rowLimitLast);
    Quor_RasterEdgeF sideA = {}, sideB = {};
    for (int y = first; y <= last; y++) {
        if (scanDoubling && (y & 1))
            continue;
        if (!walker.Sample(y, mask, &sideA, &sideB))
            break;
        if (path == Path::kFixed) {
            Quor_RasterEdge fixedA = Quor_RasterEdge::FromFloat(sideA, mask);
            Quor_RasterEdge fixedB = Quor_RasterEdge::FromFloat(sideB, mask);
            if (fixedB.a[kVertexX] < fixedA.a[kVertexX])
                std::swap(fixedA, fixedB);
            Scanline(y, fixedA, fixedB, mode);
        } else {
            // Sides are ordered on the same 16.16 positions as the fixed-point path.
            const double limit = Quor_RasterEdge::kPositionLimit;
            if (Quor_RasterEdge::ToFixed(sideB.a[kVertexX], limit) < Quor_RasterEdge::ToFixed(sideA.a[kVertexX], limit))
                std::swap(sideA, sideB);
            Scanline_f(y, sideA, sideB, mode);
        }
    }
}

void Quor_Raster::DrawRecord(Quor_poly* poly, int mode, Path path)
{
    if (poly == nullptr || !poly->IsValid() || poly->count < 3 || !HasDest() || !CanDraw(mode))
        return;
    if (!MapVertices(poly->vertex, poly->count, mode))
        return;
    Walk(poly->vertex, poly->count, mode, path);
}

void Quor_Raster::DrawPoly(Quor_poly* poly)
{
    if (poly == nullptr)
        return;
    if (poly->mode == kRasterGouraud)
        DrawPolyGouraud(poly);
    else
        DrawRecord(poly, poly->mode, Path::kFixed);
}

void Quor_Raster::DrawPolyGouraud(Quor_poly* poly)
{
    DrawRecord(poly, kRasterGouraud, Path::kFixed);
}

void Quor_Raster::DrawPoly_f(Quor_poly* poly)
{
    if (poly != nullptr)
        DrawRecord(poly, poly->mode, Path::kFloat);
}
