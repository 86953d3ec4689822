// Canvases for the graphics-context tests: an image with an attached context, a guard border
// that catches writes outside the drawing area, and pixel counting.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

namespace gfx_test {

inline uint32_t Px(uint32_t r, uint32_t g, uint32_t b, uint32_t a = 255)
{
    return Quor_PixelConvert::Pack(r, g, b, a);
}

constexpr rgb_color kWhite{255, 255, 255, 255};
constexpr rgb_color kBlack{0, 0, 0, 255};
constexpr rgb_color kRed{255, 0, 0, 255};
constexpr rgb_color kBlue{0, 0, 255, 255};
constexpr rgb_color kClear{0, 0, 0, 0};

// A 32-bit image with a context attached and BeginDraw done. With a border, the context sees
// only the inner width x height sub-image of a larger image whose border is filled with a
// sentinel; Intact() tells whether anything was written outside.
struct Canvas {
    static constexpr uint32_t kSentinel = 0x5A5A5A5Au;

    Quor_BaseImage image;
    Quor_image inner;
    Quor_Graphics g;
    int border;

    Canvas(int width, int height, rgb_color fill = kWhite, int borderWidth = 0, int bits = 32)
        : border(borderWidth)
    {
        EXPECT_EQ(image.Initialize(width + 2 * border, height + 2 * border, bits), 0);
        if (bits == 32) {
            for (int y = 0; y < image.Height(); y++)
                for (int x = 0; x < image.Width(); x++)
                    image.Image().Row32(y)[x] = kSentinel;
        }
        image.FillImage(&inner, Quor_Rect(border, border, border + width - 1, border + height - 1));
        Quor_ImageOps::Clear(&inner, fill);
        EXPECT_EQ(g.AttachToImage(&inner), 0);
        g.BeginDraw();
    }

    // Sets the drawing colour, pen width and smoothing in one call; returns the context.
    Quor_Graphics& Pen(rgb_color color, int width = 1, bool smooth = false)
    {
        g.SetColor(color);
        g.SetPenWidth(width);
        g.SetSmoothing(smooth);
        return g;
    }

    uint32_t At(int x, int y) const { return inner.Row32(y)[x]; }

    // Pixels of the inner image that equal v, or that differ from it.
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
};

}  // namespace gfx_test
