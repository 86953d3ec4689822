// What each fill mode writes: colours in every depth, shading, Gouraud colour, nearest-texel
// copies and combines, repeating textures, bilinear sampling and compositing, and golden images.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/GoldenImage.h"
#include "tests/toolkit/imaging/raster/RasterTestKit.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_Palette.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/raster/Quor_Raster.h"

using namespace raster_test;
using PC = Quor_PixelConvert;

namespace {

// An asymmetric 7 x 5 picture (no two texels alike, all opaque), so flips, shifts and
// transposes all show; `bits` keeps the low bytes that fit the depth.
std::vector<uint32_t> Picture(int bits = 32)
{
    std::vector<uint32_t> p;
    for (int y = 0; y < 5; y++)
        for (int x = 0; x < 7; x++) {
            const uint32_t full = PC::Pack(30 * x + 10, 50 * y + 5, (x * 7 + y * 3) * 5, 255);
            p.push_back(bits == 32 ? full : bits == 16 ? uint16_t(full >> 8) : uint8_t(full >> 9));
        }
    return p;
}

uint32_t SystemColour(uint32_t index)
{
    return Quor_Palette::SystemPalette().Palette().colors[index];
}

}  // namespace

// Catches 16-bit (5-6-5) destinations written as 5-5-5, a wrong palette index on 8 bits, and a
// shading table whose ends are not black and white or whose middle is not the colour (16 bits
// widened from 5-5-5 with the right bit order); and a shaded texture whose texels are not taken
// as palette indices.
TEST(QuorRaster, FlatAndShadedColourInEveryDepth)
{
    const float middle = 128.0f / 255.0f;  // maps to shade 128 exactly
    const uint32_t black = PC::Pack(0, 0, 0), white = PC::Pack(255, 255, 255), colour = PC::Pack(204, 102, 51);
    // Expected pixels on 8 (looked up in the palette), 15, 16 and 32 bits. 16 bits widen the
    // 5-5-5 shading table, so green keeps five bits there: 102 reads back as 96.
    const struct { int mode; float shade; uint32_t expected[4]; } cases[] = {
        {kRasterFlat, 0, {colour, PC::Pack15(204, 102, 51), PC::Pack16(204, 102, 51), colour}},
        {kRasterShaded, 0, {black, 0, 0, black}},
        {kRasterShaded, middle, {colour, PC::Pack15(204, 102, 51), PC::Pack16(204, 96, 51), colour}},
        {kRasterShaded, 1, {white, 0x7FFF, 0xFFFF, white}}};
    const int depths[] = {8, 15, 16, 32};
    for (const auto& c : cases) {
        for (int column = 0; column < 4; column++) {
            const int bits = depths[column];
            Rig rig(12, 8, bits);
            rig.raster.SetColor(204, 102, 51);  // a system palette colour
            Quor_poly poly = Quad(rig.image.View(), c.mode, 1, 1, 11, 7);
            for (auto& vertex : poly.vertex)
                vertex[kVertexShade] = c.shade;
            rig.Draw(poly);
            const uint32_t p = rig.Get(6, 4);
            EXPECT_EQ(bits == 8 ? SystemColour(p) : p, c.expected[column]) << bits << " bits, mode " << c.mode << ", shade " << c.shade;
            EXPECT_EQ(rig.Get(0, 0), 0u);
        }
    }
    // Mode 4 looks texels up as palette indices through the same tables.
    const GuardedImage texture(4, 1, 8, {0, 35, 180, 255});
    GuardedImage image(4, 2);
    Quor_poly poly = Quad(image.View(), kRasterTextureShaded, 0, 0, 4, 2);
    for (auto& vertex : poly.vertex)
        vertex[kVertexShade] = middle;
    Draw(image, poly, &texture);
    for (int x = 0; x < 4; x++)
        EXPECT_EQ(image.Get(x, 1), SystemColour(texture.Get(x, 0))) << x;
}

