// Depth buffer, projection, toon outlines and the drawing entry of the 3-D rasterizer.
#include "toolkit/imaging/raster/Quor_Raster3D.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "toolkit/math/Quor_Vector3.h"

namespace {

constexpr int32_t kClearDepth = int32_t(0x80080000u);  // -32760.0 in 16.16
constexpr float kClearDepthFloat = -1000000.0f;
constexpr float kPerspectiveMagnitude = 16384.0f;

}  // namespace

Quor_Raster3D::Quor_Raster3D() = default;

Quor_Raster3D::~Quor_Raster3D()
{
    FreeDepth();
}

void Quor_Raster3D::FreeDepth()
{
    delete[] zRows;
    delete[] zRowsFloat;
    zRows = nullptr;
    zRowsFloat = nullptr;
    zWidth = zHeight = 0;
}

void Quor_Raster3D::SetDest(const Quor_image* img, const Quor_palette* pal)
{
    SetDest(img, zRowsFloat == nullptr, pal);
}

int Quor_Raster3D::SetDest(const Quor_image* img, bool integerZ, const Quor_palette* pal)
{
    Quor_Raster::SetDest(img, pal);
    if (!HasDest()) {
        FreeDepth();
        return QUOR_ERR_NO_IMAGE;
    }
    const bool sameKind = integerZ ? zRows != nullptr : zRowsFloat != nullptr;
    if (sameKind && zWidth == dest.width && zHeight == dest.height)
        return QUOR_OK;
    FreeDepth();
    const size_t cells = size_t(dest.width) * size_t(dest.height);
    if (integerZ)
        zRows = new (std::nothrow) int32_t[cells];
    else
        zRowsFloat = new (std::nothrow) float[cells];
    if (zRows == nullptr && zRowsFloat == nullptr)
        return QUOR_ERR_MEMORY;
    zWidth = dest.width;
    zHeight = dest.height;
    ClearZ();
    return QUOR_OK;
}

bool Quor_Raster3D::DepthMatchesDest() const
{
    return HasDest() && (zRows != nullptr || zRowsFloat != nullptr) && zWidth == dest.width &&
           zHeight == dest.height;
}

void Quor_Raster3D::ClearZ()
{
    const size_t cells = size_t(zWidth) * size_t(zHeight);
    if (zRows != nullptr)
        std::fill(zRows, zRows + cells, kClearDepth);
    if (zRowsFloat != nullptr)
        std::fill(zRowsFloat, zRowsFloat + cells, kClearDepthFloat);
}

int32_t* Quor_Raster3D::GetZRow(int y) const
{
    if (zRows == nullptr || y < 0 || y >= zHeight)
        return nullptr;
    return zRows + size_t(y) * size_t(zWidth);
}

float* Quor_Raster3D::GetZRow_f(int y) const
{
    if (zRowsFloat == nullptr || y < 0 || y >= zHeight)
        return nullptr;
    return zRowsFloat + size_t(y) * size_t(zWidth);
}

void Quor_Raster3D::SetColor(uint8_t r, uint8_t g, uint8_t b)
{
    faceColor = rgb_color{r, g, b, 255};
    Quor_Raster::SetColor(r, g, b);
}

void Quor_Raster3D::SetToonModeOn(bool backFaces, const Quor_Matrix& m, rgb_color outline, float width)
{
    toon = true;
    toonBackFaces = backFaces;
    toonMatrix = m;
    toonInverse = m;
    toonInverseValid = toonInverse.Invert();
    toonColor = outline;
    toonWidth = std::isfinite(width) ? width : 0.0f;
}

void Quor_Raster3D::SetToonModeOff()
{
    toon = false;
}

