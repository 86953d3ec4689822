// What each fill mode writes: colours in every depth, shading, Gouraud colour, nearest-texel
// copies and combines, repeating textures, bilinear sampling and compositing, and golden images.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/GoldenImage.h"
#include "tests/toolkit/imaging/raster/RasterTestKit.h"
#include "toolkit/imaging/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_Palette.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/raster/Quor_Raster.h"

using namespace raster_test;
using PC = Quor_PixelConvert;

namespace {

// A texture record over caller-owned pixels.
template <class T>
Quor_image TextureOf(std::vector<T>& pixels, int width, int height, int pixelBits)
{
    return Quor_image{reinterpret_cast<uint8_t*>(pixels.data()), width, height, pixelBits, int(sizeof(T)),
                      int(width * sizeof(T))};
}

// An asymmetric 7 x 5 picture (no two texels alike), so flips, shifts and transposes all show.
std::vector<uint32_t> Picture32()
{
    std::vector<uint32_t> p;
    for (int y = 0; y < 5; y++)
        for (int x = 0; x < 7; x++)
            p.push_back(PC::Pack(30 * x + 10, 50 * y + 5, (x * 7 + y * 3) * 5, 255));
    return p;
}

// The quad from (x0, y0) to (x1, y1) in pixels, with texture corners (u0, v0) to (u1, v1).
Quor_poly Quad(const Quor_image& dest, int mode, double x0, double y0, double x1, double y1, double u0 = 0,
               double v0 = 0, double u1 = 1, double v1 = 1)
{
    Quor_poly poly = PixelPoly(dest, mode, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
    SetTexCoords(&poly, {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}});
    return poly;
}

void SetAll(Quor_poly* poly, int component, float value)
{
    for (int i = 0; i < poly->count; i++)
        poly->vertex[i][component] = value;
}

}  // namespace

// Catches 16-bit (5-6-5) destinations written as 5-5-5 and a wrong palette index on 8 bits.
TEST(RasterModes, FlatColourInEveryDepth)
{
    const Quor_palette& system = Quor_Palette::SystemPalette().Palette();
    for (int bits : {8, 15, 16, 32}) {
        GuardedImage image(8, 8, bits);
        Quor_Raster raster;
        raster.SetDest(&image.View());
        raster.SetColor(255, 102, 0);
        Quor_poly poly = Quad(image.View(), kRasterFlat, 1, 1, 7, 7);
        raster.DrawPoly(&poly);
        const uint32_t p = image.Get(4, 4);
        switch (bits) {
        case 8:
            EXPECT_EQ(system.colors[p], PC::Pack(255, 102, 0, 255));
            break;
        case 15:
            EXPECT_EQ(p, 0x7D80u);
            break;
        case 16:
            EXPECT_EQ(p, 0xFB20u);
            break;
        default:
            EXPECT_EQ(p, PC::Pack(255, 102, 0, 255));
        }
        EXPECT_EQ(image.Get(0, 0), 0u);
        EXPECT_TRUE(image.MarginIntact());
    }
}

// Catches a shading table whose ends are not black and white or whose middle is not the colour,
// in each depth (16-bit widened from 5-5-5 with the right bit order), and a shaded texture whose
// texels are not taken as palette indices.
TEST(RasterModes, ShadingRunsFromBlackThroughTheColourToWhite)
{
    const float middle = 128.0f / 255.0f;  // maps to shade 128 exactly
    for (int bits : {8, 15, 16, 32}) {
        GuardedImage image(12, 8, bits);
        Quor_Raster raster;
        raster.SetDest(&image.View());
        raster.SetColor(204, 102, 51);  // a system palette colour
        const struct {
            float shade;
            uint32_t expected[4];  // 8, 15, 16, 32 bits
        } cases[] = {
            {0.0f, {255, 0, 0, PC::Pack(0, 0, 0)}},
            // 16 bits widen the 5-5-5 table, so green keeps five bits: 102 reads back as 96.
            {middle, {0, PC::Pack15(204, 102, 51), PC::Pack16(204, 96, 51), PC::Pack(204, 102, 51)}},
            {1.0f, {0, 0x7FFF, 0xFFFF, PC::Pack(255, 255, 255)}},
        };
        for (const auto& c : cases) {
            Quor_poly poly = Quad(image.View(), kRasterShaded, 0, 0, 12, 8);
            SetAll(&poly, kVertexShade, c.shade);
            raster.DrawPoly(&poly);
            const uint32_t p = image.Get(6, 4);
            const int column = bits == 8 ? 0 : bits == 15 ? 1 : bits == 16 ? 2 : 3;
            if (bits == 8 && c.shade == middle)
                EXPECT_EQ(Quor_Palette::SystemPalette().Palette().colors[p], PC::Pack(204, 102, 51));
            else
                EXPECT_EQ(p, c.expected[column]) << bits << " bits, shade " << c.shade;
        }
    }

    // Mode 4 looks texels up as palette indices through the same tables.
    std::vector<uint8_t> indices{0, 35, 180, 255};
    const Quor_image texture = TextureOf(indices, 4, 1, 8);
    GuardedImage image(4, 2);
    Quor_Raster raster;
    raster.SetDest(&image.View());
    raster.SetTexture(&texture);
    Quor_poly poly = Quad(image.View(), kRasterTextureShaded, 0, 0, 4, 2);
    SetAll(&poly, kVertexShade, middle);
    raster.DrawPoly(&poly);
    for (int x = 0; x < 4; x++)
        EXPECT_EQ(image.Get(x, 1), Quor_Palette::SystemPalette().Palette().colors[indices[x]]) << x;
}