// Catches attributes interpolated from span end to span end instead of at pixel centres: a ramp
// from 0 at the left edge to 255 at the right edge of 255 pixels gives pixel x the value x.
// Mode 2 must write alpha 255 whatever the vertices say.
TEST(QuorRaster, GouraudColourIsSampledAtPixelCentres)
{
    GuardedImage image(255, 4);
    Quor_poly poly = Quad(image.View(), kRasterGouraudAlpha, 0, 0, 255, 4);
    for (int i = 0; i < 4; i++) {
        const float right = (i == 1 || i == 2) ? 1.0f : 0.0f;
        const float values[] = {right, 0.5f, 1.0f - right, 1.0f - right};
        std::copy(values, values + 4, &poly.vertex[i][kVertexRed]);
    }
    Draw(image, poly);
    for (int x = 0; x < 255; x++)
        ASSERT_EQ(image.Get(x, 1), PC::Pack(x, 127, 254 - x, 254 - x)) << x;
    poly.mode = kRasterGouraud;
    Draw(image, poly);
    EXPECT_EQ(image.Get(200, 2), PC::Pack(200, 127, 54, 255));
}

// Catches textures stretched or shifted by a pixel (a quad mapping a texture 1:1 reproduces it
// exactly in every depth, mirrored coordinates mirror it, u = 1 alone picks the last column), and
// nearest-texel indices that are not wrapped when textures repeat (reads outside the texture,
// caught by ASan) or tiles that drift: u from -1 to 2 tiles the texture three times.
TEST(QuorRaster, NearestTexelsCopyOneToOneAndWrap)
{
    for (int bits : {8, 16, 32}) {
        const GuardedImage texture(7, 5, bits, Picture(bits));
        GuardedImage image(20, 16, bits);
        Draw(image, Quad(image.View(), kRasterTextureCopy, 3, 2, 10, 7), &texture);
        Draw(image, Quad(image.View(), kRasterTextureCopy, 11, 9, 18, 14, 1, 1, 0, 0), &texture);  // half turn
        for (int y = 0; y < 5; y++)
            for (int x = 0; x < 7; x++) {
                ASSERT_EQ(image.Get(3 + x, 2 + y), texture.Get(x, y)) << bits << " bits " << x << "," << y;
                ASSERT_EQ(image.Get(11 + x, 9 + y), texture.Get(6 - x, 4 - y)) << bits << " bits " << x << "," << y;
            }
        EXPECT_TRUE(image.Get(2, 2) == 0 && image.Get(10, 2) == 0 && image.Get(3, 7) == 0) << bits << " bits";
        Draw(image, Quad(image.View(), kRasterTextureCopy, 0, 0, 20, 16, 1, 0.5, 1, 0.5), &texture);
        EXPECT_TRUE(image.Get(0, 0) == texture.Get(6, 2) && image.Get(19, 15) == texture.Get(6, 2)) << bits << " bits";
    }
    const GuardedImage texture(7, 5, 32, Picture());
    for (int mode : {kRasterTextureCopy, kRasterTextureAverage, kRasterTextureDifference, kRasterTextureMask}) {
        GuardedImage image(21, 16);
        Draw(image, Quad(image.View(), mode, 0, 0, 21, 15, -1, -1, 2, 2), &texture, true);
        for (int y = 0; y < 15; y++)
            for (int x = 0; x < 21; x++)
                ASSERT_EQ(image.Get(x, y), texture.Get(x % 7, y % 5)) << "mode " << mode << " " << x << "," << y;
        // Far outside the texture's range and drawn over the tiles, still inside it.
        Draw(image, Quad(image.View(), mode, 0, 0, 21, 15, -3000, 2000, 3000, -2000), &texture, true);
    }
}

