// Colours: the lightness model of HSV and its round trip.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/ImageFixtures.h"
#include "toolkit/imaging/Quor_ColorOps.h"

using namespace quor_test;
// Catches a hue, saturation or lightness formula that departs from the lightness model (for
// example value = max instead of (max + min) / 2) and a grey that does not keep its level.
TEST(QuorColorOps, HsvLightnessModelExamples)
{
    int h, s, v, r, g, b;
    Quor_ColorOps::Rgb2Hsv(255, 0, 0, &h, &s, &v);
    EXPECT_TRUE(h == 0 && s == 255 && v == 128) << h << " " << s << " " << v;
    Quor_ColorOps::Rgb2Hsv(100, 100, 100, &h, &s, &v);
    EXPECT_TRUE(h == 0 && s == 0 && v == 100) << h << " " << s << " " << v;
    Quor_ColorOps::Rgb2Hsv(0, 0, 255, &h, &s, &v);
    EXPECT_EQ(h, 170);   // blue two thirds round
    Quor_ColorOps::Hsv2Rgb(0, 255, 128, &r, &g, &b);
    EXPECT_TRUE(r == 255 && g + b <= 4) << r << " " << g << " " << b;
    Quor_ColorOps::Hsv2Rgb(255, 255, 128, &r, &g, &b);   // 255 wraps to red
    EXPECT_EQ(r, 255);
    Quor_ColorOps::Hsv2Rgb(40, 200, 255, &r, &g, &b);
    EXPECT_EQ(r + g + b, 3 * 255);
    const hsv_color hsv = Quor_ColorOps::Rgb2Hsv(rgb_color{0, 255, 0, 77});
    EXPECT_TRUE(hsv.alpha == 77 && hsv.hue == 85) << int(hsv.hue);
}

// Catches a sector table with swapped entries: converting there and back must stay close
// for every colour of a seeded sample.
TEST(QuorColorOps, HsvRoundTripStaysClose)
{
    const uint32_t seed = 20240601;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    for (int i = 0; i < 5000; ++i) {
        const int r = int(random() % 256), g = int(random() % 256), b = int(random() % 256);
        int h, s, v, r2, g2, b2;
        Quor_ColorOps::Rgb2Hsv(r, g, b, &h, &s, &v);
        Quor_ColorOps::Hsv2Rgb(h, s, v, &r2, &g2, &b2);
        // Hue and saturation are kept in 8 bits, so a few units are lost.
        ASSERT_LE(std::abs(r - r2) + std::abs(g - g2) + std::abs(b - b2), 12)
            << r << " " << g << " " << b;
    }
}
