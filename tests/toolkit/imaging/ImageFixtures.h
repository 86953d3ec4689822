// Small images for the imaging tests: odd sizes, distinct pixels, and readable pixel access.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>

#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

namespace imaging_test {

inline uint32_t Px(uint32_t r, uint32_t g, uint32_t b, uint32_t a = 255)
{
    return Quor_PixelConvert::Pack(r, g, b, a);
}

inline uint32_t& At(const Quor_image& img, int x, int y)
{
    return img.Row32(y)[x];
}

// A 32-bit image whose pixel (x, y) is pixel(x, y).
template <class F>
void Make(Quor_BaseImage* img, int width, int height, F pixel)
{
    ASSERT_EQ(img->Initialize(width, height, 32), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            At(img->Image(), x, y) = pixel(x, y);
}

// Every pixel tells where it came from: red = x, green = y, blue = a per-image tag.
inline void MakeIndexed(Quor_BaseImage* img, int width, int height, uint8_t tag = 7)
{
    Make(img, width, height, [tag](int x, int y) { return Px(uint32_t(x) & 255, uint32_t(y) & 255, tag); });
}

inline void Fill(Quor_BaseImage* img, int width, int height, uint32_t value)
{
    Make(img, width, height, [value](int, int) { return value; });
}

// Random pixels from a fixed seed, printed so a failure can be reproduced.
inline void MakeRandom(Quor_BaseImage* img, int width, int height, uint32_t seed)
{
    std::printf("random image %dx%d, seed %u\n", width, height, seed);
    std::mt19937 random(seed);
    Make(img, width, height, [&random](int, int) { return uint32_t(random()); });
}

}  // namespace imaging_test
