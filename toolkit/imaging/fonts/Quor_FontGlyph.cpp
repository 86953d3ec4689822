// Quor_Font::BlitGlyph: composites one 8-bit coverage glyph into an image of any drawing depth.
// The glyph is clipped against all four edges of the destination first (glyph rows and columns
// outside it are skipped, never shifted), then the overlap is walked row by row. Also the mark
// that stands for characters the fonts have no glyph for.

#include "toolkit/imaging/fonts/Quor_Font.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/Quor_Palette.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/ops/Quor_Blend.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

namespace {

// The colour to draw, unpacked once per glyph.
struct GlyphInk {
    uint32_t red;
    uint32_t green;
    uint32_t blue;
};

// Over compositing with the coverage as the source alpha: at the glyph's edges each component
// becomes mask[k][ink] + mask[255 - k][destination], and the alpha the union of coverage and
// destination alpha, so on a transparent image it equals the coverage and on an opaque one it
// stays opaque. Full coverage writes the ink with alpha 255.
void GlyphRow32(const uint8_t* coverage, uint32_t* dst, int count, const GlyphInk& ink)
{
    for (int i = 0; i < count; i++) {
        const uint32_t k = coverage[i];
        if (k != 0)
            Quor_Blend::Mix(dst + i, ink.red, ink.green, ink.blue, k, true);
    }
}

template <bool kSixBitGreen>
void GlyphRow16(const uint8_t* coverage, uint16_t* dst, int count, const GlyphInk& ink,
                uint16_t packedInk)
{
    for (int i = 0; i < count; i++) {
        const uint32_t k = coverage[i];
        if (k == 0)
            continue;
        if (k == 255) {
            dst[i] = packedInk;
            continue;
        }
        const uint32_t d = kSixBitGreen ? Quor_PixelConvert::Expand16(dst[i])
                                        : Quor_PixelConvert::Expand15(dst[i]);
        const auto& mk = Quor_ImageOps::gAlphaMask[k];
        const auto& md = Quor_ImageOps::gAlphaMask[255 - k];
        const uint32_t r = mk[ink.red] + md[Quor_PixelConvert::Red(d)];
        const uint32_t g = mk[ink.green] + md[Quor_PixelConvert::Green(d)];
        const uint32_t b = mk[ink.blue] + md[Quor_PixelConvert::Blue(d)];
        dst[i] = kSixBitGreen ? Quor_PixelConvert::Pack16(r, g, b)
                              : Quor_PixelConvert::Pack15(r, g, b);
    }
}

// 8-bit images index the system palette: the blend runs on the palette colour and the result
// goes back through the palette's inverse cube.
void GlyphRow8(const uint8_t* coverage, uint8_t* dst, int count, const GlyphInk& ink,
               uint8_t inkIndex, const Quor_palette& palette)
{
    for (int i = 0; i < count; i++) {
        const uint32_t k = coverage[i];
        if (k == 0)
            continue;
        if (k == 255) {
            dst[i] = inkIndex;
            continue;
        }
        const uint32_t d = palette.colors[dst[i]];
        const auto& mk = Quor_ImageOps::gAlphaMask[k];
        const auto& md = Quor_ImageOps::gAlphaMask[255 - k];
        const int r = mk[ink.red] + md[Quor_PixelConvert::Red(d)];
        const int g = mk[ink.green] + md[Quor_PixelConvert::Green(d)];
        const int b = mk[ink.blue] + md[Quor_PixelConvert::Blue(d)];
        dst[i] = Quor_Palette::IndexFromColor(palette, r, g, b);
    }
}

// A coverage mask: an 8-bit record that may run bottom-up (negative rowBytes, bits at the top
// row), as outline glyphs are rendered.
bool ReadableGlyph(const Quor_image* glyph)
{
    if (!glyph || glyph->pixelBits != 8 || glyph->rowBytes == INT32_MIN)
        return false;
    Quor_image topDown = *glyph;
    topDown.rowBytes = glyph->rowBytes < 0 ? -glyph->rowBytes : glyph->rowBytes;
    return topDown.IsUsable();
}

// A destination the glyph fills draw into: top-down, at any depth but 24 bits.
bool DrawableDest(const Quor_image* dest)
{
    return dest && dest->IsUsable() && dest->pixelBits != 24;
}

}  // namespace