// Catches attributes interpolated from span end to span end instead of at pixel centres: a ramp
// from 0 at the left edge to 255 at the right edge of 255 pixels gives pixel x the value x.
TEST(RasterModes, GouraudColourIsSampledAtPixelCentres)
{
    GuardedImage image(255, 4);
    Quor_Raster raster;
    raster.SetDest(&image.View());
    Quor_poly poly = Quad(image.View(), kRasterGouraudAlpha, 0, 0, 255, 4);
    for (int i = 0; i < 4; i++) {
        const bool right = i == 1 || i == 2;
        poly.vertex[i][kVertexRed] = right ? 1.0f : 0.0f;
        poly.vertex[i][kVertexGreen] = 0.5f;
        poly.vertex[i][kVertexBlue] = right ? 0.0f : 1.0f;
        poly.vertex[i][kVertexAlpha] = right ? 0.0f : 1.0f;
    }
    Quor_poly opaque = poly;
    raster.DrawPoly(&poly);
    for (int x = 0; x < 255; x++) {
        const uint32_t p = image.Get(x, 1);
        ASSERT_EQ(PC::Red(p), uint32_t(x)) << x;
        ASSERT_EQ(PC::Blue(p), uint32_t(254 - x)) << x;
        ASSERT_EQ(PC::Green(p), 127u) << x;
        ASSERT_EQ(PC::Alpha(p), uint32_t(254 - x)) << x;
    }
    opaque.mode = kRasterGouraud;
    raster.DrawPoly(&opaque);
    EXPECT_EQ(PC::Alpha(image.Get(200, 2)), 255u);
    EXPECT_EQ(PC::Red(image.Get(200, 2)), 200u);
}

// Catches textures stretched or shifted by a pixel: a quad mapping a texture 1:1 reproduces it
// exactly in every depth, mirrored coordinates mirror it, and u = 1 alone picks the last column.
TEST(RasterModes, TextureCopyReproducesTheTextureOneToOne)
{
    auto picture = Picture32();
    for (int bits : {8, 16, 32}) {
        std::vector<uint32_t> texels32 = picture;
        std::vector<uint16_t> texels16;
        std::vector<uint8_t> texels8;
        for (uint32_t p : picture) {
            texels16.push_back(uint16_t(p >> 8));
            texels8.push_back(uint8_t(p >> 9));
        }
        const Quor_image texture = bits == 32   ? TextureOf(texels32, 7, 5, 32)
                                   : bits == 16 ? TextureOf(texels16, 7, 5, 16)
                                                : TextureOf(texels8, 7, 5, 8);
        auto texel = [&](int x, int y) -> uint32_t {
            return bits == 32 ? texels32[y * 7 + x] : bits == 16 ? texels16[y * 7 + x] : texels8[y * 7 + x];
        };
        GuardedImage image(20, 16, bits);
        Quor_Raster raster;
        raster.SetDest(&image.View());
        raster.SetTexture(&texture);

        Quor_poly poly = Quad(image.View(), kRasterTextureCopy, 3, 2, 10, 7);
        raster.DrawPoly(&poly);
        poly = Quad(image.View(), kRasterTextureCopy, 11, 9, 18, 14, 1, 1, 0, 0);  // turned half round
        raster.DrawPoly(&poly);
        for (int y = 0; y < 5; y++)
            for (int x = 0; x < 7; x++) {
                ASSERT_EQ(image.Get(3 + x, 2 + y), texel(x, y)) << bits << " bits " << x << "," << y;
                ASSERT_EQ(image.Get(11 + x, 9 + y), texel(6 - x, 4 - y)) << bits << " bits " << x << "," << y;
            }
        EXPECT_EQ(image.Get(2, 2), 0u);
        EXPECT_EQ(image.Get(10, 2), 0u);
        EXPECT_EQ(image.Get(3, 7), 0u);

        poly = Quad(image.View(), kRasterTextureCopy, 0, 0, 20, 16, 1, 0.5, 1, 0.5);
        raster.DrawPoly(&poly);
        EXPECT_EQ(image.Get(0, 0), texel(6, 2));
        EXPECT_EQ(image.Get(19, 15), texel(6, 2));
        EXPECT_TRUE(image.MarginIntact());
    }
}

