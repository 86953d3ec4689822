// Quor_ImageOps: filling, per-pixel colour and alpha maintenance, and built-in image correction.

#include <cmath>
#include <cstring>
#include <random>

#include "toolkit/imaging/ops/Quor_BlitClip.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/math/Quor_Round.h"

namespace {

// Runs op(p) on every pixel word of a 32-bit image and stores its result.
template <class Op>
void ForEachPixel32(const Quor_image* img, Op op)
{
    if (!img || !img->IsUsable32())
        return;
    for (int y = 0; y < img->height; ++y) {
        uint32_t* row = img->Row32(y);
        for (int x = 0; x < img->width; ++x)
            row[x] = op(row[x]);
    }
}

// Maps red, green and blue through a 256-entry table; alpha stays.
void MapColour(const Quor_image* img, const uint8_t* table)
{
    ForEachPixel32(img, [table](uint32_t p) {
        return Quor_PixelConvert::Pack(table[Quor_PixelConvert::Red(p)],
                                       table[Quor_PixelConvert::Green(p)],
                                       table[Quor_PixelConvert::Blue(p)],
                                       Quor_PixelConvert::Alpha(p));
    });
}

}  // namespace

void Quor_ImageOps::Clear(const Quor_image* img, const rgb_color& color)
{
    if (!img || !img->IsUsable())
        return;
    const int width = img->width;
    switch (img->pixelBits) {
    case 8: {
        const uint8_t index = Quor_ColorOps::PackColor8(color);
        for (int y = 0; y < img->height; ++y)
            std::memset(img->Row(y), index, size_t(width));
        break;
    }
    case 15:
    case 16: {
        const uint16_t packed = img->pixelBits == 16 ? Quor_ColorOps::PackColor16(color)
                                                     : Quor_ColorOps::PackColor15(color);
        for (int y = 0; y < img->height; ++y) {
            uint16_t* row = reinterpret_cast<uint16_t*>(img->Row(y));
            for (int x = 0; x < width; ++x)
                row[x] = packed;
        }
        break;
    }
    case 24:
        for (int y = 0; y < img->height; ++y) {
            uint8_t* row = img->Row(y);
            for (int x = 0; x < width; ++x, row += 3) {
                row[0] = color.blue;
                row[1] = color.green;
                row[2] = color.red;
            }
        }
        break;
    case 32: {
        // The first row is filled pixel by pixel and copied into the others: a copy moves whole
        // vectors, several times faster than the compiler's loop of single stores.
        const uint32_t packed = Quor_ColorOps::PackColor32(color);
        uint32_t* first = img->Row32(0);
        for (int x = 0; x < width; ++x)
            first[x] = packed;
        for (int y = 1; y < img->height; ++y)
            std::memcpy(img->Row32(y), first, size_t(width) * 4);
        break;
    }
    default:
        break;
    }
}

void Quor_ImageOps::SetAlpha(const Quor_image* img, uint8_t alpha)
{
    ForEachPixel32(img, [alpha](uint32_t p) { return (p & 0xFFFFFF00u) | alpha; });
}

void Quor_ImageOps::InvertAlpha(const Quor_image* img)
{
    ForEachPixel32(img, [](uint32_t p) { return p ^ 0x000000FFu; });
}

void Quor_ImageOps::Invert(const Quor_image* img)
{
    ForEachPixel32(img, [](uint32_t p) { return p ^ 0xFFFFFF00u; });
}

void Quor_ImageOps::Brighten(const Quor_image* img, float factor)
{
    // A non-finite factor has no meaningful result; the image is left as it is.
    if (!std::isfinite(factor))
        return;
    const double scale = std::fabs(double(factor));
    uint8_t table[256];
    bool identity = true;
    for (int v = 0; v < 256; ++v) {
        table[v] = uint8_t(Quor_RoundClamp(v * scale, 0, 255));
        identity = identity && table[v] == v;
    }
    // A factor close enough to 1 changes no value: the pass over the pixels is skipped.
    if (!identity)
        MapColour(img, table);
}

void Quor_ImageOps::RescaleAlpha(const Quor_image* img, int low, int high, int floor)
{
    uint8_t table[256];
    for (int a = 0; a < 256; ++a) {
        int value;
        if (high <= low)
            value = a >= low ? 255 : 0;
        else
            value = Quor_Clamp(int((int64_t(a) - low) * 255 / (int64_t(high) - low)), 0, 255);
        table[a] = uint8_t(value < floor ? 0 : value);
    }
    ForEachPixel32(img, [&table](uint32_t p) { return (p & 0xFFFFFF00u) | table[p & 255]; });
}

void Quor_ImageOps::PrepForBlackAlpha(const Quor_image* img)
{
    ForEachPixel32(img, [](uint32_t p) {
        const auto& unscale = gAlphaBlack[Quor_PixelConvert::Alpha(p)];
        return Quor_PixelConvert::Pack(unscale[Quor_PixelConvert::Red(p)],
                                       unscale[Quor_PixelConvert::Green(p)],
                                       unscale[Quor_PixelConvert::Blue(p)],
                                       Quor_PixelConvert::Alpha(p));
    });
}

void Quor_ImageOps::AddNoise(const Quor_image* img, int amount, bool monochrome)
{
    amount = Quor_Clamp(amount, 0, 255);
    if (amount == 0)
        return;
    // A generator of its own: nothing here touches the process-wide random state, and the
    // same call always gives the same noise.
    std::minstd_rand random(0x51C0FFEEu);
    std::uniform_int_distribution<int> noise(-amount, amount);
    auto add = [](uint32_t v, int n) { return uint32_t(Quor_Clamp(int(v) + n, 0, 255)); };
    ForEachPixel32(img, [&](uint32_t p) {
        const int nr = noise(random);
        const int ng = monochrome ? nr : noise(random);
        const int nb = monochrome ? nr : noise(random);
        return Quor_PixelConvert::Pack(add(Quor_PixelConvert::Red(p), nr),
                                       add(Quor_PixelConvert::Green(p), ng),
                                       add(Quor_PixelConvert::Blue(p), nb),
                                       Quor_PixelConvert::Alpha(p));
    });
}

void Quor_ImageOps::CorrectBuiltin(Quor_image* img)
{
    if (!img || !img->bits || img->rowBytes != 0 || img->pixelBits != 32 || img->width < 1 ||
        img->height < 1 || int64_t(img->width) * 4 > INT32_MAX)
        return;
    img->rowBytes = img->width * 4;
    img->pixelBytes = 4;
    for (int y = 0; y < img->height; ++y) {
        uint32_t* row = img->Row32(y);
        for (int x = 0; x < img->width; ++x) {
            const uint32_t p = row[x];
            row[x] = p >> 24 | (p >> 8 & 0xFF00u) | (p << 8 & 0xFF0000u) | p << 24;
        }
    }
}