void Quor_Font::BlitGlyph(const Quor_image* glyph, const Quor_image* dest, int x, int y,
                          const rgb_color& color)
{
    if (!ReadableGlyph(glyph) || !DrawableDest(dest))
        return;
    if (x >= dest->width || y >= dest->height)
        return;

    // The overlap in glyph coordinates: [col0, col1) x [row0, row1).
    const int64_t col0 = x < 0 ? -int64_t(x) : 0;
    const int64_t row0 = y < 0 ? -int64_t(y) : 0;
    int64_t col1 = glyph->width;
    int64_t row1 = glyph->height;
    if (int64_t(x) + col1 > dest->width)
        col1 = int64_t(dest->width) - x;
    if (int64_t(y) + row1 > dest->height)
        row1 = int64_t(dest->height) - y;
    if (col0 >= col1 || row0 >= row1)
        return;

    const int count = int(col1 - col0);
    const int64_t dstX = int64_t(x) + col0;
    const GlyphInk ink{color.red, color.green, color.blue};

    switch (dest->pixelBits) {
    case 32:
        for (int64_t row = row0; row < row1; row++)
            GlyphRow32(glyph->Row(int32_t(row)) + col0, dest->Row32(int32_t(y + row)) + dstX,
                       count, ink);
        break;
    case 16: {
        const uint16_t packed = Quor_ColorOps::PackColor16(color);
        for (int64_t row = row0; row < row1; row++)
            GlyphRow16<true>(glyph->Row(int32_t(row)) + col0,
                             reinterpret_cast<uint16_t*>(dest->Row(int32_t(y + row))) + dstX,
                             count, ink, packed);
        break;
    }
    case 15: {
        const uint16_t packed = Quor_ColorOps::PackColor15(color);
        for (int64_t row = row0; row < row1; row++)
            GlyphRow16<false>(glyph->Row(int32_t(row)) + col0,
                              reinterpret_cast<uint16_t*>(dest->Row(int32_t(y + row))) + dstX,
                              count, ink, packed);
        break;
    }
    case 8: {
        const Quor_palette& palette = Quor_Palette::SystemPalette().Palette();
        if (!palette.colors)
            return;
        const uint8_t inkIndex =
            Quor_Palette::IndexFromColor(palette, color.red, color.green, color.blue);
        for (int64_t row = row0; row < row1; row++)
            GlyphRow8(glyph->Row(int32_t(row)) + col0, dest->Row(int32_t(y + row)) + dstX, count,
                      ink, inkIndex, palette);
        break;
    }
    default:
        break;
    }
}

// --- The replacement mark ------------------------------------------------------------------------

// An empty box, three quarters of the ascent high and two thirds as wide, never smaller than 4 x
// 5 pixels: no letter looks like it, and it shows at the smallest size.
Quor_Font::Mark Quor_Font::MarkFor(int ascent)
{
    Mark mark;
    mark.height = std::clamp(ascent * 3 / 4, 5, int(kMaxStripHeight));
    mark.width = std::max(4, mark.height * 2 / 3);
    mark.advance = mark.width + 2;
    return mark;
}

void Quor_Font::DrawMark(const Quor_image* dest, const Mark& mark, int64_t pen, int baseline,
                         const rgb_color& color)
{
    static const std::array<uint8_t, kMaxStripHeight> kSolid = [] {
        std::array<uint8_t, kMaxStripHeight> solid;
        solid.fill(255);
        return solid;
    }();
    const int64_t left = pen + 1;
    const int64_t right = left + mark.width - 1;
    const int64_t top = int64_t(baseline) - mark.height;
    // Past these tests every edge fits an int: the box is a few hundred pixels at most.
    if (left >= dest->width || right < 0 || top >= dest->height || baseline <= 0)
        return;
    uint8_t* solid = const_cast<uint8_t*>(kSolid.data());
    const Quor_image across{solid, mark.width, 1, 8, 1, mark.width};
    const Quor_image down{solid, 1, mark.height, 8, 1, 1};
    BlitGlyph(&across, dest, int(left), int(top), color);
    BlitGlyph(&across, dest, int(left), baseline - 1, color);
    BlitGlyph(&down, dest, int(left), int(top), color);
    if (right < dest->width)
        BlitGlyph(&down, dest, int(right), int(top), color);
}
