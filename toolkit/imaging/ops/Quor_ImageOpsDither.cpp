// Quor_ImageOps: depth conversion of 32-bit images to 16, 15 and 8 bits, with optional
// Floyd-Steinberg error diffusion, and expansion of 8-bit images through their palette.

#include <cstring>
#include <memory>
#include <new>

#include "toolkit/imaging/ops/Quor_BlitClip.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_Palette.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/math/Quor_Round.h"

namespace {

int CheckPair(const Quor_image* src, const Quor_image* dst, int dstBits)
{
    if (!src || !src->bits || !dst || !dst->bits)
        return QUOR_ERR_NO_IMAGE;
    if (!src->IsUsable32() || !dst->IsUsable() ||
        dst->pixelBits != dstBits || src->width != dst->width || src->height != dst->height)
        return QUOR_ERR_ARGUMENT;
    return QUOR_OK;
}

// Converts every pixel with quantize(r, g, b, &shownR, &shownG, &shownB), which stores the
// destination pixel and reports the colour it shows. With diffusion the difference between the
// wanted and the shown colour spreads 7/16 right, 3/16 down-left, 5/16 down, 1/16 down-right.
template <class Pixel, class Quantize>
int Convert(const Quor_image* src, const Quor_image* dst, bool diffuse, Quantize quantize)
{
    const int width = src->width;
    std::unique_ptr<int[]> errors;
    int* current = nullptr;
    int* next = nullptr;
    if (diffuse) {
        // Two rows of error (three channels), one pixel of margin on each side.
        const size_t row = (size_t(width) + 2) * 3;
        errors.reset(new (std::nothrow) int[row * 2]());
        if (!errors)
            return QUOR_ERR_MEMORY;
        current = errors.get();
        next = errors.get() + row;
    }
    for (int y = 0; y < src->height; ++y) {
        const uint32_t* in = src->Row32(y);
        Pixel* out = reinterpret_cast<Pixel*>(dst->Row(y));
        for (int x = 0; x < width; ++x) {
            int want[3] = {int(Quor_PixelConvert::Red(in[x])), int(Quor_PixelConvert::Green(in[x])),
                           int(Quor_PixelConvert::Blue(in[x]))};
            if (diffuse)
                for (int k = 0; k < 3; ++k)
                    want[k] = Quor_Clamp(want[k] + current[(x + 1) * 3 + k] / 16, 0, 255);
            int shown[3];
            out[x] = quantize(want[0], want[1], want[2], shown);
            if (!diffuse)
                continue;
            for (int k = 0; k < 3; ++k) {
                const int error = want[k] - shown[k];
                current[(x + 2) * 3 + k] += error * 7;
                next[x * 3 + k] += error * 3;
                next[(x + 1) * 3 + k] += error * 5;
                next[(x + 2) * 3 + k] += error;
            }
        }
        if (diffuse) {
            std::swap(current, next);
            std::memset(next, 0, (size_t(width) + 2) * 3 * sizeof(int));
        }
    }
    return QUOR_OK;
}

// The 8-bit value a component of `bits` bits shows: the top bits repeated below.
int Shown(int v, int bits)
{
    const int q = v >> (8 - bits);
    return (q << (8 - bits)) | (q >> (2 * bits - 8));
}

}  // namespace

int Quor_ImageOps::Dither32To16(const Quor_image* src, const Quor_image* dst, bool dither)
{
    if (int result = CheckPair(src, dst, 16); result != 0)
        return result;
    return Convert<uint16_t>(src, dst, dither, [](int r, int g, int b, int* shown) {
        shown[0] = Shown(r, 5);
        shown[1] = Shown(g, 6);
        shown[2] = Shown(b, 5);
        return Quor_PixelConvert::Pack16(uint32_t(r), uint32_t(g), uint32_t(b));
    });
}

int Quor_ImageOps::Dither32To15(const Quor_image* src, const Quor_image* dst, bool dither)
{
    if (int result = CheckPair(src, dst, 15); result != 0)
        return result;
    return Convert<uint16_t>(src, dst, dither, [](int r, int g, int b, int* shown) {
        shown[0] = Shown(r, 5);
        shown[1] = Shown(g, 5);
        shown[2] = Shown(b, 5);
        return Quor_PixelConvert::Pack15(uint32_t(r), uint32_t(g), uint32_t(b));
    });
}

int Quor_ImageOps::Dither32To8(const Quor_image* src, const Quor_image* dst, bool dither,
                               const Quor_palette* palette)
{
    if (int result = CheckPair(src, dst, 8); result != 0)
        return result;
    const Quor_palette& pal = palette ? *palette : Quor_Palette::SystemPalette().Palette();
    if (pal.count == 0 || !pal.colors || !pal.inverse)
        return QUOR_ERR_NO_PALETTE;
    return Convert<uint8_t>(src, dst, dither, [&pal](int r, int g, int b, int* shown) {
        const uint8_t index = Quor_Palette::IndexFromColor(pal, r, g, b);
        const uint32_t c = pal.colors[index];
        shown[0] = int(Quor_PixelConvert::Red(c));
        shown[1] = int(Quor_PixelConvert::Green(c));
        shown[2] = int(Quor_PixelConvert::Blue(c));
        return index;
    });
}

int Quor_ImageOps::Dither8To32(const Quor_image* src, const Quor_image* dst,
                               const Quor_palette* palette)
{
    if (!src || !src->bits || !dst || !dst->bits)
        return QUOR_ERR_NO_IMAGE;
    if (!src->IsUsable() || src->pixelBits != 8 || !dst->IsUsable32() ||
        src->width != dst->width || src->height != dst->height)
        return QUOR_ERR_ARGUMENT;
    const Quor_palette& pal = palette ? *palette : Quor_Palette::SystemPalette().Palette();
    if (pal.count == 0 || !pal.colors)
        return QUOR_ERR_NO_PALETTE;
    for (int y = 0; y < src->height; ++y)
        Quor_PixelConvert::FromIndexed(src->Row(y), dst->Row32(y), src->width, pal.colors);
    return QUOR_OK;
}
