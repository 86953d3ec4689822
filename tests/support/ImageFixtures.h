// Small images for tests: packed pixels from components, images built pixel by pixel, readable
// pixel access and comparison. Every test module shares these instead of keeping its own copies.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

namespace quor_test {

constexpr rgb_color kWhite{255, 255, 255, 255};
constexpr rgb_color kBlack{0, 0, 0, 255};
constexpr rgb_color kRed{255, 0, 0, 255};
constexpr rgb_color kBlue{0, 0, 255, 255};
constexpr rgb_color kClear{0, 0, 0, 0};

// A packed 32-bit pixel from its components.
inline constexpr uint32_t Px(uint32_t r, uint32_t g, uint32_t b, uint32_t a = 255)
{
    return Quor_PixelConvert::Pack(r, g, b, a);
}

inline constexpr uint32_t Px(rgb_color c)
{
    return Quor_PixelConvert::Pack(c.red, c.green, c.blue, c.alpha);
}

inline uint32_t& At(const Quor_image& img, int x, int y)
{
    return img.Row32(y)[x];
}

// The pixel at (x, y) of a 32-bit image as a colour.
inline rgb_color PixelAt(const Quor_image& image, int x, int y)
{
    const uint32_t p = image.Row32(y)[x];
    return rgb_color{uint8_t(Quor_PixelConvert::Red(p)), uint8_t(Quor_PixelConvert::Green(p)),
                     uint8_t(Quor_PixelConvert::Blue(p)), uint8_t(Quor_PixelConvert::Alpha(p))};
}

inline rgb_color PixelAt(const Quor_BaseImage& image, int x, int y)
{
    return PixelAt(image.Image(), x, y);
}

// "r,g,b,a" for failure messages.
inline std::string Text(rgb_color c)
{
    return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue) + "," +
           std::to_string(c.alpha);
}

// Whether every colour channel (and alpha, when withAlpha) differs by at most tolerance.
inline bool Near(rgb_color a, rgb_color b, int tolerance, bool withAlpha = false)
{
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance && (!withAlpha || std::abs(a.alpha - b.alpha) <= tolerance);
}

// A 32-bit image whose pixel (x, y) is pixel(x, y), computed row by row from the top.
template <class F>
void Make(Quor_BaseImage* img, int width, int height, F pixel)
{
    ASSERT_EQ(img->Initialize(width, height, 32), QUOR_OK);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            At(img->Image(), x, y) = static_cast<uint32_t>(pixel(x, y));
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

// Random pixels from a fixed seed, printed so a failure can be reproduced; opaque forces
// alpha 255.
inline void MakeRandom(Quor_BaseImage* img, int width, int height, uint32_t seed, bool opaque = false)
{
    std::printf("random image %dx%d, seed %u\n", width, height, seed);
    std::mt19937 random(seed);
    Make(img, width, height,
         [&random, opaque](int, int) { return uint32_t(random()) | (opaque ? 255u : 0u); });
}

}  // namespace quor_test
