#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "ImageFixtures.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/Quor_ColorVector.h"
#include "toolkit/imaging/Quor_Palette.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

using namespace imaging_test;

// Catches a hue, saturation or lightness formula that departs from the lightness model (for
// example value = max instead of (max + min) / 2) and a grey that does not keep its level.
TEST(QuorColorOps, HsvLightnessModelExamples)
{
    int h, s, v, r, g, b;
    Quor_ColorOps::Rgb2Hsv(255, 0, 0, &h, &s, &v);
    EXPECT_TRUE(h == 0 && s == 255 && v == 128) << h << " " << s << " " << v;
    Quor_ColorOps::Rgb2Hsv(100, 100, 100, &h, &s, &v);
    EXPECT_TRUE(h == 0 && s == 0 && v == 100) << h << " " << s << " " << v;
    Quor_ColorOps::Rgb2Hsv(0, 0, 255, &h, &s, &v);
    EXPECT_EQ(h, 170);   // blue two thirds round
    Quor_ColorOps::Hsv2Rgb(0, 255, 128, &r, &g, &b);
    EXPECT_EQ(r, 255);
    EXPECT_NEAR(g + b, 2, 2);
    Quor_ColorOps::Hsv2Rgb(255, 255, 128, &r, &g, &b);   // 255 wraps to red
    EXPECT_EQ(r, 255);
    Quor_ColorOps::Hsv2Rgb(40, 200, 255, &r, &g, &b);
    EXPECT_EQ(r + g + b, 3 * 255);
    const hsv_color hsv = Quor_ColorOps::Rgb2Hsv(rgb_color{0, 255, 0, 77});
    EXPECT_EQ(hsv.alpha, 77);
    EXPECT_EQ(hsv.hue, 85);
}

// Catches a sector table with swapped entries: converting there and back must stay close
// for every colour of a seeded sample.
TEST(QuorColorOps, HsvRoundTripStaysClose)
{
    const uint32_t seed = 20240601;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    for (int i = 0; i < 5000; ++i) {
        const int r = int(random() % 256), g = int(random() % 256), b = int(random() % 256);
        int h, s, v, r2, g2, b2;
        Quor_ColorOps::Rgb2Hsv(r, g, b, &h, &s, &v);
        Quor_ColorOps::Hsv2Rgb(h, s, v, &r2, &g2, &b2);
        // Hue and saturation are kept in 8 bits, so a few units are lost.
        ASSERT_LE(std::abs(r - r2) + std::abs(g - g2) + std::abs(b - b2), 12)
            << r << " " << g << " " << b;
    }
}

// Catches arithmetic that touches alpha, conversions that wrap instead of clamping, and NaN
// reaching an integer conversion.
TEST(QuorColorVector, ArithmeticKeepsAlphaAndConversionsClamp)
{
    const Quor_ColorVector sum = Quor_ColorVector(0.5f, 0.5f, 0.5f, 0.25f) + Quor_ColorVector(1, 1, 1, 1);
    EXPECT_FLOAT_EQ(sum.a, 0.25f);
    EXPECT_FLOAT_EQ(sum.r, 1.5f);
    EXPECT_FLOAT_EQ((2.0f * Quor_ColorVector(0.25f, 0, 0, 0.5f)).a, 0.5f);
    EXPECT_FLOAT_EQ((4.0f / Quor_ColorVector(1, 2, 3)).g, 0.5f);   // the vector over the scalar

    EXPECT_EQ(Quor_ColorVector(1.2f, -0.1f, 0.5f, 1).AsColorStruct(), (rgb_color{255, 0, 128, 255}));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(Quor_ColorVector(nan, inf, -inf, 1e30f).AsColorStruct(), (rgb_color{0, 255, 0, 255}));
    EXPECT_FLOAT_EQ(Quor_ColorVector(rgb_color{255, 0, 51, 255}).b, 0.2f);

    Quor_ColorVector n(nan, 2, -1, 0.5f);
    n.Normalize();
    EXPECT_EQ(n.r, 0.0f);
    EXPECT_EQ(n.g, 1.0f);
    EXPECT_EQ(n.b, 0.0f);
    EXPECT_EQ(Quor_ColorVector(1, 0, 0).As32bitColor(), Px(255, 0, 0));
}

namespace {

// The nearest entry by plain search, ties to the lower index.
int Nearest(const Quor_palette& pal, int r, int g, int b)
{
    auto distance = [&](int i) {
        const uint32_t c = pal.colors[i];
        const long dr = long(Quor_PixelConvert::Red(c)) - r, dg = long(Quor_PixelConvert::Green(c)) - g,
                   db = long(Quor_PixelConvert::Blue(c)) - b;
        return dr * dr + dg * dg + db * db;
    };
    int best = 0;
    long bestDistance = distance(0);
    for (int i = 1; i < 256; ++i)
        if (const long d = distance(i); d < bestDistance)
            bestDistance = d, best = i;
    return best;
}

}  // namespace

// Catches errors in the incremental distance steps of the inverse cube: every cell must hold
// the entry nearest to its centre, for both built-in tables.
TEST(QuorPalette, InverseCubeMatchesPlainSearch)
{
    Quor_Palette generic;
    ASSERT_EQ(generic.InitializeGeneric(true), 0);
    for (const Quor_palette* pal : {&Quor_Palette::SystemPalette().Palette(), &generic.Palette()}) {
        ASSERT_EQ(pal->count, 256);
        for (int r = 0; r < 32; ++r)
            for (int g = 0; g < 32; ++g)
                for (int b = 0; b < 32; ++b)
                    ASSERT_EQ(Quor_Palette::IndexFromColor(*pal, r * 8, g * 8, b * 8),
                              Nearest(*pal, r * 8 + 4, g * 8 + 4, b * 8 + 4))
                        << r << " " << g << " " << b;
    }
}

