#include <gtest/gtest.h>

#include <climits>

#include "ImageFixtures.h"
#include "toolkit/imaging/Quor_ImageOps.h"

using namespace imaging_test;
using Ops = Quor_ImageOps;

// Catches over compositing that rounds, touches the destination alpha without being asked, or
// handles the fully transparent and fully opaque ends differently from the rule.
TEST(QuorBlit, BlitAlphaRules)
{
    Quor_BaseImage src, dst;
    ASSERT_EQ(src.Initialize(3, 1, 32), 0);
    At(src.Image(), 0, 0) = Px(1, 2, 3, 0);
    At(src.Image(), 1, 0) = Px(9, 8, 7, 255);
    At(src.Image(), 2, 0) = Px(200, 200, 200, 128);

    Fill(&dst, 3, 1, Px(100, 100, 100, 100));
    Ops::BlitAlpha(src, dst, 0, 0, false);
    EXPECT_EQ(At(dst.Image(), 0, 0), Px(100, 100, 100, 100));
    EXPECT_EQ(At(dst.Image(), 1, 0), Px(9, 8, 7, 100));
    EXPECT_EQ(At(dst.Image(), 2, 0), Px(149, 149, 149, 100));   // 100 + 49, both truncated

    Fill(&dst, 3, 1, Px(100, 100, 100, 100));
    Ops::BlitAlpha(src, dst, 0, 0, true);
    EXPECT_EQ(At(dst.Image(), 0, 0), Px(100, 100, 100, 100));
    EXPECT_EQ(At(dst.Image(), 1, 0), Px(9, 8, 7, 255));
    EXPECT_EQ(At(dst.Image(), 2, 0), Px(149, 149, 149, 177));   // 100 + mask[128][155]

    // The offset variant: pushed to 255 or above it copies, to 0 or below it skips.
    Fill(&dst, 3, 1, Px(100, 100, 100, 100));
    Ops::BlitAlphaMod(src, dst, 0, 0, 200, false);
    EXPECT_EQ(At(dst.Image(), 2, 0), Px(200, 200, 200, 100));
    EXPECT_EQ(At(dst.Image(), 0, 0), Px(21, 22, 23, 100));   // alpha 0 raised to 200
    Fill(&dst, 3, 1, Px(100, 100, 100, 100));
    Ops::BlitAlphaMod(src, dst, 0, 0, -128, true);
    EXPECT_EQ(At(dst.Image(), 2, 0), Px(100, 100, 100, 100));
    EXPECT_EQ(At(dst.Image(), 1, 0), Px(54, 53, 53, 177));

    // Min: the source pixel, its alpha no higher than the destination's.
    Fill(&dst, 3, 1, Px(100, 100, 100, 100));
    Ops::BlitAlphaMin(src, dst, 0, 0);
    EXPECT_EQ(At(dst.Image(), 0, 0), Px(1, 2, 3, 0));
    EXPECT_EQ(At(dst.Image(), 1, 0), Px(9, 8, 7, 100));
}

// Catches clipping that mixes up source and destination offsets at negative positions, and
// 32-bit position arithmetic that wraps near the ends of the int range.
TEST(QuorBlit, BlitClipsBothImages)
{
    Quor_BaseImage src, dst;
    MakeIndexed(&src, 7, 5);
    Fill(&dst, 6, 4, 0);
    Ops::Blit(src, dst, -3, -2);
    EXPECT_EQ(At(dst.Image(), 0, 0), At(src.Image(), 3, 2));
    EXPECT_EQ(At(dst.Image(), 3, 2), At(src.Image(), 6, 4));
    EXPECT_EQ(At(dst.Image(), 4, 2), 0u);
    EXPECT_EQ(At(dst.Image(), 0, 3), 0u);

    Fill(&dst, 6, 4, 0);
    for (int position : {INT_MAX, INT_MIN, INT_MAX - 2, INT_MIN + 3}) {
        Ops::Blit(src, dst, position, 1);
        Ops::BlitAlpha(src, dst, 1, position, true);
        Ops::BlitMultiply(src, dst, position, position, true);
    }
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(At(dst.Image(), x, y), 0u);

    // Mismatched depths are refused rather than copied byte for byte.
    Quor_BaseImage small;
    ASSERT_EQ(small.Initialize(2, 2, 16), 0);
    Ops::Clear(small, rgb_color{255, 255, 255, 255});
    Ops::Blit(small, dst, 0, 0);
    EXPECT_EQ(At(dst.Image(), 0, 0), 0u);
}

