// Kernels, blurs, alpha erosion and dilation, shadows and dithering.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>

#include "tests/support/ImageFixtures.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_Palette.h"

using namespace quor_test;
using Ops = Quor_ImageOps;

// Catches a kernel radius taken from the wrong branch and a falloff that does not run from
// half + 1 at the centre to 1 at the corners.
TEST(QuorImageOps, PrepareBlurKernels)
{
    Quor_filterKernel kernel;
    int radius = 1;
    Ops::PrepareBlur(&kernel, &radius);
    EXPECT_TRUE(radius == 1 && kernel.half == 1 && kernel.sum == 10) << radius << " " << kernel.sum;
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(kernel.Row(i / 3)[i % 3], i == 4 ? 2 : 1) << i;

    radius = 7;   // odd radii round down to an even size
    Ops::PrepareBlur(&kernel, &radius);
    // (0, 3) lies exactly half away; (3, 4) gets 4 - 3 * (3/9 - 2/27) = 3.22.
    EXPECT_EQ((std::array{radius, kernel.Row(3)[3], kernel.Row(0)[0], kernel.Row(0)[3], kernel.Row(3)[4]}),
        (std::array{3, 4, 1, 1, 3}));
    for (int i = 0; i <= 6; ++i)
        for (int j = 0; j <= 6; ++j)
            ASSERT_EQ(kernel.Row(i)[j], kernel.Row(j)[6 - i]);   // quarter-turn symmetric

    for (int big : {61, 62, 100, 1 << 30}) {
        radius = big;
        Ops::PrepareBlur(&kernel, &radius);
        EXPECT_TRUE(radius == 30 && kernel.Row(30)[30] == 31 && kernel.Row(60)[60] == 1) << big;
    }
    radius = -5;
    Ops::PrepareBlur(&kernel, &radius);
    EXPECT_EQ(radius, 1);
}

// Catches an alpha blur that touches colour, uses the centre row instead of the one below it,
// or lets the edge darken (the edge pixel must repeat).
TEST(QuorImageOps, AlphaBlurIsSeparableAndKeepsColour)
{
    Quor_BaseImage img;
    Fill(&img, 9, 9, Px(10, 20, 30, 0));
    At(img.Image(), 4, 4) = Px(10, 20, 30, 255);
    ASSERT_EQ(Ops::AlphaBlur(img, 1), QUOR_OK);
    // Radius 1: weights (1, 1, 1), so 255 / 3 = 85 along the row, then 85 / 3 = 28.
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool inside = std::abs(x - 4) <= 1 && std::abs(y - 4) <= 1;
            ASSERT_EQ(At(img.Image(), x, y), Px(10, 20, 30, inside ? 28 : 0)) << x << "," << y;
        }

    Fill(&img, 6, 5, Px(1, 2, 3, 200));
    ASSERT_EQ(Ops::AlphaBlur(img, 9), QUOR_OK);
    EXPECT_EQ(Ops::AlphaBlur(img, 0), QUOR_OK);
    ASSERT_EQ(Ops::AlphaBlurQuick(img, 4), QUOR_OK);
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(At(img.Image(), i % 6, i / 6), Px(1, 2, 3, 200)) << i % 6 << "," << i / 6;
}

// Catches blurs that lose brightness at the edges or through rounding: a flat image must come
// out unchanged, and a blurred edge must stay between its two sides.
TEST(QuorImageOps, BlursKeepFlatAreas)
{
    Quor_BaseImage img;
    Fill(&img, 11, 7, Px(90, 140, 200, 230));
    ASSERT_EQ(Ops::Blur(img, 6), QUOR_OK);
    ASSERT_EQ(Ops::BlurQuick(img, 3), QUOR_OK);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 11; ++x)
            ASSERT_EQ(At(img.Image(), x, y), Px(90, 140, 200, 230));

    Make(&img, 12, 3, [](int x, int) { return x < 6 ? Px(0, 0, 0) : Px(200, 200, 200); });
    // Radius 0 leaves the picture alone (the smallest kernel would soften this edge).
    ASSERT_EQ(Ops::Blur(img, 0), QUOR_OK);
    ASSERT_EQ(Ops::BlurQuick(img, 0), QUOR_OK);
    EXPECT_TRUE(At(img.Image(), 5, 1) == Px(0, 0, 0) && At(img.Image(), 6, 1) == Px(200, 200, 200));
    ASSERT_EQ(Ops::Blur(img, 4), QUOR_OK);
    EXPECT_TRUE(At(img.Image(), 0, 1) == Px(0, 0, 0) && At(img.Image(), 11, 1) == Px(200, 200, 200));
    const uint32_t left = Quor_PixelConvert::Red(At(img.Image(), 5, 1)), right = Quor_PixelConvert::Red(At(img.Image(), 6, 1));
    EXPECT_TRUE(0u < left && left < right && right < 200u) << left << " " << right;

    Quor_filterKernel motion;
    int radius = 5;
    Ops::PrepareMotionBlur(&motion, &radius, 0);
    EXPECT_TRUE(motion.sum == 5 && motion.Row(2)[0] == 1 && motion.Row(1)[2] == 0);   // one horizontal line through the centre
}

