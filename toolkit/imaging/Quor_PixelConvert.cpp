#include "toolkit/imaging/Quor_PixelConvert.h"

// Each converter is a plain loop over one row; the compiler vectorises the simple ones.

void Quor_PixelConvert::FromRgb(const uint8_t* src, uint32_t* dst, int count)
{
    for (int i = 0; i < count; ++i, src += 3)
        dst[i] = Pack(src[0], src[1], src[2]);
}

void Quor_PixelConvert::FromRgba(const uint8_t* src, uint32_t* dst, int count)
{
    for (int i = 0; i < count; ++i, src += 4)
        dst[i] = Pack(src[0], src[1], src[2], src[3]);
}

void Quor_PixelConvert::FromBgr(const uint8_t* src, uint32_t* dst, int count)
{
    for (int i = 0; i < count; ++i, src += 3)
        dst[i] = Pack(src[2], src[1], src[0]);
}

void Quor_PixelConvert::FromBgra(const uint8_t* src, uint32_t* dst, int count)
{
    for (int i = 0; i < count; ++i, src += 4)
        dst[i] = Pack(src[2], src[1], src[0], src[3]);
}

void Quor_PixelConvert::FromGrey(const uint8_t* src, uint32_t* dst, int count)
{
    for (int i = 0; i < count; ++i)
        dst[i] = Pack(src[i], src[i], src[i]);
}

void Quor_PixelConvert::FromGreyAlpha(const uint8_t* src, uint32_t* dst, int count)
{
    for (int i = 0; i < count; ++i, src += 2)
        dst[i] = Pack(src[0], src[0], src[0], src[1]);
}

void Quor_PixelConvert::FromIndexed(const uint8_t* src, uint32_t* dst, int count,
                                    const uint32_t* colors)
{
    for (int i = 0; i < count; ++i)
        dst[i] = colors[src[i]];
}

void Quor_PixelConvert::From16(const uint16_t* src, uint32_t* dst, int count)
{
    for (int i = 0; i < count; ++i)
        dst[i] = Expand16(src[i]);
}

void Quor_PixelConvert::From15(const uint16_t* src, uint32_t* dst, int count)
{
    for (int i = 0; i < count; ++i)
        dst[i] = Expand15(src[i]);
}

void Quor_PixelConvert::ToRgb(const uint32_t* src, uint8_t* dst, int count)
{
    for (int i = 0; i < count; ++i, dst += 3) {
        const uint32_t p = src[i];
        dst[0] = uint8_t(Red(p));
        dst[1] = uint8_t(Green(p));
        dst[2] = uint8_t(Blue(p));
    }
}

void Quor_PixelConvert::ToRgba(const uint32_t* src, uint8_t* dst, int count)
{
    for (int i = 0; i < count; ++i, dst += 4) {
        const uint32_t p = src[i];
        dst[0] = uint8_t(Red(p));
        dst[1] = uint8_t(Green(p));
        dst[2] = uint8_t(Blue(p));
        dst[3] = uint8_t(Alpha(p));
    }
}

void Quor_PixelConvert::ToBgr(const uint32_t* src, uint8_t* dst, int count)
{
    for (int i = 0; i < count; ++i, dst += 3) {
        const uint32_t p = src[i];
        dst[0] = uint8_t(Blue(p));
        dst[1] = uint8_t(Green(p));
        dst[2] = uint8_t(Red(p));
    }
}

void Quor_PixelConvert::ToBgra(const uint32_t* src, uint8_t* dst, int count)
{
    for (int i = 0; i < count; ++i, dst += 4) {
        const uint32_t p = src[i];
        dst[0] = uint8_t(Blue(p));
        dst[1] = uint8_t(Green(p));
        dst[2] = uint8_t(Red(p));
        dst[3] = uint8_t(Alpha(p));
    }
}

void Quor_PixelConvert::To16(const uint32_t* src, uint16_t* dst, int count)
{
    for (int i = 0; i < count; ++i)
        dst[i] = Pack16(Red(src[i]), Green(src[i]), Blue(src[i]));
}

void Quor_PixelConvert::To15(const uint32_t* src, uint16_t* dst, int count)
{
    for (int i = 0; i < count; ++i)
        dst[i] = Pack15(Red(src[i]), Green(src[i]), Blue(src[i]));
}