// Catches a scroll within one image that reads rows it has already overwritten.
TEST(QuorBlit, BlitWithinOneImage)
{
    Quor_BaseImage img, expected;
    MakeIndexed(&img, 5, 6);
    MakeIndexed(&expected, 5, 6);
    Quor_image top;
    ASSERT_EQ(img.FillImage(&top, Quor_Rect(0, 0, 4, 3)), 0);
    Ops::Blit(&top, img, 1, 2);   // down and right, overlapping
    for (int y = 2; y < 6; ++y)
        for (int x = 1; x < 5; ++x)
            ASSERT_EQ(At(img.Image(), x, y), At(expected.Image(), x - 1, y - 2)) << x << "," << y;
}

// Catches blend formulas from the wrong table row, and a blend that ignores the source alpha.
TEST(QuorBlit, BlendModeSpotValues)
{
    struct Case {
        const char* name;
        void (*blend)(const Quor_image*, const Quor_image*, int, int, bool);
        uint32_t expected;   // source (200, 200, 0) over destination (100, 200, 100)
    } cases[] = {
        {"multiply", Ops::BlitMultiply, Px(78, 156, 0, 90)},
        {"screen", Ops::BlitScreen, Px(222, 244, 100, 90)},
        {"overlay", Ops::BlitOverlay, Px(156, 232, 0, 90)},
        {"add", Ops::BlitAdd, Px(255, 255, 100, 90)},
        {"difference", Ops::BlitDifference, Px(100, 0, 100, 90)},
    };
    Quor_BaseImage src, dst;
    Fill(&src, 1, 1, Px(200, 200, 0, 255));
    for (const Case& c : cases) {
        Fill(&dst, 1, 1, Px(100, 200, 100, 90));
        c.blend(src, dst, 0, 0, false);
        EXPECT_EQ(At(dst.Image(), 0, 0), c.expected) << c.name;
    }

    // Half coverage mixes the blended colour with the destination.
    Fill(&src, 1, 1, Px(200, 200, 0, 128));
    Fill(&dst, 1, 1, Px(100, 200, 100, 90));
    Ops::BlitDifference(src, dst, 0, 0, true);
    EXPECT_EQ(At(dst.Image(), 0, 0), Px(99, 99, 99, 172));

    // Colour takes hue and saturation from the source and lightness from the destination.
    Fill(&src, 1, 1, Px(255, 0, 0, 255));
    Fill(&dst, 1, 1, Px(100, 100, 100, 255));
    Ops::BlitColor(src, dst, 0, 0, false);
    EXPECT_EQ(At(dst.Image(), 0, 0), Px(200, 0, 0, 255));
    Fill(&src, 1, 1, Px(255, 255, 255, 255));
    Fill(&dst, 1, 1, Px(255, 0, 0, 255));
    Ops::BlitLuminosity(src, dst, 0, 0, false);
    EXPECT_EQ(At(dst.Image(), 0, 0), Px(255, 255, 255, 255));
    Fill(&src, 1, 1, Px(0, 0, 255, 255));
    Fill(&dst, 1, 1, Px(255, 0, 0, 255));
    Ops::BlitHue(src, dst, 0, 0, false);
    EXPECT_EQ(At(dst.Image(), 0, 0), Px(1, 1, 255, 255));   // lightness 128 of 255
    Fill(&src, 1, 1, Px(128, 128, 128, 255));
    Ops::BlitSaturation(src, dst, 0, 0, false);
    EXPECT_EQ(At(dst.Image(), 0, 0), Px(128, 128, 128, 255));
}

// Catches a tiling grid that starts at the wrong phase or leaves the last partial tile out.
TEST(QuorBlit, TilesCoverTheDestination)
{
    Quor_BaseImage tile, dst;
    MakeIndexed(&tile, 3, 2);
    Fill(&dst, 8, 5, 0);
    Ops::TileImage(tile, dst, -4, 7);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(At(dst.Image(), x, y), At(tile.Image(), (x + 4) % 3, (y + 1) % 2)) << x << "," << y;

    // Scale by the source alpha: a half-transparent mask halves everything.
    Quor_BaseImage mask;
    Fill(&mask, 2, 2, Px(0, 0, 0, 128));
    Fill(&dst, 3, 3, Px(200, 100, 50, 255));
    Ops::TileImageAlphaScale(mask, dst, 1, 1);
    EXPECT_EQ(At(dst.Image(), 2, 2), Px(100, 50, 25, 128));
}