// Catches erosion and dilation that use a cross instead of a square, or change colour.
TEST(QuorImageOps, AlphaMinMaxUseASquare)
{
    Quor_BaseImage src, dst;
    Fill(&src, 7, 7, Px(5, 6, 7, 0));
    At(src.Image(), 3, 3) = Px(5, 6, 7, 255);
    ASSERT_EQ(dst.Initialize(7, 7, 32), QUOR_OK);
    ASSERT_EQ(Ops::AlphaMaxFilter(src, dst, 1), QUOR_OK);
    EXPECT_TRUE(At(dst.Image(), 2, 2) == Px(5, 6, 7, 255) && At(dst.Image(), 1, 3) == Px(5, 6, 7, 0));
    ASSERT_EQ(Ops::AlphaMinFilter(dst, src, 1), QUOR_OK);
    EXPECT_TRUE(At(src.Image(), 3, 3) == Px(5, 6, 7, 255) && At(src.Image(), 2, 2) == Px(5, 6, 7, 0));
}

// Catches shadows drawn on the wrong side or outside the image.
TEST(QuorImageOps, ShadowsFallInsideAndBelow)
{
    Quor_BaseImage img;
    Fill(&img, 40, 40, Px(255, 255, 255));
    ASSERT_EQ(Ops::DropShadow(img, Quor_Rect(10, 10, 29, 19), 6, 200), 0);
    EXPECT_LT(Quor_PixelConvert::Red(At(img.Image(), 20, 21)), Quor_PixelConvert::Red(At(img.Image(), 20, 8)));
    EXPECT_EQ(At(img.Image(), 20, 39), Px(255, 255, 255));
    ASSERT_EQ(Ops::DropShadow(img, Quor_Rect(-100, 30, 100, 45), 6, 200), 0);   // partly outside

    Fill(&img, 40, 40, Px(255, 255, 255));
    ASSERT_EQ(Ops::InsetShadow(img, Quor_Rect(5, 5, 34, 34), 6, 200), 0);
    EXPECT_LT(Quor_PixelConvert::Red(At(img.Image(), 20, 6)), Quor_PixelConvert::Red(At(img.Image(), 20, 33)));
    EXPECT_TRUE(At(img.Image(), 20, 20) == Px(255, 255, 255) && At(img.Image(), 2, 2) == Px(255, 255, 255));
}

// Catches dithering whose error spreads the wrong way (a drift in the mean), and truncation that
// differs from the plain packing.
TEST(QuorImageOps, DitherKeepsTheMeanColour)
{
    Quor_BaseImage src, dst16, dst8, back;
    Fill(&src, 32, 16, Px(100, 150, 37));
    ASSERT_EQ(dst16.Initialize(32, 16, 16), QUOR_OK);
    ASSERT_EQ(Ops::Dither32To16(src, dst16, false), QUOR_OK);
    EXPECT_EQ(*reinterpret_cast<uint16_t*>(dst16.PixelPtr(5, 5)), Quor_PixelConvert::Pack16(100, 150, 37));

    ASSERT_EQ(Ops::Dither32To16(src, dst16, true), QUOR_OK);
    ASSERT_EQ(dst8.Initialize(32, 16, 8), QUOR_OK);
    ASSERT_EQ(back.Initialize(32, 16, 32), QUOR_OK);
    ASSERT_EQ(Ops::Dither32To8(src, dst8, true, nullptr), QUOR_OK);
    ASSERT_EQ(Ops::Dither8To32(dst8, back, nullptr), QUOR_OK);
    long red = 0, green = 0;
    for (int i = 0; i < 32 * 16; ++i) {
        red += Quor_PixelConvert::Red(Quor_PixelConvert::Expand16(*reinterpret_cast<uint16_t*>(dst16.PixelPtr(i % 32, i / 32))));
        green += Quor_PixelConvert::Green(At(back.Image(), i % 32, i / 32));
    }
    EXPECT_NEAR(double(red) / (32 * 16), 100.0, 1.0);
    EXPECT_NEAR(double(green) / (32 * 16), 150.0, 6.0);

    Quor_Palette noCube;
    ASSERT_EQ(noCube.Initialize(false), QUOR_OK);
    EXPECT_EQ(Ops::Dither32To8(src, dst8, false, noCube), QUOR_ERR_NO_PALETTE);
    EXPECT_EQ(Ops::Dither32To16(src, dst8, false), QUOR_ERR_ARGUMENT);
}
