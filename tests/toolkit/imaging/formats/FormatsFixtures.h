// What the image file tests share beyond tests/support: the "F" figure every fixture holds, a
// comparison against it, and a registry set up once per test program.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/ImageFixtures.h"
#include "tests/support/TestFiles.h"
#include "toolkit/imaging/Quor_BaseImage.h"
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

// Compares every pixel with the F drawn in `figure` on `background`; each channel, alpha
// included, may be off by `tolerance`, except in a band of `edge` pixels around the figure's
// outline (lossy formats). Returns an empty string or the first mismatch.
inline std::string CompareWithFigure(const Quor_BaseImage& image, rgb_color figure, rgb_color background,
    int tolerance = 0, int edge = 0)
{
    if (!image.IsValid())
        return "no image";
    if (image.Width() != kFigureWidth || image.Height() != kFigureHeight)
        return "size " + std::to_string(image.Width()) + "x" + std::to_string(image.Height());
    const int span = 2 * edge + 1;
    for (int y = 0; y < kFigureHeight; y++)
        for (int x = 0; x < kFigureWidth; x++) {
            bool nearEdge = false;
            for (int d = 0; d < span * span; d++)
                nearEdge |= InFigure(x + d % span - edge, y + d / span - edge) != InFigure(x, y);
            const rgb_color want = InFigure(x, y) ? figure : background;
            const rgb_color got = quor_test::PixelAt(image, x, y);
            if (!nearEdge && !quor_test::Near(got, want, tolerance, true))
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + quor_test::Text(got)
                    + " instead of " + quor_test::Text(want);
        }
    return "";
}

// Sets up the registry once for the whole test program (an inline variable is made once, however
// many test files include this).
class RegistryEnvironment : public ::testing::Environment {
public:
    void SetUp() override { Quor_ImageIo::InitImageLoader(); }
    void TearDown() override { Quor_ImageIo::ExitImageLoader(); }
};

inline ::testing::Environment* const kRegistry = ::testing::AddGlobalTestEnvironment(new RegistryEnvironment);

}  // namespace formats_test
