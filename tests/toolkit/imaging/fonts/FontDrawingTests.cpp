// Drawing text and glyphs: clipping at every edge, coverage and alpha, the other pixel depths,
// text placement, and sample images of the built-in fonts.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <random>
#include <string>

#include "tests/support/GoldenImage.h"
#include "tests/toolkit/imaging/fonts/FontTestSupport.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_Palette.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

using namespace font_test;

namespace {

constexpr rgb_color kInk{200, 40, 10, 255};

// A background that differs at every pixel, so a shifted or misplaced write shows.
uint32_t Background(int x, int y)
{
    return Quor_PixelConvert::Pack(uint32_t(x * 7 + y * 3) & 255, uint32_t(x * 13) & 255,
                                   uint32_t(y * 29) & 255, 255);
}

void PaintBackground(const Quor_image* img, int originX, int originY)
{
    for (int y = 0; y < img->height; y++)
        for (int x = 0; x < img->width; x++)
            img->Row32(y)[x] = Background(originX + x, originY + y);
}

// Compares the small image with the window of the big one whose top-left is (wx, wy).
::testing::AssertionResult MatchesWindow(const Quor_image* small, const Quor_image* big, int wx,
                                         int wy)
{
    for (int y = 0; y < small->height; y++)
        for (int x = 0; x < small->width; x++)
            if (small->Row32(y)[x] != big->Row32(wy + y)[wx + x])
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ")";
    return ::testing::AssertionSuccess();
}

// An asymmetric glyph ("F" with graded coverage), 6 x 5, so flips and shifts show.
const uint8_t kGlyphF[5][6] = {
    {255, 255, 255, 255, 200, 0},
    {255, 60, 0, 0, 0, 0},
    {255, 255, 255, 128, 0, 0},
    {255, 30, 0, 0, 0, 0},
    {255, 90, 0, 0, 0, 10},
};

Quor_image GlyphRecord(const uint8_t* bits, int width, int height, int rowBytes)
{
    Quor_image glyph;
    glyph.bits = const_cast<uint8_t*>(bits);
    glyph.width = width;
    glyph.height = height;
    glyph.pixelBits = 8;
    glyph.pixelBytes = 1;
    glyph.rowBytes = rowBytes;
    return glyph;
}

}  // namespace

// Catches glyphs shifted instead of clipped at the left or top edge, and rows or columns lost or
// duplicated at the right and bottom: drawing into a small image must equal cropping the same
// drawing made on a large one.
TEST(fonts_Drawing, GlyphClippingEqualsCroppingAtEveryEdge)
{
    const Quor_image glyph = GlyphRecord(&kGlyphF[0][0], 6, 5, 6);
    Canvas big(40, 30, kInk);
    Canvas small(8, 7, kInk);
    for (int dy = -6; dy <= 8; dy++) {
        for (int dx = -7; dx <= 9; dx++) {
            PaintBackground(big.Img(), 0, 0);
            PaintBackground(small.Img(), 17, 12);
            Quor_Font::BlitGlyph(&glyph, big.Img(), 17 + dx, 12 + dy, kInk);
            Quor_Font::BlitGlyph(&glyph, small.Img(), dx, dy, kInk);
            ASSERT_TRUE(MatchesWindow(small.Img(), big.Img(), 17, 12)) << dx << ", " << dy;
        }
    }
    // Positions at the ends of the int range draw nothing and do not wrap around.
    for (int x : {INT_MIN, INT_MIN + 3, INT_MAX - 2, INT_MAX}) {
        for (int y : {INT_MIN, -2, 2, INT_MAX}) {
            PaintBackground(small.Img(), 17, 12);
            Quor_Font::BlitGlyph(&glyph, small.Img(), x, y, kInk);
            for (int row = 0; row < 7; row++)
                for (int col = 0; col < 8; col++)
                    ASSERT_EQ(small.At(col, row), Background(17 + col, 12 + row)) << x << ", " << y;
        }
    }
}

