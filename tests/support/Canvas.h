// Images for drawing tests: a drawing area, optionally inside a guard border that catches writes
// outside it, filled with a colour or with a pattern that differs at every pixel (so a shifted or
// misplaced write shows), with pixel access and counting.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "tests/support/ImageFixtures.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/math/Quor_Rect.h"

namespace quor_test {

// A background that differs at every pixel: the colour at (x, y).
inline uint32_t Pattern(int x, int y)
{
    return Px(uint32_t(x * 7 + y * 3) & 255, uint32_t(x * 13) & 255, uint32_t(y * 29) & 255);
}

struct Canvas {
    static constexpr uint32_t kSentinel = 0x5A5A5A5Au;
    enum class Background { kPattern };

    Quor_BaseImage image;  // the drawing area and its border
    Quor_image inner;      // the drawing area
    int border = 0;

    // 32 bits, filled with a colour; with a border, the drawing area is the inner width x height
    // of a larger image whose border holds kSentinel.
    Canvas(int width, int height, rgb_color fill = kWhite, int borderWidth = 0) : border(borderWidth)
    {
        Allocate(width, height, 32);
        Quor_ImageOps::Clear(&inner, fill);
    }
    // 32 bits, holding the pattern as seen from (originX, originY), so that a window of a larger
    // patterned canvas equals a smaller one.
    Canvas(int width, int height, Background, int originX = 0, int originY = 0)
    {
        Allocate(width, height, 32);
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++)
                At(x, y) = Pattern(originX + x, originY + y);
    }
    // Another depth (8, 15, 16 or 24 bits), every byte 0.
    Canvas(int width, int height, int bits)
    {
        Allocate(width, height, bits);
        for (int y = 0; y < height; y++)
            std::memset(inner.Row(y), 0, size_t(width) * size_t(inner.pixelBytes));
    }

    const Quor_image* Img() const { return &inner; }
    uint32_t& At(int x, int y) const { return inner.Row32(y)[x]; }

    // Pixels of the drawing area that equal v, or that differ from it.
    int CountValue(uint32_t v, bool equal = true) const
    {
        int n = 0;
        for (int y = 0; y < inner.height; y++)
            for (int x = 0; x < inner.width; x++)
                n += (At(x, y) == v) == equal ? 1 : 0;
        return n;
    }
    int CountNot(uint32_t v) const { return CountValue(v, false); }

    // The smallest rectangle holding every pixel that differs from v (left > right when none).
    Quor_Rect Extent(uint32_t v) const
    {
        Quor_Rect r(inner.width, inner.height, -1, -1);
        for (int y = 0; y < inner.height; y++)
            for (int x = 0; x < inner.width; x++)
                if (At(x, y) != v)
                    r.Accumulate(Quor_Point(x, y));
        return r;
    }

    // True when the guard border still holds the sentinel everywhere.
    bool Intact() const
    {
        const Quor_image& all = image.Image();
        for (int y = 0; y < all.height; y++)
            for (int x = 0; x < all.width; x++) {
                const bool outside = x < border || y < border || x >= border + inner.width ||
                                     y >= border + inner.height;
                if (outside && all.Row32(y)[x] != kSentinel)
                    return false;
            }
        return true;
    }

    // Whether the drawing area equals the window of `big` whose top-left is (wx, wy).
    ::testing::AssertionResult MatchesWindowOf(const Canvas& big, int wx = 0, int wy = 0) const
    {
        for (int y = 0; y < inner.height; y++)
            for (int x = 0; x < inner.width; x++)
                if (At(x, y) != big.At(wx + x, wy + y))
                    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ")";
        return ::testing::AssertionSuccess();
    }

private:
    void Allocate(int width, int height, int bits)
    {
        EXPECT_EQ(image.Initialize(width + 2 * border, height + 2 * border, bits), QUOR_OK);
        if (bits == 32)
            Quor_ImageOps::Clear(&image.Image(), Quor_ColorOps::UnpackColor32(kSentinel));
        image.FillImage(&inner, Quor_Rect(border, border, border + width - 1, border + height - 1));
    }
};

}  // namespace quor_test