// Catches a table laid out in the wrong order, and lookups without a cube that read a null
// pointer.
TEST(QuorPalette, TablesAndLookups)
{
    const Quor_Palette& system = Quor_Palette::SystemPalette();
    EXPECT_EQ(system.IndexFromColor(255, 255, 255), 0);
    EXPECT_EQ(system.IndexFromColor(0, 0, 0), 255);
    EXPECT_EQ(system.IndexFromColor(-40, 999, 300), system.IndexFromColor(0, 255, 255));
    EXPECT_EQ(Quor_ColorOps::PackColor8(rgb_color{0xEE, 0, 0, 255}), 215);
    Quor_Palette generic;
    ASSERT_EQ(generic.InitializeGeneric(false), 0);
    EXPECT_EQ(generic.IndexFromColor(200, 10, 10), 0);   // no cube
    const struct {
        const Quor_Palette* palette;
        int index;
        uint32_t color;
    } entries[] = {
        {&system, 1, Px(0xFF, 0xFF, 0xCC)},   {&system, 214, Px(0, 0, 0x33)},       {&system, 215, Px(0xEE, 0, 0)},
        {&system, 254, Px(0x11, 0x11, 0x11)}, {&generic, 31, Px(0xF8, 0xF8, 0xF8)}, {&generic, 32, Px(0, 0, 0xFF)},
        {&generic, 51, Px(0x1E, 0, 0)},       {&generic, 62, Px(0, 0x98, 0x33)},    {&generic, 152, Px(0xE6, 0x86, 0)},
        {&generic, 189, Px(0xFF, 0xAF, 0x13)}, {&generic, 229, Px(0xFF, 0xE3, 0x46)}, {&generic, 255, Px(0xFF, 0xFF, 0xFF)},
    };
    for (const auto& e : entries)
        EXPECT_EQ(e.palette->Palette().colors[e.index], e.color) << (e.palette == &system ? "system " : "generic ") << e.index;

    Quor_Palette empty;
    Quor_palette record;
    EXPECT_EQ(empty.FillPalette(&record), -5);
    EXPECT_EQ(empty.FinishInitialize(true), -5);
}

// Catches a system palette built twice, or read half-built, when threads reach it together.
TEST(QuorPalette, SystemPaletteIsBuiltOnceAcrossThreads)
{
    std::vector<const Quor_palette*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&seen, i] {
            seen[size_t(i)] = &Quor_Palette::SystemPalette().Palette();
            EXPECT_EQ(Quor_Palette::SystemPalette().IndexFromColor(0, 0, 0), 255);
        });
    for (std::thread& t : threads)
        t.join();
    for (const Quor_palette* p : seen)
        EXPECT_EQ(p, seen[0]);
}

// Catches red/blue swaps and lost alpha in the row converters the file modules share.
TEST(QuorPixelConvert, RowsConvertBothWaysWithoutSwaps)
{
    using C = Quor_PixelConvert;
    const uint8_t rgba[8] = {250, 10, 20, 30, 40, 50, 60, 70};
    const uint8_t bgra[8] = {20, 10, 250, 30, 60, 50, 40, 70};
    const uint8_t bgr[6] = {20, 10, 250, 50, 40, 30};
    uint32_t pixels[2];
    uint8_t bytes[8];
    C::FromRgba(rgba, pixels, 2);
    EXPECT_EQ(pixels[0], Px(250, 10, 20, 30));
    C::ToBgra(pixels, bytes, 2);
    EXPECT_EQ(std::memcmp(bytes, bgra, 8), 0);
    C::FromBgra(bgra, pixels, 2);
    C::ToRgba(pixels, bytes, 2);
    EXPECT_EQ(std::memcmp(bytes, rgba, 8), 0);
    C::FromRgb(rgba, pixels, 2);
    EXPECT_EQ(pixels[1], Px(30, 40, 50, 255));
    C::ToBgr(pixels, bytes, 2);
    EXPECT_EQ(std::memcmp(bytes, bgr, 6), 0);
    C::FromBgr(bgr, pixels, 2);
    C::ToRgb(pixels, bytes, 2);
    EXPECT_EQ(std::memcmp(bytes, rgba, 6), 0);
    C::FromGrey(rgba, pixels, 2);
    EXPECT_EQ(pixels[1], Px(10, 10, 10, 255));
    C::FromGreyAlpha(rgba, pixels, 2);
    EXPECT_EQ(pixels[1], Px(20, 20, 20, 30));

    // The packed word in memory runs alpha, red, green, blue on this little-endian machine.
    const uint32_t word = Px(1, 2, 3, 4);
    EXPECT_EQ(std::memcmp(&word, "\4\1\2\3", 4), 0);

    // 16 and 15 bits: full components survive, and the top bits fill the low ones.
    uint16_t packed[2];
    const uint32_t extremes[2] = {Px(255, 0, 255), Px(0, 255, 8)};
    C::To16(extremes, packed, 2);
    EXPECT_EQ(packed[0], 0xF81F);
    EXPECT_EQ(packed[1], 0x07E1);
    C::From16(packed, pixels, 2);
    EXPECT_EQ(pixels[0], Px(255, 0, 255));
    C::To15(extremes, packed, 2);
    EXPECT_EQ(packed[1], 0x03E1);
    C::From15(packed, pixels, 2);
    EXPECT_EQ(pixels[1], Px(0, 255, 8));
}
