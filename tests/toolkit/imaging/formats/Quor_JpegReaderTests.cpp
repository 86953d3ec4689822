// Tests of the JPEG reader's choice of decoding scale.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "toolkit/imaging/formats/Quor_JpegReader.h"

// Catches a wrong choice of DCT scale: the reduced decode must never fall below maxSize, and
// must use the smallest scale that keeps it there.
TEST(QuorJpegReader, ScaleNeverGoesBelowMaxSize)
{
    const uint32_t seed = 20240611;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    for (int i = 0; i < 20000; i++) {
        const int maxSize = 1 + static_cast<int>(random() % 2000);
        const int64_t side = 1 + static_cast<int64_t>(random() % 65500);
        const int denominator = Quor_JpegReader::ScaleDenominator(side, maxSize);
        const int64_t decoded = (side + denominator - 1) / denominator;
        if (side <= maxSize) {
            EXPECT_EQ(denominator, 1);
            continue;
        }
        EXPECT_GE(decoded, maxSize) << side << " " << maxSize;
        if (denominator < 8) {
            EXPECT_LT(side / (denominator * 2), maxSize) << side << " " << maxSize;
        }
    }
}
