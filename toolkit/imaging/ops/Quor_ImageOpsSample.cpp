// Quor_ImageOps: the alpha tables, bilinear sampling and tinting.

#include "toolkit/imaging/ops/Quor_ImageOps.h"

#include "toolkit/imaging/Quor_Palette.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/ops/Quor_BilinearSampler.h"

namespace {

constexpr Quor_ImageOps::AlphaTable MakeAlphaMask()
{
    Quor_ImageOps::AlphaTable table{};
    for (int a = 0; a < 256; ++a)
        for (int v = 0; v < 256; ++v)
            table[a][v] = uint8_t(v * a / 255);
    return table;
}

// 255 / a * v, taken exactly (255 * v / a) rather than through a rounded quotient.
constexpr Quor_ImageOps::AlphaTable MakeAlphaBlack()
{
    Quor_ImageOps::AlphaTable table{};
    for (int v = 0; v < 256; ++v)
        table[0][v] = uint8_t(v);
    for (int a = 1; a < 256; ++a)
        for (int v = 0; v < 256; ++v) {
            const int scaled = 255 * v / a;
            table[a][v] = uint8_t(scaled > 255 ? 255 : scaled);
        }
    return table;
}

}  // namespace

// Constant-initialised: they exist before any code runs, on any thread.
constinit const Quor_ImageOps::AlphaTable Quor_ImageOps::gAlphaMask = MakeAlphaMask();
constinit const Quor_ImageOps::AlphaTable Quor_ImageOps::gAlphaBlack = MakeAlphaBlack();

void Quor_ImageOps::InitAlphaTables()
{
}

// ---------------------------------------------------------------------------------------------
// Sampling

uint32_t Quor_ImageOps::SampleImage(const Quor_image* img, float x, float y)
{
    if (!img || !img->IsUsable32())
        return 0;
    return Quor_BilinearSampler(*img).At(x, y);
}

// ---------------------------------------------------------------------------------------------
// Tinting

void Quor_ImageOps::TintPixel32(uint32_t* pixel, rgb_color tint)
{
    const uint32_t ta = tint.alpha, ia = 255 - ta;
    const uint32_t p = *pixel;
    const auto& keep = gAlphaMask[ia];
    const auto& add = gAlphaMask[ta];
    const uint32_t r = keep[Quor_PixelConvert::Red(p)] + add[tint.red];
    const uint32_t g = keep[Quor_PixelConvert::Green(p)] + add[tint.green];
    const uint32_t b = keep[Quor_PixelConvert::Blue(p)] + add[tint.blue];
    uint32_t a = Quor_PixelConvert::Alpha(p) + ia;
    if (a > 255)
        a = 255;
    *pixel = Quor_PixelConvert::Pack(r, g, b, a);
}

namespace {

uint32_t TintComponent(uint32_t v, uint32_t tint, uint32_t ta)
{
    return Quor_ImageOps::gAlphaMask[255 - ta][v] + Quor_ImageOps::gAlphaMask[ta][tint];
}

}  // namespace

void Quor_ImageOps::TintPixel16(uint16_t* pixel, rgb_color tint)
{
    const uint32_t p = *pixel;
    const uint32_t r = TintComponent(((p >> 11) & 31) << 3, tint.red, tint.alpha);
    const uint32_t g = TintComponent(((p >> 5) & 63) << 2, tint.green, tint.alpha);
    const uint32_t b = TintComponent((p & 31) << 3, tint.blue, tint.alpha);
    *pixel = Quor_PixelConvert::Pack16(r, g, b);
}

void Quor_ImageOps::TintPixel15(uint16_t* pixel, rgb_color tint)
{
    const uint32_t p = *pixel;
    const uint32_t r = TintComponent(((p >> 10) & 31) << 3, tint.red, tint.alpha);
    const uint32_t g = TintComponent(((p >> 5) & 31) << 3, tint.green, tint.alpha);
    const uint32_t b = TintComponent((p & 31) << 3, tint.blue, tint.alpha);
    *pixel = Quor_PixelConvert::Pack15(r, g, b);
}

void Quor_ImageOps::TintPixel8(uint8_t* index, rgb_color tint, const Quor_palette* palette)
{
    const Quor_palette& pal = palette ? *palette : Quor_Palette::SystemPalette().Palette();
    if (pal.count == 0 || !pal.colors)
        return;
    const uint32_t c = pal.colors[*index];
    const uint32_t r = TintComponent(Quor_PixelConvert::Red(c), tint.red, tint.alpha);
    const uint32_t g = TintComponent(Quor_PixelConvert::Green(c), tint.green, tint.alpha);
    const uint32_t b = TintComponent(Quor_PixelConvert::Blue(c), tint.blue, tint.alpha);
    *index = Quor_Palette::IndexFromColor(pal, int(r), int(g), int(b));
}

void Quor_ImageOps::TintImage(const Quor_image* img, rgb_color tint)
{
    if (!img || !img->IsUsable())
        return;
    const int width = img->width;
    switch (img->pixelBits) {
    case 32:
        for (int y = 0; y < img->height; ++y) {
            uint32_t* row = img->Row32(y);
            for (int x = 0; x < width; ++x)
                TintPixel32(row + x, tint);
        }
        break;
    case 16:
    case 15:
        for (int y = 0; y < img->height; ++y) {
            uint16_t* row = reinterpret_cast<uint16_t*>(img->Row(y));
            for (int x = 0; x < width; ++x) {
                if (img->pixelBits == 16)
                    TintPixel16(row + x, tint);
                else
                    TintPixel15(row + x, tint);
            }
        }
        break;
    case 8: {
        // Every index maps to one tinted index: work it out once per call.
        uint8_t map[256];
        for (int i = 0; i < 256; ++i) {
            map[i] = uint8_t(i);
            TintPixel8(&map[i], tint, nullptr);
        }
        for (int y = 0; y < img->height; ++y) {
            uint8_t* row = img->Row(y);
            for (int x = 0; x < width; ++x)
                row[x] = map[row[x]];
        }
        break;
    }
    default:
        break;
    }
}