// Catches text clipped by shifting (the left-edge fault), dropped glyphs at the edges and text
// drawn when its line lies outside the image. Seed printed; windows random.
TEST(fonts_Drawing, TextClippingEqualsCroppingForEveryBuiltinFont)
{
    const unsigned seed = 20240611;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    const char* text = "Wij\xC5gy|F_ \xE9Q";
    for (int index = 0; index < Quor_Font::kEmbeddedFontCount; index++) {
        SCOPED_TRACE(kExpected[index].prefix);
        FontPtr font = Embedded(index);
        Canvas big(160, 50, kInk);
        PaintBackground(big.Img(), 0, 0);
        font->DrawString(big.Img(), text, 30, 25, kInk);
        for (int trial = 0; trial < 200; trial++) {
            const int width = 5 + int(random() % 40);
            const int height = 3 + int(random() % 20);
            // The pen stays left of the small image's right edge (text starting beyond it is
            // skipped as a whole).
            const int lowest = std::max(0, 31 - width);
            const int wx = lowest + int(random() % unsigned(160 - width - lowest + 1));
            const int wy = int(random() % (50 - height));
            Canvas small(width, height, kInk);
            PaintBackground(small.Img(), wx, wy);
            font->DrawString(small.Img(), text, 30 - wx, 25 - wy, kInk);
            ASSERT_TRUE(MatchesWindow(small.Img(), big.Img(), wx, wy))
                << "window " << wx << ", " << wy << " size " << width << " x " << height;
        }
    }

    // A baseline more than a line height above the top, a line below the bottom, or a pen past
    // the right edge draws nothing.
    FontPtr font = Embedded(0);
    Canvas canvas(40, 20, kInk);
    PaintBackground(canvas.Img(), 0, 0);
    font->DrawString(canvas.Img(), "Wj", 0, -16, kInk);
    font->DrawString(canvas.Img(), "Wj", 0, 20 + 11, kInk);
    font->DrawString(canvas.Img(), "Wj", 40, 10, kInk);
    font->DrawString(canvas.Img(), nullptr, 0, 10, kInk);
    for (int y = 0; y < 20; y++)
        for (int x = 0; x < 40; x++)
            ASSERT_EQ(canvas.At(x, y), Background(x, y));
}

// Catches anti-aliased edges that lose their coverage in the alpha channel (text drawn onto a
// transparent image must composite cleanly later), and text that punches see-through holes into
// an opaque image.
TEST(fonts_Drawing, AlphaFollowsCoverageOnTransparentAndStaysOpaqueOnOpaque)
{
    for (int index : {0, 5}) {
        FontPtr font = Embedded(index);
        const Quor_bitmapFont data = font->BitmapData();
        for (unsigned char c : std::string("AWg\xE9")) {
            SCOPED_TRACE(c);
            const int cellWidth = data.charWidth[c];
            Canvas clear(cellWidth + 4, data.fontHeight, Quor_ColorOps::Transparent);
            Canvas opaque(cellWidth + 4, data.fontHeight, Quor_ColorOps::White);
            const char text[2] = {char(c), 0};
            const int pen = 2 - data.charDelta[c];
            font->DrawString(clear.Img(), text, pen, data.fontBaseHeight, kInk);
            font->DrawString(opaque.Img(), text, pen, data.fontBaseHeight, kInk);
            int edges = 0;
            for (int y = 0; y < data.fontHeight; y++) {
                for (int x = 0; x < cellWidth; x++) {
                    const uint32_t k = data.fontBmp[int64_t(y) * data.fontWidth + data.charOffset[c] + x];
                    const uint32_t p = clear.At(2 + x, y);
                    ASSERT_EQ(Quor_PixelConvert::Alpha(p), k) << x << ", " << y;
                    ASSERT_EQ(Quor_PixelConvert::Alpha(opaque.At(2 + x, y)), 255u);
                    if (k == 255) {
                        EXPECT_EQ(p, Quor_ColorOps::PackColor32(kInk));
                    } else if (k > 0) {
                        edges++;
                        // Over white, the edge colour lies between the ink and white.
                        const uint32_t o = opaque.At(2 + x, y);
                        EXPECT_GE(Quor_PixelConvert::Red(o), kInk.red);
                        EXPECT_GE(Quor_PixelConvert::Green(o), kInk.green);
                    }
                }
            }
            EXPECT_GT(edges, 0) << "the glyph should have anti-aliased edges";
        }
    }
}

