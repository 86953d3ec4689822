// Helpers shared by the font tests: the built-in font table as the interface expects it, owned
// fonts, the outline face, canvases with a background that differs at every pixel, and image
// comparison.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/fonts/Quor_Font.h"

namespace font_test {

struct ExpectedFont {
    const char* prefix;
    const char* dataFile;
    int32_t fontWidth, fontHeight, fontBaseHeight;
    int32_t space, a, w, i;
};

inline constexpr ExpectedFont kExpected[Quor_Font::kEmbeddedFontCount] = {
    {"RG", "toolkit/imaging/data/Quor_FontData_RG.cpp", 1522, 15, 11, 4, 8, 11, 3},
    {"BD", "toolkit/imaging/data/Quor_FontData_BD.cpp", 1689, 15, 11, 4, 9, 12, 4},
    {"IT", "toolkit/imaging/data/Quor_FontData_IT.cpp", 1768, 15, 11, 4, 8, 11, 3},
    {"RGLG", "toolkit/imaging/data/Quor_FontData_RGLG.cpp", 1820, 18, 13, 5, 9, 13, 3},
    {"BDLG", "toolkit/imaging/data/Quor_FontData_BDLG.cpp", 2011, 18, 13, 4, 10, 14, 4},
    {"ITLG", "toolkit/imaging/data/Quor_FontData_ITLG.cpp", 2048, 18, 13, 5, 8, 12, 3},
};

using FontPtr = std::unique_ptr<Quor_Font>;

inline FontPtr Embedded(int index)
{
    return FontPtr(Quor_Font::GetBitmapFontEmbedded(index));
}

// The outline face the built-in fonts come from; tests that need it skip without it.
inline const char* kDejaVuBook = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf";
#define REQUIRE_DEJAVU()                     \
    if (!std::ifstream(font_test::kDejaVuBook)) \
    GTEST_SKIP() << "DejaVu fonts not installed"

inline FontPtr OpenBook()
{
    return FontPtr(Quor_Font::GetFreeTypeFontFile(kDejaVuBook));
}

// A background that differs at every pixel, so a shifted or misplaced write shows.
inline uint32_t Background(int x, int y)
{
    return Quor_PixelConvert::Pack(uint32_t(x * 7 + y * 3) & 255, uint32_t(x * 13) & 255, uint32_t(y * 29) & 255, 255);
}

// A canvas: 32-bit ones cleared to a colour, or to Background() as seen from (originX, originY)
// when no colour is given; other depths cleared to zero.
struct Canvas {
    Quor_BaseImage image;
    Canvas(int width, int height, const rgb_color* fill, int bits = 32, int originX = 0, int originY = 0)
    {
        image.Initialize(width, height, bits);
        for (int y = 0; y < height; y++)
            std::fill(image.RowPtr(y), image.RowPtr(y) + image.RowBytes(), uint8_t(0));
        if (bits == 32 && fill)
            image.Clear(*fill);
        for (int y = 0; bits == 32 && !fill && y < height; y++)
            for (int x = 0; x < width; x++)
                Img()->Row32(y)[x] = Background(originX + x, originY + y);
    }
    Canvas(int width, int height, rgb_color fill, int bits = 32) : Canvas(width, height, &fill, bits) {}
    const Quor_image* Img() const { return &image.Image(); }
    uint32_t At(int x, int y) const { return image.Image().Row32(y)[x]; }
};

// Compares the small image with the window of the big one whose top-left is (wx, wy).
inline ::testing::AssertionResult MatchesWindow(const Quor_image* small, const Quor_image* big, int wx = 0, int wy = 0)
{
    for (int y = 0; y < small->height; y++)
        for (int x = 0; x < small->width; x++)
            if (small->Row32(y)[x] != big->Row32(wy + y)[wx + x])
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ")";
    return ::testing::AssertionSuccess();
}

}  // namespace font_test