// Catches the combine rules of modes 6 to 10: averaging or differencing only where the
// destination already holds something (alpha not 0), binary transparency per depth, compositing
// other than by the tint rule (transparent texels left out, opaque ones made opaque), and a
// cutout that draws texels of alpha 128 or below.
TEST(QuorRaster, CombineRulesOfTheTextureModes)
{
    const uint32_t texel = PC::Pack(200, 100, 51, 255), drawn = PC::Pack(40, 150, 51, 9), below = PC::Pack(10, 200, 90, 100);
    auto over = [below](uint32_t rgb, uint32_t alpha) {
        uint32_t p = below;
        Quor_ImageOps::TintPixel32(&p, rgb_color{uint8_t(PC::Red(rgb)), uint8_t(PC::Green(rgb)), uint8_t(PC::Blue(rgb)), uint8_t(alpha)});
        return (p & 0xFFFFFF00u) | std::min(255u, alpha + PC::Alpha(below));
    };
    const uint32_t red = PC::Pack(250, 20, 30, 0);
    const struct { int bits, mode; uint32_t texel, below, expected; } cases[] = {
        {32, kRasterTextureAverage, texel, 0, texel}, {32, kRasterTextureAverage, texel, drawn, PC::Pack(120, 125, 50, 131)},
        {32, kRasterTextureDifference, texel, 0, texel}, {32, kRasterTextureDifference, texel, drawn, PC::Pack(160, 50, 0, 255)},
        {32, kRasterTextureDifference, texel, texel, 0x000000FFu},  // an identical opaque picture turns black
        // Mode 8: index 0, a clear top bit and alpha 0 are holes.
        {8, kRasterTextureMask, 0, 0x55, 0x55}, {8, kRasterTextureMask, 7, 0x55, 7},
        {16, kRasterTextureMask, 0x7FFF, 0x55, 0x55}, {16, kRasterTextureMask, 0x8421, 0x55, 0x8421},
        {32, kRasterTextureMask, 0xFFFFFF00u, 0x55, 0x55}, {32, kRasterTextureMask, 0x11223344u, 0x55, 0x11223344u},
        {32, kRasterTextureOver, red, below, below}, {32, kRasterTextureOver, red | 255, below, red | 255},
        {32, kRasterTextureOver, red | 128, below, over(red, 128)}, {32, kRasterTextureOver, red | 200, below, over(red, 200)},
        {32, kRasterTextureCutout, red | 128, below, below}, {32, kRasterTextureCutout, red | 200, below, red | 255},
    };
    for (const auto& c : cases) {
        const GuardedImage texture(1, 1, c.bits, {c.texel});
        GuardedImage image(4, 4, c.bits);
        image.Fill(c.below);
        Draw(image, Quad(image.View(), c.mode, 0, 0, 4, 4), &texture);
        EXPECT_EQ(image.Get(2, 2), c.expected) << c.bits << " bits, mode " << c.mode << ", texel " << std::hex << c.texel;
    }
}

// Catches a bilinear sampler that strays from SampleImage's arithmetic, misplaces texel
// centres, or clamps instead of wrapping the right neighbour of the last column.
TEST(QuorRaster, BilinearSamplingOfACheckerboard)
{
    const GuardedImage texture(2, 2, 32, {0x000000FFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0x000000FFu});
    Rig rig(16, 16);
    rig.raster.SetTexture(&texture.View());
    rig.Draw(Quad(rig.image.View(), kRasterTextureOver, 0, 0, 16, 16));
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++)
            ASSERT_EQ(rig.Get(x, y), Quor_ImageOps::SampleImage(&texture.View(), (x + 0.5f) / 8 - 0.5f, (y + 0.5f) / 8 - 0.5f))
                << x << "," << y;
    EXPECT_TRUE(rig.Get(0, 0) == 0x000000FFu && rig.Get(15, 0) == 0xFFFFFFFFu);  // edges repeat, no wrap
    // Halfway from column 1 to column 2, which repeats column 1 and then is column 0 again.
    rgb_color c[3];
    rig.raster.SampleTexture(1 << 16 | 0x8000, 0, &c[0]);
    rig.raster.AllowRepeatingTextures(true);
    rig.raster.SampleTexture(1 << 16 | 0x8000, 0, &c[1]);
    rig.raster.SampleTexture(-(1 << 15), 1 << 16, &c[2]);
    EXPECT_EQ((std::vector<rgb_color>(c, c + 3)),
        (std::vector<rgb_color>{{255, 255, 255, 255}, {128, 128, 128, 255}, {128, 128, 128, 255}}));
}

