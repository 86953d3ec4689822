// Image operations on single pixels and whole images: the alpha tables, bilinear sampling,
// tinting, clearing, brightening and alpha maintenance.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "tests/support/ImageFixtures.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

using namespace quor_test;
using Ops = Quor_ImageOps;

// Catches alpha tables that round instead of truncating, or an inverse table that divides
// first and loses precision.
TEST(QuorImageOps, AlphaTablesTruncate)
{
    // {alpha, value, gAlphaMask[alpha][value], gAlphaBlack[alpha][value]}
    const int cases[][4] = {{128, 255, 128, 255}, {127, 255, 127, 255}, {200, 100, 78, 127},   // 78.43
                            {255, 201, 201, 201}, {0, 77, 0, 77},          {128, 64, 32, 127},    // 127.5
                            {7, 7, 0, 255},       {10, 200, 7, 255}};   // exact 255, not 254 through a rounded quotient
    for (const auto& c : cases) {
        EXPECT_EQ(Ops::gAlphaMask[c[0]][c[1]], c[2]) << c[0] << "," << c[1];
        EXPECT_EQ(Ops::gAlphaBlack[c[0]][c[1]], c[3]) << c[0] << "," << c[1];
    }
}

// Catches sampling that shifts pixel centres, weights the wrong neighbours, or reads outside the
// image for coordinates beyond it (including NaN and infinities); and the transparent early-out
// skipped (a coloured fringe) or taken too eagerly (a half-covered sample becoming black).
TEST(QuorImageOps, SampleImageEdgesAndCentres)
{
    const uint32_t values[6] = {Px(10, 20, 30), Px(40, 50, 60), Px(70, 80, 90),
                                Px(100, 110, 120), Px(130, 140, 150), Px(160, 170, 180, 100)};
    Quor_BaseImage img;
    Make(&img, 3, 2, [&](int x, int y) { return values[y * 3 + x]; });

    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct { float x, y; uint32_t expected; } cases[] = {
        {0, 0, values[0]}, {1, 1, values[4]}, {-5, -5, values[0]}, {nan, nan, values[0]}, {inf, -inf, values[2]},
        {1e30f, 1e30f, values[5]},
        {6, 0.5f, Px(115, 125, 135, 178)},   // past the right edge: the last column's two top pixels, alpha 177.5
        {0.25f, 0, Px(18, 28, 38)},          // 17.5 rounds up
        {0.5f, 0.5f, Px(70, 80, 90)}};       // all four neighbours
    for (const auto& c : cases)
        EXPECT_EQ(Ops::SampleImage(img, c.x, c.y), c.expected) << c.x << ", " << c.y;

    // The transparent early-out: taken when all four neighbours are transparent, not when one is covered.
    Fill(&img, 2, 2, Px(200, 100, 50, 0));
    EXPECT_TRUE(Ops::SampleImage(img, 0.5f, 0.5f) == 0u && Ops::SampleImage(img, 0, 0) == 0u);
    At(img.Image(), 1, 1) = Px(200, 100, 50, 255);
    EXPECT_NE(Ops::SampleImage(img, 0.5f, 0.5f), 0u);

    // Rounding by adding a half in float rounds a value just under a half up to 1.
    Fill(&img, 2, 1, Px(0, 0, 0, 0));
    At(img.Image(), 1, 0) = Px(1, 1, 1, 1);
    EXPECT_EQ(Ops::SampleImage(img, 0.49999997f, 0), 0u);
    EXPECT_EQ(Ops::SampleImage(img, 0.5f, 0), Px(1, 1, 1, 1));
}