// Catches nearest-texel indices that are not wrapped when textures repeat (reads outside the
// texture, caught by ASan) and tiles that drift: u from -1 to 2 tiles the texture three times.
TEST(RasterModes, RepeatingTexturesWrapInEveryNearestMode)
{
    auto picture = Picture32();
    const Quor_image texture = TextureOf(picture, 7, 5, 32);
    for (int mode : {int(kRasterTextureCopy), int(kRasterTextureAverage), int(kRasterTextureDifference),
                     int(kRasterTextureMask)}) {
        GuardedImage image(21, 16);
        Quor_Raster raster;
        raster.SetDest(&image.View());
        raster.SetTexture(&texture);
        raster.AllowRepeatingTextures(true);
        Quor_poly poly = Quad(image.View(), mode, 0, 0, 21, 15, -1, -1, 2, 2);
        raster.DrawPoly(&poly);
        for (int y = 0; y < 15; y++)
            for (int x = 0; x < 21; x++)
                ASSERT_EQ(image.Get(x, y), picture[(y % 5) * 7 + x % 7]) << "mode " << mode << " " << x << "," << y;
        // Far outside the texture's range and drawn over the tiles, still inside it.
        poly = Quad(image.View(), mode, 0, 0, 21, 15, -3000, 2000, 3000, -2000);
        raster.DrawPoly(&poly);
        EXPECT_TRUE(image.MarginIntact());
    }
}

// Catches the combine rules of modes 6, 7 and 8: averaging or differencing only where the
// destination already holds something, and binary transparency per depth.
TEST(RasterModes, AverageDifferenceAndMaskCombineWithTheDestination)
{
    std::vector<uint32_t> texel{PC::Pack(200, 100, 51, 255)};
    const Quor_image texture = TextureOf(texel, 1, 1, 32);
    const uint32_t below = PC::Pack(40, 150, 51, 9);
    for (int mode : {int(kRasterTextureAverage), int(kRasterTextureDifference)}) {
        GuardedImage image(8, 4);
        for (int y = 0; y < 4; y++)
            for (int x = 4; x < 8; x++)
                image.Set(x, y, below);  // left half empty (alpha 0), right half drawn on
        Quor_Raster raster;
        raster.SetDest(&image.View());
        raster.SetTexture(&texture);
        Quor_poly poly = Quad(image.View(), mode, 0, 0, 8, 4);
        raster.DrawPoly(&poly);
        EXPECT_EQ(image.Get(1, 1), texel[0]);
        const uint32_t expected = mode == kRasterTextureAverage ? PC::Pack(120, 125, 50, 131) : PC::Pack(160, 50, 0, 255);
        EXPECT_EQ(image.Get(6, 2), expected) << "mode " << mode;
    }

    // Difference over an identical opaque picture turns it black and opaque.
    auto picture = Picture32();
    const Quor_image pictureTexture = TextureOf(picture, 7, 5, 32);
    GuardedImage same(7, 5);
    for (int y = 0; y < 5; y++)
        for (int x = 0; x < 7; x++)
            same.Set(x, y, picture[y * 7 + x]);
    Quor_Raster raster;
    raster.SetDest(&same.View());
    raster.SetTexture(&pictureTexture);
    Quor_poly poly = Quad(same.View(), kRasterTextureDifference, 0, 0, 7, 5);
    raster.DrawPoly(&poly);
    for (int y = 0; y < 5; y++)
        for (int x = 0; x < 7; x++)
            ASSERT_EQ(same.Get(x, y), 0x000000FFu);

    // Mode 8: index 0, a clear top bit and alpha 0 are holes.
    std::vector<uint8_t> t8{0, 7};
    std::vector<uint16_t> t16{0x7FFF, 0x8421};
    std::vector<uint32_t> t32{0xFFFFFF00u, 0x11223344u};
    for (int bits : {8, 16, 32}) {
        const Quor_image tex = bits == 8 ? TextureOf(t8, 2, 1, 8) : bits == 16 ? TextureOf(t16, 2, 1, 16) : TextureOf(t32, 2, 1, 32);
        GuardedImage image(4, 2, bits);
        image.Fill(0x55);
        Quor_Raster r;
        r.SetDest(&image.View());
        r.SetTexture(&tex);
        Quor_poly quad = Quad(image.View(), kRasterTextureMask, 0, 0, 4, 2);
        r.DrawPoly(&quad);
        EXPECT_EQ(image.Get(0, 0), 0x55u) << bits;
        EXPECT_EQ(image.Get(3, 1), bits == 8 ? 7u : bits == 16 ? 0x8421u : 0x11223344u) << bits;
    }
}

