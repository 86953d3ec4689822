// Where a source image placed at (x, y) overlaps a destination: the clipping step shared by
// every Quor_ImageOps routine that puts one image into another. Internal to the imaging library.
#pragma once

#include <cstdint>

#include "toolkit/imaging/Quor_image.h"

struct Quor_BlitClip {
    int srcX = 0;
    int srcY = 0;
    int dstX = 0;
    int dstY = 0;
    int width = 0;
    int height = 0;

    // Fills the overlap; false when there is none or a record is unusable. The arithmetic is
    // 64-bit, so positions near the ends of the int range cannot wrap.
    bool Compute(const Quor_image* src, const Quor_image* dst, int x, int y)
    {
        if (!src || !dst || !src->IsUsable() || !dst->IsUsable())
            return false;
        const int64_t left = x > 0 ? x : 0;
        const int64_t top = y > 0 ? y : 0;
        int64_t right = int64_t(x) + src->width;
        int64_t bottom = int64_t(y) + src->height;
        if (right > dst->width)
            right = dst->width;
        if (bottom > dst->height)
            bottom = dst->height;
        if (right <= left || bottom <= top)
            return false;
        dstX = int(left);
        dstY = int(top);
        srcX = int(left - x);
        srcY = int(top - y);
        width = int(right - left);
        height = int(bottom - top);
        return true;
    }

    const uint32_t* SrcRow32(const Quor_image* src, int row) const
    {
        return src->Row32(srcY + row) + srcX;
    }
    uint32_t* DstRow32(const Quor_image* dst, int row) const
    {
        return dst->Row32(dstY + row) + dstX;
    }
};

// Runs op(destinationPixel*, sourcePixel) over the overlap of two 32-bit images placed with the
// source's top-left at (x, y): the one pixel walk that the 32-bit blits and blend modes share.
template <class Op>
void Quor_Composite32(const Quor_image* src, const Quor_image* dst, int x, int y, Op op)
{
    if (!src || !dst || !src->IsUsable32() || !dst->IsUsable32())
        return;
    Quor_BlitClip clip;
    if (!clip.Compute(src, dst, x, y))
        return;
    for (int row = 0; row < clip.height; ++row) {
        const uint32_t* s = clip.SrcRow32(src, row);
        uint32_t* d = clip.DstRow32(dst, row);
        for (int i = 0; i < clip.width; ++i)
            op(d + i, s[i]);
    }
}
