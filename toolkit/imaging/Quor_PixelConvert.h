// The one place where rows of pixels change format: byte rows (RGB, RGBA, BGR, BGRA, grey,
// grey + alpha, palette indices) to and from packed 32-bit words, and 32-bit words to 16/15 bits.
#pragma once

#include <cstdint>

// A packed 32-bit pixel is the native word blue << 24 | green << 16 | red << 8 | alpha, so the
// converters build and take words with shifts and work the same on any byte order. Sources
// without alpha give alpha 255. `count` is the number of pixels in the row; source and
// destination must not overlap.
class Quor_PixelConvert {
public:
    static constexpr uint32_t Pack(uint32_t r, uint32_t g, uint32_t b, uint32_t a = 255)
    {
        return b << 24 | g << 16 | r << 8 | a;
    }
    static constexpr uint32_t Red(uint32_t p) { return (p >> 8) & 255; }
    static constexpr uint32_t Green(uint32_t p) { return (p >> 16) & 255; }
    static constexpr uint32_t Blue(uint32_t p) { return p >> 24; }
    static constexpr uint32_t Alpha(uint32_t p) { return p & 255; }

    // 5-6-5 and 5-5-5 from 8-bit components.
    static constexpr uint16_t Pack16(uint32_t r, uint32_t g, uint32_t b)
    {
        return uint16_t(((r << 8) & 0xF800) | ((g << 3) & 0x07E0) | (b >> 3));
    }
    static constexpr uint16_t Pack15(uint32_t r, uint32_t g, uint32_t b)
    {
        return uint16_t(((r << 7) & 0x7C00) | ((g << 2) & 0x03E0) | (b >> 3));
    }
    // Back to 8-bit components, the top bits repeated into the low ones so 31 gives 255.
    static constexpr uint32_t Expand16(uint16_t p)
    {
        uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
        return Pack(r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2);
    }
    static constexpr uint32_t Expand15(uint16_t p)
    {
        uint32_t r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
        return Pack(r << 3 | r >> 2, g << 3 | g >> 2, b << 3 | b >> 2);
    }

    // Byte rows into packed words.
    static void FromRgb(const uint8_t* src, uint32_t* dst, int count);
    static void FromRgba(const uint8_t* src, uint32_t* dst, int count);
    static void FromBgr(const uint8_t* src, uint32_t* dst, int count);
    static void FromBgra(const uint8_t* src, uint32_t* dst, int count);
    static void FromGrey(const uint8_t* src, uint32_t* dst, int count);
    static void FromGreyAlpha(const uint8_t* src, uint32_t* dst, int count);
    // Palette indices through a 256-entry table of packed words.
    static void FromIndexed(const uint8_t* src, uint32_t* dst, int count, const uint32_t* colors);
    static void From16(const uint16_t* src, uint32_t* dst, int count);
    static void From15(const uint16_t* src, uint32_t* dst, int count);

    // Packed words into byte rows (alpha dropped where the row has none).
    static void ToRgb(const uint32_t* src, uint8_t* dst, int count);
    static void ToRgba(const uint32_t* src, uint8_t* dst, int count);
    static void ToBgr(const uint32_t* src, uint8_t* dst, int count);
    static void ToBgra(const uint32_t* src, uint8_t* dst, int count);
    static void To16(const uint32_t* src, uint16_t* dst, int count);
    static void To15(const uint32_t* src, uint16_t* dst, int count);
};
