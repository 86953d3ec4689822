// Shared helpers of the image file tests: the "F" figure every fixture holds, pixel access,
// images filled from a fixed seed, and a registry that is set up once per test program.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "tests/support/TestFiles.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

namespace formats_test {

constexpr int kFigureWidth = 47;
constexpr int kFigureHeight = 33;

// The F of the fixtures (see make_fixtures.py): a stem and two arms, with no symmetry, so flips,
// mirrored rows and rows off by one all change some pixel.
inline bool InFigure(int x, int y)
{
    const bool stem = x >= 8 && x <= 15 && y >= 4 && y <= 28;
    const bool top = x >= 8 && x <= 38 && y >= 4 && y <= 10;
    const bool middle = x >= 8 && x <= 30 && y >= 14 && y <= 19;
    return stem || top || middle;
}

struct Rgba {
    int r, g, b, a;
};

inline Rgba PixelAt(const Quor_BaseImage& image, int x, int y)
{
    const uint32_t p = image.Image().Row32(y)[x];
    return {int(Quor_PixelConvert::Red(p)), int(Quor_PixelConvert::Green(p)), int(Quor_PixelConvert::Blue(p)),
        int(Quor_PixelConvert::Alpha(p))};
}

inline std::string Text(Rgba c)
{
    return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + "," + std::to_string(c.a);
}

// Compares every pixel with the F drawn in `figure` on `background`; each channel may be off by
// `tolerance`, except in a band of `edge` pixels around the figure's outline (lossy formats).
// Returns an empty string or the first mismatch.
inline std::string CompareWithFigure(const Quor_BaseImage& image, Rgba figure, Rgba background, int tolerance = 0,
    int edge = 0)
{
    if (!image.IsValid())
        return "no image";
    if (image.Width() != kFigureWidth || image.Height() != kFigureHeight)
        return "size " + std::to_string(image.Width()) + "x" + std::to_string(image.Height());
    for (int y = 0; y < kFigureHeight; y++)
        for (int x = 0; x < kFigureWidth; x++) {
            bool nearEdge = false;
            for (int d = 0; d < (2 * edge + 1) * (2 * edge + 1); d++)
                nearEdge |= InFigure(x + d % (2 * edge + 1) - edge, y + d / (2 * edge + 1) - edge) != InFigure(x, y);
            const Rgba want = InFigure(x, y) ? figure : background;
            const Rgba got = PixelAt(image, x, y);
            if (!nearEdge && (std::abs(got.r - want.r) > tolerance || std::abs(got.g - want.g) > tolerance
                    || std::abs(got.b - want.b) > tolerance || std::abs(got.a - want.a) > tolerance))
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + Text(got) + " instead of "
                    + Text(want);
        }
    return "";
}

// A 32-bit image whose pixel (x, y) is pixel(x, y), computed row by row from the top.
template <class F>
void Make(Quor_BaseImage* image, int width, int height, F pixel)
{
    ASSERT_EQ(image->Initialize(width, height, 32), 0);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            image->Image().Row32(y)[x] = static_cast<uint32_t>(pixel(x, y));
}

// An image of random pixels from a fixed seed, which is printed so a failure can be replayed.
inline void FillRandom(Quor_BaseImage* image, int width, int height, uint32_t seed, bool opaque)
{
    std::printf("random image %dx%d, seed %u\n", width, height, seed);
    std::mt19937 random(seed);
    Make(image, width, height, [&](int, int) { return static_cast<uint32_t>(random()) | (opaque ? 255u : 0u); });
}

// Sets up the registry once for the whole test program.
class RegistryEnvironment : public ::testing::Environment {
public:
    void SetUp() override { Quor_ImageIo::InitImageLoader(); }
    void TearDown() override { Quor_ImageIo::ExitImageLoader(); }
};

}  // namespace formats_test
