// Palettes: the inverse cube, the built-in tables and the system palette built once.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/support/ImageFixtures.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/Quor_Palette.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

using namespace quor_test;

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
    ASSERT_EQ(generic.InitializeGeneric(true), QUOR_OK);
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
    EXPECT_TRUE(system.IndexFromColor(255, 255, 255) == 0 && system.IndexFromColor(0, 0, 0) == 255);
    EXPECT_EQ(system.IndexFromColor(-40, 999, 300), system.IndexFromColor(0, 255, 255));
    EXPECT_EQ(Quor_ColorOps::PackColor8(rgb_color{0xEE, 0, 0, 255}), 215);
    Quor_Palette generic;
    ASSERT_EQ(generic.InitializeGeneric(false), QUOR_OK);
    EXPECT_EQ(generic.IndexFromColor(200, 10, 10), 0);   // no cube
    const struct { const Quor_Palette* palette; int index; uint32_t color; } entries[] = {
        {&system, 1, Px(0xFF, 0xFF, 0xCC)},   {&system, 214, Px(0, 0, 0x33)},       {&system, 215, Px(0xEE, 0, 0)},
        {&system, 254, Px(0x11, 0x11, 0x11)}, {&generic, 31, Px(0xF8, 0xF8, 0xF8)}, {&generic, 32, Px(0, 0, 0xFF)},
        {&generic, 51, Px(0x1E, 0, 0)},       {&generic, 62, Px(0, 0x98, 0x33)},    {&generic, 152, Px(0xE6, 0x86, 0)},
        {&generic, 189, Px(0xFF, 0xAF, 0x13)}, {&generic, 229, Px(0xFF, 0xE3, 0x46)}, {&generic, 255, Px(0xFF, 0xFF, 0xFF)},
    };
    for (const auto& e : entries)
        EXPECT_EQ(e.palette->Palette().colors[e.index], e.color) << (e.palette == &system ? "system " : "generic ") << e.index;

    Quor_Palette empty;
    Quor_palette record;
    EXPECT_TRUE(empty.FillPalette(&record) == QUOR_ERR_NO_PALETTE && empty.FinishInitialize(true) == QUOR_ERR_NO_PALETTE);
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