// Catches any change in what the modes draw as a whole: golden images of shaded polygons, Gouraud
// polygons and textured quads on small odd canvases.
TEST(QuorRaster, GoldenImages)
{
    Rig rig(48, 32);
    GuardedImage& image = rig.image;
    Quor_Raster& raster = rig.raster;
    auto draw = [&](int mode, const std::vector<Pt>& points, const std::vector<std::vector<float>>& attributes, int first) {
        Quor_poly poly = PixelPoly(image.View(), mode, points, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
        for (int i = 0; i < poly.count; i++)
            std::copy(attributes[i].begin(), attributes[i].end(), &poly.vertex[i][first]);
        rig.Draw(poly);
    };
    image.Fill(PC::Pack(60, 60, 60, 255));
    raster.SetColor(51, 153, 255);
    draw(kRasterShaded, {{3, 29}, {22, 2}, {30, 27}}, {{0.0f}, {0.5f}, {1.0f}}, kVertexShade);
    raster.SetColor(255, 102, 0);
    draw(kRasterShaded, {{26, 4}, {45, 8}, {41, 30}, {28, 24}}, {{0.1f}, {0.5f}, {0.95f}, {0.5f}}, kVertexShade);
    EXPECT_GOLDEN(image.View(), "tests/toolkit/imaging/raster/golden/shaded.png", 0);

    image.Fill(PC::Pack(255, 255, 255, 255));
    draw(kRasterGouraud, {{2, 2}, {30, 6}, {10, 30}}, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, kVertexRed);
    draw(kRasterGouraudAlpha, {{24, 10}, {46, 3}, {44, 29}, {20, 26}},
         {{0.2f, 0.1f, 0.5f, 0.2f}, {1.0f, 0.1f, 0.5f, 1.0f}, {0.2f, 0.9f, 0.5f, 1.0f}, {1.0f, 0.9f, 0.5f, 1.0f}}, kVertexRed);
    EXPECT_GOLDEN(image.View(), "tests/toolkit/imaging/raster/golden/gouraud.png", 0);

    // An "F" in red on blue, turned and squashed (mode 5), and a 2 x 2 board magnified
    // bilinearly over the left one (mode 9).
    std::vector<uint32_t> letter(6 * 8, PC::Pack(0, 0, 255, 255));
    for (int i = 1; i < 7; i++)
        letter[i * 6 + 1] = letter[1 * 6 + std::min(i, 4)] = letter[3 * 6 + std::min(i, 4)] = PC::Pack(255, 0, 0, 255);
    const GuardedImage letterTexture(6, 8, 32, letter);
    const uint32_t yellow = PC::Pack(255, 255, 0, 255), green = PC::Pack(0, 128, 0, 60);
    const GuardedImage boardTexture(2, 2, 32, {yellow, green, green, yellow});
    image.Fill(PC::Pack(230, 230, 230, 255));
    raster.SetTexture(&letterTexture.View());
    draw(kRasterTextureCopy, {{20, 2}, {46, 9}, {38, 31}, {13, 22}}, {{}, {}, {}, {}}, 0);
    raster.SetTexture(&boardTexture.View());
    draw(kRasterTextureOver, {{2, 4}, {18, 4}, {18, 28}, {2, 28}}, {{}, {}, {}, {}}, 0);
    EXPECT_GOLDEN(image.View(), "tests/toolkit/imaging/raster/golden/textured.png", 0);
}

// Catches a mapping that accepts what it cannot map (a missing record, four corners, a mode
// without a texture walk): its caller would then draw a triangle that was never filled in.
TEST(QuorRaster, MapTriangleRefusesWhatItCannotMap)
{
    GuardedImage dest(16, 16), texture(4, 4);
    Quor_Raster raster;
    raster.SetDest(&dest.View());
    raster.SetTexture(&texture.View());
    const std::vector<Pt> three = {{1, 1}, {12, 2}, {6, 13}}, uv = {{0, 0}, {1, 0}, {0, 1}};
    Quor_MappedTriangle mapped;
    Quor_poly good = PixelPoly(dest.View(), kRasterTextureCopy, three, uv);
    EXPECT_TRUE(raster.MapTriangle(&good, &mapped));
    Quor_poly four = PixelPoly(dest.View(), kRasterTextureCopy, {{1, 1}, {12, 2}, {12, 12}, {6, 13}}, {{}, {}, {}, {}});
    Quor_poly flat = PixelPoly(dest.View(), kRasterFlat, three, uv);
    good = PixelPoly(dest.View(), kRasterTextureCopy, three, uv);
    EXPECT_FALSE(raster.MapTriangle(nullptr, &mapped));
    EXPECT_FALSE(raster.MapTriangle(&good, nullptr));
    EXPECT_FALSE(raster.MapTriangle(&four, &mapped));
    EXPECT_FALSE(raster.MapTriangle(&flat, &mapped));
}

// Catches a mapped triangle that strays from its record by a pixel or a texel (its own walk of
// the edges, spans or clipping), a row limit that drops or doubles the rows at a strip's border,
// and copies drawn behind that let an earlier triangle show through a later one: random
// triangles, partly off the destination, drawn through DrawPoly and, mapped once, through
// DrawMapped (or back to front through DrawMappedBehind) in three strips over the same random
// destination, in every mode the mapped walk specialises and in ones it hands on.
TEST(QuorRaster, MappedTrianglesInStripsDrawWhatTheirRecordsDraw)
{
    std::mt19937 rng = SeededRng("MappedTrianglesInStripsDrawWhatTheirRecordsDraw", 1207);
    std::uniform_real_distribution<double> position(-20.0, 80.0), fraction(-0.1, 1.1);
    const struct { int bits, mode; bool behind; } cases[] = {
        {32, kRasterTextureCopy, false}, {32, kRasterTextureAverage, false}, {32, kRasterTextureDifference, false},
        {32, kRasterTextureOver, false}, {16, kRasterTextureCopy, false}, {32, kRasterTextureCopy, true},
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> texels(13 * 11);
        for (uint32_t& t : texels)
            t = c.bits == 32 ? uint32_t(rng()) : uint16_t(rng());
        const GuardedImage texture(13, 11, c.bits, texels);
        GuardedImage expected(61, 47, c.bits), actual(61, 47, c.bits);
        for (int y = 0; y < 47; y++)
            for (int x = 0; x < 61; x++) {
                // Alpha 0 in some pixels, for the fills that treat "nothing drawn" apart.
                const uint32_t below = (rng() & 3) ? uint32_t(rng()) : uint32_t(rng()) & 0xFFFFFF00u;
                expected.Set(x, y, below);
                actual.Set(x, y, below);
            }
        Quor_Raster straight, strips[3];
        straight.SetDest(&expected.View());
        straight.SetTexture(&texture.View());
        for (int s = 0; s < 3; s++) {
            strips[s].SetDest(&actual.View());
            strips[s].SetTexture(&texture.View());
            strips[s].SetRowLimit(s * 16, s * 16 + 15);
        }
        std::vector<Quor_MappedTriangle> behind;
        for (int i = 0; i < 200; i++) {
            const std::vector<Pt> corners = {{position(rng), position(rng)}, {position(rng), position(rng)},
                                             {position(rng), position(rng)}};
            const std::vector<Pt> uv = {{fraction(rng), fraction(rng)}, {fraction(rng), fraction(rng)},
                                        {fraction(rng), fraction(rng)}};
            Quor_poly record = PixelPoly(expected.View(), c.mode, corners, uv);
            Quor_poly copy = record;
            Quor_MappedTriangle mapped;
            const bool drawable = strips[0].MapTriangle(&copy, &mapped);
            straight.DrawPoly(&record);
            for (Quor_Raster& strip : strips)
                if (drawable && !c.behind)
                    strip.DrawMapped(mapped, c.mode);
            if (drawable && c.behind)
                behind.push_back(mapped);
        }
        std::vector<uint8_t> cover(61 * 47, 0);
        std::vector<uint8_t*> coverRows;
        for (int y = 0; y < 47; y++)
            coverRows.push_back(cover.data() + 61 * y);
        for (Quor_Raster& strip : strips)
            for (auto t = behind.rbegin(); t != behind.rend(); ++t)
                strip.DrawMappedBehind(*t, coverRows.data());
        int differing = 0;
        for (int y = 0; y < 47; y++)
            for (int x = 0; x < 61; x++)
                differing += expected.Get(x, y) != actual.Get(x, y);
        EXPECT_EQ(differing, 0) << c.bits << " bits, mode " << c.mode;
    }
}