// Catches a bilinear sampler that strays from SampleImage's arithmetic, misplaces texel
// centres, or clamps instead of wrapping the right neighbour of the last column.
TEST(RasterModes, BilinearSamplingOfACheckerboard)
{
    std::vector<uint32_t> board{0x000000FFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0x000000FFu};
    const Quor_image texture = TextureOf(board, 2, 2, 32);
    GuardedImage image(16, 16);
    Quor_Raster raster;
    raster.SetDest(&image.View());
    raster.SetTexture(&texture);
    Quor_poly poly = Quad(image.View(), kRasterTextureOver, 0, 0, 16, 16);
    raster.DrawPoly(&poly);
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++)
            ASSERT_EQ(image.Get(x, y), Quor_ImageOps::SampleImage(&texture, (x + 0.5f) / 8 - 0.5f, (y + 0.5f) / 8 - 0.5f))
                << x << "," << y;
    EXPECT_EQ(image.Get(0, 0), 0x000000FFu);    // edge texels repeat without wrapping
    EXPECT_EQ(image.Get(15, 0), 0xFFFFFFFFu);

    rgb_color c;
    raster.SampleTexture(1 << 16 | 0x8000, 0, &c);  // halfway from column 1 to column 2
    EXPECT_EQ(c, (rgb_color{255, 255, 255, 255}));
    raster.AllowRepeatingTextures(true);
    raster.SampleTexture(1 << 16 | 0x8000, 0, &c);  // column 2 is column 0 again
    EXPECT_EQ(c, (rgb_color{128, 128, 128, 255}));
    raster.SampleTexture(-(1 << 15), 1 << 16, &c);
    EXPECT_EQ(c, (rgb_color{128, 128, 128, 255}));
}

// Catches mode 9 writing transparent texels, not making opaque ones opaque, or mixing colour
// and alpha other than by the tint rule; and mode 10 drawing texels of alpha 128 or below.
TEST(RasterModes, CompositingAndCutoutOfBilinearTexels)
{
    const uint32_t below = PC::Pack(10, 200, 90, 100);
    for (uint32_t texel : {PC::Pack(250, 20, 30, 0), PC::Pack(250, 20, 30, 255), PC::Pack(250, 20, 30, 128),
                           PC::Pack(250, 20, 30, 200)}) {
        std::vector<uint32_t> t{texel};
        const Quor_image texture = TextureOf(t, 1, 1, 32);
        for (int mode : {int(kRasterTextureOver), int(kRasterTextureCutout)}) {
            GuardedImage image(4, 4);
            image.Fill(below);
            Quor_Raster raster;
            raster.SetDest(&image.View());
            raster.SetTexture(&texture);
            Quor_poly poly = Quad(image.View(), mode, 0, 0, 4, 4);
            raster.DrawPoly(&poly);
            const uint32_t sa = PC::Alpha(texel);
            uint32_t expected = below;
            if (mode == kRasterTextureCutout) {
                if (sa > 128)
                    expected = texel | 255u;
            } else if (sa == 255) {
                expected = texel;
            } else if (sa > 0) {
                Quor_ImageOps::TintPixel32(&expected, rgb_color{250, 20, 30, uint8_t(sa)});
                expected = (expected & 0xFFFFFF00u) | std::min(255u, sa + 100u);
            }
            EXPECT_EQ(image.Get(2, 2), expected) << "mode " << mode << " alpha " << sa;
        }
    }
}