bool Quor_Raster3D::Project(Quor_RasterVertex* vertices, int count, int mode) const
{
    const bool perspective = mode == kRasterPerspective || mode == kRasterPerspectiveBilinear;
    float largest = 0.0f;
    for (int i = 0; i < count; i++) {
        float* p = vertices[i];
        const float w = p[kVertexW];
        // Clipping leaves w >= |z|; a vertex on the eye plane (w = 0) has no position.
        if (!(w > 0.0f))
            return false;
        const float inv = 1.0f / w;
        if (!std::isfinite(inv))
            return false;
        p[kVertexX] *= inv;
        p[kVertexY] *= inv;
        p[kVertexZ] *= inv;
        p[kVertexW] = inv;
        if (perspective) {
            p[kVertexU] = std::isfinite(p[kVertexU]) ? p[kVertexU] * float(texture.width) * inv : 0.0f;
            p[kVertexV] = std::isfinite(p[kVertexV]) ? p[kVertexV] * float(texture.height) * inv : 0.0f;
            for (int c : {int(kVertexU), int(kVertexV), int(kVertexW)})
                largest = std::max(largest, std::isfinite(p[c]) ? std::fabs(p[c]) : 0.0f);
        }
    }
    if (perspective && largest > 0.0f) {
        // u/w, v/w and 1/w share one power-of-two scale that brings the largest near 16384: their
        // quotients are unchanged, and 1/w keeps its precision in 16.16 however far away it is.
        int exponent = 0;
        std::frexp(kPerspectiveMagnitude / largest, &exponent);
        const float scale = std::ldexp(1.0f, exponent - 1);
        for (int i = 0; i < count; i++)
            for (int c : {int(kVertexU), int(kVertexV), int(kVertexW)})
                vertices[i][c] = std::isfinite(vertices[i][c] * scale) ? vertices[i][c] * scale : 0.0f;
    }
    return true;
}

bool Quor_Raster3D::MakeOutline(Quor_RasterVertex* vertices, int count) const
{
    if (toonWidth < 1e-6f || !toonInverseValid)
        return false;
    for (int i = 0; i < count; i++) {
        float* p = vertices[i];
        Quor_Vector3 position(p[kVertexX], p[kVertexY], p[kVertexZ]);
        // Back to eye space, away from the eye (which looks along -z), and projected again.
        toonInverse.TransformHomo(position);
        position.z -= toonWidth;
        toonMatrix.TransformHomo(position);
        p[kVertexX] = position.x;
        p[kVertexY] = position.y;
        p[kVertexZ] = position.z;
    }
    return true;
}

void Quor_Raster3D::DrawPoly(Quor_poly* poly)
{
    if (poly == nullptr || !poly->IsValid() || poly->count < 3 || !DepthMatchesDest())
        return;
    int mode = poly->mode;
    if (target.pixelBits != 32) {
        if (mode == kRasterTextureCutout)
            mode = kRasterTextureCopy;
        else if (mode == kRasterPerspectiveBilinear)
            mode = kRasterPerspective;
    }
    if (mode < kRasterFlat || mode >= kRasterModeCount)
        return;
    if (Quor_RasterModeNeedsTexture(mode) && !TextureFits(mode))
        return;

    Quor_RasterVertex vertices[kClipCapacity];
    const int count = ClipVertices(poly->vertex, poly->count, vertices, kClipCapacity);
    if (count < 3 || !Project(vertices, count, mode))
        return;

    bool outline = false;
    if (toon) {
        const float* a = vertices[0];
        const float* b = vertices[1];
        const float* c = vertices[2];
        const float normalZ = (b[kVertexX] - a[kVertexX]) * (c[kVertexY] - a[kVertexY]) -
                              (b[kVertexY] - a[kVertexY]) * (c[kVertexX] - a[kVertexX]);
        const bool frontFacing = normalZ > 0.0f;
        outline = frontFacing != toonBackFaces;
        if (outline) {
            if (!MakeOutline(vertices, count))
                return;
            mode = kRasterFlat;
        }
    }
    if (!MapVertices(vertices, count, mode))
        return;
    if (outline)
        Quor_Raster::SetColor(toonColor.red, toonColor.green, toonColor.blue);
    Walk(vertices, count, mode, zRows != nullptr ? Path::kFixed : Path::kFloat);
    if (outline)
        Quor_Raster::SetColor(faceColor.red, faceColor.green, faceColor.blue);
}