// Catches a tint that rounds, blends alpha like colour, or forgets to make the pixel opaque
// under a transparent tint.
TEST(QuorImageOps, TintPixels)
{
    const struct { uint32_t before; rgb_color tint; uint32_t after; } cases[] = {
        {Px(255, 255, 255), {255, 0, 0, 128}, Px(255, 127, 127, 255)}, {Px(10, 20, 30, 40), {255, 255, 255, 0}, Px(10, 20, 30, 255)},
        {Px(10, 20, 30, 40), {1, 2, 3, 255}, Px(1, 2, 3, 40)}};
    for (const auto& c : cases) {
        uint32_t p = c.before;
        Ops::TintPixel32(&p, c.tint);
        EXPECT_EQ(p, c.after) << std::hex << c.before;
    }
    uint16_t p16 = 0xFFFF, p15 = 0x7C00;   // white, and red
    uint8_t index = 0;                     // white in the system palette
    Ops::TintPixel16(&p16, rgb_color{0, 0, 0, 255});
    Ops::TintPixel15(&p15, rgb_color{0, 0, 255, 255});
    Ops::TintPixel8(&index, rgb_color{0, 0, 0, 255}, nullptr);
    EXPECT_TRUE(p16 == 0 && p15 == 0x001F && index == 255) << p16 << " " << p15 << " " << int(index);

    Quor_BaseImage grey;
    ASSERT_EQ(grey.Initialize(3, 3, 8), QUOR_OK);
    Ops::Clear(grey, Quor_ColorOps::White);
    Ops::TintImage(grey, rgb_color{0, 0, 0, 255});
    EXPECT_EQ(grey.Bits()[grey.RowBytes() * 2 + 2], 255);
}

// Catches a clear that packs the colour wrongly for a depth, or spills past a row's pixels
// into its padding.
TEST(QuorImageOps, ClearEveryDepth)
{
    const rgb_color c{0x12, 0x34, 0x56, 0x78};
    const struct { int bits; uint32_t expected; } cases[] = {{32, Px(0x12, 0x34, 0x56, 0x78)}, {16, 0x11AA}, {15, 0x08CA}, {24, 0x123456}};
    for (const auto& k : cases) {
        Quor_BaseImage img;
        ASSERT_EQ(img.Initialize(3, 2, k.bits), QUOR_OK);
        std::memset(img.Bits(), 0xEE, size_t(img.RowBytes()) * 2);
        Ops::Clear(img, c);
        uint32_t value = 0;   // the last pixel's bytes, little-endian (24 bits: blue first)
        std::memcpy(&value, img.PixelPtr(2, 1), size_t(img.PixelBytes()));
        EXPECT_EQ(value, k.expected) << k.bits;
        EXPECT_TRUE(img.RowBytes() == 3 * img.PixelBytes() || img.RowPtr(0)[img.RowBytes() - 1] == 0xEE) << k.bits;
    }
}

// Catches a non-symmetric factor and rounding that truncates; alpha must stay.
TEST(QuorImageOps, BrightenUsesTheFactorsMagnitude)
{
    Quor_BaseImage a, b;
    MakeRandom(&a, 9, 7, 4242);
    MakeRandom(&b, 9, 7, 4242);
    Ops::Brighten(a, -2.0f);
    Ops::Brighten(b, 2.0f);
    EXPECT_EQ(std::memcmp(a.Bits(), b.Bits(), size_t(a.RowBytes()) * 7), 0);

    Quor_BaseImage c;
    Fill(&c, 2, 1, Px(1, 255, 3, 17));
    Ops::Brighten(c, 0.5f);
    EXPECT_EQ(At(c.Image(), 0, 0), Px(1, 128, 2, 17));
    Ops::Brighten(c, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(At(c.Image(), 1, 0), Px(1, 128, 2, 17));
}

// Catches the alpha channel and the colour channels being mixed up by the per-pixel helpers.
TEST(QuorImageOps, AlphaMaintenance)
{
    Quor_BaseImage img;
    Fill(&img, 2, 2, Px(10, 20, 30, 40));
    Ops::InvertAlpha(img);
    EXPECT_EQ(At(img.Image(), 1, 1), Px(10, 20, 30, 215));
    Ops::Invert(img);
    EXPECT_EQ(At(img.Image(), 1, 1), Px(245, 235, 225, 215));
    Ops::SetAlpha(img, 128);
    Ops::PrepForBlackAlpha(img);   // undoes a multiplication by alpha 128
    EXPECT_EQ(At(img.Image(), 0, 0), Px(255, 255, 255, 128));
    Ops::RescaleAlpha(img, 64, 192, 0);
    EXPECT_EQ(At(img.Image(), 0, 0) & 255, 127u);
}
