// Drawing text and glyphs: clipping at every edge, coverage and alpha, the other pixel depths,
// text placement, and sample images of the built-in fonts.

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/GoldenImage.h"
#include "tests/toolkit/imaging/fonts/FontTestSupport.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/Quor_Palette.h"

using namespace font_test;
using namespace quor_test;
using PC = Quor_PixelConvert;

namespace {

constexpr rgb_color kInk{200, 40, 10, 255};

// An 8-bit coverage glyph record over caller-owned bytes.
Quor_image GlyphRecord(const uint8_t* bits, int width, int height)
{
    return Quor_image{const_cast<uint8_t*>(bits), width, height, 8, 1, width};
}

}  // namespace

// Catches glyph positions at the ends of the int range that wrap around into the image (clipping
// at ordinary positions is compared with cropping by the text test below).
TEST(QuorFont, GlyphsAtTheEndsOfTheIntRangeDrawNothing)
{
    const std::vector<uint8_t> solid(6 * 5, 255);
    const Quor_image glyph = GlyphRecord(solid.data(), 6, 5);
    const Canvas untouched(8, 7, Canvas::Background::kPattern);
    for (int x : {INT_MIN, INT_MIN + 3, INT_MAX - 2, INT_MAX})
        for (int y : {INT_MIN, -2, 2, INT_MAX}) {
            Canvas small(8, 7, Canvas::Background::kPattern);
            Quor_Font::BlitGlyph(&glyph, small.Img(), x, y, kInk);
            ASSERT_TRUE(small.MatchesWindowOf(untouched)) << x << ", " << y;
        }
}

// Catches text and glyphs clipped by shifting (the left-edge fault), rows or columns lost or
// duplicated at the right and bottom edges, dropped glyphs at the edges (drawing into a small
// image must equal cropping the same drawing made on a large one), and text drawn when its line
// lies outside the image or its pen starts past the right edge.
TEST(QuorFont, TextClippingEqualsCroppingForEveryBuiltinFont)
{
    const unsigned seed = 20240611;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    const char* text = "Wij\xC5gy|F_ \xE9Q";
    for (int index = 0; index < Quor_Font::kEmbeddedFontCount; index++) {
        SCOPED_TRACE(kExpected[index].prefix);
        FontPtr font = Embedded(index);
        Canvas big(160, 50, Canvas::Background::kPattern);
        font->DrawString(big.Img(), text, 30, 25, kInk);
        for (int trial = 0; trial < 200; trial++) {
            const int width = 5 + int(random() % 40);
            const int height = 3 + int(random() % 20);
            // The pen stays left of the small image's right edge (text starting beyond it is
            // skipped as a whole).
            const int lowest = std::max(0, 31 - width);
            const int wx = lowest + int(random() % unsigned(160 - width - lowest + 1));
            const int wy = int(random() % (50 - height));
            Canvas small(width, height, Canvas::Background::kPattern, wx, wy);
            font->DrawString(small.Img(), text, 30 - wx, 25 - wy, kInk);
            ASSERT_TRUE(small.MatchesWindowOf(big, wx, wy))
                << "window " << wx << ", " << wy << " size " << width << " x " << height;
        }
    }
    // A baseline more than a line height above the top, a line below the bottom, a pen past the
    // right edge and no text draw nothing.
    FontPtr font = Embedded(0);
    Canvas canvas(40, 20, Canvas::Background::kPattern);
    const Canvas untouched(40, 20, Canvas::Background::kPattern);
    for (const auto& [text, x, y] : {std::tuple<const char*, int, int>{"Wj", 0, -16}, {"Wj", 0, 20 + 11}, {"Wj", 40, 10}, {nullptr, 0, 10}})
        font->DrawString(canvas.Img(), text, x, y, kInk);
    EXPECT_TRUE(canvas.MatchesWindowOf(untouched));
}