// Golden images: shaded polygons, Gouraud polygons and textured quads on small odd canvases.
// Catches any change in what the modes draw as a whole.
TEST(RasterModes, GoldenImages)
{
    GuardedImage image(48, 32);
    Quor_Raster raster;
    raster.SetDest(&image.View());

    image.Fill(PC::Pack(60, 60, 60, 255));
    raster.SetColor(51, 153, 255);
    Quor_poly poly = PixelPoly(image.View(), kRasterShaded, {{3, 29}, {22, 2}, {30, 27}});
    for (int i = 0; i < 3; i++)
        poly.vertex[i][kVertexShade] = float(i) / 2.0f;
    raster.DrawPoly(&poly);
    raster.SetColor(255, 102, 0);
    poly = PixelPoly(image.View(), kRasterShaded, {{26, 4}, {45, 8}, {41, 30}, {28, 24}});
    const float shades[] = {0.1f, 0.5f, 0.95f, 0.5f};
    for (int i = 0; i < 4; i++)
        poly.vertex[i][kVertexShade] = shades[i];
    raster.DrawPoly(&poly);
    EXPECT_GOLDEN(image.View(), "tests/toolkit/imaging/raster/golden/shaded.png", 0);

    image.Fill(PC::Pack(255, 255, 255, 255));
    poly = PixelPoly(image.View(), kRasterGouraud, {{2, 2}, {30, 6}, {10, 30}});
    const float rgb[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int i = 0; i < 3; i++)
        for (int c = 0; c < 3; c++)
            poly.vertex[i][kVertexRed + c] = rgb[i][c];
    raster.DrawPoly(&poly);
    poly = PixelPoly(image.View(), kRasterGouraudAlpha, {{24, 10}, {46, 3}, {44, 29}, {20, 26}});
    for (int i = 0; i < 4; i++) {
        poly.vertex[i][kVertexRed] = i & 1 ? 1.0f : 0.2f;
        poly.vertex[i][kVertexGreen] = i & 2 ? 0.9f : 0.1f;
        poly.vertex[i][kVertexBlue] = 0.5f;
        poly.vertex[i][kVertexAlpha] = i == 0 ? 0.2f : 1.0f;
    }
    raster.DrawPoly(&poly);
    EXPECT_GOLDEN(image.View(), "tests/toolkit/imaging/raster/golden/gouraud.png", 0);

    // An "F" in red on blue, turned and squashed (mode 5), and a 2 x 2 board magnified
    // bilinearly over the left one (mode 9).
    std::vector<uint32_t> letter(6 * 8, PC::Pack(0, 0, 255, 255));
    for (int y = 1; y < 7; y++)
        letter[y * 6 + 1] = PC::Pack(255, 0, 0, 255);
    for (int x = 1; x < 5; x++)
        letter[1 * 6 + x] = letter[3 * 6 + x] = PC::Pack(255, 0, 0, 255);
    const Quor_image letterTexture = TextureOf(letter, 6, 8, 32);
    std::vector<uint32_t> board{PC::Pack(255, 255, 0, 255), PC::Pack(0, 128, 0, 60), PC::Pack(0, 128, 0, 60),
                                PC::Pack(255, 255, 0, 255)};
    const Quor_image boardTexture = TextureOf(board, 2, 2, 32);
    image.Fill(PC::Pack(230, 230, 230, 255));
    raster.SetTexture(&letterTexture);
    poly = PixelPoly(image.View(), kRasterTextureCopy, {{20, 2}, {46, 9}, {38, 31}, {13, 22}});
    SetTexCoords(&poly, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    raster.DrawPoly(&poly);
    raster.SetTexture(&boardTexture);
    poly = Quad(image.View(), kRasterTextureOver, 2, 4, 18, 28);
    raster.DrawPoly(&poly);
    EXPECT_GOLDEN(image.View(), "tests/toolkit/imaging/raster/golden/textured.png", 0);
}
