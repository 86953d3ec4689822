// Scaling, quarter turns and mirrors.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "tests/support/ImageFixtures.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

using namespace quor_test;
using Ops = Quor_ImageOps;

namespace {

// A source whose pixels encode their column in red and green and their row in blue and alpha,
// for sources too large for 8-bit coordinates.
uint32_t Coded(int x, int y)
{
    return Px(uint32_t(x) & 255, (uint32_t(x) >> 8) & 255, uint32_t(y) & 255, 255 - (uint32_t(y) >> 8 & 127));
}

uint32_t Lerp(uint32_t p0, uint32_t p1, uint32_t f)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= uint32_t(Ops::gAlphaMask[255 - f][(p0 >> shift) & 255] +
                        Ops::gAlphaMask[f][(p1 >> shift) & 255])
               << shift;
    return out;
}

// The reduction by plain formulas, in 64 bits: nearest picks column c * srcW / w; filtering mixes
// the columns around c * (srcW - 1) / w.
uint32_t Reference(const Quor_image& src, int w, int h, int c, int r, bool filter)
{
    const int64_t sy = ((int64_t(src.height) << 16) / h * r) >> 16;
    const uint32_t* row = src.Row32(int(sy));
    if (!filter)
        return row[((int64_t(src.width) << 16) / w * c) >> 16];
    const int64_t acc = (int64_t(src.width - 1) << 16) / w * c;
    const int64_t p0 = acc >> 16;
    const int64_t p1 = std::min<int64_t>(p0 + 1, src.width - 1);
    return Lerp(row[p0], row[p1], uint32_t(acc >> 8) & 255);
}

}  // namespace

// Catches a scaler that rounds positions instead of stepping them down from the top-left; 32-bit
// 16.16 accumulators: beyond 32768 source pixels r * step wraps negative and reads outside the
// source (ASan reports it); and the filter reading the column past a one-pixel-wide row.
TEST(QuorImageOps, ReductionsFollowTheFormulasAndStayInsideTheSource)
{
    const struct { int srcW, srcH, w, h; } cases[] = {{4, 4, 2, 2}, {40000, 10, 100, 1}, {10, 40000, 1, 100}, {1, 2000, 1, 640}, {40000, 3, 7, 3},
                 {1, 7, 1, 7}};   // a one-pixel column whose last row is read
    for (const auto& k : cases) {
        Quor_BaseImage src;
        Make(&src, k.srcW, k.srcH, Coded);
        for (bool filter : {false, true}) {
            Quor_BaseImage dst;
            Fill(&dst, k.w, k.h, 0);
            ASSERT_EQ(Ops::StretchBlit(src, dst, 0, 0, k.w, k.h, filter), QUOR_OK);
            for (int r = 0; r < k.h; ++r)
                for (int c = 0; c < k.w; ++c)
                    ASSERT_EQ(At(dst.Image(), c, r), Reference(src.Image(), k.w, k.h, c, r, filter))
                        << k.srcW << "x" << k.srcH << " -> " << k.w << "x" << k.h << " filter " << filter
                        << " at " << c << "," << r;
        }
    }
}

// Catches enlargement that does not blend between source rows, blends the last run with rows
// past the source, or starts a clipped destination at the wrong phase.
TEST(QuorImageOps, FilteredEnlargementAndClipping)
{
    Quor_BaseImage src, dst;
    Make(&src, 2, 2, [](int x, int y) { return y == 1 ? Px(255, 255, 0) : Px(255 * x, 0, 0); });
    Fill(&dst, 4, 4, 0);
    ASSERT_EQ(Ops::StretchBlit(src, dst, 0, 0, 4, 4, true), QUOR_OK);
    // Columns step a quarter of a pixel: fractions 0, 64, 128, 192.
    // (0, 1) lies halfway to the next source row; at (3, 3) the last run repeats.
    EXPECT_EQ((std::array{At(dst.Image(), 2, 0), At(dst.Image(), 0, 1), At(dst.Image(), 0, 2), At(dst.Image(), 3, 3)}),
        (std::array{Px(128, 0, 0), Px(128, 128, 0), Px(255, 255, 0), Px(255, 255, 0)}));

    // Every part of a clipped scale equals the same part of the unclipped one.
    Quor_BaseImage big, whole, part;
    MakeRandom(&big, 13, 11, 777);
    for (bool filter : {false, true}) {
        Fill(&whole, 40, 30, 0);
        Fill(&part, 30, 21, 0);
        ASSERT_EQ(Ops::StretchBlit(big, whole, 0, 0, 40, 30, filter), QUOR_OK);
        ASSERT_EQ(Ops::StretchBlit(big, part, -10, -9, 40, 30, filter), QUOR_OK);
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 30; ++x)
                ASSERT_EQ(At(part.Image(), x, y), At(whole.Image(), x + 10, y + 9))
                    << "filter " << filter << " at " << x << "," << y;
    }
    EXPECT_EQ(Ops::StretchBlit(big, part, 0, 0, 0, 5, false), QUOR_ERR_ARGUMENT);
}