// Catches glyphs written with the wrong packing into 32, 16, 15 and 8-bit images or over pixels
// with no coverage, anti-aliased edges that lose their coverage in the alpha channel (text
// drawn onto a transparent image must composite cleanly later), text that punches see-through
// holes into an opaque image, and glyph records that are not 8-bit coverage being drawn.
TEST(QuorFont, GlyphsPackIntoEveryDrawingDepth)
{
    const uint8_t coverage[4] = {0, 128, 255, 60};
    const Quor_image glyph = GlyphRecord(coverage, 4, 1);
    const rgb_color white{255, 255, 255, 255}, red{255, 0, 0, 255};
    Canvas clear(4, 1, Quor_ColorOps::Transparent), opaque(4, 1, Quor_ColorOps::White);
    Quor_Font::BlitGlyph(&glyph, clear.Img(), 0, 0, kInk);
    Quor_Font::BlitGlyph(&glyph, opaque.Img(), 0, 0, kInk);
    for (int x = 0; x < 4; x++) {
        // Over white, an edge's colour lies between the ink and white.
        const uint32_t o = opaque.At(x, 0);
        EXPECT_TRUE(PC::Alpha(clear.At(x, 0)) == coverage[x] && PC::Alpha(o) == 255u) << x;
        EXPECT_TRUE(PC::Red(o) >= kInk.red && PC::Green(o) >= kInk.green && PC::Blue(o) >= kInk.blue) << x;
    }
    EXPECT_TRUE(clear.At(2, 0) == Quor_ColorOps::PackColor32(kInk) && opaque.At(0, 0) == 0xFFFFFFFFu);

    for (int bits : {16, 15}) {
        Canvas canvas(5, 1, bits);
        const uint16_t* row = reinterpret_cast<const uint16_t*>(canvas.inner.Row(0));
        Quor_Font::BlitGlyph(&glyph, canvas.Img(), 0, 0, white);
        EXPECT_TRUE(row[0] == 0 && row[4] == 0) << bits;
        EXPECT_EQ(row[1], bits == 16 ? PC::Pack16(128, 128, 128) : PC::Pack15(128, 128, 128)) << bits;
        EXPECT_EQ(row[2], bits == 16 ? Quor_ColorOps::PackColor16(white) : Quor_ColorOps::PackColor15(white)) << bits;
    }
    const Quor_Palette& palette = Quor_Palette::SystemPalette();
    Canvas indexed(3, 1, 8);
    uint8_t* row = indexed.inner.Row(0);
    row[0] = row[1] = row[2] = palette.IndexFromColor(0, 0, 0);
    Quor_Font::BlitGlyph(&glyph, indexed.Img(), 0, 0, red);
    EXPECT_EQ((std::vector<int>{row[0], row[1], row[2]}), (std::vector<int>{palette.IndexFromColor(0, 0, 0),
                                                             palette.IndexFromColor(128, 0, 0), palette.IndexFromColor(255, 0, 0)}));

    Quor_image wrong = glyph;
    wrong.pixelBits = 32;
    Quor_Font::BlitGlyph(&wrong, opaque.Img(), 0, 0, white);
    Quor_Font::BlitGlyph(nullptr, opaque.Img(), 0, 0, white);
    EXPECT_EQ(opaque.At(2, 0), Quor_ColorOps::PackColor32(kInk));
}

// Catches the pen-position alignment 0 "fixed" to put text right of the pen (the about box's
// right-aligned build date relies on it) and centring by anything but pixel width.
TEST(QuorFont, AlignmentPlacesThePen)
{
    FontPtr font = Embedded(0);
    const char* text = "AW";  // 19 pixels wide, ascent 11
    const Quor_Point pen(100, 50);
    const Quor_Rect r(10, 20, 109, 39);  // 100 x 20
    EXPECT_EQ((std::vector{font->AlignAtPen(text, 0, 2, pen), font->AlignAtPen(text, 1, 2, pen), font->AlignAtPen(text, 4, 3, pen),
                  font->AlignAtPen(text, 1, 4, pen), font->AlignInRect(text, 0, 2, r), font->AlignInRect(text, 1, 3, r),
                  font->AlignInRect(text, 4, 4, r)}),
        (std::vector{Quor_Point(81, 50), Quor_Point(100, 50), Quor_Point(91, 50 + 11 - 1), Quor_Point(100, 50 + 5 - 1),
            Quor_Point(10, 20 + 10), Quor_Point(109 - 19, 39), Quor_Point(10 + 50 - 9, 20 + 10 + 5 - 1)}));
}

