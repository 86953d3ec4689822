// Golden-image comparison for drawing tests: compares a 32-bit image with a small PNG kept next to
// the test, and on a mismatch writes the actual image and a difference image and names them.
// PNG reading and writing here uses libpng directly, so the oracle does not share code with the
// image modules under test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/imaging/Quor_image.h"

namespace quor_test {

// A plain RGBA picture as the tests see it, independent of the toolkit's pixel packing.
struct RgbaPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // width * height * 4 bytes, rows top to bottom
};

// Converts a 32-bit toolkit image (blue << 24 | green << 16 | red << 8 | alpha) to RGBA bytes.
RgbaPicture PictureFromImage(const Quor_image& image);

bool ReadPng(const std::string& path, RgbaPicture* out);
bool WritePng(const std::string& path, const RgbaPicture& picture);

// Compares `actual` with the reference PNG at `referencePath` (absolute, or relative to the
// source tree). Each channel may differ by at most `tolerance`. Returns an empty string on a
// match, otherwise a description naming the written actual and difference images.
// With the environment variable QUOR_UPDATE_GOLDENS=1 the reference is (re)written instead.
std::string CompareWithGolden(const Quor_image& actual, const std::string& referencePath, int tolerance = 0);

}  // namespace quor_test

// Use as EXPECT_GOLDEN(image, "tests/toolkit/imaging/golden/oval.png", 0);
#define EXPECT_GOLDEN(image, path, tolerance)                                              \
    do {                                                                                   \
        std::string goldenMessage_ = quor_test::CompareWithGolden((image), (path), (tolerance)); \
        EXPECT_TRUE(goldenMessage_.empty()) << goldenMessage_;                             \
    } while (0)
