// Pixel rows between byte layouts and packed words, both ways.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/ImageFixtures.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

using namespace quor_test;
// Catches red/blue swaps and lost alpha in the row converters the file modules share.
TEST(QuorPixelConvert, RowsConvertBothWaysWithoutSwaps)
{
    using C = Quor_PixelConvert;
    const uint8_t rgba[8] = {250, 10, 20, 30, 40, 50, 60, 70};
    const uint8_t bgra[8] = {20, 10, 250, 30, 60, 50, 40, 70};
    const uint8_t bgr[6] = {20, 10, 250, 50, 40, 30};
    uint32_t pixels[2];
    uint8_t bytes[8];
    C::FromRgba(rgba, pixels, 2);
    EXPECT_EQ(pixels[0], Px(250, 10, 20, 30));
    C::ToBgra(pixels, bytes, 2);
    EXPECT_EQ(std::memcmp(bytes, bgra, 8), 0);
    C::FromBgra(bgra, pixels, 2);
    C::ToRgba(pixels, bytes, 2);
    EXPECT_EQ(std::memcmp(bytes, rgba, 8), 0);
    C::FromRgb(rgba, pixels, 2);
    EXPECT_EQ(pixels[1], Px(30, 40, 50, 255));
    C::ToBgr(pixels, bytes, 2);
    EXPECT_EQ(std::memcmp(bytes, bgr, 6), 0);
    C::FromBgr(bgr, pixels, 2);
    C::ToRgb(pixels, bytes, 2);
    EXPECT_EQ(std::memcmp(bytes, rgba, 6), 0);
    C::FromGrey(rgba, pixels, 2);
    EXPECT_EQ(pixels[1], Px(10, 10, 10, 255));
    C::FromGreyAlpha(rgba, pixels, 2);
    EXPECT_EQ(pixels[1], Px(20, 20, 20, 30));

    // The packed word in memory runs alpha, red, green, blue on this little-endian machine.
    const uint32_t word = Px(1, 2, 3, 4);
    EXPECT_EQ(std::memcmp(&word, "\4\1\2\3", 4), 0);

    // 16 and 15 bits: full components survive, and the top bits fill the low ones.
    uint16_t packed[2];
    const uint32_t extremes[2] = {Px(255, 0, 255), Px(0, 255, 8)};
    C::To16(extremes, packed, 2);
    EXPECT_TRUE(packed[0] == 0xF81F && packed[1] == 0x07E1) << std::hex << packed[0] << " " << packed[1];
    C::From16(packed, pixels, 2);
    EXPECT_EQ(pixels[0], Px(255, 0, 255));
    C::To15(extremes, packed, 2);
    EXPECT_EQ(packed[1], 0x03E1);
    C::From15(packed, pixels, 2);
    EXPECT_EQ(pixels[1], Px(0, 255, 8));
}