// Catches quarter turns in the wrong sense and mixed-up row and column strides; an odd-sized
// image with distinct pixels shows any of them.
TEST(QuorImageOps, TurnsAndMirrorsFollowTheIndexFormulas)
{
    const int w = 7, h = 5;
    Quor_BaseImage src, turned, back, img;
    MakeIndexed(&src, w, h);
    const Quor_image& s = src.Image();
    // Every pixel (x, y) of result equals the source pixel that from(x, y) names.
    auto expectMapped = [&](const Quor_BaseImage& result, auto from, const char* what) {
        for (int y = 0; y < result.Height(); ++y)
            for (int x = 0; x < result.Width(); ++x) {
                const auto [sx, sy] = from(x, y);
                ASSERT_EQ(At(result.Image(), x, y), At(s, sx, sy)) << what << " at " << x << "," << y;
            }
    };
    ASSERT_EQ(turned.Initialize(h, w, 32), QUOR_OK);
    ASSERT_EQ(Ops::Rotate90(src, turned), QUOR_OK);
    expectMapped(turned, [&](int x, int y) { return std::pair(y, h - 1 - x); }, "rotate 90");
    ASSERT_EQ(back.Initialize(w, h, 32), QUOR_OK);
    ASSERT_EQ(Ops::RotateMinus90(turned, back), QUOR_OK);
    EXPECT_EQ(std::memcmp(back.Bits(), src.Bits(), size_t(src.RowBytes()) * h), 0);
    ASSERT_EQ(Ops::RotateMinus90(src, turned), QUOR_OK);
    expectMapped(turned, [&](int x, int y) { return std::pair(w - 1 - y, x); }, "rotate -90");
    EXPECT_TRUE(Ops::Rotate90(src, src) == QUOR_ERR_ARGUMENT && Ops::Rotate90(src, back) == QUOR_ERR_ARGUMENT);

    MakeIndexed(&img, w, h);
    Ops::Rotate180(img);
    expectMapped(img, [&](int x, int y) { return std::pair(w - 1 - x, h - 1 - y); }, "rotate 180");
    MakeIndexed(&img, w, h);
    Ops::FlipH(img);
    expectMapped(img, [&](int x, int y) { return std::pair(w - 1 - x, y); }, "flip h");
    MakeIndexed(&img, w, h);
    Ops::FlipV(img);
    expectMapped(img, [&](int x, int y) { return std::pair(x, h - 1 - y); }, "flip v");
}

// Catches turns that assume four-byte pixels: a 24-bit image must turn as whole pixels.
TEST(QuorImageOps, TurnsWorkAtEveryDepth)
{
    for (int bits : {8, 16, 24}) {
        Quor_BaseImage src, dst;
        ASSERT_EQ(src.Initialize(3, 2, bits), QUOR_OK);
        ASSERT_EQ(dst.Initialize(2, 3, bits), QUOR_OK);
        const int bytes = src.PixelBytes();
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                for (int k = 0; k < bytes; ++k)
                    src.PixelPtr(x, y)[k] = uint8_t(16 * y + 4 * x + k);
        ASSERT_EQ(Ops::Rotate90(src, dst), QUOR_OK);
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 2; ++col)
                ASSERT_EQ(std::memcmp(dst.PixelPtr(col, row), src.PixelPtr(row, 1 - col), size_t(bytes)), 0)
                    << bits;
        Ops::Rotate180(src);
        EXPECT_EQ(src.PixelPtr(0, 0)[bytes - 1], uint8_t(16 + 8 + bytes - 1)) << bits;
    }
}