// Catches glyphs written with the wrong packing into 16, 15 and 8-bit images, or over pixels
// with no coverage.
TEST(fonts_Drawing, GlyphsPackIntoEveryDrawingDepth)
{
    const uint8_t coverage[3] = {0, 128, 255};
    const Quor_image glyph = GlyphRecord(coverage, 3, 1, 3);
    const rgb_color ink{255, 255, 255, 255};
    for (int bits : {16, 15}) {
        Canvas canvas(4, 1, ink, bits);
        uint16_t* row = reinterpret_cast<uint16_t*>(canvas.image.RowPtr(0));
        Quor_Font::BlitGlyph(&glyph, canvas.Img(), 0, 0, ink);
        EXPECT_EQ(row[0], 0) << bits;
        EXPECT_EQ(row[2], bits == 16 ? Quor_ColorOps::PackColor16(ink) : Quor_ColorOps::PackColor15(ink));
        EXPECT_EQ(row[1], bits == 16 ? Quor_PixelConvert::Pack16(128, 128, 128)
                                     : Quor_PixelConvert::Pack15(128, 128, 128));
        EXPECT_EQ(row[3], 0);
    }
    const Quor_Palette& palette = Quor_Palette::SystemPalette();
    Canvas indexed(3, 1, ink, 8);
    uint8_t* row = indexed.image.RowPtr(0);
    row[0] = row[1] = row[2] = palette.IndexFromColor(0, 0, 0);
    const rgb_color red{255, 0, 0, 255};
    Quor_Font::BlitGlyph(&glyph, indexed.Img(), 0, 0, red);
    EXPECT_EQ(row[0], palette.IndexFromColor(0, 0, 0));
    EXPECT_EQ(row[1], palette.IndexFromColor(128, 0, 0));
    EXPECT_EQ(row[2], palette.IndexFromColor(255, 0, 0));

    // A glyph that is not an 8-bit coverage record is refused.
    Canvas canvas(4, 4, Quor_ColorOps::White);
    Quor_image wrong = glyph;
    wrong.pixelBits = 32;
    Quor_Font::BlitGlyph(&wrong, canvas.Img(), 0, 0, ink);
    Quor_Font::BlitGlyph(nullptr, canvas.Img(), 0, 0, ink);
    EXPECT_EQ(canvas.At(1, 0), Quor_ColorOps::PackColor32(Quor_ColorOps::White));
}

// Catches the pen-position alignment 0 "fixed" to put text right of the pen (the about box's
// right-aligned build date relies on it) and centring by anything but pixel width.
TEST(fonts_Drawing, AlignmentPlacesThePen)
{
    FontPtr font = Embedded(0);
    const char* text = "AW";  // 19 pixels wide, ascent 11
    const Quor_Point pen(100, 50);
    EXPECT_EQ(font->AlignAtPen(text, 0, 2, pen), Quor_Point(81, 50));
    EXPECT_EQ(font->AlignAtPen(text, 1, 2, pen), Quor_Point(100, 50));
    EXPECT_EQ(font->AlignAtPen(text, 4, 3, pen), Quor_Point(91, 50 + 11 - 1));
    EXPECT_EQ(font->AlignAtPen(text, 1, 4, pen), Quor_Point(100, 50 + 5 - 1));

    const Quor_Rect r(10, 20, 109, 39);  // 100 x 20
    EXPECT_EQ(font->AlignInRect(text, 0, 2, r), Quor_Point(10, 20 + 10));
    EXPECT_EQ(font->AlignInRect(text, 1, 3, r), Quor_Point(109 - 19, 39));
    EXPECT_EQ(font->AlignInRect(text, 4, 4, r), Quor_Point(10 + 50 - 9, 20 + 10 + 5 - 1));
}

// Catches unreadable or misplaced glyphs in the built-in fonts (reviewed sample images).
TEST(fonts_Drawing, BuiltinFontSamplesMatchTheirGoldens)
{
    const char* lines[] = {
        "Quor Panomer: the quick brown fox jumps over the lazy dog.",
        "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG! 0123456789",
        "\xC5ngstr\xF6m \xE9t\xE9 na\xEFve \xDF \xA9 \xBD (x) [y] {z} @#$%&*/\\ \"Focal\"\t|\x01\x7F\x9F|",
    };
    const rgb_color ink{20, 30, 90, 255};
    for (int index = 0; index < Quor_Font::kEmbeddedFontCount; index++) {
        FontPtr font = Embedded(index);
        const int lineHeight = font->LineToLineHeight();
        Canvas canvas(490, 3 * lineHeight + 6, Quor_ColorOps::RgbColor(250, 248, 240));
        for (int i = 0; i < 3; i++)
            font->DrawString(canvas.Img(), lines[i], 4, 3 + i * lineHeight + font->FontHeight(), ink);
        EXPECT_GOLDEN(canvas.image.Image(),
                      std::string("tests/toolkit/imaging/fonts/golden/sample_") +
                          kExpected[index].prefix + ".png",
                      0);
    }
}
