// Copying and compositing one image into another: alpha rules, clipping, blend modes, tiles.
#include <gtest/gtest.h>

#include <array>
#include <climits>

#include "tests/support/ImageFixtures.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

using namespace quor_test;
using Ops = Quor_ImageOps;

// Catches over compositing that rounds, touches the destination alpha without being asked, or
// handles the fully transparent and fully opaque ends differently from the rule.
TEST(QuorImageOps, BlitAlphaRules)
{
    Quor_BaseImage src, dst;
    const uint32_t pixels[3] = {Px(1, 2, 3, 0), Px(9, 8, 7, 255), Px(200, 200, 200, 128)};
    Make(&src, 3, 1, [&](int x, int) { return pixels[x]; });

    const uint32_t kGrey = Px(100, 100, 100, 100);
    // Runs the blit onto a fresh grey row and returns the row's three pixels.
    auto row = [&](auto blit) {
        Fill(&dst, 3, 1, kGrey);
        blit();
        return std::array<uint32_t, 3>{At(dst.Image(), 0, 0), At(dst.Image(), 1, 0), At(dst.Image(), 2, 0)};
    };
    using Row = std::array<uint32_t, 3>;
    // 100 + 49, both truncated; with alpha, 100 + mask[128][155].
    EXPECT_EQ(row([&] { Ops::BlitAlpha(src, dst, 0, 0, false); }), (Row{kGrey, Px(9, 8, 7, 100), Px(149, 149, 149, 100)}));
    EXPECT_EQ(row([&] { Ops::BlitAlpha(src, dst, 0, 0, true); }), (Row{kGrey, Px(9, 8, 7, 255), Px(149, 149, 149, 177)}));
    // The offset variant: pushed to 255 or above it copies, to 0 or below it skips.
    EXPECT_EQ(row([&] { Ops::BlitAlphaMod(src, dst, 0, 0, 200, false); }),
              (Row{Px(21, 22, 23, 100), Px(9, 8, 7, 100), Px(200, 200, 200, 100)}));
    EXPECT_EQ(row([&] { Ops::BlitAlphaMod(src, dst, 0, 0, -128, true); }), (Row{kGrey, Px(54, 53, 53, 177), kGrey}));
    // Min: the source pixel, its alpha no higher than the destination's.
    EXPECT_EQ(row([&] { Ops::BlitAlphaMin(src, dst, 0, 0); }), (Row{Px(1, 2, 3, 0), Px(9, 8, 7, 100), Px(200, 200, 200, 100)}));
}

// Catches clipping that mixes up source and destination offsets at negative positions, and
// 32-bit position arithmetic that wraps near the ends of the int range.
TEST(QuorImageOps, BlitClipsBothImages)
{
    Quor_BaseImage src, dst;
    MakeIndexed(&src, 7, 5);
    Fill(&dst, 6, 4, 0);
    Ops::Blit(src, dst, -3, -2);
    EXPECT_EQ((std::array{At(dst.Image(), 0, 0), At(dst.Image(), 3, 2), At(dst.Image(), 4, 2), At(dst.Image(), 0, 3)}),
        (std::array{At(src.Image(), 3, 2), At(src.Image(), 6, 4), 0u, 0u}));

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
    ASSERT_EQ(small.Initialize(2, 2, 16), QUOR_OK);
    Ops::Clear(small, rgb_color{255, 255, 255, 255});
    Ops::Blit(small, dst, 0, 0);
    EXPECT_EQ(At(dst.Image(), 0, 0), 0u);
}

// Catches a scroll within one image that reads rows it has already overwritten.
TEST(QuorImageOps, BlitWithinOneImage)
{
    Quor_BaseImage img, expected;
    MakeIndexed(&img, 5, 6);
    MakeIndexed(&expected, 5, 6);
    Quor_image top;
    ASSERT_EQ(img.FillImage(&top, Quor_Rect(0, 0, 4, 3)), QUOR_OK);
    Ops::Blit(&top, img, 1, 2);   // down and right, overlapping
    for (int y = 2; y < 6; ++y)
        for (int x = 1; x < 5; ++x)
            ASSERT_EQ(At(img.Image(), x, y), At(expected.Image(), x - 1, y - 2)) << x << "," << y;
}

// Catches blend formulas from the wrong table row, and a blend that ignores the source alpha.
TEST(QuorImageOps, BlendModeSpotValues)
{
    const uint32_t kSrc = Px(200, 200, 0), kDst = Px(100, 200, 100, 90);
    const struct {
        const char* name;
        void (*blend)(const Quor_image*, const Quor_image*, int, int, bool);
        uint32_t src, dst, expected;
        bool useAlpha;
    } cases[] = {
        {"multiply", Ops::BlitMultiply, kSrc, kDst, Px(78, 156, 0, 90), false},
        {"screen", Ops::BlitScreen, kSrc, kDst, Px(222, 244, 100, 90), false},
        {"overlay", Ops::BlitOverlay, kSrc, kDst, Px(156, 232, 0, 90), false},
        {"add", Ops::BlitAdd, kSrc, kDst, Px(255, 255, 100, 90), false},
        {"difference", Ops::BlitDifference, kSrc, kDst, Px(100, 0, 100, 90), false},
        // Half coverage mixes the blended colour with the destination.
        {"half difference", Ops::BlitDifference, Px(200, 200, 0, 128), kDst, Px(99, 99, 99, 172), true},
        // Colour modes: hue and saturation from one side, lightness from the other.
        {"color", Ops::BlitColor, Px(255, 0, 0), Px(100, 100, 100), Px(200, 0, 0), false},
        {"luminosity", Ops::BlitLuminosity, Px(255, 255, 255), Px(255, 0, 0), Px(255, 255, 255), false},
        {"hue", Ops::BlitHue, Px(0, 0, 255), Px(255, 0, 0), Px(1, 1, 255), false},   // lightness 128 of 255
        {"saturation", Ops::BlitSaturation, Px(128, 128, 128), Px(1, 1, 255), Px(128, 128, 128), false},
    };
    Quor_BaseImage src, dst;
    for (const auto& c : cases) {
        Fill(&src, 1, 1, c.src);
        Fill(&dst, 1, 1, c.dst);
        c.blend(src, dst, 0, 0, c.useAlpha);
        EXPECT_EQ(At(dst.Image(), 0, 0), c.expected) << c.name;
    }
}

// Catches a tiling grid that starts at the wrong phase or leaves the last partial tile out.
TEST(QuorImageOps, TilesCoverTheDestination)
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
