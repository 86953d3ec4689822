// Quor_ImageOps: copying, alpha compositing, tiling and sub-image views.
// Every routine clips the placement first (Quor_BlitClip), then walks rows.

#include <cstring>

#include "toolkit/imaging/ops/Quor_Blend.h"
#include "toolkit/imaging/ops/Quor_BlitClip.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

namespace {

// Calls blit(tx, ty) for every placement of the source that meets the destination, on the grid
// through (x, y).
template <class Blit>
void Tile(const Quor_image* src, const Quor_image* dst, int x, int y, Blit blit)
{
    if (!src || !dst || !src->IsUsable() || !dst->IsUsable())
        return;
    const int64_t w = src->width, h = src->height;
    // The first grid position at or left of (above) the destination's origin.
    int64_t startX = x % w, startY = y % h;
    if (startX > 0)
        startX -= w;
    if (startY > 0)
        startY -= h;
    for (int64_t ty = startY; ty < dst->height; ty += h)
        for (int64_t tx = startX; tx < dst->width; tx += w)
            blit(int(tx), int(ty));
}

}  // namespace

void Quor_ImageOps::Blit(const Quor_image* src, const Quor_image* dst, int x, int y)
{
    if (!src || !dst || src->pixelBits != dst->pixelBits)
        return;
    Quor_BlitClip clip;
    if (!clip.Compute(src, dst, x, y))
        return;
    const int pixelBytes = dst->pixelBytes;
    const size_t bytes = size_t(clip.width) * pixelBytes;
    auto srcRow = [&](int row) { return src->Row(clip.srcY + row) + ptrdiff_t(clip.srcX) * pixelBytes; };
    auto dstRow = [&](int row) { return dst->Row(clip.dstY + row) + ptrdiff_t(clip.dstX) * pixelBytes; };
    // Within one image, copying downwards must start at the bottom so rows are read before
    // they are overwritten; memmove handles the overlap inside a row.
    if (dstRow(0) > srcRow(0)) {
        for (int row = clip.height - 1; row >= 0; --row)
            std::memmove(dstRow(row), srcRow(row), bytes);
    } else {
        for (int row = 0; row < clip.height; ++row)
            std::memmove(dstRow(row), srcRow(row), bytes);
    }
}

void Quor_ImageOps::BlitAlpha(const Quor_image* src, const Quor_image* dst, int x, int y,
                              bool updateAlpha)
{
    if (!src || !dst)
        return;
    if (src->pixelBits != 32) {
        if (src->pixelBits == dst->pixelBits)
            Blit(src, dst, x, y);
        return;
    }
    Quor_Composite32(src, dst, x, y,
                [updateAlpha](uint32_t* d, uint32_t s) { Quor_Blend::Over(d, s, updateAlpha); });
}

void Quor_ImageOps::BlitAlphaMod(const Quor_image* src, const Quor_image* dst, int x, int y,
                                 int alphaOffset, bool updateAlpha)
{
    if (!src || !dst)
        return;
    if (src->pixelBits != 32) {
        // Pixels without alpha count as opaque.
        if (src->pixelBits == dst->pixelBits && alphaOffset > -255)
            Blit(src, dst, x, y);
        return;
    }
    Quor_Composite32(src, dst, x, y, [alphaOffset, updateAlpha](uint32_t* d, uint32_t s) {
        int64_t a = int64_t(Quor_PixelConvert::Alpha(s)) + alphaOffset;
        if (a <= 0)
            return;
        if (a > 255)
            a = 255;
        Quor_Blend::Mix(d, Quor_PixelConvert::Red(s), Quor_PixelConvert::Green(s),
                        Quor_PixelConvert::Blue(s), uint32_t(a), updateAlpha);
    });
}

void Quor_ImageOps::BlitAlphaMin(const Quor_image* src, const Quor_image* dst, int x, int y)
{
    Quor_Composite32(src, dst, x, y, [](uint32_t* d, uint32_t s) {
        const uint32_t da = Quor_PixelConvert::Alpha(*d);
        *d = Quor_PixelConvert::Alpha(s) > da ? (s & 0xFFFFFF00u) | da : s;
    });
}

void Quor_ImageOps::BlitAlphaScale(const Quor_image* src, const Quor_image* dst, int x, int y)
{
    Quor_Composite32(src, dst, x, y, [](uint32_t* d, uint32_t s) {
        const auto& scale = gAlphaMask[Quor_PixelConvert::Alpha(s)];
        const uint32_t p = *d;
        *d = Quor_PixelConvert::Pack(scale[Quor_PixelConvert::Red(p)],
                                     scale[Quor_PixelConvert::Green(p)],
                                     scale[Quor_PixelConvert::Blue(p)],
                                     scale[Quor_PixelConvert::Alpha(p)]);
    });
}

void Quor_ImageOps::TileImage(const Quor_image* src, const Quor_image* dst, int x, int y)
{
    Tile(src, dst, x, y, [src, dst](int tx, int ty) { Blit(src, dst, tx, ty); });
}

void Quor_ImageOps::TileImageAlpha(const Quor_image* src, const Quor_image* dst, int x, int y)
{
    Tile(src, dst, x, y, [src, dst](int tx, int ty) { BlitAlpha(src, dst, tx, ty, false); });
}

void Quor_ImageOps::TileImageAlphaMod(const Quor_image* src, const Quor_image* dst, int x, int y,
                                      int alphaOffset)
{
    Tile(src, dst, x, y, [src, dst, alphaOffset](int tx, int ty) {
        BlitAlphaMod(src, dst, tx, ty, alphaOffset, false);
    });
}

void Quor_ImageOps::TileImageAlphaScale(const Quor_image* src, const Quor_image* dst, int x,
                                        int y)
{
    Tile(src, dst, x, y, [src, dst](int tx, int ty) { BlitAlphaScale(src, dst, tx, ty); });
}

int Quor_ImageOps::FillImage(const Quor_image* src, Quor_Rect r, Quor_image* out)
{
    if (!src || !src->bits)
        return QUOR_ERR_NO_IMAGE;
    if (!out || !src || !src->IsUsable())
        return QUOR_ERR_ARGUMENT;
    r.Normalize();
    const int32_t left = r.left > 0 ? r.left : 0;
    const int32_t top = r.top > 0 ? r.top : 0;
    const int32_t right = r.right < src->width - 1 ? r.right : src->width - 1;
    const int32_t bottom = r.bottom < src->height - 1 ? r.bottom : src->height - 1;
    if (left > right || top > bottom)
        return QUOR_ERR_ARGUMENT;
    *out = *src;
    out->bits = src->Row(top) + ptrdiff_t(left) * src->pixelBytes;
    out->width = right - left + 1;
    out->height = bottom - top + 1;
    return QUOR_OK;
}