// Catches characters beyond Latin-1 drawn as the glyph of their low byte (a dotless i as "1") or
// of each of their bytes, a mark too small to see at some size, a mark that differs between
// characters or fonts in shape, and widths that do not count the mark once per character.
TEST(QuorFont, CharactersBeyondLatin1ShowAsOneVisibleBox)
{
    std::vector<FontPtr> fonts;
    for (int index = 0; index < Quor_Font::kEmbeddedFontCount; index++)
        fonts.push_back(Embedded(index));
    if (FontPtr outline = OpenBook())
        fonts.push_back(std::move(outline));
    const uint32_t white = Quor_ColorOps::PackColor32(Quor_ColorOps::White);
    for (const FontPtr& font : fonts) {
        SCOPED_TRACE(font->Kind() == Quor_Font::kBitmap ? "bitmap font" : "outline font");
        const int baseline = 24;
        Canvas one(40, 30), dotless(40, 30), lowByte(40, 30);
        font->DrawString(one.Img(), "\xE4\xB8\x80", 5, baseline, kInk);
        font->DrawString(dotless.Img(), "\xC4\xB1", 5, baseline, kInk);
        font->DrawString(lowByte.Img(), "1", 5, baseline, kInk);
        EXPECT_TRUE(dotless.MatchesWindowOf(one) && !lowByte.MatchesWindowOf(one));
        // A box standing on the baseline: a solid outline around a clear inside.
        const Quor_Rect box = one.Extent(white);
        ASSERT_TRUE(box.Width() >= 4 && box.Height() >= 5) << box.Width() << " x " << box.Height();
        EXPECT_TRUE(box.left == 6 && box.bottom == baseline - 1) << box.left << ", " << box.bottom;
        for (int y = box.top; y <= box.bottom; y++)
            for (int x = box.left; x <= box.right; x++) {
                const bool edge = y == box.top || y == box.bottom || x == box.left || x == box.right;
                ASSERT_EQ(one.At(x, y), edge ? Quor_ColorOps::PackColor32(kInk) : white) << x << ", " << y;
            }
        EXPECT_EQ(font->StringWidth("\xE4\xB8\x80"), box.Width() + 2);
        EXPECT_EQ(font->StringWidth("a\xF0\x9F\x93\xB7\xD0\xA4" "b"),
                  font->StringWidth("a") + 2 * (box.Width() + 2) + font->StringWidth("b"));
    }
}

// Catches unreadable or misplaced glyphs in the built-in fonts (reviewed sample images).
TEST(QuorFont, BuiltinFontSamplesMatchTheirGoldens)
{
    const char* lines[] = {
        "Quor Panomer: the quick brown fox jumps over the lazy dog.",
        "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG! 0123456789",
        "\xC5ngstr\xF6m \xE9t\xE9 na\xEFve \xDF \xA9 \xBD (x) [y] {z} @#$%&*/\\ \"Focal\"\t|\x01\x7F\x9F|",
    };
    for (int index = 0; index < Quor_Font::kEmbeddedFontCount; index++) {
        FontPtr font = Embedded(index);
        const int lineHeight = font->LineToLineHeight();
        Canvas canvas(490, 3 * lineHeight + 6, Quor_ColorOps::RgbColor(250, 248, 240));
        for (int i = 0; i < 3; i++)
            font->DrawString(canvas.Img(), lines[i], 4, 3 + i * lineHeight + font->FontHeight(), rgb_color{20, 30, 90, 255});
        EXPECT_GOLDEN(canvas.inner,
                      std::string("tests/toolkit/imaging/fonts/golden/sample_") + kExpected[index].prefix + ".png", 0);
    }
}
