// Helpers shared by the font tests: the built-in font table as the interface expects it, owned
// fonts and the outline face. Canvases come from tests/support/Canvas.h.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/Canvas.h"
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

}  // namespace font_test
